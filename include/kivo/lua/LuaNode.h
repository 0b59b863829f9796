#pragma once

#include <wx/string.h>

#include "kivo/KivoExport.h"
#include "kivo/node/iNode.h"

struct lua_State;

namespace KivoUnit {

// A node that owns one Lua 5.2 interpreter (element "Lua"). Init() restarts the
// interpreter with the standard libraries, the global "kivo_log" and the table
// "kivo" of tree functions, then runs the "on_init" script; closing the
// interpreter runs the "on_exit" script first.
//
// Scripts run on the calling thread and the node takes no lock: the caller holds
// the tree lock (a KivoLocker) when a script uses the "kivo" table, as the boot
// does for "on_init". Calls on one node must not overlap.
//
// A failed load or run stops the script and changes no result; its Lua message
// goes to the tracer as a warning and stays readable through getLastError().
// Whatever a run leaves on the Lua stack is dropped when it ends.
class KIVO_API LuaNode : public iNode {
 public:
  LuaNode(iNode* parent, const wxString& name);
  ~LuaNode() override;

  // The scripts are the attributes "on_init" and "on_exit".
  void readAttributes() override;
  void writeAttributes() override;
  // Closes an open interpreter (running "on_exit"), opens a fresh one and runs
  // "on_init". True whenever the node itself initialised, whatever the script did.
  bool Init() override;
  // Closes the interpreter while the node is still in the tree, so that "on_exit"
  // can reach other nodes by path; the destructor closes it for nodes deleted
  // without being destroyed.
  void destroy() override;

  // Creates the interpreter unless one is open.
  virtual void open();
  // Runs "on_exit" and closes the interpreter.
  virtual void close();
  virtual void loadLibraries();
  // The globals "kivo_log" and "kivo".
  virtual void registerFunctions();
  virtual void runLuaFile(const wxString& path);
  virtual void runLuaScript(const wxString& text);

  // The interpreter, or null; for hosts that push their own functions or values.
  lua_State* getState() const;
  // Runs "on_exit" and closes the interpreter; nothing when none is open.
  void exitLua();

  const wxString& getOnInit() const { return m_OnInit; }
  const wxString& getOnExit() const { return m_OnExit; }
  void setOnInit(const wxString& script) { m_OnInit = script; }
  void setOnExit(const wxString& script) { m_OnExit = script; }
  // The Lua message of the last load or run that failed; empty after one that worked.
  const wxString& getLastError() const { return m_LastError; }

 private:
  // Runs the chunk a load left on the stack (when `loadStatus` is 0), records the
  // outcome and puts the stack back to `top`.
  void finishRun(int top, int loadStatus, const wxString& what, const char* function);
  // Calls `step` in protected mode so an allocation failure cannot end the process.
  void runProtected(int (*step)(lua_State*), const wxString& what, const char* function);
  void recordFailure(const wxString& what, const char* function);

  lua_State* m_State;
  wxString m_OnInit;
  wxString m_OnExit;
  wxString m_LastError;
  // What Init is running, for messages; empty for host calls.
  wxString m_Running;
  // False when the host runs no configuration code: on_init and on_exit are skipped.
  bool m_RunsScripts = true;
};

}  // namespace KivoUnit
