#include "node/ChildIndex.h"

#include <mutex>

namespace KivoUnit {
namespace {

// Readers that find an index stale rebuild it one at a time.
std::mutex g_RebuildMutex;

}  // namespace

size_t ChildIndex::find(const Map& map, std::wstring_view key) {
  const auto found = map.find(key);
  return found == map.end() ? kNone : found->second;
}

std::wstring_view ChildIndex::labelKey(const iNode* child) {
  const wxString& stored = child->getStoredLabel();
  if (!stored.empty()) return viewOf(stored);
  m_DerivedLabels.push_back(child->getLabel().ToStdWstring());
  return m_DerivedLabels.back();
}

void ChildIndex::add(const iNode* child, size_t position) {
  const auto at = static_cast<uint32_t>(position);
  m_ByName.emplace(viewOf(child->getName()), at);  // an earlier sibling keeps the key
  m_ByLabel.emplace(labelKey(child), at);
}

void ChildIndex::ensure(const NodeList& children) {
  if (isValid()) return;
  std::lock_guard<std::mutex> lock(g_RebuildMutex);
  if (isValid()) return;
  m_ByName.clear();
  m_ByLabel.clear();
  m_DerivedLabels.clear();
  m_ByName.reserve(children.size());
  m_ByLabel.reserve(children.size());
  for (size_t i = 0; i < children.size(); ++i) {
    if (children[i] != nullptr) add(children[i], i);
  }
  m_Valid.store(true, std::memory_order_release);
}

void ChildIndex::appended(const NodeList& children) {
  if (!isValid() || children.empty()) return;
  if (children.back() != nullptr) add(children.back(), children.size() - 1);
}

void ChildIndex::droppedLast(const iNode* child, size_t position) {
  if (!isValid()) return;
  if (child == nullptr) return;
  const auto at = static_cast<uint32_t>(position);
  const auto name = m_ByName.find(viewOf(child->getName()));
  if (name != m_ByName.end() && name->second == at) m_ByName.erase(name);
  const wxString& stored = child->getStoredLabel();
  if (stored.empty()) {
    invalidate();  // a derived label has no key of its own to drop
    return;
  }
  const auto label = m_ByLabel.find(viewOf(stored));
  if (label != m_ByLabel.end() && label->second == at) m_ByLabel.erase(label);
}

}  // namespace KivoUnit
