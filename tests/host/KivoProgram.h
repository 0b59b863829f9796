#pragma once
// Runs the built kivo program as a subprocess, with configurations in a fresh folder.
#include <map>
#include <string>
#include <vector>

#include "support/Shell.h"
#include "support/TempDir.h"

namespace KivoTest {

// Runs kivo with `arguments` in `folder` (the current one when empty); `input` is its
// standard input. With `timeLimit` (seconds) a run that takes longer is killed and
// counts as not exiting.
ProgramRun runKivo(const std::vector<std::string>& arguments, const std::string& input = "",
                   const std::string& folder = "", int timeLimit = 0);

// A folder of configurations: main.xml with settings, a read-only node, a link and a
// library pulled in from library.xml, and small files for plug-ins, Lua, bad input and
// translations.
class HostConfiguration {
 public:
  HostConfiguration();
  const TempDir& dir() const { return m_Dir; }
  // Runs `line` with /bin/sh in the folder, with this build's kivo on PATH and SRC, BUILD,
  // PLUGIN and CRASH naming the source and build folders and the two plug-ins.
  ProgramRun run(const std::string& line, const std::string& input = "") const;
  // Every file of the folder with its exact content.
  std::map<std::string, std::string> snapshot() const { return filesBelow(m_Dir.path()); }

 private:
  TempDir m_Dir;
};

}  // namespace KivoTest
