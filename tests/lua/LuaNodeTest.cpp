// The Lua node's life: opening, restarting and closing its interpreter, the
// scripts it runs, what "kivo_log" prints and what failures leave behind.
#include <algorithm>

#include <lua.hpp>

#include <tinyxml.h>

#include "lua/LuaFixture.h"
#include "support/StdoutCapture.h"

using namespace KivoUnit;
using KivoTest::StdoutCapture;
using namespace std::string_literals;

namespace {

using LuaNodeTest = KivoTest::LuaTest;

TEST_F(LuaNodeTest, EmptyScriptsOpenTheInterpreterAndAreWrittenBack) {
  const std::string xml = "<kivo name=\"kivo\">\n\t<Lua name=\"script\" />\n</kivo>\n";
  StdoutCapture output;
  LuaNode* node = boot(xml);
  ASSERT_NE(node, nullptr);
  EXPECT_NE(node->getState(), nullptr);
  EXPECT_EQ(node->getClassTag(), wxS("xml.element.inode.LUA"));
  EXPECT_EQ(output.take(), "");
  EXPECT_EQ(warnings(), "");

  // Both scripts are the node's attributes even when empty; the element drops
  // empty attributes as it does for every node.
  node->setAttribute(wxS("on_init"), wxS("stale"));
  node->writeAttributes();
  EXPECT_TRUE(node->hasAttribute(wxS("on_init")));
  EXPECT_TRUE(node->hasAttribute(wxS("on_exit")));
  EXPECT_EQ(node->getAttribute(wxS("on_init"), wxS("?")), wxS(""));
  node->setOnExit(wxS("kivo_log(1)"));
  EXPECT_TRUE(node->Write());
  ASSERT_NE(node->getTie(), nullptr);
  EXPECT_STREQ(node->getTie()->Attribute("on_exit"), "kivo_log(1)");
  EXPECT_EQ(node->getTie()->Attribute("on_init"), nullptr);
}

TEST_F(LuaNodeTest, InitRestartsTheInterpreterRunningOnExitThenOnInit) {
  StdoutCapture output;
  LuaNode* node = boot(
      "<kivo name='kivo'><Lua name='script' on_init='kivo_log(\"init\")'"
      " on_exit='kivo_log(\"exit\")'/></kivo>");
  ASSERT_NE(node, nullptr);
  EXPECT_TRUE(node->Init());
  EXPECT_NE(node->getState(), nullptr);
  EXPECT_EQ(lua_gettop(node->getState()), 0);
  EXPECT_EQ(output.take(), "LUA: init\nLUA: exit\nLUA: init\n");

  StdoutCapture closing;
  node->close();
  node->exitLua();  // nothing left to close
  EXPECT_EQ(closing.take(), "LUA: exit\n");
  EXPECT_EQ(node->getState(), nullptr);
}

TEST_F(LuaNodeTest, NothingRunsWithoutAnInterpreter) {
  const std::string file = dir.write("print.lua", "kivo_log('file')\n");
  LuaNode node(nullptr, wxS("Lua"));  // not under the base: Init cannot open anything
  node.setOnExit(wxS("kivo_log('exit')"));
  StdoutCapture output;
  node.runLuaScript(wxS("kivo_log('script')"));
  node.runLuaFile(wxString::FromUTF8(file.c_str()));
  node.loadLibraries();
  node.registerFunctions();
  EXPECT_FALSE(node.Init());
  node.exitLua();
  EXPECT_EQ(output.take(), "");
  EXPECT_EQ(node.getState(), nullptr);
  EXPECT_EQ(node.getLastError(), wxS(""));
}

TEST_F(LuaNodeTest, KivoLogPrintsEveryArgumentReadably) {
  LuaNode* node = boot("<kivo name='kivo'><Lua name='script'/></kivo>");
  ASSERT_NE(node, nullptr);
  const std::string printed = run(*node, "kivo_log('a', 1, 2.5, nil, true, false, 'x\\0y') kivo_log()");
  EXPECT_EQ(printed, "LUA: a\nLUA: 1\nLUA: 2.5\nLUA: nil\nLUA: true\nLUA: false\nLUA: x\0y\n"s);
  EXPECT_EQ(run(*node, "kivo_log({})").rfind("LUA: table: 0x", 0), 0u);
  EXPECT_EQ(run(*node, "kivo_log(setmetatable({}, {__tostring = function() return 'T' end}))"),
            "LUA: T\n");
  // Standard output stays usable for everybody else.
  StdoutCapture after;
  std::printf("plain %d\n", 1);
  EXPECT_EQ(after.take(), "plain 1\n");
}

TEST_F(LuaNodeTest, FailuresAtEveryEntryPointAreWarnedWithChunkAndLine) {
  StdoutCapture quiet;
  LuaNode* node = boot("<kivo name='kivo'><Lua name='script' on_init='kivo_log('/></kivo>");
  EXPECT_EQ(quiet.take(), "");
  ASSERT_NE(node, nullptr);
  EXPECT_TRUE(node->isInitialized()) << "a script that does not compile changes no result";
  EXPECT_NE(node->getState(), nullptr);
  EXPECT_EQ(warnings(),
            "Lua on_init script of [Lua:script:script] @ '/kivo/script' failed: "
            "[string \"kivo_log(\"]:1: unexpected symbol near <eof>\n");

  const std::string broken = dir.write("broken.lua", "local a = 1\nerror('bad file')\n");
  const std::string missing = dir.file("missing.lua");
  struct Case {
    std::string what;
    std::string script;  // run as text unless `file` is set
    std::string file;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"script", "error('boom')", "", "[string \"error('boom')\"]:1: boom"},
      {"script", "local t = nil\nreturn t.x", "",
       "[string \"local t = nil...\"]:2: attempt to index local 't' (a nil value)"},
      {"script", "error({})", "", "(error object is a table value)"},
      {"script file '" + broken + "'", "", broken, broken + ":2: bad file"},
      {"script file '" + missing + "'", "", missing, "cannot open " + missing + ": No such file or directory"},
  };
  for (const Case& c : cases) {
    log.clear();
    if (c.file.empty()) {
      node->runLuaScript(wxString::FromUTF8(c.script.c_str()));
    } else {
      node->runLuaFile(wxString::FromUTF8(c.file.c_str()));
    }
    EXPECT_EQ(node->getLastError().utf8_string(), c.message) << c.what;
    EXPECT_EQ(warnings(), "Lua " + c.what +
                              " of [Lua:script:script] @ '/kivo/script' failed: " + c.message + "\n");
    EXPECT_EQ(lua_gettop(node->getState()), 0) << c.what;
  }
  node->runLuaScript(wxS("return 1"));
  EXPECT_EQ(node->getLastError(), wxS("")) << "a run that works clears the last failure";

