#pragma once
// UTF-8 form of a wide text written into a buffer the caller keeps, so that a
// caller converting often can reuse its memory.
#include <string>

#include <wx/string.h>

namespace KivoUnit::detail {

// Replaces `out` with `text` in UTF-8; ASCII, the common case, in one pass.
void assignUtf8(std::string& out, const wxString& text);
// True when no byte of `text` is above 0x7F.
bool isAscii(const char* text, size_t length);

}  // namespace KivoUnit::detail
