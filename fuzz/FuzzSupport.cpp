#include "FuzzSupport.h"

#include <unistd.h>

#include <fstream>

#include <wx/log.h>

#include "kivo/app/Application.h"
#include "kivo/log/Tracer.h"

namespace KivoFuzz {

const std::string& workFolder() {
  static const std::string folder = [] {
    char pattern[] = "/tmp/kivo-fuzz-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (made == nullptr) std::abort();
    // Nothing the input names can reach beyond the folder: relative names resolve
    // here, and the harnesses refuse absolute ones.
    if (chdir(made) != 0) std::abort();
    wxLog::EnableLogging(false);
    KivoUnit::Application::getApp().setLogLevel(KivoUnit::AppLogSilent);
    KivoUnit::Application::getApp().setAddonsFolder(wxString::FromUTF8(made) + wxS("/addons"));
    return std::string(made);
  }();
  return folder;
}

ScopedBase::ScopedBase() : m_Base(new KivoUnit::KivoBase()) {
  KivoUnit::KivoBase::s_Instance = m_Base;
}

ScopedBase::~ScopedBase() {
  m_Base->Shutdown();
  KivoUnit::KivoBase::s_Instance = nullptr;
  delete m_Base;
}

bool bootText(KivoUnit::KivoBase& base, const std::string& name, const std::string& text) {
  const std::string path = workFolder() + "/" + name;
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
  return base.Boot(wxString::FromUTF8(path.c_str()));
}

}  // namespace KivoFuzz
