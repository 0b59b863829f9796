#include <gtest/gtest.h>

#include "kivo/xml/KivoXML.h"
#include "xml/XmlTestDocuments.h"

using KivoUnit::KivoXML;
using namespace KivoTest;

namespace {
bool wild(const char* text, const char* pattern, const char* wildcard = "*") {
  return KivoXML::WildSearch(utf8(text), utf8(pattern), utf8(wildcard));
}
}  // namespace

TEST(XmlWildSearch, PiecesMatchInOrderFromAnAnchoredStartWithAnOpenEnd) {
  // Without the wildcard the text must equal the pattern, case included.
  EXPECT_TRUE(wild("abc", "abc"));
  EXPECT_FALSE(wild("abcd", "abc"));
  EXPECT_FALSE(wild("ABC", "abc"));
  // The first piece stands at the start unless the pattern starts with the wildcard.
  EXPECT_FALSE(wild("xabc", "ab*"));
  // Pieces follow each other without overlapping.
  EXPECT_TRUE(wild("a-b-c", "a*b*c"));
  EXPECT_FALSE(wild("a-c-b", "a*b*c"));
  EXPECT_TRUE(wild("aXaaXa", "aXa*aXa"));
  // Whatever follows the last piece is not examined.
  EXPECT_TRUE(wild("abxcd", "ab*c"));
  EXPECT_FALSE(wild("zzzz", "*x"));
  EXPECT_TRUE(wild("", "*"));
  EXPECT_TRUE(wild("Gr\xC3\xBC\xC3\x9F" "e", "*\xC3\xBC*e"));
  EXPECT_FALSE(wild("Grusse", "*\xC3\xBC*"));
  // Every character of the wildcard splits, once the pattern holds the whole wildcard.
  EXPECT_TRUE(wild("a1b2c", "a?%b%c", "?%"));
  EXPECT_FALSE(wild("a1b2d", "a?%b%c", "?%"));
  EXPECT_FALSE(wild("a1b2c", "a?b%c", "?%"));  // "?%" is not in the pattern: equality
  EXPECT_TRUE(wild("a?b%c", "a?b%c", "?%"));
}

TEST(XmlCommaSearch, ItemsAreUntrimmedCaseInsensitiveAndEmptyOnlyBeforeOrBetweenCommas) {
  EXPECT_TRUE(KivoXML::CommaSearch(wxS("Alpha,Beta"), wxS("b*")));
  EXPECT_FALSE(KivoXML::CommaSearch(wxS("Alpha, Beta"), wxS("b*")));
  EXPECT_TRUE(KivoXML::CommaSearch(wxS("alpha,beta"), wxS("BETA")));
  EXPECT_FALSE(KivoXML::CommaSearch(wxS("lib*"), wxS("library")));  // the list holds texts
  EXPECT_FALSE(KivoXML::CommaSearch(wxS(""), wxS("*")));
  EXPECT_TRUE(KivoXML::CommaSearch(wxS(",a"), wxS("")));
  EXPECT_TRUE(KivoXML::CommaSearch(wxS("a,,b"), wxS("")));
  EXPECT_FALSE(KivoXML::CommaSearch(wxS("a,"), wxS("")));
}
