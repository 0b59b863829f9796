#include <gtest/gtest.h>

#include <tuple>

#include "kivo/xml/KivoXML.h"
#include "xml/XmlTestDocuments.h"

using KivoUnit::KivoXML;
using namespace KivoTest;

TEST(XmlWildSearch, PiecesMatchInOrderFromAnAnchoredStartWithAnOpenEnd) {
  const std::tuple<const char*, const char*, const char*, bool> cases[] = {
      // Without the wildcard the text must equal the pattern, case included.
      {"abc", "abc", "*", true}, {"abcd", "abc", "*", false}, {"ABC", "abc", "*", false},
      // The first piece stands at the start unless the pattern starts with the wildcard.
      {"xabc", "ab*", "*", false},
      // Pieces follow each other without overlapping; what follows the last is not examined.
      {"a-b-c", "a*b*c", "*", true}, {"a-c-b", "a*b*c", "*", false},
      {"aXaaXa", "aXa*aXa", "*", true}, {"abxcd", "ab*c", "*", true}, {"zzzz", "*x", "*", false},
      {"", "*", "*", true}, {"Gr\xC3\xBC\xC3\x9F" "e", "*\xC3\xBC*e", "*", true},
      {"Grusse", "*\xC3\xBC*", "*", false},
      // Every character of the wildcard splits, once the pattern holds the whole wildcard.
      {"a1b2c", "a?%b%c", "?%", true}, {"a1b2d", "a?%b%c", "?%", false},
      {"a1b2c", "a?b%c", "?%", false}, {"a?b%c", "a?b%c", "?%", true}};
  for (const auto& [text, pattern, wildcard, matches] : cases) {
    EXPECT_EQ(KivoXML::WildSearch(utf8(text), utf8(pattern), utf8(wildcard)), matches)
        << text << " " << pattern;
  }
}

TEST(XmlCommaSearch, ItemsAreUntrimmedCaseInsensitiveAndEmptyOnlyBeforeOrBetweenCommas) {
  const std::tuple<const wxChar*, const wxChar*, bool> cases[] = {
      {wxS("Alpha,Beta"), wxS("b*"), true}, {wxS("Alpha, Beta"), wxS("b*"), false},
      {wxS("alpha,beta"), wxS("BETA"), true}, {wxS("lib*"), wxS("library"), false},
      {wxS(""), wxS("*"), false}, {wxS(",a"), wxS(""), true}, {wxS("a,,b"), wxS(""), true},
      {wxS("a,"), wxS(""), false}};
  for (const auto& [list, pattern, found] : cases) {
    EXPECT_EQ(KivoXML::CommaSearch(list, pattern), found) << list << " " << pattern;
  }
}
