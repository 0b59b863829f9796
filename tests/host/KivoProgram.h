#pragma once
// Runs the built kivo program as a subprocess, with a configuration in a fresh folder.
#include <string>
#include <map>
#include <vector>

#include "support/Shell.h"
#include "support/TempDir.h"

namespace KivoTest {

// Runs kivo with `arguments` in `folder` (the current one when empty); `input` is its
// standard input. With `timeLimit` (seconds) a run that takes longer is killed and
// counts as not exiting.
ProgramRun runKivo(const std::vector<std::string>& arguments, const std::string& input = "",
                   const std::string& folder = "", int timeLimit = 0);

// Runs jq with `filter` (raw output) on `json`: jq's status is not 0 unless the text is JSON.
inline ProgramRun jq(const std::string& json, const std::string& filter) {
  return runShell("jq -r " + shellWord(filter), "", "", json);
}

// A configuration for the host tests: settings in the main file, a library pulled in
// from an include file, a read-only node and a link.
class HostConfiguration {
 public:
  HostConfiguration();
  const TempDir& dir() const { return m_Dir; }
  std::string main() const { return m_Dir.file("main.xml"); }
  // Every file of the folder with its exact content.
  std::map<std::string, std::string> snapshot() const { return filesBelow(m_Dir.path()); }

 private:
  TempDir m_Dir;
};

}  // namespace KivoTest
