#pragma once
// Runs command lines with /bin/sh, as a user types them, for the packaging tests.
#include <string>

namespace KivoTest {

struct ShellRun {
  int status = -1;  // the exit status, or -1 when the shell did not exit normally
  std::string output;  // standard output and standard error together
};

// Runs `commands` (lines, stopping at the first that fails) in `folder`.
ShellRun runShell(const std::string& folder, const std::string& commands);

// True when `text` holds `block` as a README block: every line indented by four spaces.
bool showsBlock(const std::string& text, const std::string& block);

// The whole content of `file`, "" when it cannot be read.
std::string fileText(const std::string& file);

}  // namespace KivoTest
