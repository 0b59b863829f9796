#include "kivo/plugin/KivoMemory.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include "log/Report.h"
#include "kivo/convert/Indent.h"
#include "kivo/plugin/iPlugin.h"

namespace KivoUnit {
namespace {

constexpr const char* kSourcePath = "include/kivo/KivoMemory";

wxString hexAddress(const void* address) {
  return wxString::Format(wxS("%lX"), reinterpret_cast<unsigned long>(address));
}

// A caller's description with what it was made from: the record is described
// again only when one of its pointers or texts changed.
struct CallerDescription {
  const _Plugin* plugin;
  const _PluginInfo* info;
  const _PluginDetails* details;
  const _PluginVersion* version;
  const _PluginBuild* build;
  bool hasName;
  std::string name;
  _PluginVersion parts;
  std::uint32_t api;
  std::shared_ptr<const wxString> text;

  explicit CallerDescription(_Plugin* caller)
      : plugin(caller),
        info(caller->info),
        details(info != nullptr ? info->details : nullptr),
        version(info != nullptr ? info->version : nullptr),
        build(info != nullptr ? info->build : nullptr),
        hasName(details != nullptr && details->name != nullptr),
        name(hasName ? details->name : ""),
        parts(version != nullptr ? *version : _PluginVersion{0, 0, 0, 0}),
        api(build != nullptr ? build->api : 0),
        text(std::make_shared<const wxString>(
            iPlugin::Brief(caller, Indent(wxString(), wxS(" "), wxS("\n"))))) {}

  bool describes(const _Plugin* caller) const {
    if (caller != plugin || caller->info != info) return false;
    if (info == nullptr) return true;
    if (info->details != details || info->version != version || info->build != build) return false;
    const bool named = details != nullptr && details->name != nullptr;
    if (named != hasName || (named && std::strcmp(details->name, name.c_str()) != 0)) return false;
    if (version != nullptr &&
        std::memcmp(version, &parts, sizeof parts) != 0) {
      return false;
    }
    return build == nullptr || build->api == api;
  }
};

std::shared_ptr<const wxString> describeCaller(_Plugin* caller) {
  static std::mutex mutex;
  static std::vector<CallerDescription> recent;
  constexpr size_t kRemembered = 16;
  std::lock_guard<std::mutex> lock(mutex);
  for (const CallerDescription& known : recent) {
    if (known.describes(caller)) return known.text;
  }
  if (recent.size() == kRemembered) recent.erase(recent.begin());
  recent.emplace_back(caller);
  return recent.back().text;
}

}  // namespace

wxMutex KivoMemoryManager::Mutex;

KivoMemoryUnit::KivoMemoryUnit(int id, _Plugin* plugin, unsigned int size)
    : m_Block(new KivoBlock{KivoBlock::BinaryBlock, 0, {0, 0}, size, nullptr}), m_Id(id) {
  if (size != 0) {
    m_Block->data = std::malloc(size);
    if (m_Block->data == nullptr) {
      delete m_Block;
      throw std::bad_alloc();
    }
    m_Block->flag = 1;
  }
  if (plugin != nullptr) m_Allocator = describeCaller(plugin);
}

// Blocks below the binary types (pointer replies) never own their data, but the
// record itself is always ours.
KivoMemoryUnit::~KivoMemoryUnit() {
  if (m_Block->type >= KivoBlock::BinaryBlock && m_Block->flag == 1) std::free(m_Block->data);
  delete m_Block;
}

wxString KivoMemoryUnit::ToXML(const Indent& indent) const {
  wxString xml = indent.it(wxString::Format(wxS("<memunit id=\"%i\">"), m_Id), 0);
  xml += indent.it(wxString::Format(wxS("<block size=\"%i\" type=\"%.2X\" flag=\"%.2X\" dataPtr=\"%s\" />"),
                                    static_cast<int>(m_Block->size), m_Block->type,
                                    m_Block->flag, hexAddress(m_Block->data)),
                   1);
  if (m_Allocator != nullptr && !m_Allocator->empty()) {
    xml += indent.it(wxS("<allocator>"), 1) + indent.it(*m_Allocator, 2) +
           indent.it(wxS("</allocator>"), 1);
  }
  return xml + indent.it(wxS("</memunit>"), 0);
}

KivoMemoryManager::KivoMemoryManager() : m_Allocated(0), m_Freed(0), m_NextId(0) {}

KivoMemoryManager::~KivoMemoryManager() {
  wxMutexLocker lock(Mutex);
  for (KivoMemoryUnit* unit : m_Units) delete unit;
  m_Units.clear();
}

KivoBlock* KivoMemoryManager::Alloc(_Plugin* plugin, unsigned int size) {
  wxMutexLocker lock(Mutex);
  const int id = m_NextId++;
  KivoMemoryUnit* unit = nullptr;
  try {
    unit = new KivoMemoryUnit(id, plugin, size);
  } catch (const std::bad_alloc&) {
    return KIVO_FAIL(nullptr, LevelWarning,
                     wxString::Format(wxS("Failed to allocate %i bytes!"), static_cast<int>(size)));
  }
  m_Units.push_back(unit);
  m_Allocated += static_cast<int>(size);
  return unit->getBlock();
}

void KivoMemoryManager::Free(_Plugin*, KivoBlock* block) {
  if (block == nullptr) return;
  KivoMemoryUnit* unit = nullptr;
  {
    wxMutexLocker lock(Mutex);
    auto found = std::find_if(m_Units.begin(), m_Units.end(),
                              [block](const KivoMemoryUnit* u) { return u->getBlock() == block; });
    if (found == m_Units.end()) return;
    unit = *found;
    m_Units.erase(found);
    m_Freed += static_cast<int>(block->size);
  }
  delete unit;
}

wxString KivoMemoryManager::ToXML(const Indent& indent) const {
  wxMutexLocker lock(Mutex);
  wxString xml = indent.it(
      wxString::Format(wxS("<memory allocated=\"%i\" freed=\"%i\" total=\"%i\" units=\"%i\">"),
                       m_Allocated, m_Freed, m_Allocated - m_Freed, static_cast<int>(m_Units.size())),
      0);
  const Indent deeper = indent.Level(1);
  for (const KivoMemoryUnit* unit : m_Units) xml += unit->ToXML(deeper);
  return xml + indent.it(wxS("</memory>"), 0);
}

}  // namespace KivoUnit
