#pragma once
// Where results and failures go: results to standard output, failures as one
// "kivo: ..." line to standard error.
#include <string>

namespace KivoHost {

enum ExitCode : int { ExitOk = 0, ExitFailure = 1, ExitUsage = 2 };

// Writes `text` and a line end to standard output.
void printLine(const std::string& text);
// Writes `text` as it is to standard output.
void printText(const std::string& text);
// Writes "kivo: <message>" to standard error and returns ExitFailure.
int fail(const std::string& message);
// Writes "kivo: <message>" to standard error about a run that still succeeds.
void notice(const std::string& message);
// Writes "kivo: <message>" and a pointer to the help, returns ExitUsage.
int usageError(const std::string& message, const std::string& helpCommand);
// The text in single quotes, as paths and files are named in messages.
std::string quoted(const std::string& text);

}  // namespace KivoHost
