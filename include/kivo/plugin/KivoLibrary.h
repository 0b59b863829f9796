#pragma once

#include <vector>

#include <wx/string.h>

#include "kivo/KivoExport.h"
#include "kivo/plugin/PluginRecords.h"
#include "kivo/plugin/iPlugin.h"

class wxDynamicLibrary;

namespace KivoUnit {

// A plug-in library in the tree (element "library"): loads the file named by
// "filename", calls its "start" with the library's own Kivo object and keeps the
// record it returns; registers under "/kivo/current/plugins" when initialised.
// Commands: "start", "stop", and any method name of the plug-in.
//
// Nodes a plug-in's factories made run the plug-in's code: they must be gone
// before the library is stopped and unloaded.
class KIVO_API KivoLibrary : public iPlugin {
 public:
  using DebugCallback = void (*)();

  KivoLibrary(iNode* parent, const wxString& element);
  // Unloads the library; the nodes made with its code went in destroy().
  ~KivoLibrary() override;

  // Destroys the nodes of the tree that were made with the library's code (by its
  // factories) first, while that code is still loaded, then the node itself.
  void destroy() override;

  // Reads "autostart" and "filename" and starts the library when asked to.
  bool Read(TiXmlElement* element) override;
  bool Write() override;
  using iPlugin::Write;
  bool Init() override;
  wxString Execute(const wxString& command, const wxString& params) override;
  bool CanExecute(const wxString& command) override;
  wxString State(const Indent& indent, const wxString& extra) const override;

  // Loads the library and calls its "start"; a loaded library is left alone.
  bool Start() override;
  // Calls "stop", unloads the library and forgets the record. Refused (false, with
  // one error naming them) while nodes made by the library's factories are in the
  // tree: unloading would leave them pointing into unloaded code.
  bool Stop() override;

  virtual bool Register();
  virtual bool Unregister();
  // The library file as configured (this hides the document's file name).
  virtual wxString getFilename() const;
  virtual bool getAutoStart() const;
  // True while the library is loaded.
  virtual bool isStarted() const;
  virtual bool isRegistered() const;
  virtual void setFilename(const wxString& filename);
  virtual void setAutoStart(bool autostart);

  // What "start" returned; null before, after "stop", or when "start" gave none.
  _Plugin* getPlugin() const { return m_Plugin; }

 private:
  bool load();
  void lookUpEntries();
  // Calls "stop" and unloads, whatever is still in the tree.
  void unload();
  // Nodes of the tree made with this library's code: instances of its classes and
  // nodes its factories created. Factories count only with `withFactories`.
  std::vector<iNode*> nodesOfLibrary(bool withFactories);
  // A method of the record's list, else an export of that name.
  KivoMethod findMethod(KivoBase& base, const wxString& name);
  wxString callMethod(KivoBase& base, KivoMethod method, const wxString& params);

  KivoStartFunction m_StartEntry;
  KivoStopFunction m_StopEntry;
  DebugCallback m_DebugEntry;
  wxString m_Filename;
  bool m_AutoStart;
  bool m_Registered;
  wxDynamicLibrary* m_Library;
  _Plugin* m_Plugin;
};

}  // namespace KivoUnit
