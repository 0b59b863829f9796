#include "host/KivoProgram.h"

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace KivoTest {
namespace {

// One shell word, whatever it contains.
std::string shellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

ProgramRun runKivo(const std::vector<std::string>& arguments, const std::string& input,
                   int timeLimit) {
  TempDir streams;
  const std::string in = streams.write("stdin", input);
  std::string command = timeLimit > 0 ? "timeout -s KILL " + std::to_string(timeLimit) + " " : "";
  command += shellQuoted(KIVO_PROGRAM);
  for (const std::string& argument : arguments) command += " " + shellQuoted(argument);
  command += " <" + shellQuoted(in) + " >" + shellQuoted(streams.file("stdout")) + " 2>" +
             shellQuoted(streams.file("stderr"));
  const int raw = std::system(command.c_str());
  ProgramRun run;
  run.status = raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = streams.read("stdout");
  run.err = streams.read("stderr");
  return run;
}

size_t countLines(const std::string& text, const std::string& part) {
  std::istringstream lines(text);
  size_t count = 0;
  for (std::string line; std::getline(lines, line);) count += line.find(part) != std::string::npos;
  return count;
}

HostConfiguration::HostConfiguration() {
  m_Dir.write("main.xml",
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<node name=\"kivo\" label=\"Test host\">\n"
              "  <node name=\"settings\" label=\"Settings\">\n"
              "    <node name=\"window\" width=\"800\" height=\"600\" visible=\"true\"/>\n"
              "    <node name=\"audio\" label=\"Sound\" volume=\"0.5\"/>\n"
              "  </node>\n"
              "  <node name=\"locked\" read_only=\"true\" mode=\"fixed\"/>\n"
              "  <include filename=\"library.xml\" create_file=\"true\" create_node=\"node\" "
              "create_node_name=\"library\"/>\n"
              "  <SymLink name=\"sound\" symlink_target_path=\"/settings/audio\"/>\n"
              "</node>\n");
  m_Dir.write("library.xml",
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<node name=\"library\" label=\"Music\" folder=\"~/Music\">\n"
              "  <node name=\"favourites\" tracks=\"42\" shuffle=\"true\"/>\n"
              "</node>\n");
  m_Dir.write("notes.txt", "left alone\n");
}

std::vector<std::pair<std::string, std::string>> HostConfiguration::snapshot() const {
  std::vector<std::pair<std::string, std::string>> files;
  for (const auto& entry : std::filesystem::directory_iterator(m_Dir.path())) {
    const std::string name = entry.path().filename().string();
    files.emplace_back(name, m_Dir.read(name));
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace KivoTest
