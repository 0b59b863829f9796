#include "kivo/convert/Convert.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <cwchar>
#include <cwctype>

#include <wx/datetime.h>

#include "convert/NarrowText.h"
#include "kivo/element/KivoElement.h"
#include "kivo/log/Tracer.h"

namespace KivoUnit {

const wxString Convert::ValidUpperAlphabets = wxS("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
const wxString Convert::ValidLowerAlphabets = wxS("abcdefghijklmnopqrstuvwxyz");
const wxString Convert::ValidAlphabets = Convert::ValidUpperAlphabets + Convert::ValidLowerAlphabets;
const wxString Convert::ValidNumerics = wxS("0123456789");
const wxString Convert::ValidAlphaNumerics = Convert::ValidAlphabets + Convert::ValidNumerics;

namespace {

constexpr size_t kMaxFilenameLength = 260;

// Most texts are ASCII, where UTF-8 and the wide form hold the same values: they are
// converted in one pass and one allocation instead of wx's measure-then-convert.
wxString wideFromUtf8(const char* text, size_t length) {
  constexpr size_t kOnStack = 256;
  if (length > kOnStack || !detail::isAscii(text, length)) return wxString::FromUTF8(text, length);
  wchar_t wide[kOnStack];
  for (size_t i = 0; i < length; ++i) wide[i] = static_cast<unsigned char>(text[i]);
  return wxString(wide, length);
}

// Fixed-point text that ignores the process locale: files written in one locale
// must read back in any other.
wxString formatFixed(double value, int precision) {
  char buffer[512];
  const auto result =
      std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::fixed, precision);
  if (result.ec != std::errc()) return wxString::Format(wxS("%.*f"), precision, value);
  return wxString::FromAscii(buffer, static_cast<size_t>(result.ptr - buffer));
}

void useClassicNumericLocale() {
  const char* current = std::setlocale(LC_NUMERIC, nullptr);
  if (current == nullptr || std::strcmp(current, "C") != 0) std::setlocale(LC_NUMERIC, "C");
}

bool parseDouble(const wxString& text, double& value) {
  useClassicNumericLocale();
  const std::string utf8 = Convert::StringToSTD(text);
  char* end = nullptr;
  const double parsed = std::strtod(utf8.c_str(), &end);
  if (end == utf8.c_str()) return false;
  value = parsed;
  return true;
}

int hexDigitValue(wxUniChar c) {
  const wxUniChar::value_type v = c.GetValue();
  if (v >= '0' && v <= '9') return static_cast<int>(v - '0');
  if (v >= 'A' && v <= 'F') return static_cast<int>(v - 'A' + 10);
  if (v >= 'a' && v <= 'f') return static_cast<int>(v - 'a' + 10);
  return -1;
}

bool isAsciiAlphaNumeric(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

}  // namespace

wxString Convert::IntegerToString(int value) { return wxString::Format(wxS("%i"), value); }

wxString Convert::UintToString(unsigned int value) { return wxString::Format(wxS("%u"), value); }

int Convert::StringToInteger(const wxString& text, int def) {
  if (text.empty()) return def;
  // On a platform where long is wider than int, clamp to int as a narrow long would.
  const long value = std::wcstol(text.wc_str(), nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

unsigned int Convert::StringToUint(const wxString& text, unsigned int def) {
  if (text.empty()) return def;
  const wchar_t* start = text.wc_str();
  while (std::iswspace(static_cast<wint_t>(*start))) ++start;
  const bool negative = *start == L'-';
  if (*start == L'-' || *start == L'+') ++start;
  // The runtime's unsigned conversion with 32-bit long: magnitudes beyond the range
  // give the limit, a minus sign wraps around.
  const unsigned long magnitude = std::wcstoul(start, nullptr, 10);
  if (magnitude > UINT_MAX) return UINT_MAX;
  const unsigned int value = static_cast<unsigned int>(magnitude);
  return negative ? 0u - value : value;
}

double Convert::StringToDouble(const wxString& text, double def) {
  if (text.empty()) return def;
  double value = def;
  return parseDouble(text, value) ? value : def;
}

wxString Convert::DoubleToString(double value, int precision, bool normalise) {
  if (precision <= 0) return formatFixed(value, 6);
  wxString result = formatFixed(value, precision);
  double parsed = 0.0;
  if (normalise && parseDouble(result, parsed)) {
    if (parsed == 0.0) parsed = 0.0;  // drops the sign of a negative zero
    result = formatFixed(parsed, precision);
  }
  return result;
}

wxString Convert::BooleanToString(bool value) { return value ? wxS("true") : wxS("false"); }

bool Convert::StringToBoolean(const wxString& text, bool def) {
  const wxString lower = text.Lower();
  if (lower == wxS("false")) return false;
  if (lower == wxS("true")) return true;
  return def;
}

double Convert::Round(double value, int decimals) {
  if (value == 0.0) return value;
  double factor = 1.0;
  for (int i = 0; i < decimals; ++i) factor *= 10.0;
  const double scaled = value * factor;
  return scaled < 0.0 ? std::ceil(scaled - 0.5) / factor : std::floor(scaled + 0.5) / factor;
}

wxString Convert::BytesInHumanForm(wxLongLong bytes) {
  const double kB = bytes.ToDouble() / 1000.0;
  const double MB = kB / 1000.0;
  const double GB = MB / 1000.0;
  if (GB > 0.9) return wxString::Format(wxS("%.1f GB"), GB);
  if (MB > 0.9) return wxString::Format(wxS("%.1f MB"), MB);
  if (kB > 0.9) return wxString::Format(wxS("%.1f kB"), kB);
  return wxString::Format(wxS("%lld B"), static_cast<long long>(bytes.GetValue()));
}

long long Convert::GetTickCount() {
  const wxDateTime now = wxDateTime::UNow();
  const long long seconds = static_cast<long long>(now.GetTicks());
  return seconds * 1000 + now.GetMillisecond();
}

wxString Convert::DateTimeToString(const wxDateTime& dateTime) {
  // The toolkit asserts on every field of an invalid date and then formats garbage.
  if (!dateTime.IsValid()) return wxString();
  wxString text = dateTime.Format(wxS("%Y-%m-%d")) + wxS("T") + dateTime.Format(wxS("%H:%M:%S."));
  text += wxString::Format(wxS("%.3i"), static_cast<int>(dateTime.GetMillisecond()));
  // The standard-time offset: the runtime keeps seconds west of UTC.
  tzset();
  const long east = -static_cast<long>(timezone);
  const long magnitude = east < 0 ? -east : east;
  text += east >= 0 ? wxS("+") : wxS("-");
  text += wxString::Format(wxS("%.2i:%.2i"), static_cast<int>(magnitude / 3600),
                           static_cast<int>((magnitude % 3600) / 60));
  return text;
}

wxDateTime Convert::StringToDateTime(const wxString& text) {
  const size_t t = text.find(wxS('T'));
  const size_t point = text.find(wxS('.'));
  const wxString datePart = text.substr(0, t);
  const wxString timePart =
      t == wxString::npos ? wxString()
                          : text.substr(t + 1, point == wxString::npos || point < t
                                                   ? wxString::npos
                                                   : point - t - 1);
  const wxString millisecondPart =
      point == wxString::npos ? wxString() : text.substr(point + 1, 3);

  wxDateTime dateTime;
  wxString::const_iterator end;
  dateTime.ParseFormat(datePart, wxS("%Y-%m-%d"), wxDefaultDateTime, &end);
  if (dateTime.IsValid()) dateTime.ParseFormat(timePart, wxS("%H:%M:%S"), dateTime, &end);
  const int milliseconds = StringToInteger(millisecondPart, 0);
  if (dateTime.IsValid() && milliseconds >= 0 && milliseconds < 1000) {
    dateTime.SetMillisecond(static_cast<wxDateTime::wxDateTime_t>(milliseconds));
  }
  return dateTime;
}

bool detail::isAscii(const char* text, size_t length) {
  // The bytes of a block are or-ed together without a branch, so a whole file is
  // checked about as fast as it is read; a short text is one block.
  constexpr size_t kBlock = 64;
  for (size_t start = 0; start < length; start += kBlock) {
    const size_t end = std::min(length, start + kBlock);
    unsigned char high = 0;
    for (size_t i = start; i < end; ++i) high |= static_cast<unsigned char>(text[i]);
    if ((high & 0x80) != 0) return false;
  }
  return true;
}

void detail::assignUtf8(std::string& out, const wxString& text) {
  const wchar_t* wide = text.wx_str();
  const size_t length = text.length();
  out.resize(length);
  for (size_t i = 0; i < length; ++i) {
    if (static_cast<unsigned int>(wide[i]) >= 0x80) {
      const wxScopedCharBuffer utf8 = text.utf8_str();
      out.assign(utf8.data(), utf8.length());
      return;
    }
    out[i] = static_cast<char>(wide[i]);
  }
}

std::string Convert::StringToSTD(const wxString& text) {
  std::string narrow;
  detail::assignUtf8(narrow, text);
  return narrow;
}

std::string Convert::StringToSTD(const char* text) { return std::string(text); }

std::string Convert::StringToSTD(const wchar_t* text) {
  return text ? StringToSTD(wxString(text)) : std::string();
}

std::string Convert::StringToSTD(const std::string& text) { return text; }

wxString Convert::StringToWX(const char* text) {
  return text ? wideFromUtf8(text, std::strlen(text)) : wxString();
}

wxString Convert::StringToWX(const wchar_t* text) { return text ? wxString(text) : wxString(); }

wxString Convert::StringToWX(const wxString& text) { return text; }

wxString Convert::StringToWX(const std::string& text) {
  return wideFromUtf8(text.data(), text.size());
}

std::string Convert::ToValidUTF8(const char* text) {
  if (!KivoElement::is_utf8(text) || !KivoElement::is_valid_utf8(text)) {
    Tracer::getSingleton()->Log(4, wxString::Format(wxS("Non-UTF8(%s)"), StringToWX(text)),
                                __LINE__, "include/kivo/KivoTypes", "ToValidUTF8");
  }
  return std::string(text);
}

wxString Convert::ToValidString(wxString text, const wxString& allowed) {
  wxString result;
  if (allowed.empty()) return result;
  result.reserve(text.length());
  for (const wxUniChar c : text) {
    if (allowed.find(c) != wxString::npos) result += c;
  }
  return result;
}

wxString Convert::SaferFilename(const wxString& name) {
  if (name.empty()) return name;
  wxString safe = name.Left(kMaxFilenameLength);
  for (const wxChar c : {wxS('\\'), wxS('/'), wxS(':'), wxS('*'), wxS('?'), wxS('"'), wxS('<'),
                         wxS('>'), wxS('|')}) {
    safe.Replace(wxString(c), wxS("_"));
  }
  while (!safe.empty() && (safe.Last() == wxS(' ') || safe.Last() == wxS('.'))) safe.RemoveLast();
  return safe;
}

wxString Convert::encodeURI(const wxString& text) {
  static const char kHex[] = "0123456789ABCDEF";
  const std::string bytes = StringToSTD(text);
  std::string encoded;
  encoded.reserve(bytes.size() * 3);
  for (const char byte : bytes) {
    const unsigned char c = static_cast<unsigned char>(byte);
    if (isAsciiAlphaNumeric(c)) {
      encoded += static_cast<char>(c);
    } else {
      encoded += '%';
      encoded += kHex[c >> 4];
      encoded += kHex[c & 0x0F];
    }
  }
  return wxString::FromAscii(encoded.c_str());
}

wxString Convert::decodeURI(const wxString& text) {
  std::string bytes;
  bytes.reserve(text.length());
  const size_t length = text.length();
  for (size_t i = 0; i < length; ++i) {
    const wxUniChar c = text[i];
    if (c == wxS('%') && i + 2 < length) {
      const int high = hexDigitValue(text[i + 1]);
      const int low = hexDigitValue(text[i + 2]);
      if (high >= 0 && low >= 0) {
        bytes += static_cast<char>(high * 16 + low);
        i += 2;
        continue;
      }
    }
    bytes += static_cast<char>(c.GetValue() & 0xFF);
  }
  return wxString::FromUTF8(bytes.data(), bytes.size());
}

}  // namespace KivoUnit
