#pragma once
// Brings the library up on one configuration and down again. This is the one place
// that starts and stops the library, so that it can move to the boot loader.
#include <memory>
#include <string>

namespace KivoUnit {
class KivoBoot;
}

namespace KivoHost {

class LogPrinter;

struct SessionSettings {
  std::string configuration;  // the configuration file as the user named it
  std::string addonsFolder;   // empty: "addons" beside the configuration
  int logLevel = 0;           // the application record's 0-4
  bool runConfigurationCode = true;  // load plug-ins and run scripts the file names
};

class HostSession {
 public:
  explicit HostSession(LogPrinter& log);
  ~HostSession();
  HostSession(const HostSession&) = delete;
  HostSession& operator=(const HostSession&) = delete;

  // Fills the application record, starts the library and boots the configuration.
  // On failure `error` is one line naming the file; the library is stopped again.
  bool start(const SessionSettings& settings, std::string& error);
  // Reports the shutdown to the tree, destroys it and stops the library.
  void stop();

 private:
  bool boot(const std::string& file, std::string& error);

  LogPrinter& m_Log;
  std::unique_ptr<KivoUnit::KivoBoot> m_Boot;
};

}  // namespace KivoHost
