#pragma once
// Conversions between the library's wide texts and the program's UTF-8 texts.
#include <wx/string.h>

#include <string>

namespace KivoHost {

inline std::string toUtf8(const wxString& text) { return std::string(text.utf8_str().data()); }

inline wxString fromUtf8(const std::string& text) { return wxString::FromUTF8(text.c_str()); }

}  // namespace KivoHost
