#pragma once

#include <wx/string.h>

namespace KivoUnit::platform {

// Shows a message to the user. The core library links no GUI toolkit, so the
// caption and the text go to standard error, also inside GUI hosts.
void showMessage(const wxString& caption, const wxString& text);

}  // namespace KivoUnit::platform
