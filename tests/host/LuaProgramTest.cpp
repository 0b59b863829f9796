// "kivo lua": scripts run on a Lua node of the booted tree, and the README's lines.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/KivoProgram.h"

namespace KivoTest {
namespace {

std::string fileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs `line` with sh in the source folder, the built kivo first on the PATH;
// the exit status and standard output.
std::pair<int, std::string> runAsWritten(const std::string& line) {
  const std::string folder = std::filesystem::path(KIVO_PROGRAM).parent_path().string();
  const std::string command = "cd '" KIVO_SOURCE_DIR "' && PATH='" + folder + "':\"$PATH\" " + line;
  std::FILE* pipe = popen(command.c_str(), "r");
  std::string out;
  char buffer[512];
  for (size_t n; pipe != nullptr && (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
    out.append(buffer, n);
  }
  const int raw = pipe != nullptr ? pclose(pipe) : -1;
  return {raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, out};
}

TEST(KivoLua, TheDocumentedLinesRunAsWritten) {
  const std::string example = fileText(KIVO_SOURCE_DIR "/examples/layout.xml");
  const std::string documents = fileText(KIVO_SOURCE_DIR "/README.md") +
                                fileText(KIVO_SOURCE_DIR "/examples/README.md");
  const std::vector<std::pair<std::string, std::string>> lines = {
      {"kivo lua examples/layout.xml /layout 'kivo_log(kivo.get(\"/window\", \"width\"), "
       "kivo.get(\"/window\", \"height\"))'",
       "LUA: 1800\nLUA: 540\n"},
      {"kivo lua examples/layout.xml /layout 'kivo_log(table.concat(kivo.children(\"/\"), \" \"))'",
       "LUA: screen window layout current\n"},
      {"kivo get examples/layout.xml /window width", "1800\n"},
  };
  for (const auto& [line, printed] : lines) {
    EXPECT_NE(documents.find("    " + line + "\n"), std::string::npos) << "documented: " << line;
    EXPECT_EQ(runAsWritten(line), std::make_pair(0, printed)) << line;
  }
  EXPECT_EQ(fileText(KIVO_SOURCE_DIR "/examples/layout.xml"), example) << "nothing is saved";
}

TEST(KivoLua, FailuresNameTheNodeOrTheLuaMessage) {
  TempDir dir;
  const std::string file = dir.write(
      "lua.xml",
      "<kivo name='kivo'><node name='plain'/>"
      "<Lua name='broken' on_init='kivo.set(\"/plain\", \"x\", 1) +'/></kivo>");
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"lua", file, "/plain", "x = 1"}, "kivo: '/plain' is not a Lua node\n"},
      {{"lua", file, "/nothing", "x = 1"}, "kivo: no node at '/nothing'\n"},
      {{"lua", file, "/broken", "kivo_log(1"},
       "kivo: [string \"kivo_log(1\"]:1: ')' expected near <eof>\n"},
      {{"lua", file, "broken", "error('stop')"}, "kivo: [string \"error('stop')\"]:1: stop\n"},
  };
  for (const auto& [arguments, error] : cases) {
    const ProgramRun run = runKivo(arguments);
    EXPECT_EQ(run.status, 1) << arguments[2];
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, error);
  }

  // The on_init that did nothing says why once warnings are shown.
  const ProgramRun run = runKivo({"--log-level", "1", "lua", file, "/broken", "kivo_log(kivo.exists('/plain'))"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "LUA: true\n");
  EXPECT_EQ(countLines(run.err, "Warning: Lua on_init script of [Lua:broken:broken] @ '/kivo/broken' "
                                "failed: [string \"kivo.set(\"/plain\", \"x\", 1) +\"]:1: "
                                "unexpected symbol near '+'"),
            1u)
      << run.err;
}

}  // namespace
}  // namespace KivoTest
