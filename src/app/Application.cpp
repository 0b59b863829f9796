#include "kivo/app/Application.h"

#include <wx/thread.h>

namespace KivoUnit {
namespace {

template <typename Value>
Value readLocked(const Value& field) {
  wxCriticalSectionLocker lock(Application::getLock());
  return field;
}

template <typename Value>
void writeLocked(Value& field, const Value& value) {
  wxCriticalSectionLocker lock(Application::getLock());
  field = value;
}

}  // namespace

Application::Application()
    : m_LogLevel(AppLogErrors), m_LoadUntrustedPlugins(false), m_RunConfigurationCode(true) {
  // Build the lock first so that it outlives the record at process exit.
  getLock();
}

Application& Application::getApp() {
  static Application app;
  return app;
}

wxCriticalSection& Application::getLock() {
  static wxCriticalSection lock;
  return lock;
}

wxString Application::getURL() const { return readLocked(m_URL); }
void Application::setURL(const wxString& url) { writeLocked(m_URL, url); }
wxString Application::getName() const { return readLocked(m_Name); }
void Application::setName(const wxString& name) { writeLocked(m_Name, name); }
wxString Application::getDesc() const { return readLocked(m_Description); }
void Application::setDesc(const wxString& description) { writeLocked(m_Description, description); }
wxString Application::getVersion() const { return readLocked(m_Version); }
void Application::setVersion(const wxString& version) { writeLocked(m_Version, version); }
wxString Application::getManufacturer() const { return readLocked(m_Manufacturer); }
void Application::setManufacturer(const wxString& manufacturer) {
  writeLocked(m_Manufacturer, manufacturer);
}
wxString Application::getConfiguration() const { return readLocked(m_Configuration); }
void Application::setConfiguration(const wxString& configuration) {
  writeLocked(m_Configuration, configuration);
}
wxString Application::getDataFolder() const { return readLocked(m_DataFolder); }
void Application::setDataFolder(const wxString& folder) { writeLocked(m_DataFolder, folder); }
wxString Application::getAddonsFolder() const { return readLocked(m_AddonsFolder); }
void Application::setAddonsFolder(const wxString& folder) { writeLocked(m_AddonsFolder, folder); }
AppLogLevel Application::getLogLevel() const { return readLocked(m_LogLevel); }
void Application::setLogLevel(AppLogLevel level) { writeLocked(m_LogLevel, level); }
bool Application::getLoadUntrustedPlugins() const { return readLocked(m_LoadUntrustedPlugins); }
void Application::setLoadUntrustedPlugins(bool load) { writeLocked(m_LoadUntrustedPlugins, load); }
bool Application::getRunConfigurationCode() const { return readLocked(m_RunConfigurationCode); }
void Application::setRunConfigurationCode(bool run) { writeLocked(m_RunConfigurationCode, run); }

}  // namespace KivoUnit
