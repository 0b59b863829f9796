#include "kivo/locale/Localization.h"

#include <string_view>

namespace KivoUnit {

size_t Localization::TextHash::operator()(const wxString& text) const {
  return std::hash<std::wstring_view>()(std::wstring_view(text.wc_str(), text.length()));
}

Localization::Localization(const wxString& language) : m_Language(language) {}

size_t Localization::findIndex(const wxString& text) const {
  const auto found = m_Index.find(text);
  return found == m_Index.end() ? npos : found->second;
}

const wchar_t* Localization::get(const wxString& text) const {
  const size_t index = findIndex(text);
  return index == npos ? nullptr : m_Entries[index].translation.wc_str();
}

void Localization::set(const wxString& text, const wxString& translation) {
  const size_t index = findIndex(text);
  if (index == npos) {
    m_Entries.emplace_back(text, translation);
    m_Index.emplace(text, m_Entries.size() - 1);
  } else if (m_Entries[index].translation != translation) {
    m_Entries[index].translation = translation;
  }
}

}  // namespace KivoUnit
