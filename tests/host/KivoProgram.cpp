#include "host/KivoProgram.h"

#include <filesystem>

namespace KivoTest {

ProgramRun runKivo(const std::vector<std::string>& arguments, const std::string& input,
                   const std::string& folder, int timeLimit) {
  std::string command = shellWord(KIVO_PROGRAM);
  for (const std::string& argument : arguments) command += " " + shellWord(argument);
  const std::string limit = timeLimit > 0 ? "timeout -s KILL " + std::to_string(timeLimit) + " " : "";
  return runShell("exec " + limit + command, folder, "", input);
}

HostConfiguration::HostConfiguration() {
  const std::map<std::string, std::string> files = {
      {"main.xml", R"(<?xml version="1.0" encoding="UTF-8"?>
<node name="kivo" label="Test host">
  <node name="settings" label="Settings">
    <node name="window" width="800" height="600" visible="true"/>
    <node name="audio" label="Sound" volume="0.5"/>
  </node>
  <node name="locked" read_only="true" mode="fixed"/>
  <include filename="library.xml" create_file="true" create_node="node" create_node_name="library"/>
  <SymLink name="sound" symlink_target_path="/settings/audio"/>
</node>
)"},
      {"library.xml", R"(<?xml version="1.0" encoding="UTF-8"?>
<node name="library" label="Music" folder="~/Music">
  <node name="favourites" tracks="42" shuffle="true"/>
</node>
)"},
      {"notes.txt", "left alone\n"},
      {"plugins.xml", "<kivo name='kivo'><library name='example' filename='" KIVO_EXAMPLE_PLUGIN "'/>"
                      "<library name='idle' filename='absent' autostart='false'/><node name='plain'/></kivo>"},
      {"lua.xml", R"(<kivo name='kivo'><node name='plain'/><Lua name='broken' on_init='kivo.set("/plain", "x", 1) +'/>)"
                  R"(<node name='w'/><Lua name='l' on_init='kivo.set("/w", "x", 7)'/></kivo>)"},
      {"bad.xml", R"(<node name="kivo"><node name="a" x="1"></nod></node>)"},
      {"empty.xml", ""},
      {"broken.xml", R"(<node name="kivo"><include filename="absent.xml"/><node name="a"/></node>)"},
      {"lang.xml", R"x(<node name="kivo"><node name="settings" translatable_name="Settings (2)" width="3"/></node>)x"},
      {"de_DE.po", "msgid \"Settings\"\nmsgstr \"Einstellungen\"\n"},
      {"updated.xml", "<kivo name='kivo'><AutoUpdater name='AutoUpdater'/><node name='n' auto_update_interval='0.1'/></kivo>"},
      {"crash.xml", "<kivo name='kivo'><library name='crash' filename='" KIVO_CRASH_PLUGIN "'/></kivo>"},
      {"bare.xml", "<kivo name='kivo'><library name='planted' filename='libplanted.so'/></kivo>"}};
  for (const auto& [name, text] : files) m_Dir.write(name, text);
}

ProgramRun HostConfiguration::run(const std::string& line, const std::string& input) const {
  const std::string programFolder = std::filesystem::path(KIVO_PROGRAM).parent_path().string();
  return runShell(line, m_Dir.path(),
                  "PATH=" + shellWord(programFolder) + ":\"$PATH\" SRC=" + shellWord(KIVO_SOURCE_DIR) +
                      " BUILD=" + shellWord(KIVO_BUILD_DIR) + " PLUGIN=" + shellWord(KIVO_EXAMPLE_PLUGIN) +
                      " CRASH=" + shellWord(KIVO_CRASH_PLUGIN),
                  input);
}

}  // namespace KivoTest
