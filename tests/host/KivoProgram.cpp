#include "host/KivoProgram.h"

namespace KivoTest {

ProgramRun runKivo(const std::vector<std::string>& arguments, const std::string& input,
                   const std::string& folder, int timeLimit) {
  std::string command = shellWord(KIVO_PROGRAM);
  for (const std::string& argument : arguments) command += " " + shellWord(argument);
  const std::string limit = timeLimit > 0 ? "timeout -s KILL " + std::to_string(timeLimit) + " " : "";
  return runShell("exec " + limit + command, folder, "", input);
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

}  // namespace KivoTest
