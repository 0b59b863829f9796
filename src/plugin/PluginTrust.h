#pragma once

#include <wx/string.h>

class wxDynamicLibrary;

namespace KivoUnit {

class iNode;

// Stands between a configuration and the dynamic loader: a plug-in library runs
// with the process's rights, so it is loaded only when nobody but this user or
// root could have put it there (unless the host opted out through
// Application::setLoadUntrustedPlugins), and not at all when the host runs no
// code its configuration names (Application::setRunConfigurationCode).
class PluginTrust {
 public:
  // Loads `name` into `library` when it may be loaded. False when it was not
  // loaded; `refusal` is then the one message saying why it was refused, or
  // empty when there was nothing there or the loader failed.
  static bool load(wxDynamicLibrary& library, const wxString& name, wxString& refusal);

  // False, after one warning through `node`, when the host runs no plug-in code;
  // `what` names the library file or folder that is left alone.
  static bool codeAllowed(iNode& node, const wxString& format, const wxString& what);
};

}  // namespace KivoUnit
