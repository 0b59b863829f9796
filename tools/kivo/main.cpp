// The kivo host program: boots a configuration, does one job, and stops.
#include <unistd.h>

#include <cstdio>

#include "Arguments.h"
#include "CodePolicy.h"
#include "HostSession.h"
#include "LogPrinter.h"
#include "Output.h"
#include "Subcommands.h"
#include "kivo/base/Version.h"

namespace {

using namespace KivoHost;

// Help, version and usage errors: everything decided before the library starts.
bool answerWithoutBooting(const Arguments& arguments, const Subcommand* subcommand, int& code) {
  code = ExitOk;
  if (arguments.version && arguments.command.empty()) {
    std::printf("kivo %s\n", KivoUnit::LibraryVersion());
  } else if (arguments.command.empty()) {
    printOverview();
    code = arguments.help ? ExitOk : usageError("no command given", "kivo");
  } else if (subcommand == nullptr) {
    code = usageError("unknown command " + quoted(arguments.command), "kivo");
  } else if (arguments.help) {
    printSubcommandHelp(*subcommand);
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
  const int code = subcommand.run(arguments.operands);
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
