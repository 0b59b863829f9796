// Translation through real catalogs compiled with msgfmt: languages, "~" and bracket forms, switches,
// plural forms, maps and cache, untranslated-text logs, element labels and threads at once.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <thread>

#include <tinyxml.h>
#include <wx/filefn.h>

#include "kivo/app/Toolkit.h"
#include "kivo/base/KivoBase.h"
#include "kivo/element/KivoElement.h"
#include "kivo/locale/KivoLocale.h"
#include "kivo/locale/KivoTranslator.h"
#include "support/LogCapture.h"
#include "support/Shell.h"
#include "support/TempDir.h"

// With LOCPATH set, glibc's setlocale leaks its copy of the search path on every
// locale it cannot find (the toolkit tries many names): not this library's memory.
extern "C" const char* __lsan_default_suppressions() { return "leak:__argz_add_sep\n"; }

namespace KivoTest {
namespace {

using namespace KivoUnit;

const std::string kHeader = "msgid \"\"\nmsgstr \"\"\n\"Content-Type: text/plain; charset=UTF-8\\n\"\n"
                            "\"Plural-Forms: nplurals=2; plural=(n != 1);\\n\"\n\n";
const char* const kGerman =
    "msgid \"Open\"\nmsgstr \"Öffnen\"\n\nmsgid \"Cancel\"\nmsgstr \"Abbrechen\"\n\n"
    "msgid \"Item\"\nmsgstr \"Eintrag\"\n\nmsgid \"[Menu] Quit\"\nmsgstr \"Programm beenden\"\n\n"
    "msgid \"100% sure\"\nmsgstr \"Hundertprozentig\"\n\n"
    "msgid \"file\"\nmsgid_plural \"files\"\nmsgstr[0] \"Datei\"\nmsgstr[1] \"Dateien\"\n\n";
const char* const kFinnish =
    "msgid \"Open\"\nmsgstr \"Avaa\"\n\nmsgid \"Cancel\"\nmsgstr \"Peruuta\"\n\n"
    "msgid \"Only in Finnish\"\nmsgstr \"Vain suomeksi\"\n\n"
    "msgid \"file\"\nmsgid_plural \"files\"\nmsgstr[0] \"tiedosto\"\nmsgstr[1] \"tiedostoa\"\n\n";

KivoTranslator& translator() { return KivoTranslator::getSingleton(); }
wxString translate(const char* text) { return translator().Translate(wxString::FromUTF8(text)); }
void expectTranslations(std::initializer_list<std::pair<const char*, const char*>> cases) {
  for (const auto& [text, expected] : cases) EXPECT_EQ(translate(text), wxString::FromUTF8(expected)) << text;
}

// A fresh translator with default switches, no maps, and the German and Finnish catalogs in dir/locale.
class TranslatorTest : public testing::Test {
 protected:
  TranslatorTest() {
    dir.write("de_DE.po", kHeader + kGerman);
    dir.write("fi_FI.po", kHeader + kFinnish);
    EXPECT_EQ(runShell("mkdir locale && msgfmt -o locale/de_DE.mo de_DE.po && msgfmt -o locale/fi_FI.mo fi_FI.po",
                       dir.path()).status, 0);
  }
  ~TranslatorTest() override {  // the translator as it was before the test
    translator().ResetLocale();
    translator().SetLogUntranslated(false, wxString());
    translator().SetTranslateStrings(true);
    translator().SetBackwardsCompatibility(true);
    KivoLocale::clearCustomMaps();
    KivoLocale::clearTranslationMaps();
    KivoLocale::useCustomTranslationStrings() = false;
    KivoLocale::useDebugTranslationString() = false;
  }
  wxString path(const std::string& name) const { return wxString::FromUTF8(dir.file(name)); }
  // Lists the languages of dir/locale and sets `language` with its catalog.
  bool useLanguage(int language) {
    translator().addLanguages(path("locale"));
    return translator().InitLocale(language, wxString(), true, false);
  }

