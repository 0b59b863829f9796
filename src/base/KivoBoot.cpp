#include "kivo/base/KivoBoot.h"

#include <wx/dynlib.h>
#include <wx/log.h>

#include "log/Report.h"
#include "kivo/base/KivoBase.h"
#include "kivo/thread/KivoLocker.h"
#include "platform/LibraryName.h"
#include "platform/OwnSymbol.h"

namespace KivoUnit {
namespace {

constexpr const char* kSourcePath = "include/KivoBoot";

void normalize(wxFileName& file) {
  file.Normalize(wxPATH_NORM_ENV_VARS | wxPATH_NORM_DOTS | wxPATH_NORM_TILDE | wxPATH_NORM_ABSOLUTE | wxPATH_NORM_LONG | wxPATH_NORM_SHORTCUT);
}

// An export of the library itself, never one of a library it depends on.
void* ownSymbol(wxDynamicLibrary& library, const wxString& name) {
  if (!library.HasSymbol(name)) return nullptr;
  void* symbol = library.GetSymbol(name);
  return platform::isOwnSymbol(library.GetLibHandle(), symbol) ? symbol : nullptr;
}

}  // namespace

KivoBoot::KivoBoot()
    : m_Library(new wxDynamicLibrary()),
      m_Plugin(nullptr),
      m_Start(nullptr),
      m_Stop(nullptr),
      m_Booted(false) {}

KivoBoot::~KivoBoot() {
  Stop();
  if (m_Library->IsLoaded()) m_Library->Unload();
  delete m_Library;
}

bool KivoBoot::Boot(const wxString& library, const wxString& file) {
  m_BootFile = wxFileName(file);
  normalize(m_BootFile);
  m_LibraryFile = wxFileName(library);
  normalize(m_LibraryFile);
  if (!m_Library->IsLoaded()) {
    const wxLogNull quiet;  // the failure is reported below, once
    m_LibraryFile = wxFileName(platform::libraryFileName(library));
    if (!m_Library->Load(m_LibraryFile.GetFullPath(), wxDL_NOW)) {
      return KIVO_FAIL(false, LevelError,
                       wxString::Format(wxS("Kivo library '%s' not found!"),
                                        m_LibraryFile.GetFullPath()));
    }
  }
  if (void* startSymbol = ownSymbol(*m_Library, wxS("start"))) {
    m_Start = reinterpret_cast<KivoStartFunction>(startSymbol);
    Start();
  }
  if (void* stopSymbol = ownSymbol(*m_Library, wxS("stop"))) {
    m_Stop = reinterpret_cast<KivoStopFunction>(stopSymbol);
  }
  return m_Library->IsLoaded();
}

bool KivoBoot::Start() {
  if (m_Start == nullptr) return false;
  m_Plugin = m_Start(nullptr);
  if (m_Plugin == nullptr) return false;
  KivoLocker guard(__LINE__, kSourcePath, __func__, wxString());
  KivoBase* base = guard.Write();
  if (base == nullptr) return KIVO_FAIL(false, LevelError, wxS("No kivo root found"));
  base->AddResourceLocation(m_BootFile.GetPath(wxPATH_GET_VOLUME));
  m_Booted = base->Boot(m_BootFile.GetFullPath());
  if (m_Booted) return true;
  return KIVO_FAIL(false, LevelError, wxS("Kivo bootup failed"));
}

bool KivoBoot::Stop() {
  if (m_Stop == nullptr) return false;
  m_Stop();
  m_Booted = false;
  m_Plugin = nullptr;
  m_Start = nullptr;
  m_Stop = nullptr;
  return true;
}

}  // namespace KivoUnit
