#include "kivo/plugin/KivoLibrary.h"

#include <algorithm>
#include <typeinfo>

#include <wx/dynlib.h>
#include <wx/log.h>
#include <wx/filefn.h>

#include "log/Report.h"
#include "kivo/convert/Convert.h"
#include "kivo/convert/Indent.h"
#include "kivo/base/KivoBase.h"
#include "kivo/factory/iNodeFactory.h"
#include "kivo/plugin/KivoInit.h"
#include "platform/LibraryName.h"
#include "platform/OwnSymbol.h"
#include "plugin/PluginTrust.h"

namespace KivoUnit {
namespace {

constexpr const char* kSourcePath = "include/kivo/node/plugins/KivoLibrary";

const wxString kOk = wxS("<ok/>");
const wxString kFailure = wxS("<failure/>");

}  // namespace

KivoLibrary::KivoLibrary(iNode* parent, const wxString& element)
    : iPlugin(parent, element),
      m_StartEntry(nullptr),
      m_StopEntry(nullptr),
      m_DebugEntry(nullptr),
      m_AutoStart(true),
      m_Registered(false),
      m_Library(new wxDynamicLibrary()),
      m_Plugin(nullptr) {}

KivoLibrary::~KivoLibrary() {
  if (KivoBase* base = GetBase()) {
    base->Log(wxString::Format(wxS("Library '%s' shutting down"), getName()));
  }
  unload();
  delete m_Library;
}

void KivoLibrary::destroy() {
  // Through their parents and factories: the factories' code is still loaded.
  for (iNode* node : nodesOfLibrary(false)) {
    if (iNode* parent = node->getParent()) parent->DestroyChild(node);
  }
  iPlugin::destroy();
}

namespace {

// Whether `node`'s class lives in the library opened as `handle`.
bool madeWithCodeOf(void* handle, const iNode& node) {
  return platform::isOwnSymbol(handle, const_cast<std::type_info*>(&typeid(node)));
}

void collectDescendants(iNode& node, std::vector<iNode*>& out) {
  for (iNode* child : node.getChildren()) {
    if (child == nullptr) continue;
    out.push_back(child);
    collectDescendants(*child, out);
  }
}

}  // namespace

std::vector<iNode*> KivoLibrary::nodesOfLibrary(bool withFactories) {
  std::vector<iNode*> result;
  if (!m_Library->IsLoaded()) return result;
  void* handle = m_Library->GetLibHandle();
  std::vector<iNode*> tree;
  collectDescendants(*GetRoot(), tree);
  // A node's creator may be a factory that is gone: creators are compared, never used.
  std::vector<const iNodeFactory*> factories;
  for (iNode* node : tree) {
    if (dynamic_cast<iNodeFactory*>(node) != nullptr && madeWithCodeOf(handle, *node)) {
      factories.push_back(static_cast<iNodeFactory*>(node));
    }
  }
  for (iNode* node : tree) {
    if (node == this) continue;
    const bool factory = dynamic_cast<iNodeFactory*>(node) != nullptr;
    const bool made = madeWithCodeOf(handle, *node) ||
                      std::find(factories.begin(), factories.end(), node->getCreator()) !=
                          factories.end();
    if (made && (withFactories || !factory)) result.push_back(node);
  }
  return result;
}

bool KivoLibrary::Read(TiXmlElement* element) {
  if (!iPlugin::Read(element)) return false;
  m_AutoStart = GetBoolAttr(element, wxS("autostart"), m_AutoStart);
  m_Filename = GetCombined(element, wxS("filename"), wxString());
  if (KivoBase* base = GetBase()) {
    base->Debug(wxString::Format(wxS("Added library '%s'"), m_Filename));
  }
  if (!m_AutoStart || m_Filename.empty()) return true;
  // Left unloaded, not dropped, so a look at the configuration still shows it.
  return PluginTrust::codeAllowed(*this, wxS("Did not load library '%s'"), m_Filename) ? Start()
                                                                                       : true;
}

bool KivoLibrary::Write() {
  if (!iPlugin::Write()) return false;
  SetCombined(getTie(), wxS("filename"), m_Filename);
  return true;
}

bool KivoLibrary::Init() {
  if (!iNode::Init()) return false;
  Register();
  return true;
}

bool KivoLibrary::Start() {
  KivoBase* base = GetBase();
  if (m_Library->IsLoaded()) {
    if (base != nullptr) {
      base->Debug(wxString::Format(wxS("Ignored restart of '%s' '%s' @ %s"), getElement(),
                                   getName(), GetFullPath()));
    }
    return true;
  }
  if (m_Filename.empty()) {
    if (base != nullptr) {
      base->Error(wxString::Format(wxS("Filename empty of '%s' '%s' @ %s"), getElement(),
                                   getName(), GetFullPath()));
    }
    return false;
  }
  if (!load()) return false;
  lookUpEntries();
  return true;
}

// By the name as configured first, then by the platform's file name formed from it.
bool KivoLibrary::load() {
  KivoBase* base = GetBase();
  if (!PluginTrust::codeAllowed(*this, wxS("Did not load library '%s'"), m_Filename)) return false;
  const wxLogNull quiet;  // the failures are reported below, once
  wxString refusal;
  if (!PluginTrust::load(*m_Library, m_Filename, refusal) && refusal.empty()) {
    const wxString formed = platform::libraryFileName(m_Filename);
    if (!PluginTrust::load(*m_Library, formed, refusal) && refusal.empty() && base != nullptr) {
      base->Error(
          wxString::Format(wxS("Could not load library '%s' (nor '%s')"), m_Filename, formed));
    }
  }
  if (!refusal.empty()) {
    if (base != nullptr) base->Error(refusal);
    return false;
  }
  if (!m_Library->IsLoaded()) {
    if (base != nullptr) {
      base->Error(wxString::Format(wxS("Could not load dynamic library '%s' @ '%s'"), m_Filename,
                                   wxGetCwd()));
    }
    return false;
  }
  if (base != nullptr) base->Debug(wxString::Format(wxS("Loaded library '%s'"), m_Filename));
  return true;
}

void KivoLibrary::lookUpEntries() {
  void* handle = m_Library->GetLibHandle();
  auto own = [this, handle](const wxString& name) -> void* {
    if (!m_Library->HasSymbol(name)) return nullptr;
    void* symbol = m_Library->GetSymbol(name);
    return platform::isOwnSymbol(handle, symbol) ? symbol : nullptr;
  };
  if (void* start = own(wxS("start"))) {
    m_StartEntry = reinterpret_cast<KivoStartFunction>(start);
    m_Plugin = m_StartEntry(getKivo());
  } else if (KivoBase* base = GetBase()) {
    base->Error(wxString::Format(wxS("Library '%s' has no start function"), m_Filename));
  }
  m_StopEntry = reinterpret_cast<KivoStopFunction>(own(wxS("stop")));
  m_DebugEntry = reinterpret_cast<DebugCallback>(own(wxS("ConnectDebugCallback")));
}

bool KivoLibrary::Stop() {
  const std::vector<iNode*> live = nodesOfLibrary(false);
  if (!live.empty()) {
    wxString paths;
    for (const iNode* node : live) paths += (paths.empty() ? wxS("'") : wxS(", '")) + node->GetFullPath() + wxS("'");
    const wxString message =
        wxString::Format(wxS("Library '%s' not stopped: %u nodes made by it are in the tree: %s"),
                         m_Filename, static_cast<unsigned int>(live.size()), paths);
    if (KivoBase* base = GetBase()) {
      base->Error(message);
      return false;
    }
    return KIVO_FAIL(false, LevelError, message);
  }
  unload();
  return true;
}

void KivoLibrary::unload() {
  Unregister();
  if (m_Library->IsLoaded()) {
    if (m_StopEntry != nullptr) m_StopEntry();
    // Factories the plug-in left in the tree leave it before their code goes; they
    // are the plug-in's to free, so they are detached, not deleted.
    for (iNode* node : nodesOfLibrary(true)) node->destroy();
    if (m_Library->IsLoaded()) m_Library->Unload();
  }
  m_StartEntry = nullptr;
  m_StopEntry = nullptr;
  m_DebugEntry = nullptr;
  m_Plugin = nullptr;
}

bool KivoLibrary::Register() {
  KivoBase* base = GetBase();
  if (base == nullptr || m_Plugin == nullptr) return m_Registered;
  if (m_Registered) return true;
  if (base->RegisterPlugin(this)) {
    m_Registered = true;
    return true;
  }
  return KIVO_FAIL(false, LevelError,
                   wxString::Format(wxS("Could not register '%s' '%s'"), getElement(),
                                    GetFullPath()));
}

bool KivoLibrary::Unregister() {
  m_Registered = false;
  return true;
}

wxString KivoLibrary::Execute(const wxString& command, const wxString& params) {
  if (command == wxS("start")) return Start() ? kOk : kFailure;
  if (command == wxS("stop")) return Stop() ? kOk : kFailure;
  KivoBase* base = GetBase();
  if (base == nullptr) return wxString();
  KivoMethod method = findMethod(*base, command);
  return method != nullptr ? callMethod(*base, method, params) : wxString();
}

KivoMethod KivoLibrary::findMethod(KivoBase& base, const wxString& name) {
  if (m_Plugin != nullptr) {
    if (KivoMethod method = base.Find(m_Plugin->methods, name)) return method;
  }
  if (!m_Library->IsLoaded() || !m_Library->HasSymbol(name)) return nullptr;
  void* symbol = m_Library->GetSymbol(name);
  if (!platform::isOwnSymbol(m_Library->GetLibHandle(), symbol)) return nullptr;
  return reinterpret_cast<KivoMethod>(symbol);
}

// The argument and the reply blocks are ours: both go back to the memory manager
// once the reply is text.
wxString KivoLibrary::callMethod(KivoBase& base, KivoMethod method, const wxString& params) {
  KivoBlock* argument =
      params.empty() ? nullptr : base.Return(nullptr, params, KivoBlock::TextReply);
  KivoBlock* reply = method(nullptr, argument);
  const char* text = base.BlockToStr(nullptr, reply);
  const wxString answer = text != nullptr ? Convert::StringToWX(text) : wxString();
  base.Free(nullptr, reply);
  if (argument != reply) base.Free(nullptr, argument);
  return answer;
}

bool KivoLibrary::CanExecute(const wxString& command) {
  if (command == wxS("start") || command == wxS("stop")) return true;
  if (!m_Library->IsLoaded()) return false;
  KivoBase* base = GetBase();
  return base != nullptr && findMethod(*base, command) != nullptr;
}

wxString KivoLibrary::State(const Indent& indent, const wxString&) const {
  wxString content = m_Plugin != nullptr ? iPlugin::Details(m_Plugin, indent, true, false)
                                         : indent.it(wxS("<plugin unavailable=\"true\" />"), 0);
  if (m_Library->IsLoaded()) content += indent[0] + wxS("<library loaded=\"true\" />\n");
  return iPlugin::State(indent, content);
}

wxString KivoLibrary::getFilename() const { return m_Filename; }
bool KivoLibrary::getAutoStart() const { return m_AutoStart; }
bool KivoLibrary::isStarted() const { return m_Library->IsLoaded(); }
bool KivoLibrary::isRegistered() const { return m_Registered; }
void KivoLibrary::setFilename(const wxString& filename) { m_Filename = filename; }
void KivoLibrary::setAutoStart(bool autostart) { m_AutoStart = autostart; }

}  // namespace KivoUnit
