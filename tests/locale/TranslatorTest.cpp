// Translation through real catalogs: languages, the "~" and bracket forms, the
// switches, plural forms and the language list.
#include <gtest/gtest.h>

#include <clocale>

#include <wx/filefn.h>

#include "kivo/base/KivoBase.h"
#include "kivo/locale/KivoLocale.h"
#include "kivo/locale/KivoTranslator.h"
#include "locale/Catalogs.h"
#include "support/LogCapture.h"

namespace KivoTest {
namespace {

using KivoUnit::KivoTranslator;

wxString translate(const char* text) {
  return KivoTranslator::getSingleton().Translate(wxString::FromUTF8(text));
}

struct Case {
  const char* text;
  const char* expected;
};

void expectTranslations(const std::vector<Case>& cases, const char* language) {
  for (const Case& c : cases) {
    EXPECT_EQ(translate(c.text), wxString::FromUTF8(c.expected)) << language << ": " << c.text;
  }
}

TEST_F(TranslatorTest, GermanAndFinnishCatalogsTranslateInTheirLanguage) {
  LogCapture log;
  ASSERT_TRUE(useLanguage(wxLANGUAGE_GERMAN_GERMANY));
  EXPECT_TRUE(log.contains(
      wxS("Language set to #") +
          wxString::Format(wxS("%i: 'German (Germany)'"), int(wxLANGUAGE_GERMAN_GERMANY)),
      KivoUnit::LevelMessage));
  EXPECT_TRUE(log.contains(wxS("Added catalog 'de_DE.mo'"), KivoUnit::LevelMessage));
  KivoTranslator& translator = KivoTranslator::getSingleton();
  EXPECT_EQ(translator.getPrevLanguageCode(), wxS("de_DE"));
  EXPECT_EQ(translator.getPrevLanguageId(), int(wxLANGUAGE_GERMAN_GERMANY));
  expectTranslations({{"Open", "Öffnen"},
                      {"~Open~", "Öffnen"},
                      {"Cancel", "Abbrechen"},
                      {"~", ""},
                      {"~~", ""},
                      {"", ""},
                      {"Unknown", "Unknown"},
                      {"[Menu] Open", "Öffnen"},
                      {"[Menu] Quit", "Programm beenden"},
                      {"[Menu]Open", "[Menu]Open"}},
                     "de_DE");
  EXPECT_EQ(wxString(KivoUnit::KivoBase::Translate(wxS("~Cancel~"))), wxS("Abbrechen"));
  EXPECT_TRUE(log.contains(wxS("[de_DE] First translation of 'Open' to 'Öffnen'")));

  ASSERT_TRUE(translator.InitLocale(wxLANGUAGE_FINNISH_FINLAND, wxString(), true, false));
  expectTranslations({{"Open", "Avaa"}, {"Cancel", "Peruuta"}, {"[Menu] Open", "Avaa"}}, "fi_FI");
  // Each language has its own cache; German answers come from it after the switch.
  ASSERT_TRUE(translator.InitLocale(wxLANGUAGE_GERMAN_GERMANY, wxString(), false, false));
  expectTranslations({{"Open", "Öffnen"}}, "de_DE cached");
  EXPECT_EQ(std::string(std::setlocale(LC_NUMERIC, nullptr)), "C");
}

TEST_F(TranslatorTest, PluralFormsComeFromTheCatalogOfTheLanguage) {
  ASSERT_TRUE(useLanguage(wxLANGUAGE_GERMAN_GERMANY));
  KivoUnit::KivoLocale* locale = KivoTranslator::getSingleton().GetLocale();
  EXPECT_STREQ(locale->GetString(L"file", L"files", 1), L"Datei");
  EXPECT_STREQ(locale->GetString(L"file", L"files", 5), L"Dateien");
  EXPECT_STREQ(locale->GetString(L"dog", L"dogs", 2), L"dogs");
  ASSERT_TRUE(
      KivoTranslator::getSingleton().InitLocale(wxLANGUAGE_FINNISH_FINLAND, wxS(""), true, false));
  EXPECT_STREQ(locale->GetString(L"file", L"files", 0), L"tiedostoa");
  EXPECT_STREQ(locale->GetString(L"file", L"files", 1), L"tiedosto");
}

TEST_F(TranslatorTest, SwitchesTurnTranslationAndTheBracketFormOff) {
  ASSERT_TRUE(useLanguage(wxLANGUAGE_GERMAN_GERMANY));
  KivoTranslator& translator = KivoTranslator::getSingleton();
  translator.SetBackwardsCompatibility(false);
  expectTranslations({{"[Menu] Open", "[Menu] Open"}, {"Open", "Öffnen"}}, "no bracket form");
  translator.SetTranslateStrings(false);
  translator.SetLogUntranslated(true, wxString::FromUTF8(dir().file("logs")));
  expectTranslations({{"~Open~", "Open"}, {"~Save~", "Save"}}, "translation off");
  EXPECT_FALSE(wxDirExists(wxString::FromUTF8(dir().file("logs")))) << "nothing is logged";
}

TEST_F(TranslatorTest, LanguagesWithACatalogFileAreListedAndLoaded) {
  LogCapture log;
  const std::string previous = wxGetCwd().utf8_string();
  ASSERT_TRUE(wxSetWorkingDirectory(wxString::FromUTF8(dir().path())));
  KivoTranslator& translator = KivoTranslator::getSingleton();
  const size_t before = translator.getLanguages().size();  // the list only grows
  EXPECT_TRUE(translator.InitLocale(wxLANGUAGE_FINNISH_FINLAND, wxString(), false, true));
  EXPECT_EQ(wxGetCwd().utf8_string(), dir().path()) << "the working folder comes back";
  wxSetWorkingDirectory(wxString::FromUTF8(previous));
  std::vector<KivoUnit::LanguageEntry> languages = translator.getLanguages();
  ASSERT_EQ(languages.size(), before + 2);
  languages.erase(languages.begin(), languages.begin() + before);
  EXPECT_EQ(languages[0].code + languages[1].code, wxS("fi_FIde_DE")) << "in table order";
  EXPECT_EQ(languages[0].id, int(wxLANGUAGE_FINNISH_FINLAND));
  EXPECT_EQ(languages[0].name, wxS("Finnish (Finland)"));
  EXPECT_EQ(languages[0].file.utf8_string(), dir().file("locale/fi_FI.mo"));
  EXPECT_TRUE(
      log.contains(wxS("Searching language files from: ") + wxString::FromUTF8(localeFolder())));
  EXPECT_TRUE(log.contains(wxString::Format(wxS("fi_FI = %i, ///< Finnish (Finland) (file exists)"),
                                            int(wxLANGUAGE_FINNISH_FINLAND))));
  EXPECT_TRUE(log.contains(
      wxString::Format(wxS("fr_FR = %i, ///< French (France) "), int(wxLANGUAGE_FRENCH_FRANCE))));
  // Both catalogs are loaded; without the Finnish catalog on top, German may answer.
  expectTranslations({{"Only in Finnish", "Vain suomeksi"}}, "listed catalogs");
}

TEST_F(TranslatorTest, CatalogsOfAFolderAreAddedWithoutListingLanguages) {
  KivoTranslator& translator = KivoTranslator::getSingleton();
  const size_t listed = translator.getLanguages().size();
  ASSERT_TRUE(translator.InitLocale(wxLANGUAGE_FINNISH_FINLAND, wxString(), false, false));
  EXPECT_EQ(translate("Only in Finnish"), wxS("Only in Finnish"));
  translator.ResetLocale();  // a fresh cache: the text is looked up again
  ASSERT_TRUE(translator.InitLocale(wxLANGUAGE_FINNISH_FINLAND, wxString(), false, false));
  translator.AddLocaleCatalogs(wxString::FromUTF8(localeFolder()));
  EXPECT_EQ(translate("Only in Finnish"), wxS("Vain suomeksi"));
  EXPECT_EQ(translator.getLanguages().size(), listed);
}

TEST_F(TranslatorTest, UnknownLanguagesAndMissingCatalogsFailClearly) {
  LogCapture log;
  KivoTranslator& translator = KivoTranslator::getSingleton();
  const wxString code = translator.getPrevLanguageCode();
  for (const int unknown : {int(wxLANGUAGE_UNKNOWN), -7}) {
    EXPECT_FALSE(translator.InitLocale(unknown, wxString(), true, false)) << unknown;
  }
  EXPECT_EQ(translator.getPrevLanguageCode(), code) << "nothing else changes";
  // Past the table the language goes to the runtime library, and is never "set".
  EXPECT_FALSE(translator.InitLocale(wxLANGUAGE_USER_DEFINED, wxS("C.UTF-8"), true, false));
  EXPECT_TRUE(log.contains(wxS("setlocale 'C.UTF-8' returned 'C.UTF-8'")));
  EXPECT_FALSE(translator.InitLocale(wxLANGUAGE_USER_DEFINED + 5, wxS("xx_NOWHERE"), true, false));
  EXPECT_TRUE(log.contains(wxS("setlocale 'xx_NOWHERE' failed")));
  EXPECT_EQ(std::string(std::setlocale(LC_NUMERIC, nullptr)), "C");
  // A known language without a catalog file: reported, and the language is set.
  EXPECT_TRUE(translator.InitLocale(wxLANGUAGE_SWEDISH_SWEDEN, wxString(), true, false));
  EXPECT_TRUE(log.contains(wxS("Failed to add 'sv_SE.mo'"), KivoUnit::LevelError));
  EXPECT_EQ(translator.getPrevLanguageCode(), wxS("sv_SE"));
}

}  // namespace
}  // namespace KivoTest
