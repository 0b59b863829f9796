#include "HostSession.h"

#include <tinyxml.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "LogPrinter.h"
#include "Output.h"
#include "StreamCapture.h"
#include "Text.h"
#include "kivo/Application.h"
#include "kivo/KivoBase.h"
#include "kivo/KivoLocker.h"
#include "kivo/Toolkit.h"
#include "kivo/Version.h"

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
  if (!std::ifstream(file).good()) {
    error = "configuration " + quoted(file.string()) + " cannot be read";
    return false;
  }
  return true;
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
}

void untie(KivoUnit::iNode& node) {
  node.setTie(nullptr);
  for (KivoUnit::iNode* child : node.getChildren()) {
    if (child != nullptr) untie(*child);
  }
}

// The highest node of the branch holding `current` whose element the library made
// at boot: an element without attributes that holds nothing but the branch. With a
// root not named kivo that is the "kivo" node the library adds.
KivoUnit::iNode* runTimeBranch(KivoUnit::KivoBase& base, KivoUnit::iNode* current) {
  KivoUnit::iNode* top = current;
  for (KivoUnit::iNode* parent = top->getParent(); parent != nullptr && parent != &base;
       parent = parent->getParent()) {
    const TiXmlElement* element = parent->getTie();
    const TiXmlNode* branch = top->getTie();
    const bool madeForBranch = element != nullptr && element->FirstAttribute() == nullptr &&
                               element->FirstChild() == branch && element->LastChild() == branch;
    if (!madeForBranch) break;
    top = parent;
  }
  return top;
}

// The boot ties the nodes the library adds under /kivo/current (factories, boot
// stamps) to new elements of the configuration document. They are not
// configuration: without this, saving the configuration would write them into it.
void keepRunTimeNodesOutOfFile(KivoUnit::KivoBase& base) {
  KivoUnit::iNode* current = base.Search(wxS("/kivo/current"));
  if (current == nullptr || current->getTie() == nullptr) return;
  KivoUnit::iNode* branch = runTimeBranch(base, current);
  TiXmlElement* element = branch->getTie();
  untie(*branch);
  if (TiXmlNode* parent = element->Parent()) parent->RemoveChild(element);
}

}  // namespace

HostSession::HostSession(LogPrinter& log)
    : m_Log(log), m_ToolkitAcquired(false), m_Started(false) {}

HostSession::~HostSession() { stop(); }

bool HostSession::start(const SessionSettings& settings, std::string& error) {
  const fs::path configuration = fs::absolute(settings.configuration).lexically_normal();
  if (!checkConfiguration(configuration, error)) return false;
  fillApplicationRecord(configuration, settings);
  if (!startLibrary()) {
    error = "the library could not be started";
    return false;
  }
  if (!boot(configuration.string(), error)) {
    stop();
    return false;
  }
  return true;
}

// What the library's start entry point does: the toolkit on the main thread, then
// the one base.
bool HostSession::startLibrary() {
  m_ToolkitAcquired = KivoUnit::Toolkit::Acquire();
  if (!m_ToolkitAcquired) return false;
  KivoUnit::KivoLocker guard(__LINE__, __FILE__, __func__, wxS("kivo start"));
  if (KivoUnit::KivoBase::s_Instance == nullptr) {
    KivoUnit::KivoBase::s_Instance = new KivoUnit::KivoBase();
  }
  m_Started = true;
  return true;
}

bool HostSession::boot(const std::string& file, std::string& error) {
  KivoUnit::KivoLocker guard(__LINE__, __FILE__, __func__, wxS("kivo boot"));
  KivoUnit::KivoBase* base = guard.Write();
  if (base == nullptr) {
    error = "the library has no base to boot";
    return false;
  }
  base->AddResourceLocation(fromUtf8(fs::path(file).parent_path().string()));
  m_Log.hold();  // a failed boot is shown as one line, with the base's last error
  bool booted = false;
  {
    StreamCapture output(stdout, KivoUnit::LevelMessage);
    StreamCapture errors(stderr, KivoUnit::LevelError);
    booted = base->Boot(fromUtf8(file));
  }
  const std::string reason = booted ? std::string() : toUtf8(base->GetError());
  const bool everyLevel = KivoUnit::Application::getApp().getLogLevel() == KivoUnit::AppLogAll;
  m_Log.release(!booted && !everyLevel);
  if (booted) keepRunTimeNodesOutOfFile(*base);
  if (!booted) {
    error = "cannot boot " + quoted(file) + (reason.empty() ? "" : ": " + reason);
  }
  return booted;
}

void HostSession::stop() {
  if (m_Started) {
    {
      KivoUnit::KivoLocker guard(__LINE__, __FILE__, __func__, wxS("kivo report shutdown"));
      if (KivoUnit::KivoBase* base = guard.Write()) base->ReportShutdown();
    }
    KivoUnit::KivoLocker guard(__LINE__, __FILE__, __func__, wxS("kivo stop"));
    if (KivoUnit::KivoBase* base = guard.Write()) {
      StreamCapture developerLines(stdout, KivoUnit::LevelDebug);
      KivoUnit::KivoBase::s_Instance = nullptr;
      base->Shutdown();
      delete base;
    }
    m_Started = false;
  }
  if (m_ToolkitAcquired) {
    KivoUnit::Toolkit::Release();
    m_ToolkitAcquired = false;
  }
}

}  // namespace KivoHost
