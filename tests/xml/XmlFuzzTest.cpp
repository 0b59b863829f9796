// Seeded random input against the text operations and the loader: nothing may crash,
// and the properties that callers rely on must hold for every input.
#include <gtest/gtest.h>
#include <tinyxml.h>

#include <random>
#include <string>

#include "kivo/KivoElement.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

using KivoUnit::KivoElement;
using KivoUnit::KivoXML;

namespace {

constexpr int kIterations = 3000;

std::string randomBytes(std::mt19937& rng, size_t maxLength) {
  std::uniform_int_distribution<size_t> length(0, maxLength);
  std::uniform_int_distribution<int> byte(1, 255);
  std::string text(length(rng), '\0');
  for (char& c : text) c = static_cast<char>(byte(rng));
  return text;
}

std::string randomFrom(std::mt19937& rng, const std::string& alphabet, size_t maxLength) {
  std::uniform_int_distribution<size_t> length(0, maxLength);
  std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
  std::string text(length(rng), ' ');
  for (char& c : text) c = alphabet[pick(rng)];
  return text;
}

// Wide text from random code points, surrogates left out.
wxString randomWide(std::mt19937& rng) {
  std::uniform_int_distribution<int> length(0, 12);
  std::uniform_int_distribution<int> plane(0, 3);
  wxString text;
  for (int n = length(rng); n > 0; --n) {
    const int limits[] = {0x7F, 0x7FF, 0xFFFF, 0x10FFFF};
    std::uniform_int_distribution<int> point(1, limits[plane(rng)]);
    int c = point(rng);
    if (c >= 0xD800 && c <= 0xDFFF) c = 'x';
    text += wxUniChar(static_cast<wxUniChar::value_type>(c));
  }
  return text;
}

// Backtracking prefix match: '*' takes any run, the text may go on after the pattern.
bool prefixMatch(const char* text, const char* pattern) {
  if (*pattern == '\0') return true;
  if (*pattern == '*') {
    for (const char* t = text;; ++t) {
      if (prefixMatch(t, pattern + 1)) return true;
      if (*t == '\0') return false;
    }
  }
  return *text == *pattern && prefixMatch(text + 1, pattern + 1);
}

// What the matcher means: the pieces in order, the first one at the start unless the
// pattern starts with the wildcard, anything after the last piece.
bool referenceMatch(const std::string& text, const std::string& pattern) {
  if (pattern.find('*') == std::string::npos) return text == pattern;
  return prefixMatch(text.c_str(), pattern.c_str());
}

// Starts from a valid document and damages a few bytes.
std::string mutatedDocument(std::mt19937& rng) {
  std::string text =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root name=\"r\" a=\"&amp;\xC3\xA4\">"
      "<node name=\"n$20x\" label='l'><![CDATA[c]]><!-- c --></node>text</root>";
  std::uniform_int_distribution<size_t> position(0, text.size() - 1);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> edits(0, 4);
  for (int n = edits(rng); n > 0; --n) text[position(rng)] = static_cast<char>(byte(rng));
  if (edits(rng) == 0) text.resize(position(rng));
  return text;
}

}  // namespace

TEST(XmlFuzz, EncodeDecodeRoundTrip) {
  std::mt19937 rng(1234);
  for (int i = 0; i < kIterations; ++i) {
    const wxString text = randomWide(rng);
    const wxString encoded = KivoElement::encode(text);
    const wxString decoded = KivoElement::decode(encoded);
    ASSERT_TRUE(KivoElement::is_utf8(encoded.utf8_str()) || encoded.empty());
    if (!KivoElement::isEncoded(text)) {
      ASSERT_EQ(decoded, text) << i;
    }
    KivoElement::decode(wxString::FromUTF8(randomFrom(rng, "$0aFz9 .", 10).c_str()));
  }
}

TEST(XmlFuzz, Utf8ChecksAgreeWithTheDecoder) {
  std::mt19937 rng(99);
  for (int i = 0; i < kIterations; ++i) {
    const std::string bytes = randomBytes(rng, 16);
    const bool strict = KivoElement::is_utf8(bytes.c_str());
    const bool loose = KivoElement::is_valid_utf8(bytes.c_str());
    if (strict) {
      ASSERT_TRUE(loose);
      ASSERT_FALSE(bytes.size() > 0 && wxString::FromUTF8(bytes.c_str()).empty());
    }
  }
}

TEST(XmlFuzz, WildSearchMatchesTheReference) {
  std::mt19937 rng(7);
  for (int i = 0; i < kIterations; ++i) {
    const std::string text = randomFrom(rng, "ab", 8);
    const std::string pattern = randomFrom(rng, "ab*", 6);
    ASSERT_EQ(KivoXML::WildSearch(wxString(text), wxString(pattern), wxS("*")),
              referenceMatch(text, pattern))
        << "text '" << text << "' pattern '" << pattern << "'";
  }
}

TEST(XmlFuzz, LoadingDamagedFilesFailsCleanlyOrSurvivesASaveAndReload) {
  KivoTest::TempDir dir;
  KivoTest::LogCapture log(KivoUnit::AppLogErrors);
  std::mt19937 rng(2024);
  const wxString file = wxString::FromUTF8(dir.file("fuzz.xml").c_str());
  int reloaded = 0;
  for (int i = 0; i < kIterations / 3; ++i) {
    dir.write("fuzz.xml", i % 4 == 0 ? randomBytes(rng, 64) : mutatedDocument(rng));
    log.clear();
    KivoElement element(wxS("node"));
    if (!element.Load(file)) {
      ASSERT_EQ(log.count(), 1u);
      continue;
    }
    TiXmlElement* root = element.getDocument()->RootElement();
    if (root == nullptr) continue;
    element.Read(root);
    element.Write();
    ASSERT_TRUE(element.Save());
    KivoElement again(wxS("node"));
    ASSERT_TRUE(again.Load(file)) << i << ": " << again.GetXmlError();
    ++reloaded;
  }
  EXPECT_GT(reloaded, kIterations / 20);  // the damage must leave many documents loadable
}
