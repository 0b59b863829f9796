#pragma once
// The interactive shell on the booted tree.
#include <string>
#include <vector>

namespace KivoHost {

// Runs commands until "quit" or the end of input. From a terminal it uses GNU
// readline (line editing, history, completion of node paths); otherwise it reads
// standard input without prompts and fails when any command failed.
int runShell();

// Splits a command line into words; double or single quotes group, "\" escapes.
std::vector<std::string> splitWords(const std::string& line);

}  // namespace KivoHost
