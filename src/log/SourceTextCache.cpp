#include "log/SourceTextCache.h"

#include <cstdint>
#include <cstring>

namespace KivoUnit {

const wxString& SourceTextCache::wide(const char* text) {
  if (!text) return m_Empty;
  const auto address = reinterpret_cast<std::uintptr_t>(text);
  Entry& entry = m_Entries[(address ^ (address >> 8)) % kEntries];
  if (entry.address != text || std::strcmp(entry.bytes.c_str(), text) != 0) {
    entry.address = text;
    entry.bytes = text;
    entry.wide = wxString::FromUTF8(text);
  }
  return entry.wide;
}

}  // namespace KivoUnit
