// The string conversions. UTF-8 survives the trip to a wide string and back, a URI
// encoding decodes to the text it came from, a filter keeps only allowed characters,
// and number parsing answers the default or a number for any text.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "kivo/convert/Convert.h"
#include "kivo/element/KivoElement.h"

using KivoUnit::Convert;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const wxString text = Convert::StringToWX(bytes);
  if (KivoUnit::KivoElement::is_utf8(bytes.c_str()) && bytes.find('\0') == std::string::npos) {
    KivoFuzz::require(Convert::StringToSTD(text) == bytes, "UTF-8 survives a round trip");
  }
  // URIs carry UTF-8 C strings: only a text without zero bytes that UTF-8 can hold
  // (no code point beyond U+10FFFF) comes back whole.
  const bool carried = text.find(wxUniChar(0)) == wxString::npos &&
                       Convert::StringToWX(Convert::StringToSTD(text)) == text;
  if (carried) {
    KivoFuzz::require(Convert::decodeURI(Convert::encodeURI(text)) == text,
                      "URI decoding undoes encoding");
  }
  const wxString allowed = wxS("abc123");
  for (const wxUniChar c : Convert::ToValidString(text, allowed)) {
    KivoFuzz::require(allowed.find(c) != wxString::npos, "only allowed characters are kept");
  }
  const double number = Convert::StringToDouble(text, 42.0);
  KivoFuzz::require(number == 42.0 || !std::isnan(number) || text.Lower().Contains(wxS("nan")),
                    "a number or the default");
  Convert::SaferFilename(text);
  return 0;
}
