#pragma once

#include <deque>
#include <limits>

#include <wx/string.h>
#include <wx/thread.h>

#include "kivo/KivoExport.h"
#include "kivo/locale/Localization.h"

namespace KivoUnit {

// The translation cache of a locale: one Localization per language, never moved
// once added. The two-level get and set take the cache's own lock.
class KIVO_API Internationalization {
 public:
  static constexpr size_t npos = std::numeric_limits<size_t>::max();

  Internationalization() = default;
  Internationalization(const Internationalization&) = delete;
  Internationalization& operator=(const Internationalization&) = delete;

  size_t indexOf(const wxString& language) const;
  const Localization* get(const wxString& language) const;
  // The language's Localization, added empty when there is none.
  Localization& edit(const wxString& language);

  const wchar_t* get(const wxString& language, const wxString& text) const;
  // The stored translation's characters.
  const wchar_t* set(const wxString& language, const wxString& text, const wxString& translation);

 private:
  mutable wxCriticalSection m_Lock;
  std::deque<Localization> m_Languages;
};

}  // namespace KivoUnit