  log.clear();
  node->setOnExit(wxS("error('late')"));
  node->exitLua();
  EXPECT_EQ(warnings(), "Lua on_exit script of [Lua:script:script] @ '/kivo/script' failed: "
                        "[string \"error('late')\"]:1: late\n");
}

TEST_F(LuaNodeTest, TheStackNeverGrowsAndMemoryStaysFlat) {
  LuaNode* node = boot("<kivo name='kivo'><Lua name='script'/></kivo>");
  ASSERT_NE(node, nullptr);
  Application::getApp().setLogLevel(AppLogErrors);  // 50,000 warnings are not the point here
  lua_State* state = node->getState();
  const wxString scripts[] = {wxS("return 1, 'two', {}, kivo.get('/missing')"),
                              wxS("error('failed run')"), wxS("syntax error here"),
                              wxS("return ...")};
  const int runs = 100000;
  int memoryAfterWarmUp = 0;
  int deepest = 0;
  for (int i = 0; i < runs; ++i) {
    node->runLuaScript(scripts[i % 4]);
    deepest = std::max(deepest, lua_gettop(state));
    if (i == 1000) {
      lua_gc(state, LUA_GCCOLLECT, 0);
      memoryAfterWarmUp = lua_gc(state, LUA_GCCOUNT, 0);
    }
  }
  lua_gc(state, LUA_GCCOLLECT, 0);
  EXPECT_EQ(deepest, 0);
  EXPECT_LE(lua_gc(state, LUA_GCCOUNT, 0), memoryAfterWarmUp + 1) << "kilobytes in use";
}

}  // namespace
