#include "lua/LuaTree.h"

#include <cstdio>
#include <string>

#include <lua.hpp>
#include <wx/string.h>

#include "kivo/log/Tracer.h"
#include "kivo/node/iNode.h"

namespace KivoUnit::lua {
namespace {

constexpr int kHighestLevel = 6;

wxString fromLua(const char* text, size_t length) { return wxString::FromUTF8(text, length); }
wxString fromLua(const char* text) { return wxString::FromUTF8(text); }

void pushText(lua_State* state, const wxString& text) {
  const wxScopedCharBuffer utf8 = text.utf8_str();
  lua_pushlstring(state, utf8.data(), utf8.length());
}

// The node the tree functions resolve paths against (their one upvalue).
iNode* boundNode(lua_State* state) {
  return static_cast<iNode*>(lua_touserdata(state, lua_upvalueindex(1)));
}

int answerNil(lua_State* state, const wxString& message) {
  lua_pushnil(state);
  pushText(state, message);
  return 2;
}

int noNodeAt(lua_State* state, const char* path) {
  return answerNil(state, wxString::Format(wxS("no node at '%s'"), fromLua(path)));
}

// Runs the C++ part of a function: an exception becomes nil and a message
// instead of unwinding through the interpreter.
template <typename Work>
int guarded(lua_State* state, Work work) {
  const int top = lua_gettop(state);
  try {
    return work();
  } catch (const std::exception& error) {
    lua_settop(state, top);
    return answerNil(state, wxString::Format(wxS("internal error: %s"), fromLua(error.what())));
  } catch (...) {
    lua_settop(state, top);
    return answerNil(state, wxS("internal error"));
  }
}

iNode* find(lua_State* state, const char* path) {
  return boundNode(state)->Search(fromLua(path));
}

// A value Lua can hand over as attribute text.
const char* valueArgument(lua_State* state, int index, size_t& length) {
  switch (lua_type(state, index)) {
    case LUA_TBOOLEAN:
      lua_pushstring(state, lua_toboolean(state, index) ? "true" : "false");
      lua_replace(state, index);
      [[fallthrough]];
    case LUA_TSTRING:
    case LUA_TNUMBER:
      return lua_tolstring(state, index, &length);
    default:
      luaL_argerror(state, index, "string, number or boolean expected");
      return nullptr;
  }
}

int pushAttributes(lua_State* state, const iNode& node) {
  lua_newtable(state);
  for (const auto& [name, value] : node.getAttributes()) {
    lua_pushlstring(state, value.data(), value.size());
    lua_setfield(state, -2, name.c_str());
  }
  return 1;
}

// kivo.get(path [, attribute]): the attribute's text, or a table of every attribute.
int get(lua_State* state) {
  const char* path = luaL_checkstring(state, 1);
  const char* attribute = luaL_optstring(state, 2, nullptr);
  return guarded(state, [&] {
    const iNode* node = find(state, path);
    if (node == nullptr) return noNodeAt(state, path);
    if (attribute == nullptr) return pushAttributes(state, *node);
    const wxString name = fromLua(attribute);
    if (!node->hasAttribute(name)) {
      return answerNil(state, wxString::Format(wxS("no attribute '%s' at '%s'"), name,
                                               fromLua(path)));
    }
    pushText(state, node->getAttribute(name, wxString()));
    return 1;
  });
}

// kivo.set(path, attribute, value): true once the node holds the value.
int set(lua_State* state) {
  const char* path = luaL_checkstring(state, 1);
  const char* attribute = luaL_checkstring(state, 2);
  size_t length = 0;
  const char* value = valueArgument(state, 3, length);
  return guarded(state, [&] {
    iNode* node = find(state, path);
    if (node == nullptr) return noNodeAt(state, path);
    if (*attribute == '\0') return answerNil(state, wxS("empty attribute name"));
    node->setAttribute(fromLua(attribute), fromLua(value, length));
    lua_pushboolean(state, 1);
    return 1;
  });
}

// kivo.children(path): the children's names in order.
int children(lua_State* state) {
  const char* path = luaL_checkstring(state, 1);
  return guarded(state, [&] {
    const iNode* node = find(state, path);
    if (node == nullptr) return noNodeAt(state, path);
    lua_newtable(state);
    int index = 0;
    for (const iNode* child : node->getChildren()) {
      if (child == nullptr) continue;
      pushText(state, child->getDecodedName());
      lua_rawseti(state, -2, ++index);
    }
    return 1;
  });
}

// kivo.exists(path)
int exists(lua_State* state) {
  const char* path = luaL_checkstring(state, 1);
  return guarded(state, [&] {
    lua_pushboolean(state, find(state, path) != nullptr);
    return 1;
  });
}

// kivo.exec(path, command [, params]): the node's answer, empty when it has none.
int exec(lua_State* state) {
  const char* path = luaL_checkstring(state, 1);
  const char* command = luaL_checkstring(state, 2);
  const char* params = luaL_optstring(state, 3, "");
  return guarded(state, [&] {
    iNode* node = find(state, path);
    if (node == nullptr) return noNodeAt(state, path);
    pushText(state, node->Execute(fromLua(command), fromLua(params)));
    return 1;
  });
}

// kivo.log(level, text): a tracer message from the script's chunk and line.
int log(lua_State* state) {
  const lua_Integer level = luaL_checkinteger(state, 1);
  luaL_argcheck(state, level >= 0 && level <= kHighestLevel, 1, "level 0 to 6 expected");
  size_t length = 0;
  const char* text = luaL_tolstring(state, 2, &length);
  lua_Debug caller{};
  const bool known = lua_getstack(state, 1, &caller) != 0 && lua_getinfo(state, "Sl", &caller) != 0;
  return guarded(state, [&] {
    Tracer::getSingleton()->Log(static_cast<int>(level), fromLua(text, length),
                                known && caller.currentline > 0 ? caller.currentline : 0,
                                known ? caller.short_src : "lua", "kivo.log");
    return 0;
  });
}

const luaL_Reg kTreeFunctions[] = {{"get", get},       {"set", set},   {"children", children},
                                   {"exists", exists}, {"exec", exec}, {"log", log},
                                   {nullptr, nullptr}};

}  // namespace

int printArguments(lua_State* state) {
  const int count = lua_gettop(state);
  for (int index = 1; index <= count; ++index) {
    size_t length = 0;
    const char* text = luaL_tolstring(state, index, &length);  // nil, true, table: 0x...
    std::fwrite("LUA: ", 1, 5, stdout);
    std::fwrite(text, 1, length, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
    lua_pop(state, 1);
  }
  return 0;
}

int registerGlobals(lua_State* state) {
  void* node = lua_touserdata(state, 1);
  lua_pushcclosure(state, printArguments, 0);
  lua_setglobal(state, "kivo_log");
  luaL_newlibtable(state, kTreeFunctions);
  lua_pushlightuserdata(state, node);
  luaL_setfuncs(state, kTreeFunctions, 1);
  lua_setglobal(state, "kivo");
  return 0;
}

}  // namespace KivoUnit::lua
