#include "support/Shell.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/TempDir.h"

namespace KivoTest {

std::string shellWord(const std::string& text) {
  std::string word = "'";
  for (char c : text) word += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return word + "'";
}

ProgramRun runShell(const std::string& line, const std::string& folder,
                    const std::string& environment, const std::string& input) {
  TempDir streams;
  const std::string in = streams.write("stdin", input);
  const std::string command = (folder.empty() ? "" : "cd " + shellWord(folder) + " && ") +
                              environment + " sh -c " + shellWord(line) + " <" + shellWord(in) +
                              " >" + shellWord(streams.file("stdout")) + " 2>" +
                              shellWord(streams.file("stderr"));
  const int raw = std::system(command.c_str());
  ProgramRun run;
  run.status = raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = streams.read("stdout");
  run.err = streams.read("stderr");
  return run;
}

std::string fileText(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::map<std::string, std::string> filesBelow(const std::string& folder) {
  namespace fs = std::filesystem;
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) {
      files[fs::relative(entry.path(), folder).string()] = fileText(entry.path().string());
    }
  }
  return files;
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

size_t countLines(const std::string& text, const std::string& part) {
  std::istringstream lines(text);
  size_t count = 0;
  for (std::string line; std::getline(lines, line);) count += line.find(part) != std::string::npos;
  return count;
}

}  // namespace KivoTest
