#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include <wx/datetime.h>
#include <wx/debug.h>

#include "kivo/convert/Convert.h"
#include "kivo/convert/Indent.h"
#include "support/LogCapture.h"

using KivoUnit::Convert;

namespace {

// What `convert` makes of each of `inputs`, joined by '|'.
template <typename Input, typename Conversion>
wxString each(std::initializer_list<Input> inputs, Conversion convert) {
  wxString joined;
  for (const Input& input : inputs) joined << convert(input) << wxS("|");
  return joined;
}

int g_Assertions = 0;

}  // namespace

TEST(Convert, NumberAndBooleanTextsFallBackOnlyWhenEmptyAndIgnoreTheLocale) {
  EXPECT_EQ(each({"", "x", " 42 ", "12abc", "-17", "99999999999999999999", "-99999999999"},
                 [](const char* t) { return Convert::StringToInteger(t, 7); }),
            "7|0|42|12|-17|2147483647|-2147483648|");
  EXPECT_EQ(each({"", "abc", " 4000000000x", "-1", "-5", "5000000000"},
                 [](const char* t) { return Convert::StringToUint(t, 5u); }),
            "5|0|4000000000|4294967295|4294967291|4294967295|");
  EXPECT_EQ(each({"", "abc", "2.25kg", " -0.5"}, [](const char* t) { return Convert::StringToDouble(t, 1.5); }),
            "1.5|1.5|2.25|-0.5|");
  EXPECT_EQ(Convert::IntegerToString(-3) + Convert::UintToString(4000000000u), wxS("-34000000000"));
  EXPECT_EQ(Convert::DoubleToString(-0.0001, 2, true) + Convert::DoubleToString(-0.0001, 2, false) +
                Convert::DoubleToString(3.14159, 0, true) + Convert::DoubleToString(-1.25, 1, true),
            wxS("0.00-0.003.141590-1.2"));
  using Flag = std::pair<const char*, bool>;  // a text and the default
  EXPECT_EQ(each<Flag>({{"TRUE", false}, {"False", true}, {"yes", true}, {"", false}},
                       [](Flag c) { return Convert::StringToBoolean(c.first, c.second); }) +
                Convert::BooleanToString(true) + Convert::BooleanToString(false),
            wxS("1|0|1|0|truefalse"));
}

TEST(Convert, RoundingAndBytesInHumanForm) {
  // Halves go away from zero.
  using Decimals = std::pair<double, int>;
  EXPECT_EQ(each<Decimals>({{2.5, 0}, {-2.5, 0}, {-1.25, 1}, {0.0, 3}, {1.005, 2}, {1.2345, 3}},
                           [](Decimals c) { return Convert::Round(c.first, c.second); }),
            "3|-3|-1.3|0|1|1.235|");
  EXPECT_EQ(each<long long>({0, 900, 901, 900000, 900001, 1500000, 2000000000, 5000000000000LL},
                            [](long long b) { return Convert::BytesInHumanForm(wxLongLong(b)); }),
            "0 B|900 B|0.9 kB|900.0 kB|0.9 MB|1.5 MB|2.0 GB|5000.0 GB|");
}

TEST(Convert, Utf8AndTextCleaners) {
  // Round trips are fuzzed (fuzz/ConvertFuzzer.cpp); here the edges.
  EXPECT_EQ(Convert::StringToSTD(wxString::FromUTF8("gr\xC3\xBC\xE2\x82\xAC")), "gr\xC3\xBC\xE2\x82\xAC");
  EXPECT_EQ(Convert::StringToWX(static_cast<const char*>(nullptr)) + Convert::StringToWX("\xFF\xFE bad") +
                Convert::StringToWX(static_cast<const wchar_t*>(nullptr)) + Convert::StringToWX("\xC3\xA9"),
            wxS("\u00e9"));
  EXPECT_EQ(Convert::StringToSTD(static_cast<const wchar_t*>(nullptr)) + Convert::StringToSTD(L"\u00e9"),
            "\xC3\xA9");
  EXPECT_EQ(Convert::ToValidString(wxS("a-b_c1"), Convert::ValidAlphabets) + wxS("|") +
                Convert::ToValidString(wxS("a-b_c1"), Convert::ValidAlphaNumerics) +
                Convert::ToValidString(wxS("abc"), wxS("")),
            wxS("abc|abc1"));
  EXPECT_EQ(each<wxString>({wxS("a:b?."), wxS("..."), wxS("\\/:*?\"<>|"), wxS("name . ")}, Convert::SaferFilename),
            wxS("a_b_||_________|name|"));
  const wxString longName = wxString(wxS('x'), 259) + wxS("/") + wxString(wxS('y'), 40);
  EXPECT_EQ(Convert::SaferFilename(longName), wxString(wxS('x'), 259) + wxS("_"));

  KivoTest::LogCapture log;  // a bad byte is reported but kept
  EXPECT_EQ(Convert::ToValidUTF8("gr\xC3\xBC\xC3\x9F") + Convert::ToValidUTF8("bad \xFF byte"),
            "gr\xC3\xBC\xC3\x9F" "bad \xFF byte");
  ASSERT_EQ(log.count(), 1u);
  const KivoUnit::PoolMessage m = log.messages()[0];
  EXPECT_TRUE(wxString::Format("%i %s %s", m.level, m.function, m.message).StartsWith("4 ToValidUTF8 Non-UTF8("))
      << m.message;
}

TEST(Convert, UriEscapingAndIndent) {
  EXPECT_EQ(each<wxString>({wxS("a b"), wxS("\t"), wxString::FromUTF8("\xC3\xA9")}, Convert::encodeURI),
            wxS("a%20b|%09|%C3%A9|"));
  EXPECT_EQ(each<wxString>({wxS("100%"), wxS("%4"), wxS("%zz"), wxS("a%20b%41"), wxS("%c3%a9")}, Convert::decodeURI),
            wxString::FromUTF8("100%|%4|%zz|a bA|\xC3\xA9|"));

  const KivoUnit::Indent indent(wxS(""), wxS("  "), wxS("\n"));
  EXPECT_EQ(indent.it(wxS("x"), 2) + indent[0] + indent[-3] + indent.Level(1).it(wxS("y"), 1),
            wxS("    x\n    y\n"));
  EXPECT_EQ(indent.Level(1).Level(1).getPrefix(), wxS("    "));
  EXPECT_EQ(KivoUnit::Indent().it(wxS("z"), 1), wxS(" z\n"));
}

// Formatting a date, even an invalid one (no text), must not trip the toolkit's assertions
// (assert dialogs in a GUI host).
TEST(Convert, DateTextsRoundTripToTheMillisecondWithTheStandardOffsetOfTheZone) {
  const wxAssertHandler_t handler = wxSetAssertHandler([](const wxString&, int, const wxString&, const wxString&,
                                                          const wxString&) { ++g_Assertions; });
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
  EXPECT_EQ(Convert::DateTimeToString(wxDateTime()), wxString());
  previous ? setenv("TZ", saved.c_str(), 1) : unsetenv("TZ");
  tzset();
  wxSetAssertHandler(handler);
  EXPECT_EQ(g_Assertions, 0);
}
