// The "kivo" table: scripts reading, changing and commanding the tree they live in.
#include <lua.hpp>

#include "kivo/thread/KivoLocker.h"
#include "lua/LuaFixture.h"
#include "support/StdoutCapture.h"

using namespace KivoUnit;

namespace {

const std::string kConfiguration =
    "<kivo name='kivo'>"
    " <node name='settings'>"
    "  <node name='window' width='800' height='600' title='Main'/>"
    "  <node name='audio' label='Sound' volume='0.5'/>"
    "  <node name='my item' colour='red'/>"
    " </node>"
    " <echo name='echo'/>"
    " <Lua name='script' on_init=\""
    "local w = kivo.get('../settings/window', 'width');"
    " kivo.set('/settings/window', 'area', w * kivo.get('/settings/window', 'height'));"
    " kivo.set('/settings/audio', 'children', table.concat(kivo.children('/settings'), ','))\"/>"
    "</kivo>";

class LuaTreeTest : public KivoTest::LuaTest {
 protected:
  void SetUp() override {
    LuaTest::SetUp();
    node = boot(kConfiguration);
    ASSERT_NE(node, nullptr);
  }
  // What `script` prints while this thread holds the tree lock.
  std::string locked(const std::string& script) {
    KivoLocker guard(__LINE__, __FILE__, __func__, wxS("lua tree test"));
    return run(*node, script);
  }
  wxString attribute(const wxString& path, const wxString& name) {
    return base->Search(path)->getAttribute(name, wxS("<missing>"));
  }

  LuaNode* node = nullptr;
};

TEST_F(LuaTreeTest, BootScriptReadsAndWritesTheTreeUnderTheBootsLock) {
  EXPECT_EQ(attribute(wxS("/settings/window"), wxS("area")), wxS("480000"));
  EXPECT_EQ(attribute(wxS("/settings/audio"), wxS("children")), wxS("window,audio,my item"));
  EXPECT_EQ(node->getLastError(), wxS(""));
  EXPECT_EQ(warnings(), "");
}

TEST_F(LuaTreeTest, FunctionsAnswerValuesOrNilAndAMessage) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"kivo_log(kivo.get('/settings/window', 'title'))", "LUA: Main\n"},
      {"kivo_log(kivo.get('/kivo/settings/audio', 'volume') * 2)", "LUA: 1\n"},
      {"local a = kivo.get('../settings/window') kivo_log(a.width, a.height, a.name)",
       "LUA: 800\nLUA: 600\nLUA: window\n"},
      {"kivo_log(kivo.get('/settings/my item', 'colour'))", "LUA: red\n"},
      {"kivo_log(kivo.get('/settings/missing', 'title'))",
       "LUA: nil\nLUA: no node at '/settings/missing'\n"},
      {"kivo_log(kivo.get('/settings/window', 'depth'))",
       "LUA: nil\nLUA: no attribute 'depth' at '/settings/window'\n"},
      {"kivo_log(kivo.set('/settings/window', 'depth', 3))", "LUA: true\n"},
      {"kivo_log(kivo.set('/settings/window', 'visible', false), kivo.get('/settings/window', 'visible'))",
       "LUA: true\nLUA: false\n"},
      {"kivo_log(kivo.set('/nowhere', 'a', 1))", "LUA: nil\nLUA: no node at '/nowhere'\n"},
      {"kivo_log(kivo.set('/settings', '', 1))", "LUA: nil\nLUA: empty attribute name\n"},
      {"kivo_log(table.concat(kivo.children('/'), ','))", "LUA: settings,echo,script,current\n"},
      {"kivo_log(#kivo.children('/settings/window'), kivo.children('/x'))",
       "LUA: 0\nLUA: nil\nLUA: no node at '/x'\n"},
      {"kivo_log(kivo.exists('/settings/window'), kivo.exists('../settings/nothing'))",
       "LUA: true\nLUA: false\n"},
      {"kivo_log(kivo.exec('/echo', 'play', 'track=2'), kivo.exec('../echo', 'stop'))",
       "LUA: play?track=2\nLUA: stop?\n"},
      {"kivo_log(kivo.exec('/settings', 'play'))", "LUA: \n"},
      {"kivo_log(kivo.exec('/none', 'play'))", "LUA: nil\nLUA: no node at '/none'\n"},
      // Wrong argument types are Lua errors that the script can catch.
      {"kivo_log(pcall(kivo.get))",
       "LUA: false\nLUA: bad argument #1 to 'kivo.get' (string expected, got no value)\n"},
      {"kivo_log(pcall(kivo.set, '/settings', 'a', {}))",
       "LUA: false\nLUA: bad argument #3 to 'kivo.set' (string, number or boolean expected)\n"},
      {"kivo_log(pcall(kivo.log, 9, 'x'))",
       "LUA: false\nLUA: bad argument #1 to 'kivo.log' (level 0 to 6 expected)\n"},
  };
  for (const auto& [script, printed] : cases) {
    EXPECT_EQ(locked(script), printed) << script;
    EXPECT_EQ(lua_gettop(node->getState()), 0) << script;
  }
  EXPECT_EQ(attribute(wxS("/settings/window"), wxS("depth")), wxS("3"));
  EXPECT_EQ(warnings(), "");
}

TEST_F(LuaTreeTest, LogGoesToTheTracerWithTheScriptsChunkAndLine) {
  log.clear();
  locked("local x = 1\nkivo.log(4, 'careful ' .. x)\nkivo.log(0, {} ~= nil)");
  std::string seen;
  for (const PoolMessage& m : log.messages()) {
    seen += std::to_string(m.level) + " " + m.message.utf8_string() + " " + m.file.utf8_string() + ":" +
            std::to_string(m.line) + " " + m.function.utf8_string() + "\n";
  }
  EXPECT_EQ(seen, "4 careful 1 [string \"local x = 1...\"]:2 kivo.log\n"
                  "0 true [string \"local x = 1...\"]:3 kivo.log\n");
}

TEST_F(LuaTreeTest, ExitScriptSeesTheTreeAtShutdown) {
  node->setOnExit(wxS("kivo_log(kivo.get('/settings/window', 'area'), kivo.exists('/echo'))"));
  KivoTest::StdoutCapture output;
  {
    KivoLocker guard(__LINE__, __FILE__, __func__, wxS("lua tree test"));
    base->Shutdown();  // newest first: the echo node is older than the script
  }
  EXPECT_EQ(output.take(), "LUA: 480000\nLUA: true\n");
}

}  // namespace
