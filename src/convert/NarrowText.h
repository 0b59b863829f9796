#pragma once
// UTF-8 form of a wide text written into a buffer the caller keeps, so that a
// caller converting often can reuse its memory.
#include <string>

#include <wx/string.h>

namespace KivoUnit::detail {

// Replaces `out` with `text` in UTF-8; ASCII, the common case, in one pass.
void assignUtf8(std::string& out, const wxString& text);

}  // namespace KivoUnit::detail
