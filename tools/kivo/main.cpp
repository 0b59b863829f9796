// The kivo host program: boots a configuration, does one job, and stops.
#include <unistd.h>

#include <cstdio>

#include "Arguments.h"
#include "CodePolicy.h"
#include "HostSession.h"
#include "Labels.h"
#include "LogPrinter.h"
#include "Output.h"
#include "Subcommands.h"

namespace {

using namespace KivoHost;

// Help, version and usage errors: everything decided before the library starts.
// Help and version win wherever they stand; the argument parser kept only the first.
bool answerWithoutBooting(const Arguments& arguments, const Subcommand* subcommand, int& code) {
  code = ExitOk;
  if (arguments.version) {
    printVersion();
  } else if (arguments.help && subcommand != nullptr) {
    printSubcommandHelp(*subcommand);
  } else if (arguments.help || arguments.command.empty()) {
    printOverview();
    if (!arguments.help) code = usageError("no command given", "kivo");
  } else if (subcommand == nullptr) {
    code = usageError("unknown command " + quoted(arguments.command), "kivo");
  } else if (arguments.json && !subcommand->takesJson) {
    code = usageError(std::string("--json is not offered by ") + subcommand->name,
                      std::string("kivo ") + subcommand->name);
  } else if (arguments.operands.size() < subcommand->minOperands) {
    code = usageError(arguments.operands.empty() ? "missing FILE" : "missing arguments",
                      std::string("kivo ") + subcommand->name);
  } else if (arguments.operands.size() > subcommand->maxOperands) {
    code = usageError("too many arguments", std::string("kivo ") + subcommand->name);
  } else {
    return false;
  }
  return true;
}

int bootAndRun(const Arguments& arguments, const Subcommand& subcommand) {
  LogPrinter log(arguments.quiet, isatty(STDERR_FILENO) != 0);
  HostSession session(log);
  std::string error;
  SessionSettings settings;
  settings.configuration = arguments.operands[0];
  settings.addonsFolder = arguments.addonsFolder;
  settings.logLevel = arguments.logLevel;
  settings.runConfigurationCode = runsConfigurationCode(arguments.command, arguments.plugins);
  if (!session.start(settings, error)) return fail(error);
  const std::string command = subcommand.name;
  if ((command == "tree" || command == "get") &&
      !showTranslatedLabels({arguments.language, arguments.catalogsFolder, settings.configuration},
                            error)) {
    session.stop();
    return usageError(error, "kivo");
  }
  const int code = subcommand.run(arguments);
  std::fflush(stdout);
  session.stop();
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  Arguments arguments;
  std::string error;
  if (!parseArguments(argc, argv, arguments, error)) return usageError(error, "kivo");
  const Subcommand* subcommand = findSubcommand(arguments.command);
  int code = ExitOk;
  if (answerWithoutBooting(arguments, subcommand, code)) return code;
  return bootAndRun(arguments, *subcommand);
}
