#pragma once

// The translator's language numbers are the toolkit's wxLanguage values. The
// numbering it was designed on (an older toolkit table) is mapped here, and only
// here, onto wxWidgets 3.2's:
// - "a known language" was a number below 230, the first number outside that
//   table; here it is a number below wxLANGUAGE_USER_DEFINED;
// - the fixed language every locale is initialised with was number 57 of that
//   table, English (U.K.); here it is wxLANGUAGE_ENGLISH_UK, which needs the
//   system locale en_GB.UTF-8 (scripts/setup generates it);
// - the language list starts at 2, after "default" and "unknown", in both tables.
#include <wx/language.h>

namespace KivoUnit::LanguageTable {

constexpr int kInitLanguage = wxLANGUAGE_ENGLISH_UK;
constexpr const char* kInitSystemLocale = "en_GB.UTF-8";
constexpr int kFirstListed = 2;
constexpr int kEnd = wxLANGUAGE_USER_DEFINED;

inline bool isTableNumber(int language) { return language < kEnd; }

}  // namespace KivoUnit::LanguageTable
