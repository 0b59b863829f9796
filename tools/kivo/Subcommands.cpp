#include "Subcommands.h"

#include <cctype>
#include <cstdint>
#include <cstdio>

#include "NodeCommands.h"
#include "NodePaths.h"
#include "Shell.h"

namespace KivoHost {
namespace {

std::string operandOr(const Operands& operands, size_t index, const std::string& fallback) {
  return index < operands.size() ? operands[index] : fallback;
}

std::string pathOperand(const Operands& operands) {
  return resolvePath("/", operandOr(operands, 1, "/"));
}

int runTree(const Operands& operands) { return showTree(pathOperand(operands)); }
int runState(const Operands& operands) { return showState(pathOperand(operands)); }
int runInfo(const Operands& operands) { return showInfo(pathOperand(operands)); }
int runExec(const Operands& operands) {
  return runCommand(pathOperand(operands), operandOr(operands, 2, ""));
}
int runGet(const Operands& operands) {
  return showAttributes(pathOperand(operands), operandOr(operands, 2, ""));
}
int runSet(const Operands& operands) {
  return setAttributes(pathOperand(operands), Operands(operands.begin() + 2, operands.end()), true);
}
int runShellCommand(const Operands&) { return runShell(); }

const std::vector<Subcommand> kSubcommands = {
    {"tree", "FILE [PATH]", "print the tree, or the subtree at PATH, as an outline",
     "Each line shows a node's name, its label in quotes when it differs, its element\n"
     "in brackets and its attributes.\n",
     1, 2, runTree},
    {"state", "FILE [PATH]", "print the State report of the node at PATH (default: the root)",
     "The report is XML: one element per node with its attributes and full path.\n", 1, 2,
     runState},
    {"info", "FILE [PATH]", "print the Info report of the node at PATH (default: the root)",
     "The report shows the node's document or XML element inside comments.\n", 1, 2, runInfo},
    {"exec", "FILE PATH[?PARAMS] [COMMAND]", "run a command on the node at PATH, print the answer",
     "Fails when the node gives no answer (it does not know the command) or answers\n"
     "with a failure.\n",
     2, 3, runExec},
    {"get", "FILE PATH [ATTRIBUTE]", "print the node's attributes, or the value of one",
     "Without ATTRIBUTE every attribute is printed as NAME=VALUE, one a line.\n", 2, 3, runGet},
    {"set", "FILE PATH ATTRIBUTE=VALUE...", "change attributes and save the node's file",
     "Saves the document the node belongs to (the include file when it came from\n"
     "one) and no other file. Nothing changes when an assignment lacks \"=\".\n",
     3, SIZE_MAX, runSet},
    {"shell", "FILE", "an interactive shell on the booted tree",
     "Commands: ls, cd, pwd, tree, state, info, exec, get, set, save, log, help, quit.\n"
     "Reads commands from standard input when it is not a terminal, without prompts.\n",
     1, 1, runShellCommand},
};

}  // namespace

const std::vector<Subcommand>& allSubcommands() { return kSubcommands; }

const Subcommand* findSubcommand(const std::string& name) {
  for (const Subcommand& subcommand : kSubcommands) {
    if (name == subcommand.name) return &subcommand;
  }
  return nullptr;
}

const char* globalOptionsHelp() {
  return "Options:\n"
         "  --log-level N  log messages shown on standard error: 0 errors (default),\n"
         "                 1 adds warnings, 2 adds messages, 3 everything, 4 none\n"
         "  --addons DIR   the add-ons folder (default: addons beside FILE)\n"
         "  -q, --quiet    show no log messages\n"
         "  --plugins      load the plug-in libraries and run the scripts FILE names;\n"
         "                 the default of exec, set and shell\n"
         "  --no-plugins   run none of FILE's code, only read it; the default of tree,\n"
         "                 state, info and get, so a look at a file runs nothing\n"
         "  -h, --help     show help and exit\n";
}

void printOverview() {
  std::printf(
      "Usage: kivo [OPTIONS] COMMAND FILE [ARGUMENTS]\n\n"
      "Boots the configuration FILE, does one job, and stops.\n\nCommands:\n");
  for (const Subcommand& subcommand : kSubcommands) {
    std::printf("  %-6s %s\n", subcommand.name, subcommand.summary);
  }
  std::printf(
      "\n%s  --version      print the library's version and exit\n\n"
      "Run 'kivo COMMAND --help' for the help of one command.\n",
      globalOptionsHelp());
}

void printSubcommandHelp(const Subcommand& subcommand) {
  std::string summary = subcommand.summary;
  summary[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(summary[0])));
  std::printf(
      "Usage: kivo %s [OPTIONS] %s\n\n%s.\n%s\nPaths are \"/\"-separated node names "
      "from the root, for example /settings/window.\n\n%s",
      subcommand.name, subcommand.usage, summary.c_str(), subcommand.details, globalOptionsHelp());
}

}  // namespace KivoHost