  Toolkit::Scope toolkit;
  TempDir dir;
};

TEST_F(TranslatorTest, GermanAndFinnishCatalogsTranslateInTheirLanguageUnderTheSwitches) {
  LogCapture log;
  ASSERT_TRUE(useLanguage(wxLANGUAGE_GERMAN_GERMANY));
  EXPECT_TRUE(log.contains(wxString::Format(wxS("Language set to #%i: 'German (Germany)'"),
                                            int(wxLANGUAGE_GERMAN_GERMANY)), LevelMessage));
  EXPECT_TRUE(log.contains(wxS("Added catalog 'de_DE.mo'"), LevelMessage));
  EXPECT_EQ(translator().getPrevLanguageCode(), wxS("de_DE"));
  expectTranslations({{"Open", "Öffnen"}, {"~Open~", "Öffnen"}, {"Cancel", "Abbrechen"}, {"~", ""},
                      {"~~", ""}, {"", ""}, {"Unknown", "Unknown"}, {"[Menu] Open", "Öffnen"},
                      {"[Menu] Quit", "Programm beenden"}, {"[Menu]Open", "[Menu]Open"}});
  EXPECT_EQ(wxString(KivoBase::Translate(wxS("~Cancel~"))), wxS("Abbrechen"));
  EXPECT_TRUE(log.contains(wxS("[de_DE] First translation of 'Open' to 'Öffnen'")));
  TiXmlDocument labels;  // element labels from names, "translatable_name" first
  labels.Parse("<a translatable_name='Item (3)' label='old'><c name='Cancel'/></a>");
  KivoElement::TranslateNamesToLabels(labels.RootElement());
  EXPECT_STREQ(labels.RootElement()->Attribute("label"), "Eintrag (3)");
  EXPECT_STREQ(labels.RootElement()->FirstChildElement("c")->Attribute("label"), "Abbrechen");
  KivoLocale* locale = translator().GetLocale();
  EXPECT_STREQ(locale->GetString(L"file", L"files", 1), L"Datei");
  EXPECT_STREQ(locale->GetString(L"file", L"files", 5), L"Dateien");

  ASSERT_TRUE(translator().InitLocale(wxLANGUAGE_FINNISH_FINLAND, wxString(), true, false));
  expectTranslations({{"Open", "Avaa"}, {"Cancel", "Peruuta"}, {"[Menu] Open", "Avaa"}});
  EXPECT_STREQ(locale->GetString(L"file", L"files", 0), L"tiedostoa");
  // Each language has its own cache; German answers come from it after the switch.
  ASSERT_TRUE(translator().InitLocale(wxLANGUAGE_GERMAN_GERMANY, wxString(), false, false));
  expectTranslations({{"Open", "Öffnen"}});

  // Switches: the bracket form, custom maps and translation itself.
  translator().SetBackwardsCompatibility(false);
  expectTranslations({{"[Menu] Cancel", "[Menu] Cancel"}, {"Open", "Öffnen"}});
  // Switched on again, the cached bracket form is retried as the text after "] ".
  translator().SetBackwardsCompatibility(true);
  expectTranslations({{"[Menu] Cancel", "Abbrechen"}});
  // Custom maps win over catalogs, unless the replacement is empty.
  KivoLocale::setCustomMap(wxS("de_DE"), {{wxS("Open"), wxS("Aufmachen")}, {wxS("Cancel"), wxS("")}});
  expectTranslations({{"Open", "Öffnen"}});  // custom maps are off
  KivoLocale::useCustomTranslationStrings() = true;
  expectTranslations({{"~Open~", "Aufmachen"}, {"Cancel", "Abbrechen"}});
  ASSERT_TRUE(translator().InitLocale(wxLANGUAGE_FINNISH_FINLAND, wxString(), true, false));
  expectTranslations({{"Open", "Avaa"}});  // the map is German's alone
  translator().SetTranslateStrings(false);
  translator().SetLogUntranslated(true, path("logs"));
  expectTranslations({{"~Open~", "Open"}, {"~Save~", "Save"}});
  EXPECT_FALSE(wxDirExists(path("logs"))) << "nothing is logged";
}

TEST_F(TranslatorTest, LanguagesAreListedAndSetOrFailClearly) {
  LogCapture log;
  const wxString previous = wxGetCwd();
  ASSERT_TRUE(wxSetWorkingDirectory(path("")));
  const size_t before = translator().getLanguages().size();  // the list only grows
  EXPECT_TRUE(translator().InitLocale(wxLANGUAGE_FINNISH_FINLAND, wxString(), false, true));
  EXPECT_EQ(wxGetCwd().utf8_string(), dir.path()) << "the working folder comes back";
  wxSetWorkingDirectory(previous);
  std::vector<LanguageEntry> languages = translator().getLanguages();
  ASSERT_EQ(languages.size(), before + 2);
  EXPECT_EQ(languages[before].code + languages[before + 1].code, wxS("fi_FIde_DE")) << "table order";
  EXPECT_TRUE(log.contains(wxS("Searching language files from: ") + path("locale")));
  EXPECT_TRUE(log.contains(wxString::Format(wxS("fi_FI = %i, ///< Finnish (Finland) (file exists)"),
                                            int(wxLANGUAGE_FINNISH_FINLAND))));
  EXPECT_TRUE(log.contains(
      wxString::Format(wxS("fr_FR = %i, ///< French (France) "), int(wxLANGUAGE_FRENCH_FRANCE))));
  // Both catalogs are loaded; without the Finnish catalog on top, German may answer.
  expectTranslations({{"Only in Finnish", "Vain suomeksi"}});

  // Catalogs of a folder can also be added without listing languages.
  translator().ResetLocale();  // a fresh cache: the text is looked up again
  ASSERT_TRUE(translator().InitLocale(wxLANGUAGE_FINNISH_FINLAND, wxString(), false, false));
  translator().AddLocaleCatalogs(path("locale"));
  EXPECT_EQ(translate("Only in Finnish"), wxS("Vain suomeksi"));
  EXPECT_EQ(translator().getLanguages().size(), before + 2);

  // Unknown languages fail and change nothing.
  for (const int unknown : {int(wxLANGUAGE_UNKNOWN), -7})
    EXPECT_FALSE(translator().InitLocale(unknown, wxString(), true, false)) << unknown;
  EXPECT_EQ(translator().getPrevLanguageCode(), wxS("fi_FI"));
  // Past the table the language goes to the runtime library, and is never "set".
  EXPECT_FALSE(translator().InitLocale(wxLANGUAGE_USER_DEFINED, wxS("C.UTF-8"), true, false));
  EXPECT_TRUE(log.contains(wxS("setlocale 'C.UTF-8' returned 'C.UTF-8'")));
  EXPECT_FALSE(translator().InitLocale(wxLANGUAGE_USER_DEFINED + 5, wxS("xx_NOWHERE"), true, false));
  EXPECT_TRUE(log.contains(wxS("setlocale 'xx_NOWHERE' failed")));
  EXPECT_EQ(std::string(std::setlocale(LC_NUMERIC, nullptr)), "C");
  // A known language without a catalog file: reported, and the language is set.
  EXPECT_TRUE(translator().InitLocale(wxLANGUAGE_SWEDISH_SWEDEN, wxString(), true, false));
  EXPECT_TRUE(log.contains(wxS("Failed to add 'sv_SE.mo'"), LevelError));
  EXPECT_EQ(translator().getPrevLanguageCode(), wxS("sv_SE"));
}

TEST_F(TranslatorTest, FirstTranslationsAreLookedUpOnceAndUntranslatedTextsLoggedOncePerRun) {
  ASSERT_TRUE(useLanguage(wxLANGUAGE_GERMAN_GERMANY));
  KivoLocale* locale = translator().GetLocale();
  LogCapture log;
  const wchar_t* first = locale->GetString(L"Open");
  for (int i = 0; i < 10000; ++i) locale->GetString(wxString::Format(wxS("text %i"), i).wc_str());
  EXPECT_EQ(locale->GetString(L"Open"), first) << "the cached characters, not a new copy";
  EXPECT_EQ(locale->GetString(nullptr), nullptr);
  size_t firstTranslations = 0;
  for (const wxString& text : log.texts()) firstTranslations += text.Contains(wxS("'Open'"));
  EXPECT_EQ(firstTranslations, 1u);

  // While texts are logged, the debug form shows translation and source (percent signs
  // doubled), and the translation maps record what each text became.
  translator().SetLogUntranslated(true, path("logs"));
  KivoLocale::useDebugTranslationString() = true;
  expectTranslations({{"100% sure", "'Hundertprozentig'\n''100%% sure''\n"},
                      {"Item", "'Eintrag'\n''Item''\n"}});
  KivoLocale::getDebugTranslationString() = wxS("%3$s: %1$s <- %2$s");
  expectTranslations({{"Cancel", "de_DE: Abbrechen <- Cancel"}});
  KivoLocale::getDebugTranslationString() = wxS("'%s'\n''%s''\n");
  EXPECT_EQ(KivoLocale::getTranslationMap(wxS("de_DE")),
            (TranslationMap{{wxS("100% sure"), wxS("Hundertprozentig")},
                            {wxS("Cancel"), wxS("Abbrechen")}, {wxS("Item"), wxS("Eintrag")}}));

  // Untranslated texts are logged once per run in files named after the locale's own
  // language, English (United Kingdom).
  KivoLocale::useDebugTranslationString() = false;
  dir.write("untranslated/en_GB.csv", "\n\"From an earlier run\",\"\"\n");
  translator().SetLogUntranslated(true, path("untranslated/./"));
  log.clear();
  const char* awkward = "Say \"hi\"\n\tto C:\\ Größe";
  for (int round = 0; round < 2; ++round)
    expectTranslations({{awkward, awkward}, {"~Missing~", "Missing"}, {"Open", "Öffnen"}});
  const std::string po = dir.read("untranslated/en_GB.po");
  EXPECT_EQ(po.find("Open"), std::string::npos);
  for (const char* entry : {"msgid \"Say \\\"hi\\\"\\n\\tto C:\\\\ Größe\"\nmsgstr \"\"\n\n",
                            "msgid \"~Missing~\"\nmsgstr \"\"\n\n"}) {
    EXPECT_NE(po.find(entry), std::string::npos) << po;
    EXPECT_EQ(po.find(entry), po.rfind(entry)) << po;
  }
  EXPECT_EQ(runShell("msgfmt --check -o /dev/null untranslated/en_GB.po", dir.path()).status, 0) << po;
  EXPECT_EQ(dir.read("untranslated/en_GB.csv"), "\n\"From an earlier run\",\"\"\n"
                                        "\n\"Say \"\"hi\"\"\n\tto C:\\ Größe\",\"\"\n\"Missing\",\"\"\n");
  size_t untranslated = 0;
  for (const wxString& text : log.texts()) untranslated += text.StartsWith(wxS("UNTRANSLATED"));
  EXPECT_EQ(untranslated, 2u);
  EXPECT_TRUE(log.contains(wxS("UNTRANSLATED [English (United Kingdom)] 'en_GB' '~Missing~'"),
                           LevelMessage));
  // A log folder that cannot be made leaves translation going.
  dir.write("plain-file", "not a folder");
  translator().SetLogUntranslated(true, path("plain-file/logs"));
  expectTranslations({{"Nowhere", "Nowhere"}, {"[Menu] Open", "Öffnen"}});
  EXPECT_FALSE(log.contains(wxS("UNTRANSLATED [English (United Kingdom)] 'en_GB' 'Nowhere'")));
}

// Run in a process of its own (ctest runs each test so): the system locale files
// are hidden from the C library, as on a machine where en_GB.UTF-8 was never made.
TEST_F(TranslatorTest, AMissingSystemLocaleIsOneClearMessageAndCatalogsStillWork) {
  ASSERT_EQ(runShell("mkdir no-locales", dir.path()).status, 0);
  setenv("LOCPATH", dir.file("no-locales").c_str(), 1);
  LogCapture log;
  const bool set = useLanguage(wxLANGUAGE_GERMAN_GERMANY);
  unsetenv("LOCPATH");
  EXPECT_TRUE(set);
  std::vector<wxString> warnings;
  for (const PoolMessage& m : log.messages())
    if (m.level >= LevelWarning) warnings.push_back(m.message);
  EXPECT_EQ(warnings, std::vector<wxString>{wxS(
      "Cannot set the system locale to 'en_GB.UTF-8' (English (United Kingdom)): "
      "generate it (locale-gen); translations from catalogs still work")});
  expectTranslations({{"Open", "Öffnen"}});
}

// Shared texts race for their first lookup; numbered ones fill the cache.
TEST_F(TranslatorTest, FourThreadsTranslateAtOnceWithTheSameAnswers) {
  ASSERT_TRUE(useLanguage(wxLANGUAGE_GERMAN_GERMANY));
  std::vector<int> wrong(4, 0);
  std::vector<std::thread> threads;
  for (int& count : wrong) {
    threads.emplace_back([&count] {
      for (int i = 0; i < 200; ++i) {
        const wxString numbered = wxString::Format(wxS("text %i"), i % 50);
        count += translator().Translate(wxS("~Open~")) != wxS("Öffnen");
        count += translator().Translate(wxS("[Menu] Cancel")) != wxS("Abbrechen");
        count += translator().TranslateLabel(wxS("Item")) != wxS("Eintrag");
        count += translator().Translate(numbered) != numbered;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(wrong, std::vector<int>(4, 0));
}

}  // namespace
}  // namespace KivoTest
