#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <ctime>
#include <string>

#include <wx/datetime.h>

#include "kivo/convert/Convert.h"
#include "kivo/convert/Indent.h"
#include "support/LogCapture.h"

using KivoUnit::Convert;

TEST(Convert, NumberAndBooleanTextsFallBackOnlyWhenEmptyAndIgnoreTheLocale) {
  for (const auto& [text, expected] : std::vector<std::pair<const wxChar*, int>>{
           {wxS(""), 7}, {wxS("x"), 0}, {wxS(" 42 "), 42}, {wxS("12abc"), 12}, {wxS("-17"), -17},
           {wxS("99999999999999999999"), INT_MAX}, {wxS("-99999999999"), INT_MIN}}) {
    EXPECT_EQ(Convert::StringToInteger(text, 7), expected) << text;
  }
  for (const auto& [text, expected] : std::vector<std::pair<const wxChar*, unsigned int>>{
           {wxS(""), 5u}, {wxS("abc"), 0u}, {wxS(" 4000000000x"), 4000000000u},
           {wxS("-1"), UINT_MAX}, {wxS("-5"), UINT_MAX - 4u}, {wxS("5000000000"), UINT_MAX}}) {
    EXPECT_EQ(Convert::StringToUint(text, 5u), expected) << text;
  }
  for (const auto& [text, expected] : std::vector<std::pair<const wxChar*, double>>{
           {wxS(""), 1.5}, {wxS("abc"), 1.5}, {wxS("2.25kg"), 2.25}, {wxS(" -0.5"), -0.5}}) {
    EXPECT_EQ(Convert::StringToDouble(text, 1.5), expected) << text;
  }
  EXPECT_EQ(Convert::IntegerToString(-3) + Convert::UintToString(4000000000u), wxS("-34000000000"));
  EXPECT_EQ(Convert::DoubleToString(-0.0001, 2, true), wxS("0.00"));
  EXPECT_EQ(Convert::DoubleToString(-0.0001, 2, false), wxS("-0.00"));
  EXPECT_EQ(Convert::DoubleToString(3.14159, 0, true), wxS("3.141590"));
  EXPECT_EQ(Convert::DoubleToString(-1.25, 1, true), wxS("-1.2"));
  EXPECT_TRUE(Convert::StringToBoolean(wxS("TRUE"), false));
  EXPECT_FALSE(Convert::StringToBoolean(wxS("False"), true));
  EXPECT_TRUE(Convert::StringToBoolean(wxS("yes"), true));
  EXPECT_FALSE(Convert::StringToBoolean(wxS(""), false));
  EXPECT_EQ(Convert::BooleanToString(true) + Convert::BooleanToString(false), wxS("truefalse"));
}

TEST(Convert, RoundSendsHalvesAwayFromZero) {
  EXPECT_EQ(Convert::Round(2.5, 0), 3.0);
  EXPECT_EQ(Convert::Round(-2.5, 0), -3.0);
  EXPECT_DOUBLE_EQ(Convert::Round(-1.25, 1), -1.3);
  EXPECT_EQ(Convert::Round(0.0, 3), 0.0);
  EXPECT_DOUBLE_EQ(Convert::Round(1.005, 2), 1.0);
  EXPECT_DOUBLE_EQ(Convert::Round(1.2345, 3), 1.235);
}

TEST(Convert, BytesInHumanFormThresholds) {
  for (const auto& [bytes, text] : std::vector<std::pair<long long, const wxChar*>>{
           {0, wxS("0 B")}, {900, wxS("900 B")}, {901, wxS("0.9 kB")}, {900000, wxS("900.0 kB")},
           {900001, wxS("0.9 MB")}, {1500000, wxS("1.5 MB")}, {2000000000, wxS("2.0 GB")},
           {5000000000000LL, wxS("5000.0 GB")}}) {
    EXPECT_EQ(Convert::BytesInHumanForm(wxLongLong(bytes)), text);
  }
}

TEST(Convert, Utf8Conversions) {
  const wxString wide = wxString::FromUTF8("gr\xC3\xBC\xC3\x9F \xE2\x82\xAC");
  const std::string narrow = Convert::StringToSTD(wide);
  EXPECT_EQ(narrow, "gr\xC3\xBC\xC3\x9F \xE2\x82\xAC");
  EXPECT_EQ(Convert::StringToWX(narrow), wide);
  EXPECT_EQ(Convert::StringToWX(narrow.c_str()), wide);
  EXPECT_EQ(Convert::StringToWX(static_cast<const char*>(nullptr)), wxS(""));
  EXPECT_EQ(Convert::StringToWX("\xFF\xFE bad"), wxS(""));
  EXPECT_EQ(Convert::StringToWX(static_cast<const wchar_t*>(nullptr)), wxS(""));
  EXPECT_EQ(Convert::StringToSTD(static_cast<const wchar_t*>(nullptr)), "");
  EXPECT_EQ(Convert::StringToSTD(L"\u00e9"), "\xC3\xA9");
}

