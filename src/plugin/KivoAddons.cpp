#include "kivo/plugin/KivoAddons.h"

#include <cstdio>

#include <wx/dir.h>
#include <wx/dynlib.h>
#include <wx/filefn.h>
#include <wx/filename.h>

#include "kivo/app/Application.h"
#include "kivo/base/KivoBase.h"
#include "kivo/plugin/KivoLibrary.h"
#include "plugin/PluginTrust.h"

namespace KivoUnit {
namespace {
constexpr const wxChar* kLibrariesFolder = wxS("/kivo/lib");
}  // namespace

KivoAddons::KivoAddons(iNode* parent, const wxString& name) : iNode(parent, name) {
  std::printf("KivoAddons created\n");
  std::fflush(stdout);
}

KivoAddons::~KivoAddons() {
  std::printf("KivoAddons destroyed\n");
  std::fflush(stdout);
}

bool KivoAddons::Init() {
  if (!iNode::Init()) return false;
  KivoBase* base = GetBase();
  if (base == nullptr) return true;
  m_AddonsFolder = Application::getApp().getAddonsFolder();
  if (m_AddonsFolder.empty()) {
    base->Error(wxS("No addons folder defined"));
    return true;
  }
  if (!PluginTrust::codeAllowed(*this, wxS("Did not scan addons folder '%s'"), m_AddonsFolder)) {
    return true;
  }
  wxFileName folder = wxFileName::DirName(m_AddonsFolder);
  folder.Normalize(wxPATH_NORM_ENV_VARS | wxPATH_NORM_DOTS | wxPATH_NORM_TILDE | wxPATH_NORM_ABSOLUTE | wxPATH_NORM_LONG | wxPATH_NORM_SHORTCUT);
  const wxString fullPath = folder.GetPath();
  wxDir dir;
  if (!wxDirExists(fullPath) || !dir.Open(fullPath)) {
    base->Error(wxString::Format(wxS("Could not open addons folder '%s'"), m_AddonsFolder));
    return true;
  }
  const wxString previous = wxGetCwd();
  wxSetWorkingDirectory(fullPath);
  const wxString pattern = wxS("*") + wxDynamicLibrary::GetDllExt(wxDL_LIBRARY);
  wxString file;
  for (bool found = dir.GetFirst(&file, pattern, wxDIR_FILES); found; found = dir.GetNext(&file)) {
    installAddon(*base, fullPath, file);
  }
  wxSetWorkingDirectory(previous);
  return true;
}

// The add-ons' nodes are run-time nodes, made without XML elements: nothing of theirs
// enters the configuration, which is still being read while this scan runs.
iNode* KivoAddons::libraryNode(KivoBase& base, const wxString& path, const wxString& file) {
  if (iNode* found = base.Search(path)) return found;
  iNode* folder = base.GenerateRunTimePath(kLibrariesFolder) ? base.Search(kLibrariesFolder) : nullptr;
  iNode* node = folder != nullptr ? base.CreateNode(wxS("library"), nullptr, nullptr) : nullptr;
  if (node == nullptr) return nullptr;
  node->setName(file);
  node->setRunTime(true);
  if (folder->AppendChild(node, nullptr, false)) return node;
  base.DestroyNode(node);
  return nullptr;
}

void KivoAddons::installAddon(KivoBase& base, const wxString& folder, const wxString& file) {
  base.Debug(wxString::Format(wxS("Found addon file '%s' @ '%s'"), file, folder));
  const wxString path = wxS("/kivo/lib/") + file;
  auto* library = dynamic_cast<KivoLibrary*>(libraryNode(base, path, file));
  if (library == nullptr) {
    base.Error(
        wxString::Format(wxS("Could not create library node for addon '%s' @ '%s'"), file, path));
    return;
  }
  if (!library->isStarted()) {
    library->setFilename(wxFileName(folder, file).GetFullPath());
    if (library->Start()) {
      base.Debug(wxString::Format(wxS("Addon started '%s' @ '%s'"), file, library->GetFullPath()));
    } else {
      base.Error(wxString::Format(wxS("Addon could not be started '%s' @ '%s'"), file,
                                  library->GetFullPath()));
    }
  } else {
    base.Warning(wxString::Format(wxS("Addon appears to be started already '%s' @ '%s'"), file,
                                  library->GetFullPath()));
  }
  if (!library->isRegistered()) {
    if (library->Register()) {
      base.Debug(
          wxString::Format(wxS("Addon registered '%s' @ '%s'"), file, library->GetFullPath()));
    } else {
      base.Error(wxString::Format(wxS("Addon could not be registered '%s' @ '%s'"), file,
                                  library->GetFullPath()));
    }
  } else {
    base.Warning(wxString::Format(wxS("Addon appears to be registered already '%s' @ '%s'"), file,
                                  library->GetFullPath()));
  }
}

}  // namespace KivoUnit
