// The Lua node: its interpreter's life, the scripts it runs, what "kivo_log" prints,
// the "kivo" table scripts use on the tree, and what failures leave behind.
#include <algorithm>

#include <lua.hpp>
#include <tinyxml.h>

#include "kivo/lua/LuaNode.h"
#include "kivo/thread/KivoLocker.h"
#include "support/NodeFixture.h"
#include "support/StdoutCapture.h"
#include "support/TempDir.h"

using namespace KivoUnit;
using namespace KivoTest;
using namespace std::string_literals;

namespace {

// Nodes of element "echo" answer every command with "command?params".
struct EchoNode : TestNode {
  EchoNode() : TestNode(wxS("echo")) {}
  wxString Execute(const wxString& command, const wxString& params) override {
    return command + wxS("?") + params;
  }
};
struct EchoFactory : TestFactory {
  EchoFactory() : TestFactory(wxS("Echo"), {wxS("echo")}) {}
  iNode* Create(const wxString& element, TiXmlElement* xml, iNode*) override {
    return Read(element, new EchoNode(), xml);
  }
};

// A base booted from a configuration written for the test, with "echo" nodes.
class LuaTest : public BaseTest {
 protected:
  void SetUp() override {
    BaseTest::SetUp();
    echo = std::make_unique<EchoFactory>();
  }
  void TearDown() override {
    shutdown();
    echo->destroy();
    BaseTest::TearDown();
  }
  void shutdown() {
    KivoLocker guard(__LINE__, __FILE__, __func__, wxS("lua test"));
    base->Shutdown();
  }
  // What the node prints while running `script` under the tree lock.
  std::string run(const std::string& script) {
    KivoLocker guard(__LINE__, __FILE__, __func__, wxS("lua test run"));
    StdoutCapture output;
    node->runLuaScript(wxString::FromUTF8(script));
    return output.take();
  }
  // The warnings the tracer received, one per line.
  std::string warnings() const {
    std::string lines;
    for (const PoolMessage& m : log.messages())
      if (m.level == LevelWarning) lines += m.message.utf8_string() + "\n";
    return lines;
  }

