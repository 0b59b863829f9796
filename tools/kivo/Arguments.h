#pragma once
// The command line: global options anywhere, then a subcommand and its operands.
#include <optional>
#include <string>
#include <vector>

namespace KivoHost {

struct Arguments {
  std::string command;                // empty when none was given
  std::vector<std::string> operands;  // everything after the command, in order
  int logLevel = 0;                   // the application record's 0-4
  std::string addonsFolder;           // empty: the configuration's "addons" folder
  bool quiet = false;                 // no log lines on standard error
  std::optional<bool> plugins;        // --plugins / --no-plugins; unset: the command's default
  bool help = false;
  bool version = false;
};

// Parses argv; on failure returns false and sets `error` to one line.
bool parseArguments(int argc, const char* const* argv, Arguments& out, std::string& error);

}  // namespace KivoHost
