#include "kivo/locale/Internationalization.h"

namespace KivoUnit {

// Few languages are ever cached, so they are searched in order.
size_t Internationalization::indexOf(const wxString& language) const {
  for (size_t i = 0; i < m_Languages.size(); ++i) {
    const wxString& stored = m_Languages[i].getLanguage();
    if (stored.length() == language.length() && stored == language) return i;
  }
  return npos;
}

const Localization* Internationalization::get(const wxString& language) const {
  const size_t index = indexOf(language);
  return index == npos ? nullptr : &m_Languages[index];
}

Localization& Internationalization::edit(const wxString& language) {
  const size_t index = indexOf(language);
  if (index != npos) return m_Languages[index];
  return m_Languages.emplace_back(language);
}

const wchar_t* Internationalization::get(const wxString& language, const wxString& text) const {
  wxCriticalSectionLocker lock(m_Lock);
  const Localization* localization = get(language);
  return localization == nullptr ? nullptr : localization->get(text);
}

const wchar_t* Internationalization::set(const wxString& language, const wxString& text,
                                         const wxString& translation) {
  wxCriticalSectionLocker lock(m_Lock);
  Localization& localization = edit(language);
  localization.set(text, translation);
  return localization.get(text);
}

}  // namespace KivoUnit
