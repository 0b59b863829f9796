#pragma once

#include <string>

#include <wx/longlong.h>
#include <wx/string.h>

#include "kivo/KivoExport.h"

class wxDateTime;

namespace KivoUnit {

// Stateless conversions between wide text, UTF-8, numbers, booleans and dates,
// and a few text cleaners. Narrow texts are UTF-8 throughout.
class KIVO_API Convert {
 public:
  static const wxString ValidUpperAlphabets;
  static const wxString ValidLowerAlphabets;
  static const wxString ValidAlphabets;
  static const wxString ValidNumerics;
  static const wxString ValidAlphaNumerics;

  static wxString IntegerToString(int value);
  static wxString UintToString(unsigned int value);
  // Leading blanks and a sign are accepted, the leading digits count, the rest is
  // ignored; only an empty text gives the default.
  static int StringToInteger(const wxString& text, int def);
  static unsigned int StringToUint(const wxString& text, unsigned int def);
  // Sets the runtime's numeric locale to "C" (process-wide) before parsing.
  static double StringToDouble(const wxString& text, double def);
  static wxString DoubleToString(double value, int precision, bool normalise);
  static wxString BooleanToString(bool value);
  static bool StringToBoolean(const wxString& text, bool def);
  // Halves go away from zero; decimals must not be negative.
  static double Round(double value, int decimals);
  static wxString BytesInHumanForm(wxLongLong bytes);
  // Milliseconds since 1970-01-01 UTC.
  static long long GetTickCount();

  // ISO 8601 in local time with milliseconds and the standard-time offset; "" for an
  // invalid date.
  static wxString DateTimeToString(const wxDateTime& dateTime);
  static wxDateTime StringToDateTime(const wxString& text);

  static std::string StringToSTD(const wxString& text);
  static std::string StringToSTD(const char* text);
  static std::string StringToSTD(const wchar_t* text);
  static std::string StringToSTD(const std::string& text);
  static wxString StringToWX(const char* text);
  static wxString StringToWX(const wchar_t* text);
  static wxString StringToWX(const wxString& text);
  static wxString StringToWX(const std::string& text);
  // Reports text that is not UTF-8 and returns its bytes unchanged; `text` must not be null.
  static std::string ToValidUTF8(const char* text);

  static wxString ToValidString(wxString text, const wxString& allowed);
  static wxString SaferFilename(const wxString& name);
  static wxString encodeURI(const wxString& text);
  static wxString decodeURI(const wxString& text);
};

}  // namespace KivoUnit
