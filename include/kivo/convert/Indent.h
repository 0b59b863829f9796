#pragma once

#include <wx/string.h>

#include "kivo/KivoExport.h"

namespace KivoUnit {

// How an XML report indents its lines: the current prefix, one level, the line end.
class KIVO_API Indent {
 public:
  Indent(wxString prefix = wxString(), wxString unit = wxS(" "),
         const wxString& lineEnd = wxS("\n"));

  // The prefix followed by n units (the prefix alone for n <= 0).
  wxString operator[](int n) const;
  // One report line, n levels deeper than the current one.
  wxString it(const wxString& text, int n) const;
  // The same indentation, n levels deeper.
  Indent Level(int n) const;

  const wxString& getPrefix() const { return m_Prefix; }
  const wxString& getUnit() const { return m_Unit; }
  const wxString& getLineEnd() const { return m_LineEnd; }

 private:
  wxString m_Prefix;
  wxString m_Unit;
  wxString m_LineEnd;
};

}  // namespace KivoUnit
