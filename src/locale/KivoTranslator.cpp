#include "kivo/locale/KivoTranslator.h"

namespace KivoUnit {

KivoTranslator& KivoTranslator::getSingleton() {
  static KivoTranslator translator;
  return translator;
}

wxString KivoTranslator::Translate(const wxString& text) const { return text; }

}  // namespace KivoUnit
