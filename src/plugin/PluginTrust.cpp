#include "plugin/PluginTrust.h"

#include <wx/dynlib.h>

#include "kivo/app/Application.h"
#include "kivo/base/KivoBase.h"
#include "kivo/convert/Convert.h"
#include "kivo/node/iNode.h"
#include "platform/LibrarySearch.h"
#include "platform/TrustedPath.h"

namespace KivoUnit {

bool PluginTrust::load(wxDynamicLibrary& library, const wxString& name, wxString& refusal) {
  refusal.clear();
  if (Application::getApp().getLoadUntrustedPlugins()) return library.Load(name, wxDL_NOW);
  const std::string given = Convert::StringToSTD(name);
  // A bare name goes to the loader as the file it would pick, so the file examined
  // is the file loaded; one it would find only in the system's folders goes as is.
  std::string file = given;
  if (given.find('/') == std::string::npos) {
    file = platform::findOnLibraryPath(given);
    if (file.empty()) return library.Load(name, wxDL_NOW);
  }
  const platform::PathTrust trust = platform::examineTrust(file);
  if (trust.verdict == platform::PathTrust::Missing) return false;
  if (trust.verdict == platform::PathTrust::Untrusted) {
    refusal = wxString::Format(wxS("Refused to load library '%s': %s"), name,
                               Convert::StringToWX(trust.reason));
    return false;
  }
  return library.Load(Convert::StringToWX(file), wxDL_NOW);
}

bool PluginTrust::codeAllowed(iNode& node, const wxString& format, const wxString& what) {
  if (Application::getApp().getRunConfigurationCode()) return true;
  const wxString message = wxString::Format(format, what) + wxS(": the host runs no plug-in code");
  // A library is read before it is attached: the base, when there is one, still hears of it.
  if (KivoBase* base = node.GetBase()) {
    base->Warning(message);
  } else {
    node.Warning(message);
  }
  return false;
}

}  // namespace KivoUnit
