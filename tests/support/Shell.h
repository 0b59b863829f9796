#pragma once
// Command lines run with /bin/sh as a user types them, and whole files compared byte for byte.
#include <map>
#include <string>

namespace KivoTest {

struct ProgramRun {
  int status = -1;  // the exit status, or -1 when the shell did not exit normally
  std::string out;
  std::string err;
};

// `text` as one shell word, whatever it contains.
std::string shellWord(const std::string& text);

// Runs `line` with /bin/sh in `folder` (the current one when empty); `environment` is put
// before it ("NAME=value ..." assignments, already quoted). Standard input is `input`.
ProgramRun runShell(const std::string& line, const std::string& folder = "",
                    const std::string& environment = "", const std::string& input = "");

// The whole content of `file`, "" when it cannot be read.
std::string fileText(const std::string& file);

// Every regular file below `folder` (relative name) with its exact content.
std::map<std::string, std::string> filesBelow(const std::string& folder);

// `text` with the first `from` replaced by `to`; a missing `from` fails the test.
std::string replaced(std::string text, const std::string& from, const std::string& to);

// The number of lines in `text` that contain `part`.
size_t countLines(const std::string& text, const std::string& part);

}  // namespace KivoTest
