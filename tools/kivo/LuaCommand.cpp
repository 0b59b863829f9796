#include "LuaCommand.h"

#include <cstdio>

#include "NodePaths.h"
#include "Output.h"
#include "Text.h"
#include "kivo/base/KivoBase.h"
#include "kivo/lua/LuaNode.h"
#include "kivo/thread/KivoLocker.h"

namespace KivoHost {
namespace {

// The script runs holding the tree lock, so the kivo table's functions may use
// the tree; what kivo_log prints goes straight to standard output.
int runLua(const Arguments& arguments) {
  const std::vector<std::string>& operands = arguments.operands;
  const std::string path = resolvePath("/", operands[1]);
  KivoUnit::KivoLocker guard(__LINE__, __FILE__, __func__, wxS("kivo lua"));
  KivoUnit::KivoBase* base = guard.Write();
  if (base == nullptr) return fail("the library is not running");
  KivoUnit::iNode* node = findNode(*base, path);
  if (node == nullptr) return fail("no node at " + quoted(withoutParams(path)));
  auto* lua = dynamic_cast<KivoUnit::LuaNode*>(node);
  if (lua == nullptr) return fail(quoted(withoutParams(path)) + " is not a Lua node");
  if (lua->getState() == nullptr) {
    return fail(quoted(withoutParams(path)) + " has no open interpreter");
  }
  lua->runLuaScript(fromUtf8(operands[2]));
  std::fflush(stdout);
  const wxString error = lua->getLastError();
  return error.empty() ? ExitOk : fail(toUtf8(error));
}

}  // namespace

Subcommand luaSubcommand() {
  return {"lua", "FILE PATH SCRIPT", "run a Lua script on the Lua node at PATH",
          "SCRIPT is Lua source run in the node's interpreter, after its on_init script\n"
          "ran at boot. kivo_log(...) prints each argument as a line \"LUA: text\"; the\n"
          "table kivo reads and changes the tree: kivo.get(path [, attribute]),\n"
          "kivo.set(path, attribute, value), kivo.children(path), kivo.exists(path),\n"
          "kivo.exec(path, command [, params]) and kivo.log(level, text). Relative paths\n"
          "start at the Lua node. Changes are not saved. Fails when the script does not\n"
          "compile or raises an error, with Lua's message.\n",
          3, 3, false, runLua};
}

}  // namespace KivoHost
