#include "kivo/convert/Indent.h"

#include <utility>

namespace KivoUnit {

Indent::Indent(wxString prefix, wxString unit, const wxString& lineEnd)
    : m_Prefix(std::move(prefix)), m_Unit(std::move(unit)), m_LineEnd(lineEnd) {}

wxString Indent::operator[](int n) const {
  wxString text = m_Prefix;
  for (int i = 0; i < n; ++i) text += m_Unit;
  return text;
}

wxString Indent::it(const wxString& text, int n) const { return (*this)[n] + text + m_LineEnd; }

Indent Indent::Level(int n) const { return Indent((*this)[n], m_Unit, m_LineEnd); }

}  // namespace KivoUnit
