#include "Subcommands.h"

#include <dlfcn.h>

#include <cctype>
#include <cstdint>
#include <cstdio>

#include "LuaCommand.h"
#include "NodeCommands.h"
#include "NodePaths.h"
#include "Output.h"
#include "Shell.h"
#include "kivo/base/Version.h"
#include "kivo/plugin/KivoInit.h"

namespace KivoHost {
namespace {

using Operands = std::vector<std::string>;

std::string operandOr(const Operands& operands, size_t index, const std::string& fallback) {
  return index < operands.size() ? operands[index] : fallback;
}

std::string pathOperand(const Operands& operands) {
  return resolvePath("/", operandOr(operands, 1, "/"));
}

int runTree(const Arguments& arguments) {
  return showTree(pathOperand(arguments.operands), arguments.json);
}
int runState(const Arguments& arguments) { return showState(pathOperand(arguments.operands)); }
int runInfo(const Arguments& arguments) { return showInfo(pathOperand(arguments.operands)); }

// PATH COMMAND [PARAMS]: the parameters come either after "?" in PATH or as PARAMS.
int runExec(const Arguments& arguments) {
  const Operands& operands = arguments.operands;
  const std::string path = pathOperand(operands);
  const std::string inPath = path.substr(withoutParams(path).size());
  if (!inPath.empty() && operands.size() > 3) {
    return usageError("parameters given twice, after '?' and as PARAMS", "kivo exec");
  }
  const std::string params = inPath.empty() ? operandOr(operands, 3, "") : inPath.substr(1);
  return runCommand(path, operandOr(operands, 2, ""), params);
}

int runGet(const Arguments& arguments) {
  return showAttributes(pathOperand(arguments.operands), operandOr(arguments.operands, 2, ""),
                        arguments.json);
}
int runSet(const Arguments& arguments) {
  const Operands& operands = arguments.operands;
  return setAttributes(pathOperand(operands), Operands(operands.begin() + 2, operands.end()), true);
}
int runShellCommand(const Arguments&) { return runShell(); }

const std::vector<Subcommand> kSubcommands = {
    {"tree", "FILE [PATH]", "print the tree, or the subtree at PATH, as an outline",
     "Each line shows a node's name, its label in quotes when it differs, its element\n"
     "in brackets and its attributes; long values are cut to 48 columns.\n"
     "With --json the subtree is one JSON object with the members \"name\", \"label\",\n"
     "\"element\", \"attributes\" (an object) and \"children\" (an array of such objects),\n"
     "every value whole.\n",
     1, 2, true, runTree},
    {"state", "FILE [PATH]", "print the State report of the node at PATH (default: the root)",
     "The report is XML: one element per node with its attributes and full path.\n", 1, 2, false,
     runState},
    {"info", "FILE [PATH]", "print the Info report of the node at PATH (default: the root)",
     "The report shows the node's document or XML element inside comments.\n", 1, 2, false,
     runInfo},
    {"exec", "FILE PATH [COMMAND [PARAMS]]", "run a command of the node at PATH, print the answer",
     "The node runs COMMAND with PARAMS (or the parameters after \"?\" in PATH): a\n"
     "library node runs \"start\", \"stop\" and its plug-in's methods. Without COMMAND,\n"
     "PATH[?PARAMS] is run as the base runs paths: the node gets its own name as the\n"
     "command. Exits with 1 when the node does not know the command or answers with a\n"
     "failure or an exception (the answer is printed all the same). A command the node\n"
     "knows that answers nothing succeeds, with a note on standard error.\n",
     2, 4, false, runExec},
    {"get", "FILE PATH [ATTRIBUTE]", "print the node's attributes, or the value of one",
     "Without ATTRIBUTE every attribute is printed as NAME=VALUE, one a line.\n"
     "With --json they are one JSON object of strings.\n",
     2, 3, true, runGet},
    {"set", "FILE PATH NAME=VALUE...", "change attributes and save the node's file",
     "NAME is an attribute, or one of the node's own fields: name (renames the node;\n"
     "a name its siblings use is made unique), label, type, brief, description,\n"
     "version. An empty VALUE removes an attribute. Every assignment is applied or\n"
     "the command is refused (exit status 2, naming the assignment) before anything\n"
     "changes. Saves the document the node belongs to (the include file when it came\n"
     "from one) and no other file.\n",
     3, SIZE_MAX, false, runSet},
    {"shell", "FILE", "an interactive shell on the booted tree",
     "Commands: ls, cd, pwd, tree, state, info, exec, get, set, save, log, help, quit.\n"
     "Reads commands from standard input when it is not a terminal, without prompts.\n",
     1, 1, false, runShellCommand},
    luaSubcommand(),
};

// The file of the libkivo this program runs with.
std::string libraryFile() {
  Dl_info info{};
  const bool found = dladdr(reinterpret_cast<void*>(&KivoUnit::LibraryVersion), &info) != 0;
  return found && info.dli_fname != nullptr ? info.dli_fname : "libkivo";
}

const char* orUnknown(const char* text) { return text != nullptr ? text : "unknown"; }

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
         "  --language CODE  labels shown by tree and get in this language (de_DE, ...)\n"
         "  --catalogs DIR   the folder of CODE.mo catalogs (default: locale beside FILE)\n"
         "  --json         print the result as JSON (tree, get)\n"
         "  -q, --quiet    show no log messages\n"
         "  --plugins      load the plug-in libraries and run the scripts FILE names;\n"
         "                 the default of exec, set and shell\n"
         "  --no-plugins   run none of FILE's code, only read it; the default of tree,\n"
         "                 state, info and get, so a look at a file runs nothing\n"
         "  -h, --help     show help and exit\n"
         "  --version      print the program's and the library's versions and exit\n";
}

void printOverview() {
  std::printf(
      "Usage: kivo [OPTIONS] COMMAND FILE [ARGUMENTS]\n\n"
      "Boots the configuration FILE, does one job, and stops.\n\nCommands:\n");
  for (const Subcommand& subcommand : kSubcommands) {
    std::printf("  %-6s %s\n", subcommand.name, subcommand.summary);
  }
  std::printf("\n%s\nRun 'kivo COMMAND --help' for the help of one command.\n",
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

void printVersion() {
  std::printf("kivo %s\n", KIVO_PROGRAM_VERSION);
  std::printf("libkivo %s (%s)\n", KivoUnit::LibraryVersion(), libraryFile().c_str());
  const KivoUnit::Kivo* kivo = KivoUnit::getKivo();
  const KivoUnit::_PluginInfo* info = kivo != nullptr ? kivo->plugin.info : nullptr;
  if (info == nullptr || info->version == nullptr || info->details == nullptr ||
      info->build == nullptr) {
    std::printf("library record: unavailable\n");
    return;
  }
  const KivoUnit::_PluginVersion& version = *info->version;
  std::printf("library record: %s %d.%d.%d.%d, interface %u, built %s\n",
              orUnknown(info->details->name), version.first, version.second, version.third,
              version.fourth, info->build->api, orUnknown(info->build->texts[0]));
}

}  // namespace KivoHost
