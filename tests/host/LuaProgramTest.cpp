// "kivo lua": scripts run on a Lua node of the booted tree.
#include <gtest/gtest.h>

#include "host/KivoProgram.h"

namespace KivoTest {
namespace {

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

// A look at a configuration runs none of its scripts unless asked to.
TEST(KivoLua, ReadingCommandsRunScriptsOnlyWithPlugins) {
  TempDir dir;
  const std::string file = dir.write(
      "lua.xml", "<kivo name='kivo'><node name='w'/><Lua name='l' on_init='kivo.set(\"/w\", \"x\", 7)'/></kivo>");
  EXPECT_EQ(runKivo({"get", "--plugins", file, "/w", "x"}).out, "7\n");
  const ProgramRun look = runKivo({"--log-level", "1", "get", file, "/w", "x"});
  EXPECT_EQ(look.status, 1);
  EXPECT_EQ(look.out, "");
  EXPECT_EQ(countLines(look.err, "Warning: Did not run the scripts of '/kivo/l': the host runs no plug-in code"), 1u)
      << look.err;
}

}  // namespace
}  // namespace KivoTest
