#include "packaging/Shell.h"

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace KivoTest {

ShellRun runShell(const std::string& folder, const std::string& commands) {
  const std::string script = "exec 2>&1\nset -e\ncd '" + folder + "'\n" + commands + "\n";
  ShellRun run;
  FILE* pipe = popen(script.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  size_t count = 0;
  while ((count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, count);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

bool showsBlock(const std::string& text, const std::string& block) {
  std::istringstream lines(block);
  std::string indented;
  for (std::string line; std::getline(lines, line);) {
    indented += line.empty() ? "\n" : "    " + line + "\n";
  }
  return text.find("\n" + indented) != std::string::npos;
}

std::string fileText(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace KivoTest