  LogCapture log;
  TempDir dir;
  std::unique_ptr<EchoFactory> echo;
  LuaNode* node = nullptr;
};

TEST_F(LuaTest, ScriptsRunOrWarnReadChangeAndCommandTheTreeAndTheStackNeverGrows) {
  const std::string config = dir.write("config.xml",
      "<kivo name='kivo'><node name='ui'><node name='window' width='800' height='600' title='Main'/>"
      "<node name='audio' label='Sound' volume='0.5'/></node>"
      "<echo name='echo'/><Lua name='script' on_init=\"local w = kivo.get('../ui/window', 'width');"
      " kivo.set('/ui/window', 'area', w * kivo.get('/ui/window', 'height'));"
      " kivo.set('/ui/audio', 'children', table.concat(kivo.children('/ui'), ','))\"/></kivo>");
  StdoutCapture output;
  {  // hosts boot holding the tree lock; the boot script runs under it
    KivoLocker guard(__LINE__, __FILE__, __func__, wxS("lua test boot"));
    ASSERT_TRUE(guard.Write() != nullptr && base->Boot(wxString::FromUTF8(config)));
  }
  ASSERT_NE(node = dynamic_cast<LuaNode*>(base->Search(wxS("/script"))), nullptr);
  EXPECT_EQ(node->getClassTag(), wxS("xml.element.inode.LUA"));
  EXPECT_EQ(output.take() + warnings(), "");
  const auto attribute = [&](const wxString& path, const wxString& name) {
    return base->Search(path)->getAttribute(name, wxS("<missing>"));
  };
  EXPECT_EQ(attribute(wxS("/ui/window"), wxS("area")) + wxS(" ") +
                attribute(wxS("/ui/audio"), wxS("children")),
            wxS("480000 window,audio"));
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"kivo_log('a', 1, 2.5, nil, true, false, 'x\\0y') kivo_log()",
       "LUA: a\nLUA: 1\nLUA: 2.5\nLUA: nil\nLUA: true\nLUA: false\nLUA: x\0y\n"s},
      {"kivo_log(kivo.get('/ui/window', 'title'), kivo.get('/kivo/ui/audio', 'volume') * 2)",
       "LUA: Main\nLUA: 1\n"},
      {"local a = kivo.get('../ui/window') kivo_log(a.width, a.height, a.name)",
       "LUA: 800\nLUA: 600\nLUA: window\n"},
      {"kivo_log(kivo.get('/ui/missing', 'title'))", "LUA: nil\nLUA: no node at '/ui/missing'\n"},
      {"kivo_log(kivo.get('/ui/window', 'depth'))", "LUA: nil\nLUA: no attribute 'depth' at '/ui/window'\n"},
      {"kivo_log(kivo.set('/ui/window', 'depth', 3))", "LUA: true\n"},
      {"kivo_log(kivo.set('/ui', 'on', false), kivo.get('/ui', 'on'))", "LUA: true\nLUA: false\n"},
      {"kivo_log(kivo.set('/nowhere', 'a', 1))", "LUA: nil\nLUA: no node at '/nowhere'\n"},
      {"kivo_log(kivo.set('/ui', '', 1))", "LUA: nil\nLUA: empty attribute name\n"},
      {"kivo_log(table.concat(kivo.children('/'), ','))", "LUA: ui,echo,script,current\n"},
      {"kivo_log(#kivo.children('/echo'), kivo.children('/x'))", "LUA: 0\nLUA: nil\nLUA: no node at '/x'\n"},
      {"kivo_log(kivo.exists('/ui/window'), kivo.exists('../ui/nothing'))", "LUA: true\nLUA: false\n"},
      {"kivo_log(kivo.exec('/echo', 'play', 'track=2'), kivo.exec('../echo', 'stop'))",
       "LUA: play?track=2\nLUA: stop?\n"},
      {"kivo_log(kivo.exec('/ui', 'play'))", "LUA: \n"},
      {"kivo_log(kivo.exec('/none', 'play'))", "LUA: nil\nLUA: no node at '/none'\n"},
      // Wrong argument types are Lua errors that the script can catch.
      {"kivo_log(pcall(kivo.get))",
       "LUA: false\nLUA: bad argument #1 to 'kivo.get' (string expected, got no value)\n"},
      {"kivo_log(pcall(kivo.set, '/ui', 'a', {}))",
       "LUA: false\nLUA: bad argument #3 to 'kivo.set' (string, number or boolean expected)\n"},
      {"kivo_log(pcall(kivo.log, 9, 'x'))",
       "LUA: false\nLUA: bad argument #1 to 'kivo.log' (level 0 to 6 expected)\n"}};
  for (const auto& [script, printed] : cases) {
    EXPECT_EQ(run(script), printed) << script;
    EXPECT_EQ(lua_gettop(node->getState()), 0) << script;
  }
  EXPECT_EQ(attribute(wxS("/ui/window"), wxS("depth")), wxS("3"));
  EXPECT_EQ(node->getLastError() + wxString::FromUTF8(warnings()), wxS(""));

  // kivo.log reaches the tracer with the script's chunk and line.
  log.clear();
  run("local x = 1\nkivo.log(4, 'careful ' .. x)\nkivo.log(0, {} ~= nil)");
  wxString seen;
  for (const PoolMessage& m : log.messages())
    seen += wxString::Format(wxS("%d %s %s:%u %s\n"), m.level, m.message, m.file, m.line, m.function);
  EXPECT_EQ(seen, "4 careful 1 [string \"local x = 1...\"]:2 kivo.log\n"
                  "0 true [string \"local x = 1...\"]:3 kivo.log\n");

  const std::string of = " of [Lua:script:script] @ '/kivo/script' failed: ";
  const std::string broken = dir.write("broken.lua", "local a = 1\nerror('bad file')\n");
  const std::string missing = dir.file("missing.lua");
  const std::vector<std::tuple<std::string, bool, std::string>> failures = {
      {"error('boom')", false, "[string \"error('boom')\"]:1: boom"},
      {"local t = nil\nreturn t.x", false,
       "[string \"local t = nil...\"]:2: attempt to index local 't' (a nil value)"},
      {"error({})", false, "(error object is a table value)"},
      {broken, true, broken + ":2: bad file"},
      {missing, true, "cannot open " + missing + ": No such file or directory"}};
  for (const auto& [source, isFile, message] : failures) {
    SCOPED_TRACE(source);
    log.clear();
    if (isFile) node->runLuaFile(wxString::FromUTF8(source));
    else node->runLuaScript(wxString::FromUTF8(source));
    EXPECT_EQ(node->getLastError().utf8_string(), message);
    EXPECT_EQ(warnings(), "Lua script" + (isFile ? " file '" + source + "'" : "") + of + message + "\n");
    EXPECT_EQ(lua_gettop(node->getState()), 0);
  }
  node->runLuaScript(wxS("return 1"));
  EXPECT_EQ(node->getLastError(), wxS("")) << "a run that works clears the last failure";

  // Both scripts are attributes even when empty; the element drops empty ones as for every node.
  node->setOnInit(wxS(""));
  node->setAttribute(wxS("on_init"), wxS("stale"));
  node->setOnExit(wxS("kivo_log('exit')"));
  EXPECT_TRUE(node->Write());
  ASSERT_NE(node->getTie(), nullptr);
  EXPECT_STREQ(node->getTie()->Attribute("on_exit"), "kivo_log('exit')");
  EXPECT_EQ(node->getTie()->Attribute("on_init"), nullptr);

  // Init restarts the interpreter: on_exit, then on_init; failing scripts change no result.
  node->setOnInit(wxS("kivo_log('init')"));
  StdoutCapture restart;
  EXPECT_TRUE(node->Init());
  EXPECT_EQ(lua_gettop(node->getState()), 0);
  node->setOnExit(wxS("error('late')"));
  node->setOnInit(wxS("kivo_log("));
  log.clear();
  EXPECT_TRUE(node->Init());
  EXPECT_EQ(warnings(), "Lua on_exit script" + of + "[string \"error('late')\"]:1: late\n"
                        "Lua on_init script" + of + "[string \"kivo_log(\"]:1: unexpected symbol near <eof>\n");
  node->setOnExit(wxS("kivo_log('exit')"));
  node->close();
  EXPECT_EQ(restart.take(), "LUA: exit\nLUA: init\nLUA: exit\n");
  EXPECT_EQ(node->getState(), nullptr);
  EXPECT_TRUE(node->Init()) << "a closed node opens again";

  // Not under the base, Init cannot open an interpreter and nothing runs.
  LuaNode alone(nullptr, wxS("Lua"));
  StdoutCapture nothing;
  alone.runLuaScript(wxS("kivo_log('script')"));
  alone.runLuaFile(wxS("/no/such/file.lua"));
  EXPECT_FALSE(alone.Init());
  EXPECT_TRUE(nothing.take().empty() && alone.getState() == nullptr && alone.getLastError().empty());

  // The stack never grows and memory stays flat, whatever the scripts do.
  Application::getApp().setLogLevel(AppLogErrors);  // 50,000 warnings are not the point here
  lua_State* state = node->getState();
  const wxString scripts[] = {wxS("return 1, 'two', {}, kivo.get('/missing')"),
                              wxS("error('failed run')"), wxS("syntax error here"), wxS("return ...")};
  int memoryAfterWarmUp = 0, deepest = 0;
  for (int i = 0; i < 100000; ++i) {
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

  // The exit script sees the tree at shutdown: newest first, the echo node is older.
  node->setOnExit(wxS("kivo_log(kivo.get('/ui/window', 'area'), kivo.exists('/echo'))"));
  StdoutCapture exiting;
  shutdown();
  EXPECT_EQ(exiting.take(), "LUA: 480000\nLUA: true\n");
}

}  // namespace
