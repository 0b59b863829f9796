#pragma once

#include <wx/string.h>

#include "kivo/KivoExport.h"

namespace KivoUnit {

// The process's translator of user-visible texts. Until message catalogs are
// loaded it answers every text with itself.
class KIVO_API KivoTranslator {
 public:
  static KivoTranslator& getSingleton();

  wxString Translate(const wxString& text) const;

 private:
  KivoTranslator() = default;
};

}  // namespace KivoUnit
