// Seeded random input: nothing may crash, and what callers rely on must hold for all of it.
#include <gtest/gtest.h>

#include <random>

#include "kivo/element/KivoElement.h"
#include "support/TempDir.h"
#include "xml/XmlTestDocuments.h"

using KivoUnit::KivoElement;
using KivoUnit::KivoXML;
using namespace KivoTest;

namespace {

// Up to `maxLength` characters of `alphabet`.
template <typename Text>
Text randomText(std::mt19937& rng, size_t maxLength, const Text& alphabet) {
  Text text;
  for (size_t n = rng() % (maxLength + 1); n > 0; --n) text += alphabet[rng() % alphabet.length()];
  return text;
}

// Safe and unsafe name characters, and the first and last character of every UTF-8 length.
const wxString kWide = utf8("aZ9._-$ /<&\x01\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBD"
                            "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF");
const std::string kBytes = [] {
  std::string bytes;  // all but NUL
  for (int c = 1; c < 256; ++c) bytes += static_cast<char>(c);
  return bytes;
}();

// What WildSearch means: '*' takes any run, and the text may go on after the pattern.
bool prefixMatch(const char* text, const char* pattern) {
  if (*pattern == '\0') return true;
  if (*pattern != '*') return *text == *pattern && prefixMatch(text + 1, pattern + 1);
  for (const char* t = text;; ++t) {
    if (prefixMatch(t, pattern + 1)) return true;
    if (*t == '\0') return false;
  }
}

// A valid document with a few damaged bytes, sometimes cut short.
std::string damagedDocument(std::mt19937& rng) {
  std::string text =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root name=\"r\" a=\"&amp;\xC3\xA4\">"
      "<node name=\"n$20x\" label='l'><![CDATA[c]]><!-- c --></node>text</root>";
  for (size_t n = rng() % 5; n > 0; --n) text[rng() % text.size()] = static_cast<char>(rng());
  if (rng() % 5 == 0) text.resize(rng() % text.size());
  return text;
}

}  // namespace

TEST(XmlFuzz, TextOperationsKeepTheirPropertiesOnRandomInput) {
  std::mt19937 rng(1234);
  for (int i = 0; i < 2000; ++i) {
    const wxString wide = randomText(rng, 12, kWide);
    const wxString encoded = KivoElement::encode(wide);
    ASSERT_TRUE(KivoElement::is_utf8(encoded.utf8_str()));
    if (!KivoElement::isEncoded(wide)) {
      ASSERT_EQ(KivoElement::decode(encoded), wide) << i;
    }
    const std::string bytes = randomText(rng, 16, kBytes);
    if (KivoElement::is_utf8(bytes.c_str())) {
      ASSERT_TRUE(KivoElement::is_valid_utf8(bytes.c_str())) << i;
      ASSERT_TRUE(bytes.empty() || !utf8(bytes).empty()) << i;
    }
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
  LogCapture log(KivoUnit::AppLogErrors);
  std::mt19937 rng(2024);
  int reloaded = 0;
  for (int i = 0; i < 100; ++i) {
    const std::string content = i % 4 == 0 ? randomText(rng, 64, kBytes) : damagedDocument(rng);
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
