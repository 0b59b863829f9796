#pragma once
// The functions a Lua node gives its scripts: "kivo_log" and the table "kivo".
//
// Every function here returns to Lua normally: a missing node or attribute is
// answered with nil and a message, and no C++ exception leaves a function. Lua
// raises its own errors (a wrong argument type) only where no C++ object is alive.

struct lua_State;

namespace KivoUnit {
class iNode;
}

namespace KivoUnit::lua {

// "kivo_log": one line "LUA: <text>" on standard output per argument, flushed.
int printArguments(lua_State* state);
// Stores "kivo_log" and the table "kivo" as globals; the node whose paths the tree
// functions resolve against is the light user data at stack index 1.
int registerGlobals(lua_State* state);

}  // namespace KivoUnit::lua
