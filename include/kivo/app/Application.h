#pragma once

#include <wx/string.h>

#include "kivo/KivoExport.h"

class wxCriticalSection;

namespace KivoUnit {

// 0 errors only, 1 adds warnings, 2 adds messages, 3 everything, 4 silences the log.
enum AppLogLevel : int {
  AppLogErrors = 0,
  AppLogWarnings = 1,
  AppLogMessages = 2,
  AppLogAll = 3,
  AppLogSilent = 4
};

// The host application's identity and folders, filled by the host before boot.
// Every field is read and written under one process-wide lock.
class KIVO_API Application {
 public:
  static Application& getApp();
  static wxCriticalSection& getLock();

  wxString getURL() const;
  void setURL(const wxString& url);
  wxString getName() const;
  void setName(const wxString& name);
  wxString getDesc() const;
  void setDesc(const wxString& description);
  wxString getVersion() const;
  void setVersion(const wxString& version);
  wxString getManufacturer() const;
  void setManufacturer(const wxString& manufacturer);
  wxString getConfiguration() const;
  void setConfiguration(const wxString& configuration);
  wxString getDataFolder() const;
  void setDataFolder(const wxString& folder);
  wxString getAddonsFolder() const;
  void setAddonsFolder(const wxString& folder);
  AppLogLevel getLogLevel() const;
  void setLogLevel(AppLogLevel level);

  // Off unless the host asks: plug-in libraries are refused when someone other
  // than this user or root could have replaced the file or a folder above it.
  // On loads them regardless, so anyone who can write there runs code here.
  bool getLoadUntrustedPlugins() const;
  void setLoadUntrustedPlugins(bool load);
  // On unless the host turns it off: the configuration's plug-in libraries and
  // scripts run. Off gives a look at a configuration that runs none of its code.
  bool getRunConfigurationCode() const;
  void setRunConfigurationCode(bool run);

  Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

 private:
  wxString m_URL;
  wxString m_Name;
  wxString m_Description;
  wxString m_Version;
  wxString m_Manufacturer;
  wxString m_Configuration;
  wxString m_DataFolder;
  wxString m_AddonsFolder;
  AppLogLevel m_LogLevel;
  bool m_LoadUntrustedPlugins;
  bool m_RunConfigurationCode;
};

}  // namespace KivoUnit
