// Seeded random input: nothing may crash, and what callers rely on must hold for all of it.
// (Name encoding and the UTF-8 checks are fuzzed by fuzz/NameFuzzer.cpp.)
#include <gtest/gtest.h>

#include <random>

#include "kivo/element/KivoElement.h"
#include "support/TempDir.h"
#include "xml/XmlTestDocuments.h"

using namespace KivoUnit;
using namespace KivoTest;

namespace {

// Up to `maxLength` characters of `alphabet`.
std::string randomText(std::mt19937& rng, size_t maxLength, const std::string& alphabet) {
  std::string text;
  for (size_t n = rng() % (maxLength + 1); n > 0; --n) text += alphabet[rng() % alphabet.length()];
  return text;
}

// What WildSearch means: '*' takes any run, and the text may go on after the pattern.
bool prefixMatch(const char* text, const char* pattern) {
  if (*pattern == '\0') return true;
  if (*pattern != '*') return *text == *pattern && prefixMatch(text + 1, pattern + 1);
  for (const char* t = text;; ++t) {
    if (prefixMatch(t, pattern + 1)) return true;
    if (*t == '\0') return false;
  }
}

// Random bytes but NUL, or a valid document with a few damaged bytes, sometimes cut short.
std::string damagedDocument(std::mt19937& rng, bool random) {
  std::string text(rng() % 65, ' ');
  for (char& c : text) c = static_cast<char>(1 + rng() % 255);
  if (random) return text;
  text =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root name=\"r\" a=\"&amp;\xC3\xA4\">"
      "<node name=\"n$20x\" label='l'><![CDATA[c]]><!-- c --></node>text</root>";
  for (size_t n = rng() % 5; n > 0; --n) text[rng() % text.size()] = static_cast<char>(rng());
  if (rng() % 5 == 0) text.resize(rng() % text.size());
  return text;
}

}  // namespace

TEST(XmlFuzz, WildSearchMatchesItsMeaningOnRandomInput) {
  std::mt19937 rng(1234);
  for (int i = 0; i < 2000; ++i) {
    const std::string text = randomText(rng, 8, std::string("ab"));
    const std::string pattern = randomText(rng, 6, std::string("ab*"));
    const bool plain = pattern.find('*') == std::string::npos;
    ASSERT_EQ(KivoXML::WildSearch(wxString(text), wxString(pattern), wxS("*")),
              plain ? text == pattern : prefixMatch(text.c_str(), pattern.c_str()))
        << "text '" << text << "' pattern '" << pattern << "'";
  }
}

TEST(XmlFuzz, DamagedFilesFailWithOneErrorOrSurviveASaveAndReload) {
  TempDir dir;
  LogCapture log(AppLogErrors);
  std::mt19937 rng(2024);
  int reloaded = 0;
  for (int i = 0; i < 100; ++i) {
    const std::string content = damagedDocument(rng, i % 4 == 0);
    const wxString file = utf8(dir.write("fuzz" + std::to_string(i) + ".xml", content));
    log.clear();
    KivoElement element(wxS("node"));
    if (!element.Load(file)) {
      ASSERT_EQ(log.count(), 1u) << i;
      ASSERT_TRUE(log.texts()[0].StartsWith("Loading file '" + file + "' failed\nError #")) << i;
      continue;
    }
    element.Read(element.getDocument()->RootElement());  // a document may have no element
    element.Write();
    ASSERT_TRUE(element.Save());
    KivoElement again(wxS("node"));
    ASSERT_TRUE(again.Load(file)) << i << ": " << again.GetXmlError();
    ++reloaded;
  }
  EXPECT_GT(reloaded, 20);  // the damage must leave many documents loadable
}
