#include "kivo/lua/LuaNode.h"

#include <lua.hpp>

#include "kivo/convert/Convert.h"
#include "log/Report.h"
#include "plugin/PluginTrust.h"
#include "lua/LuaTree.h"

namespace KivoUnit {
namespace {

constexpr const char* kSourcePath = "include/kivo/lua/LuaNode";

int openLibraries(lua_State* state) {
  luaL_openlibs(state);
  return 0;
}

// The message a failed load or run left on top of the stack.
wxString errorMessage(lua_State* state) {
  if (lua_type(state, -1) == LUA_TSTRING || lua_type(state, -1) == LUA_TNUMBER) {
    size_t length = 0;
    const char* text = lua_tolstring(state, -1, &length);
    return wxString::FromUTF8(text, length);
  }
  return wxString::Format(wxS("(error object is a %s value)"), luaL_typename(state, -1));
}

}  // namespace

LuaNode::LuaNode(iNode* parent, const wxString& name) : iNode(parent, name), m_State(nullptr) {
  appendClassTag(wxS(".LUA"));
}

LuaNode::~LuaNode() { exitLua(); }

void LuaNode::readAttributes() {
  m_OnInit = getAttribute(wxS("on_init"), wxString());
  m_OnExit = getAttribute(wxS("on_exit"), wxString());
  iNode::readAttributes();
}

void LuaNode::writeAttributes() {
  setAttribute(wxS("on_init"), m_OnInit);
  setAttribute(wxS("on_exit"), m_OnExit);
  iNode::writeAttributes();
}

bool LuaNode::Init() {
  if (!iNode::Init()) return false;
  close();
  open();
  loadLibraries();
  registerFunctions();
  const bool hasScripts = !m_OnInit.empty() || !m_OnExit.empty();
  m_RunsScripts = !hasScripts || PluginTrust::codeAllowed(
                                     *this, wxS("Did not run the scripts of '%s'"), GetFullPath());
  if (m_RunsScripts && !m_OnInit.empty()) {
    m_Running = wxS("on_init script");
    runLuaScript(m_OnInit);
    m_Running.clear();
  }
  return true;
}

void LuaNode::destroy() {
  exitLua();
  iNode::destroy();
}

void LuaNode::open() {
  if (m_State == nullptr) m_State = luaL_newstate();
}

void LuaNode::close() { exitLua(); }

void LuaNode::exitLua() {
  if (m_State == nullptr) return;
  if (m_RunsScripts && !m_OnExit.empty()) {
    const int top = lua_gettop(m_State);
    const int status = luaL_loadstring(m_State, m_OnExit.utf8_str().data());
    finishRun(top, status, wxS("on_exit script"), "exitLua");
  }
  lua_close(m_State);
  m_State = nullptr;
}

void LuaNode::loadLibraries() {
  runProtected(openLibraries, wxS("opening of the standard libraries"), "loadLibraries");
}

void LuaNode::registerFunctions() {
  runProtected(lua::registerGlobals, wxS("registration of kivo_log and kivo"),
               "registerFunctions");
}

void LuaNode::runLuaScript(const wxString& text) {
  if (m_State == nullptr) return;
  const std::string source = Convert::StringToSTD(text);
  const int top = lua_gettop(m_State);
  const int status = luaL_loadstring(m_State, source.c_str());
  finishRun(top, status, m_Running.empty() ? wxString(wxS("script")) : m_Running,
            "runLuaScript");
}

void LuaNode::runLuaFile(const wxString& path) {
  if (m_State == nullptr) return;
  const std::string file = Convert::StringToSTD(path);
  const int top = lua_gettop(m_State);
  const int status = luaL_loadfilex(m_State, file.c_str(), nullptr);
  finishRun(top, status, wxString::Format(wxS("script file '%s'"), path), "runLuaFile");
}

lua_State* LuaNode::getState() const { return m_State; }

void LuaNode::finishRun(int top, int loadStatus, const wxString& what, const char* function) {
  int status = loadStatus;
  if (status == LUA_OK) status = lua_pcallk(m_State, 0, LUA_MULTRET, 0, 0, nullptr);
  if (status == LUA_OK) {
    m_LastError.clear();
  } else {
    recordFailure(what, function);
  }
  lua_settop(m_State, top);  // the results or the message: the stack never grows
}

void LuaNode::runProtected(int (*step)(lua_State*), const wxString& what, const char* function) {
  if (m_State == nullptr) return;
  const int top = lua_gettop(m_State);
  lua_pushcfunction(m_State, step);
  lua_pushlightuserdata(m_State, static_cast<iNode*>(this));
  if (lua_pcall(m_State, 1, 0, 0) != LUA_OK) recordFailure(what, function);
  lua_settop(m_State, top);
}

void LuaNode::recordFailure(const wxString& what, const char* function) {
  m_LastError = errorMessage(m_State);
  detail::report(LevelWarning,
                 wxString::Format(wxS("Lua %s of %s @ '%s' failed: %s"), what, describe(),
                                  GetFullPath(), m_LastError),
                 __LINE__, kSourcePath, function);
}

}  // namespace KivoUnit
