#pragma once
// Runs the built kivo program as a subprocess, with a configuration in a fresh folder.
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace KivoTest {

struct ProgramRun {
  int status = -1;  // the exit status, or -1 when the program did not exit normally
  std::string out;
  std::string err;
};

// Runs kivo with `arguments`; `input` is its standard input. With `timeLimit`
// (seconds) a run that takes longer is killed and counts as not exiting.
ProgramRun runKivo(const std::vector<std::string>& arguments, const std::string& input = "",
                   int timeLimit = 0);

// The number of lines in `text` that contain `part`.
size_t countLines(const std::string& text, const std::string& part);

// A configuration for the host tests: settings in the main file, a library pulled in
// from an include file, a read-only node and a link.
class HostConfiguration {
 public:
  HostConfiguration();
  const TempDir& dir() const { return m_Dir; }
  std::string main() const { return m_Dir.file("main.xml"); }
  // Every file of the folder with its exact content.
  std::vector<std::pair<std::string, std::string>> snapshot() const;

 private:
  TempDir m_Dir;
};

}  // namespace KivoTest
