#include "Output.h"

#include <cstdio>

namespace KivoHost {

void printLine(const std::string& text) {
  std::fputs(text.c_str(), stdout);
  std::fputc('\n', stdout);
}

void printText(const std::string& text) { std::fputs(text.c_str(), stdout); }

int fail(const std::string& message) {
  notice(message);  // flushes first: results and failures stay in order on a terminal
  return ExitFailure;
}

void notice(const std::string& message) {
  std::fflush(stdout);
  std::fprintf(stderr, "kivo: %s\n", message.c_str());
}

int usageError(const std::string& message, const std::string& helpCommand) {
  std::fflush(stdout);
  std::fprintf(stderr, "kivo: %s (try '%s --help')\n", message.c_str(), helpCommand.c_str());
  return ExitUsage;
}

std::string quoted(const std::string& text) { return "'" + text + "'"; }

}  // namespace KivoHost
