#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>

#include "kivo/node/iNode.h"

namespace KivoUnit {

// The first position of every stored name and of every label among a node's
// children, beside the ordered child list. Keys are views of the children's own
// strings, so the index holds no copies; labels derived from a name (no stored
// label) are kept here. Appending and dropping the last child keep it up to
// date; any other change marks it stale and the next look-up rebuilds it.
class ChildIndex {
 public:
  static constexpr size_t kNone = static_cast<size_t>(-1);
  // Fewer children than this are searched in order; an index would cost more.
  static constexpr size_t kMinChildren = 16;

  bool isValid() const { return m_Valid.load(std::memory_order_acquire); }
  void invalidate() { m_Valid.store(false, std::memory_order_release); }
  // Rebuilds the index when stale. Safe against other readers doing the same.
  void ensure(const NodeList& children);

  // After `children` grew by one at the back / lost its last entry `child`.
  void appended(const NodeList& children);
  void droppedLast(const iNode* child, size_t position);

  size_t firstByName(std::wstring_view name) const { return find(m_ByName, name); }
  size_t firstByLabel(std::wstring_view label) const { return find(m_ByLabel, label); }

 private:
  using Map = std::unordered_map<std::wstring_view, uint32_t>;
  static size_t find(const Map& map, std::wstring_view key);
  void add(const iNode* child, size_t position);
  std::wstring_view labelKey(const iNode* child);

  Map m_ByName;
  Map m_ByLabel;
  std::deque<std::wstring> m_DerivedLabels;
  std::atomic<bool> m_Valid{false};
};

inline std::wstring_view viewOf(const wxString& text) {
  return std::wstring_view(text.wx_str(), text.length());
}

// Names and path pieces are a few characters long: a plain loop costs less than
// the library call that wstring_view's find and == make for each.
inline size_t findIn(std::wstring_view text, wchar_t wanted, size_t from = 0) {
  for (size_t i = from; i < text.size(); ++i) {
    if (text[i] == wanted) return i;
  }
  return std::wstring_view::npos;
}

inline bool sameText(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i]) return false;
  }
  return true;
}

}  // namespace KivoUnit
