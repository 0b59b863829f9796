#include "platform/MessageOutput.h"

#include <cstdio>

namespace KivoUnit::platform {

void showMessage(const wxString& caption, const wxString& text) {
  std::fprintf(stderr, "[%s]\n%s\n", caption.utf8_str().data(), text.utf8_str().data());
  std::fflush(stderr);
}

}  // namespace KivoUnit::platform
