#include "host/ShellLine.h"

#include <sys/wait.h>

#include <cstdlib>

namespace KivoTest {
namespace {

std::string shellWord(const std::string& text) {
  std::string word = "'";
  for (char c : text) word += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return word + "'";
}

}  // namespace

ProgramRun runShellLine(const std::string& line, const std::string& folder,
                        const std::string& environment, const std::string& input) {
  TempDir streams;
  const std::string in = streams.write("stdin", input);
  const std::string command = "cd " + shellWord(folder) + " && " + environment + " sh -c " +
                              shellWord(line) + " <" + shellWord(in) + " >" +
                              shellWord(streams.file("stdout")) + " 2>" +
                              shellWord(streams.file("stderr"));
  const int raw = std::system(command.c_str());
  ProgramRun run;
  run.status = raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = streams.read("stdout");
  run.err = streams.read("stderr");
  return run;
}

ProgramRun jq(const std::string& json, const std::string& filter) {
  TempDir folder;
  return runShellLine("jq -r " + shellWord(filter), folder.path(), "", json);
}

}  // namespace KivoTest
