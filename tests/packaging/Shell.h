#pragma once
// Command lines for the packaging tests, as a user types them.
#include <sstream>

#include "support/Shell.h"

namespace KivoTest {

// Runs `commands` (lines, stopping at the first that fails) in `folder`; `out` holds
// standard output and standard error together.
inline ProgramRun runScript(const std::string& folder, const std::string& commands) {
  return runShell("exec 2>&1\nset -e\n" + commands, folder);
}

// True when `text` holds `block` as a README block: every line indented by four spaces.
inline bool showsBlock(const std::string& text, const std::string& block) {
  std::istringstream lines(block);
  std::string indented;
  for (std::string line; std::getline(lines, line);) indented += line.empty() ? "\n" : "    " + line + "\n";
  return text.find("\n" + indented) != std::string::npos;
}

}  // namespace KivoTest
