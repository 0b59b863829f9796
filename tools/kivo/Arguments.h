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
  std::string language;               // labels in this language (tree, get); empty: as written
  std::string catalogsFolder;         // empty: the configuration's "locale" folder
  bool quiet = false;                 // no log lines on standard error
  bool json = false;                  // results as JSON, for the subcommands that offer it
  std::optional<bool> plugins;        // --plugins / --no-plugins; unset: the command's default
  bool help = false;
  bool version = false;
};

// Parses argv; on failure returns false and sets `error` to one line. The first of
// --help and --version ends option checking, as in GNU programs: later options are
// ignored (words still name the command), so help and version win wherever they stand.
bool parseArguments(int argc, const char* const* argv, Arguments& out, std::string& error);

}  // namespace KivoHost
