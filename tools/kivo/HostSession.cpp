#include "HostSession.h"

#include <dlfcn.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include <tinyxml.h>

#include "LogPrinter.h"
#include "Output.h"
#include "StreamCapture.h"
#include "Text.h"
#include "kivo/app/Application.h"
#include "kivo/base/KivoBase.h"
#include "kivo/thread/KivoLocker.h"
#include "kivo/base/Version.h"
#include "kivo/base/KivoBoot.h"

namespace KivoHost {
namespace {

namespace fs = std::filesystem;

// Checks the file before the library sees it, for a clearer message than its own.
bool checkConfiguration(const fs::path& file, std::string& error) {
  std::error_code ignored;
  if (!fs::exists(file, ignored)) {
    error = "configuration " + quoted(file.string()) + " not found";
    return false;
  }
  if (fs::is_directory(file, ignored)) {
    error = "configuration " + quoted(file.string()) + " is a folder, not a file";
    return false;
  }
  // A pipe or a device would block the read or never end.
  if (!fs::is_regular_file(file, ignored)) {
    error = "configuration " + quoted(file.string()) + " is not a regular file";
    return false;
  }
  if (!std::ifstream(file).good()) {
    error = "configuration " + quoted(file.string()) + " cannot be read";
    return false;
  }
  return true;
}

// True when the document starts with a DOCTYPE that declares things in brackets:
// the parser reads no further, so the root element after it is never seen.
bool hasInternalDoctype(const TiXmlDocument& document) {
  for (const TiXmlNode* node = document.FirstChild(); node != nullptr; node = node->NextSibling()) {
    const std::string value = node->ValueStr();
    if (node->ToUnknown() != nullptr && value.rfind("!DOCTYPE", 0) == 0) {
      return value.find('[') != std::string::npos;
    }
  }
  return false;
}

// The library names the parser's error, which is empty for a document that parses
// but holds no element at all.
std::string bootFailureReason(const std::string& file, const std::string& libraryReason) {
  // Parsed again only to explain a missing root: other files may be too deep to parse.
  if (libraryReason.find("'no root element'") == std::string::npos) return libraryReason;
  TiXmlDocument document;
  if (!document.LoadFile(file.c_str()) || document.RootElement() != nullptr) return libraryReason;
  return hasInternalDoctype(document)
             ? "no root element (a DOCTYPE with declarations in brackets ends the reading)"
             : "no root element";
}

void fillApplicationRecord(const fs::path& configuration, const SessionSettings& settings) {
  KivoUnit::Application& app = KivoUnit::Application::getApp();
  const fs::path folder = configuration.parent_path();
  app.setName(wxS("kivo"));
  app.setVersion(wxString::FromUTF8(KivoUnit::LibraryVersion()));
  app.setConfiguration(fromUtf8(configuration.string()));
  app.setDataFolder(fromUtf8(folder.string()));
  const fs::path addons =
      settings.addonsFolder.empty() ? folder / "addons" : fs::absolute(settings.addonsFolder);
  app.setAddonsFolder(fromUtf8(addons.lexically_normal().string()));
  app.setLogLevel(static_cast<KivoUnit::AppLogLevel>(settings.logLevel));
  app.setRunConfigurationCode(settings.runConfigurationCode);
}

// "<folder>/kivo" for the libkivo this program is linked with; the boot loader adds
// the platform's "lib" prefix and ".so" extension.
std::string loadedLibraryStem() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&KivoUnit::LibraryVersion), &info) == 0 ||
      info.dli_fname == nullptr) {
    return "kivo";
  }
  return (fs::path(info.dli_fname).parent_path() / "kivo").string();
}

}  // namespace

HostSession::HostSession(LogPrinter& log) : m_Log(log) {}

HostSession::~HostSession() { stop(); }

bool HostSession::start(const SessionSettings& settings, std::string& error) {
  const fs::path configuration = fs::absolute(settings.configuration).lexically_normal();
  if (!checkConfiguration(configuration, error)) return false;
  fillApplicationRecord(configuration, settings);
  if (!boot(configuration.string(), error)) {
    stop();
    return false;
  }
  return true;
}

bool HostSession::boot(const std::string& file, std::string& error) {
  m_Boot = std::make_unique<KivoUnit::KivoBoot>();
  m_Log.hold();  // a failed boot is shown as one line, with the base's last error
  {
    StreamCapture output(stdout, KivoUnit::LevelMessage);
    StreamCapture errors(stderr, KivoUnit::LevelError);
    // The boot loader loads the library this program runs against (by its own
    // path: the loader does not search the program's library path), calls its
    // "start" and boots the configuration.
    m_Boot->Boot(fromUtf8(loadedLibraryStem()), fromUtf8(file));
  }
  const bool booted = m_Boot->isBooted();
  KivoUnit::KivoLocker guard(__LINE__, __FILE__, __func__, wxS("kivo boot"));
  KivoUnit::KivoBase* base = guard.Write();
  const std::string reason =
      booted || base == nullptr ? std::string() : toUtf8(base->GetError());
  const bool everyLevel = KivoUnit::Application::getApp().getLogLevel() == KivoUnit::AppLogAll;
  m_Log.release(!booted && !everyLevel);
  if (!booted) {
    const std::string why = bootFailureReason(file, reason);
    error = "cannot boot " + quoted(file) + (why.empty() ? "" : ": " + why);
  }
  return booted;
}

void HostSession::stop() {
  if (!m_Boot) return;
  {
    KivoUnit::KivoLocker guard(__LINE__, __FILE__, __func__, wxS("kivo report shutdown"));
    if (KivoUnit::KivoBase* base = guard.Write()) base->ReportShutdown();
  }
  StreamCapture developerLines(stdout, KivoUnit::LevelDebug);
  m_Boot.reset();  // stops the library (tree shut down under the tree lock) and unloads it
}

}  // namespace KivoHost
