#include <gtest/gtest.h>

#include "kivo/xml/KivoXML.h"

using KivoUnit::KivoXML;

namespace {
bool wild(const char* text, const char* pattern, const char* wildcard = "*") {
  return KivoXML::WildSearch(wxString::FromUTF8(text), wxString::FromUTF8(pattern),
                             wxString::FromUTF8(wildcard));
}
}  // namespace

TEST(XmlWildSearch, WithoutWildcardTheTextMustEqualThePattern) {
  EXPECT_TRUE(wild("abc", "abc"));
  EXPECT_FALSE(wild("abcd", "abc"));
  EXPECT_FALSE(wild("ABC", "abc"));
  EXPECT_TRUE(wild("", ""));
}

TEST(XmlWildSearch, FirstPieceIsAnchoredUnlessThePatternStartsWithTheWildcard) {
  EXPECT_TRUE(wild("abcd", "ab*"));
  EXPECT_FALSE(wild("xabc", "ab*"));
  EXPECT_TRUE(wild("xabc", "*ab*"));
  EXPECT_TRUE(wild("xabc", "*bc"));
}

TEST(XmlWildSearch, PiecesMatchInOrderWithoutOverlap) {
  EXPECT_TRUE(wild("a-b-c", "a*b*c"));
  EXPECT_FALSE(wild("a-c-b", "a*b*c"));
  EXPECT_FALSE(wild("aXa", "aXa*aXa"));
  EXPECT_TRUE(wild("aXaaXa", "aXa*aXa"));
}

TEST(XmlWildSearch, TheEndOfTheTextIsNotExamined) {
  EXPECT_TRUE(wild("abxcd", "ab*c"));
  EXPECT_TRUE(wild("zzxzz", "*x"));
  EXPECT_FALSE(wild("zzzz", "*x"));
}

TEST(XmlWildSearch, OnlyWildcardsMatchEverything) {
  EXPECT_TRUE(wild("", "*"));
  EXPECT_TRUE(wild("anything", "**"));
}

TEST(XmlWildSearch, EveryCharacterOfTheWildcardSplits) {
  EXPECT_TRUE(wild("a1b2c", "a?%b%c", "?%"));
  EXPECT_FALSE(wild("a1b2d", "a?%b%c", "?%"));
  // Splitting is per character, but only a pattern holding the whole wildcard text splits.
  EXPECT_FALSE(wild("a1b2c", "a?b%c", "?%"));
  EXPECT_TRUE(wild("a?b%c", "a?b%c", "?%"));
  EXPECT_TRUE(wild("a*b", "a*b", "?"));  // no wildcard in the pattern: equality
}

TEST(XmlWildSearch, NonAsciiTextAndPattern) {
  EXPECT_TRUE(wild("Gr\xC3\xBC\xC3\x9F" "e", "*\xC3\xBC*e"));
  EXPECT_FALSE(wild("Grusse", "*\xC3\xBC*"));
}

TEST(XmlCommaSearch, CaseInsensitiveItemsAreNotTrimmed) {
  EXPECT_TRUE(KivoXML::CommaSearch(wxS("Alpha,Beta"), wxS("b*")));
  EXPECT_FALSE(KivoXML::CommaSearch(wxS("Alpha, Beta"), wxS("b*")));
  EXPECT_TRUE(KivoXML::CommaSearch(wxS("alpha,beta"), wxS("BETA")));
  EXPECT_FALSE(KivoXML::CommaSearch(wxS(""), wxS("*")));
}

TEST(XmlCommaSearch, EmptyItemsBetweenAndBeforeCommasButNotAfter) {
  EXPECT_TRUE(KivoXML::CommaSearch(wxS(",a"), wxS("")));
  EXPECT_TRUE(KivoXML::CommaSearch(wxS("a,,b"), wxS("")));
  EXPECT_FALSE(KivoXML::CommaSearch(wxS("a,"), wxS("")));
}

TEST(XmlCommaSearch, ListItemsAreTheTexts) {
  EXPECT_TRUE(KivoXML::CommaSearch(wxS("node,library"), wxS("lib*")));
  EXPECT_FALSE(KivoXML::CommaSearch(wxS("lib*"), wxS("library")));
}