TEST(Convert, TextCleaners) {
  EXPECT_EQ(Convert::ToValidString(wxS("a-b_c1"), Convert::ValidAlphabets), wxS("abc"));
  EXPECT_EQ(Convert::ToValidString(wxS("a-b_c1"), Convert::ValidAlphaNumerics), wxS("abc1"));
  EXPECT_EQ(Convert::ToValidString(wxS("abc"), wxS("")), wxS(""));

  EXPECT_EQ(Convert::SaferFilename(wxS("a:b?.")) + Convert::SaferFilename(wxS("...")), wxS("a_b_"));
  EXPECT_EQ(Convert::SaferFilename(wxS("\\/:*?\"<>|")), wxS("_________"));
  EXPECT_EQ(Convert::SaferFilename(wxS("name . ")), wxS("name"));
  const wxString longName = wxString(wxS('x'), 259) + wxS("/") + wxString(wxS('y'), 40);
  EXPECT_EQ(Convert::SaferFilename(longName), wxString(wxS('x'), 259) + wxS("_"));
}

TEST(Convert, UriEscaping) {
  EXPECT_EQ(Convert::encodeURI(wxS("a b")), wxS("a%20b"));
  EXPECT_EQ(Convert::encodeURI(wxS("\t")), wxS("%09"));
  EXPECT_EQ(Convert::encodeURI(wxString::FromUTF8("\xC3\xA9")), wxS("%C3%A9"));
  for (const wxChar* kept : {wxS("100%"), wxS("%4"), wxS("%zz")}) {
    EXPECT_EQ(Convert::decodeURI(kept), kept);
  }
  EXPECT_EQ(Convert::decodeURI(wxS("a%20b%41")), wxS("a bA"));
  EXPECT_EQ(Convert::decodeURI(wxS("%c3%a9")), wxString::FromUTF8("\xC3\xA9"));
  const wxString mixed = wxString::FromUTF8("x/y?z=1&\xE2\x82\xAC");
  EXPECT_EQ(Convert::decodeURI(Convert::encodeURI(mixed)), mixed);
}

TEST(Indent, LinesAndLevels) {
  const KivoUnit::Indent indent(wxS(""), wxS("  "), wxS("\n"));
  EXPECT_EQ(indent.it(wxS("x"), 2), wxS("    x\n"));
  EXPECT_EQ(indent[0], wxS(""));
  EXPECT_EQ(indent[-3], wxS(""));
  EXPECT_EQ(indent.Level(1).Level(1).getPrefix(), wxS("    "));
  EXPECT_EQ(indent.Level(1).it(wxS("y"), 1), wxS("    y\n"));
  const KivoUnit::Indent defaults;
  EXPECT_EQ(defaults.it(wxS("z"), 1), wxS(" z\n"));
}

TEST(Convert, DateTextsRoundTripToTheMillisecondWithTheStandardOffsetOfTheZone) {
  // A zone with a half-hour offset and no daylight saving, given as a POSIX rule so
  // that no time-zone database is needed.
  const char* previous = std::getenv("TZ");
  const std::string saved = previous ? previous : "";
  setenv("TZ", "XST+3:30", 1);
  tzset();
  const wxDateTime t(1, wxDateTime::Jul, 2020, 23, 59, 59, 999);
  EXPECT_EQ(Convert::DateTimeToString(t), wxS("2020-07-01T23:59:59.999-03:30"));
  EXPECT_EQ(Convert::DateTimeToString(wxDateTime(20, wxDateTime::Jan, 2015, 14, 3, 7, 42)),
            wxS("2015-01-20T14:03:07.042-03:30"));
  for (const wxDateTime& time : {t, wxDateTime::UNow()}) {
    EXPECT_EQ(Convert::StringToDateTime(Convert::DateTimeToString(time)), time);
  }
  EXPECT_FALSE(Convert::StringToDateTime(wxS("not a date")).IsValid());
  EXPECT_FALSE(Convert::StringToDateTime(wxS("")).IsValid());
  if (previous) {
    setenv("TZ", saved.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
}

TEST(Convert, ToValidUtf8ReportsButKeepsTheBytes) {
  KivoTest::LogCapture log;
  EXPECT_EQ(Convert::ToValidUTF8("gr\xC3\xBC\xC3\x9F"), "gr\xC3\xBC\xC3\x9F");
  EXPECT_EQ(log.count(), 0u);
  EXPECT_EQ(Convert::ToValidUTF8("bad \xFF byte"), "bad \xFF byte");
  ASSERT_EQ(log.count(), 1u);
  EXPECT_EQ(log.messages()[0].level, 4);
  EXPECT_TRUE(log.messages()[0].message.StartsWith(wxS("Non-UTF8(")));
  EXPECT_EQ(log.messages()[0].function, wxS("ToValidUTF8"));
}
