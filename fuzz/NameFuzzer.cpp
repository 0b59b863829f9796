// Name encoding and the UTF-8 checks. Decoding an encoded text gives the text back,
// encoding twice changes nothing, an encoded name holds only safe characters, and
// the strict UTF-8 check is a subset of the loose one.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "kivo/element/KivoElement.h"

using KivoUnit::KivoElement;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string text = bytes.substr(0, bytes.find('\0'));
  const bool strict = KivoElement::is_utf8(text.c_str());
  const bool loose = KivoElement::is_valid_utf8(text.c_str());
  KivoFuzz::require(!strict || loose, "strict UTF-8 is also loose UTF-8");
  if (!strict) return 0;
  const wxString name = wxString::FromUTF8(text.c_str());
  KivoFuzz::require(name.utf8_str().length() == text.size(), "UTF-8 converts without loss");
  const wxString encoded = KivoElement::encode(name);
  for (const wxUniChar c : encoded) {
    const bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '.' || c == '_' || c == '-' || c == '$';
    KivoFuzz::require(safe, "an encoded name holds safe characters only");
  }
  KivoFuzz::require(KivoElement::encode(encoded) == encoded, "encoding twice changes nothing");
  if (!KivoElement::isEncoded(name)) {
    KivoFuzz::require(KivoElement::decode(encoded) == name, "decode undoes encode");
  }
  return 0;
}
