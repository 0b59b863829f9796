#include "kivo/plugin/KivoPlug.h"

#include "log/Report.h"
#include "kivo/convert/Convert.h"
#include "kivo/base/KivoBase.h"
#include "kivo/factory/iNodeFactory.h"

namespace KivoUnit {
namespace {
constexpr const char* kSourcePath = "src/KivoPlug";
}  // namespace

KivoPlug::KivoPlug(const wxString& name, const wxString& date, const wxString& author,
                   const wxString& company, const wxString& description, int version1,
                   int version2, int version3, int version4, unsigned int api,
                   const wxString& build1, const wxString& build2, const wxString& build3,
                   const wxString& build4, unsigned int buildValue, unsigned int type)
    : m_Kivo(nullptr),
      m_Plugin(&m_Record),
      m_Name(name),
      m_Date(date),
      m_Author(author),
      m_Company(company),
      m_Description(description),
      m_BuildTexts{build1, build2, build3, build4},
      m_Details{},
      m_Version{version1, version2, version3, version4},
      m_Build{api, {nullptr, nullptr, nullptr, nullptr}, buildValue},
      m_Info{&m_Version, &m_Details, &m_Build, type},
      m_Record{&m_Info, nullptr} {
  init_details_info();
  init_build_info();
  KIVO_REPORT(LevelMessage, logLine(wxS("constructed")));
}

KivoPlug::~KivoPlug() { KIVO_REPORT(LevelMessage, logLine(wxS("destroyed"))); }

wxString KivoPlug::logLine(const wxString& event) const {
  return wxString::Format(wxS("KivoPlug '%s' v%i.%i.%i.%i '%s' %s"), m_Name, m_Version.first,
                          m_Version.second, m_Version.third, m_Version.fourth, wxS("Release"),
                          event);
}

void KivoPlug::init_details_info() {
  const wxString* texts[5] = {&m_Name, &m_Date, &m_Author, &m_Company, &m_Description};
  for (int i = 0; i < 5; ++i) m_DetailTexts8[i] = Convert::StringToSTD(*texts[i]);
  m_Details = {m_DetailTexts8[0].c_str(), m_DetailTexts8[1].c_str(), m_DetailTexts8[2].c_str(),
               m_DetailTexts8[3].c_str(), m_DetailTexts8[4].c_str()};
}

void KivoPlug::init_build_info() {
  for (int i = 0; i < 4; ++i) {
    m_BuildTexts8[i] = Convert::StringToSTD(m_BuildTexts[i]);
    m_Build.texts[i] = m_BuildTexts8[i].c_str();
  }
}

_Plugin* KivoPlug::Start(Kivo* kivo) {
  m_Kivo = kivo;
  if (kivo != nullptr && kivo->functions != nullptr && kivo->functions->KivoApiGetBase != nullptr) {
    if (KivoBase* base = kivo->functions->KivoApiGetBase()) {
      base->Debug(wxS("Registering plugin: ") + m_Name);
      RegisterFactories(base);
    }
  }
  return m_Plugin;
}

void KivoPlug::Stop() {
  destroyFactories();
  m_Kivo = nullptr;
}

bool KivoPlug::RegisterFactories(KivoBase*) { return true; }

bool KivoPlug::registerFactory(KivoBase* base, iNodeFactory* factory) {
  if (base == nullptr || !base->RegisterFactory(factory)) return false;
  m_Factories.push_back(factory);
  return true;
}

// A factory leaves the registry and the tree before it goes.
void KivoPlug::destroyFactory(iNodeFactory* factory) {
  if (factory == nullptr) return;
  factory->destroy();
  delete factory;
}

void KivoPlug::destroyFactories() {
  for (iNodeFactory* factory : m_Factories) destroyFactory(factory);
  m_Factories.clear();
}

}  // namespace KivoUnit
