#pragma once

#include <wx/string.h>

#include "kivo/KivoExport.h"

namespace KivoUnit {

// One cached translation: the text asked for and what it became.
class KIVO_API Translation {
 public:
  Translation(const wxString& text, const wxString& translation)
      : text(text), translation(translation) {}

  wxString text;
  wxString translation;
};

}  // namespace KivoUnit
