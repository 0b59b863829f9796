// The static text operations of elements: name encoding, UTF-8 checks and labels.
#include <array>
#include <cstring>

#include <tinyxml.h>

#include "log/Report.h"
#include "kivo/convert/Convert.h"
#include "kivo/element/KivoElement.h"
#include "kivo/locale/KivoTranslator.h"

namespace KivoUnit {

namespace {

constexpr const char* kSourcePath = "include/kivo/KivoElement";
constexpr char kHexDigits[] = "0123456789ABCDEF";

bool isSafeByte(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
         c == '_' || c == '-';
}

int hexValue(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool allSafe(const char* bytes) {
  for (; *bytes != '\0'; ++bytes) {
    if (!isSafeByte(static_cast<unsigned char>(*bytes))) return false;
  }
  return true;
}

bool inRange(unsigned char c, unsigned char low, unsigned char high) { return c >= low && c <= high; }

// Length of the XML-usable UTF-8 sequence at `p`, or 0 when there is none.
size_t strictSequenceLength(const unsigned char* p) {
  const unsigned char c = p[0];
  if (c == 0x09 || c == 0x0A || c == 0x0D || inRange(c, 0x20, 0x7E)) return 1;
  auto tail = [p](size_t from, size_t to) {
    for (size_t i = from; i < to; ++i) {
      if (!inRange(p[i], 0x80, 0xBF)) return false;
    }
    return true;
  };
  if (inRange(c, 0xC2, 0xDF)) return tail(1, 2) ? 2 : 0;
  if (c == 0xE0) return inRange(p[1], 0xA0, 0xBF) && tail(2, 3) ? 3 : 0;
  if (inRange(c, 0xE1, 0xEC) || c == 0xEE || c == 0xEF) return tail(1, 3) ? 3 : 0;
  if (c == 0xED) return inRange(p[1], 0x80, 0x9F) && tail(2, 3) ? 3 : 0;
  if (c == 0xF0) return inRange(p[1], 0x90, 0xBF) && tail(2, 4) ? 4 : 0;
  if (inRange(c, 0xF1, 0xF3)) return tail(1, 4) ? 4 : 0;
  if (c == 0xF4) return inRange(p[1], 0x80, 0x8F) && tail(2, 4) ? 4 : 0;
  return 0;
}

// Continuation bytes a lead byte asks for; stray bytes stand alone.
size_t continuationCount(unsigned char c) {
  if ((c & 0xE0) == 0xC0) return 1;
  if ((c & 0xF0) == 0xE0) return 2;
  if ((c & 0xF8) == 0xF0) return 3;
  return 0;
}

void labelElement(TiXmlElement& element) {
  const char* translatable = element.Attribute("translatable_name");
  const char* plain = element.Attribute("name");
  const char* label = element.Attribute("label");
  const char* name = translatable ? translatable : (plain ? plain : "");
  if (label != nullptr && (translatable == nullptr || *name == '\0')) {
    // Reported as the public operation that walks the elements.
    detail::report(LevelWarning,
                   wxString::Format(wxS("Element '%s' with name '%s' already has label '%s'"),
                                    wxString::FromUTF8(element.Value()), wxString::FromUTF8(name),
                                    wxString::FromUTF8(label)),
                   __LINE__, kSourcePath, "TranslateNamesToLabels");
    return;
  }
  if (*name == '\0') return;
  wxString base;
  const wxString full = wxString::FromUTF8(name);
  const long number = KivoElement::CutStringEndValue(full, base);
  wxString text = KivoTranslator::getSingleton().TranslateLabel(base);
  if (base != full) text = wxString::Format(wxS("%s (%li)"), text, number);
  element.SetAttribute("label", text.utf8_str().data());
}

// Pre-order over the element, its subtree and its following siblings, without recursion.
TiXmlElement* nextInWalk(TiXmlElement* element, const TiXmlNode* stop) {
  if (TiXmlElement* child = element->FirstChildElement()) return child;
  for (TiXmlElement* node = element; node != nullptr;) {
    if (TiXmlElement* sibling = node->NextSiblingElement()) return sibling;
    TiXmlNode* parent = node->Parent();
    node = (parent == nullptr || parent == stop) ? nullptr : parent->ToElement();
  }
  return nullptr;
}

}  // namespace

bool KivoElement::isEncoded(const wxString& text) {
  const wxScopedCharBuffer utf8 = text.utf8_str();
  bool dollar = false;
  for (const char* p = utf8.data(); *p != '\0'; ++p) {
    if (*p == '$') {
      dollar = true;
    } else if (!isSafeByte(static_cast<unsigned char>(*p))) {
      return false;
    }
  }
  return dollar;
}

bool KivoElement::encodesToItself(const wchar_t* text, size_t length) {
  // encode leaves text alone when every character is safe, and when it is
  // already encoded (safe characters and "$"). Paths ask this of every piece.
  static const auto kKept = [] {
    std::array<bool, 0x80> kept{};
    for (unsigned char c = 0; c < 0x80; ++c) kept[c] = c == '$' || isSafeByte(c);
    return kept;
  }();
  for (size_t i = 0; i < length; ++i) {
    const wchar_t c = text[i];
    if (c < 0 || c >= 0x80 || !kKept[static_cast<size_t>(c)]) return false;
  }
  return true;
}

wxString KivoElement::encode(const wxString& text) {
  if (text.empty() || isEncoded(text)) return text;
  const wxScopedCharBuffer utf8 = text.utf8_str();
  std::string result;
  result.reserve(utf8.length() * 3);
  for (const char* p = utf8.data(); *p != '\0'; ++p) {
    const unsigned char c = static_cast<unsigned char>(*p);
    if (isSafeByte(c)) {
      result += static_cast<char>(c);
    } else {
      result += '$';
      result += kHexDigits[c >> 4];
      result += kHexDigits[c & 0x0F];
    }
  }
  return wxString::FromAscii(result.data(), result.size());
}

wxString KivoElement::decode(const wxString& text) {
  const wxScopedCharBuffer utf8 = text.utf8_str();
  if (allSafe(utf8.data())) return text;
  std::string bytes;
  bytes.reserve(utf8.length());
  for (const char* p = utf8.data(); *p != '\0'; ++p) {
    const int high = *p == '$' ? hexValue(static_cast<unsigned char>(p[1])) : -1;
    const int low = high >= 0 ? hexValue(static_cast<unsigned char>(p[2])) : -1;
    if (low >= 0) {
      bytes += static_cast<char>(high * 16 + low);
      p += 2;
    } else {
      bytes += *p;
    }
  }
  return Convert::StringToWX(bytes);
}

long KivoElement::CutStringEndValue(const wxString& text, wxString& out) {
  out = text;
  if (text.length() < 3 || !text.EndsWith(wxS(")")) || text.find(wxS('(')) == wxString::npos) {
    return 0;
  }
  size_t open = text.length() - 1;  // walks back over the digits before ")"
  while (open > 0 && text[open - 1] >= wxS('0') && text[open - 1] <= wxS('9')) --open;
  if (open == 0 || text[open - 1] != wxS('(')) return 0;
  long number = 0;
  if (!text.substr(open, text.length() - 1 - open).ToLong(&number, 10)) return 0;
  out = text.substr(0, open - 1).Strip(wxString::both);
  return number;
}

void KivoElement::TranslateNamesToLabels(TiXmlElement* element) {
  const TiXmlNode* stop = element ? element->Parent() : nullptr;
  for (TiXmlElement* node = element; node != nullptr; node = nextInWalk(node, stop)) {
    labelElement(*node);
  }
}

bool KivoElement::is_utf8(const char* text) {
  if (text == nullptr) return false;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  while (*p != 0) {
    const size_t length = strictSequenceLength(p);
    if (length == 0) return false;
    p += length;
  }
  return true;
}

bool KivoElement::is_valid_utf8(const char* text) {
  if (text == nullptr) return false;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  while (*p != 0) {
    const size_t needed = continuationCount(*p++);
    for (size_t i = 0; i < needed; ++i, ++p) {
      if ((*p & 0xC0) != 0x80) return false;
    }
  }
  return true;
}

}  // namespace KivoUnit
