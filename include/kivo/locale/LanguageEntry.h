#pragma once

#include <wx/string.h>

#include "kivo/KivoExport.h"

namespace KivoUnit {

// A language with a catalog file, as KivoTranslator::addLanguages finds it.
struct KIVO_API LanguageEntry {
  int id = 0;     // the toolkit's language number
  wxString code;  // canonical name, for example de_DE
  wxString name;  // description, for example German
  wxString file;  // full path of the catalog file
};

}  // namespace KivoUnit
