#pragma once

#include <deque>
#include <limits>
#include <unordered_map>

#include <wx/string.h>

#include "kivo/KivoExport.h"
#include "kivo/locale/Translation.h"

namespace KivoUnit {

// The cached translations of one language. Entries are never moved once stored,
// so the characters handed out by get() stay valid while their entry lives; an
// index finds a text without walking the entries.
class KIVO_API Localization {
 public:
  static constexpr size_t npos = std::numeric_limits<size_t>::max();

  explicit Localization(const wxString& language);

  const wxString& getLanguage() const { return m_Language; }
  size_t size() const { return m_Entries.size(); }
  const Translation& at(size_t index) const { return m_Entries.at(index); }

  // Index of the first entry for `text`, or npos.
  size_t findIndex(const wxString& text) const;
  // The stored translation's characters, or null.
  const wchar_t* get(const wxString& text) const;
  // Replaces the translation of the entry for `text` (left untouched when equal,
  // so its characters stay valid) or appends a new entry.
  void set(const wxString& text, const wxString& translation);

 private:
  struct TextHash {
    size_t operator()(const wxString& text) const;
  };

  wxString m_Language;
  std::deque<Translation> m_Entries;
  std::unordered_map<wxString, size_t, TextHash> m_Index;
};

}  // namespace KivoUnit
