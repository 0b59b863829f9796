#include "Arguments.h"

#include <cstdlib>

namespace KivoHost {
namespace {

// Takes the value of "--name VALUE" or "--name=VALUE"; false when it is missing.
bool takeValue(const std::string& argument, const std::string& name, int argc,
               const char* const* argv, int& index, std::string& value) {
  if (argument.size() > name.size() && argument.compare(0, name.size() + 1, name + "=") == 0) {
    value = argument.substr(name.size() + 1);
    return true;
  }
  if (index + 1 >= argc) return false;
  value = argv[++index];
  return true;
}

bool isOption(const std::string& argument, const std::string& name) {
  return argument == name || argument.compare(0, name.size() + 1, name + "=") == 0;
}

// "--log-level N" and "--addons DIR" take the next argument as their value.
bool takesSeparateValue(const std::string& argument) {
  return argument == "--log-level" || argument == "--addons";
}

bool parseLogLevel(const std::string& text, int& level) {
  if (text.size() != 1 || text[0] < '0' || text[0] > '4') return false;
  level = text[0] - '0';
  return true;
}

// Adds one argument that is not an option: the first is the command.
void addWord(Arguments& out, const std::string& word) {
  if (out.command.empty()) {
    out.command = word;
  } else {
    out.operands.push_back(word);
  }
}

}  // namespace

bool parseArguments(int argc, const char* const* argv, Arguments& out, std::string& error) {
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    std::string value;
    const bool answered = out.help || out.version;
    if (optionsEnded || argument.empty() || argument[0] != '-' || argument == "-") {
      addWord(out, argument);
    } else if (argument == "--") {
      optionsEnded = true;
    } else if (answered) {
      // Help or version is what the user gets: nothing else is checked, but the
      // value of an option is not taken for the command.
      if (takesSeparateValue(argument)) ++i;
    } else if (argument == "--help" || argument == "-h") {
      out.help = true;
    } else if (argument == "--version") {
      out.version = true;
    } else if (argument == "--quiet" || argument == "-q") {
      out.quiet = true;
    } else if (argument == "--json") {
      out.json = true;
    } else if (argument == "--plugins" || argument == "--no-plugins") {
      out.plugins = argument == "--plugins";
    } else if (isOption(argument, "--log-level")) {
      if (!takeValue(argument, "--log-level", argc, argv, i, value) ||
          !parseLogLevel(value, out.logLevel)) {
        error = "--log-level needs a number from 0 to 4";
        return false;
      }
    } else if (isOption(argument, "--addons")) {
      if (!takeValue(argument, "--addons", argc, argv, i, value) || value.empty()) {
        error = "--addons needs a folder";
        return false;
      }
      out.addonsFolder = value;
    } else if (isOption(argument, "--language")) {
      if (!takeValue(argument, "--language", argc, argv, i, value) || value.empty()) {
        error = "--language needs a language code such as de_DE";
        return false;
      }
      out.language = value;
    } else if (isOption(argument, "--catalogs")) {
      if (!takeValue(argument, "--catalogs", argc, argv, i, value) || value.empty()) {
        error = "--catalogs needs a folder";
        return false;
      }
      out.catalogsFolder = value;
    } else {
      error = "unknown option '" + argument + "'";
      return false;
    }
  }
  if (!out.catalogsFolder.empty() && out.language.empty()) {
    error = "--catalogs needs --language";
    return false;
  }
  return true;
}

}  // namespace KivoHost
