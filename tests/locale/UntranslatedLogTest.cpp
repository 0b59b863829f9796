// The logs of untranslated texts: once per text and run, in files that gettext's
// tools and spreadsheets read back.
#include <gtest/gtest.h>

#include "kivo/locale/KivoTranslator.h"
#include "locale/Catalogs.h"
#include "support/LogCapture.h"

namespace KivoTest {
namespace {

using KivoUnit::KivoTranslator;

size_t countOf(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

TEST_F(TranslatorTest, UntranslatedTextsAreLoggedOncePerRunInCheckedFiles) {
  ASSERT_TRUE(useLanguage(wxLANGUAGE_GERMAN_GERMANY));
  // The files are named after the locale's own language, English (United Kingdom).
  dir().write("logs/en_GB.csv", "\n\"From an earlier run\",\"\"\n");
  KivoTranslator& translator = KivoTranslator::getSingleton();
  translator.SetLogUntranslated(true, wxString::FromUTF8(dir().file("logs/./")));
  LogCapture log;
  const wxString awkward = wxString::FromUTF8("Say \"hi\"\n\tto C:\\ Größe");
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(translator.Translate(awkward), awkward);
    EXPECT_EQ(translator.Translate(wxS("~Missing~")), wxS("Missing"));
    EXPECT_EQ(translator.Translate(wxS("Open")), wxS("Öffnen"));
  }
  const std::string po = dir().read("logs/en_GB.po");
  EXPECT_EQ(countOf(po, "msgid \"Say \\\"hi\\\"\\n\\tto C:\\\\ Größe\"\nmsgstr \"\"\n\n"), 1u)
      << po;
  EXPECT_EQ(countOf(po, "msgid \"~Missing~\"\nmsgstr \"\"\n\n"), 1u) << po;
  EXPECT_EQ(countOf(po, "Open"), 0u);
  EXPECT_EQ(runShell("msgfmt --check -o /dev/null '" + dir().file("logs/en_GB.po") + "'").status, 0)
      << po;
  EXPECT_EQ(dir().read("logs/en_GB.csv"),
            "\n\"From an earlier run\",\"\"\n"
            "\n\"Say \"\"hi\"\"\n\tto C:\\ Größe\",\"\"\n"
            "\"Missing\",\"\"\n");
  size_t untranslated = 0;
  for (const wxString& text : log.texts()) untranslated += text.StartsWith(wxS("UNTRANSLATED"));
  EXPECT_EQ(untranslated, 2u);
  EXPECT_TRUE(log.contains(wxS("UNTRANSLATED [English (United Kingdom)] 'en_GB' '~Missing~'"),
                           KivoUnit::LevelMessage));
}

TEST_F(TranslatorTest, AnUncreatableLogFolderLeavesTranslationGoing) {
  ASSERT_TRUE(useLanguage(wxLANGUAGE_GERMAN_GERMANY));
  dir().write("plain-file", "not a folder");
  KivoTranslator& translator = KivoTranslator::getSingleton();
  translator.SetLogUntranslated(true, wxString::FromUTF8(dir().file("plain-file/logs")));
  LogCapture log;
  EXPECT_EQ(translator.Translate(wxS("Nowhere")), wxS("Nowhere"));
  EXPECT_EQ(translator.Translate(wxS("[Menu] Open")), wxS("Öffnen"));
  for (const wxString& text : log.texts()) EXPECT_FALSE(text.StartsWith(wxS("UNTRANSLATED")));
}

}  // namespace
}  // namespace KivoTest
