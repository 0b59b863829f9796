#include "locale/Catalogs.h"

#include <filesystem>

#include "kivo/locale/KivoLocale.h"
#include "kivo/locale/KivoTranslator.h"

namespace KivoTest {

using KivoUnit::KivoLocale;
using KivoUnit::KivoTranslator;

const char* const kGermanEntries =
    "msgid \"Open\"\nmsgstr \"Öffnen\"\n\n"
    "msgid \"Cancel\"\nmsgstr \"Abbrechen\"\n\n"
    "msgid \"Item\"\nmsgstr \"Eintrag\"\n\n"
    "msgid \"[Menu] Quit\"\nmsgstr \"Programm beenden\"\n\n"
    "msgid \"100% sure\"\nmsgstr \"Hundertprozentig\"\n\n"
    "msgid \"file\"\nmsgid_plural \"files\"\nmsgstr[0] \"Datei\"\nmsgstr[1] \"Dateien\"\n\n";

const char* const kFinnishEntries =
    "msgid \"Open\"\nmsgstr \"Avaa\"\n\n"
    "msgid \"Cancel\"\nmsgstr \"Peruuta\"\n\n"
    "msgid \"Only in Finnish\"\nmsgstr \"Vain suomeksi\"\n\n"
    "msgid \"file\"\nmsgid_plural \"files\"\nmsgstr[0] \"tiedosto\"\nmsgstr[1] \"tiedostoa\"\n\n";

std::string compileCatalog(const std::string& folder, const std::string& code,
                           const std::string& entries) {
  TempDir scratch;
  const std::string po = scratch.write(code + ".po",
                                       "msgid \"\"\nmsgstr \"\"\n"
                                       "\"Content-Type: text/plain; charset=UTF-8\\n\"\n"
                                       "\"Plural-Forms: nplurals=2; plural=(n != 1);\\n\"\n\n" +
                                           entries);
  std::filesystem::create_directories(folder);
  const std::string mo = folder + "/" + code + ".mo";
  return runShell("msgfmt -o " + shellWord(mo) + " " + shellWord(po)).status == 0 ? mo : std::string();
}

namespace {

void resetTranslator() {
  KivoTranslator& translator = KivoTranslator::getSingleton();
  translator.ResetLocale();
  translator.SetLogUntranslated(false, wxString());
  translator.SetTranslateStrings(true);
  translator.SetBackwardsCompatibility(true);
  KivoLocale::clearCustomMaps();
  KivoLocale::clearTranslationMaps();
  KivoLocale::useCustomTranslationStrings() = false;
  KivoLocale::useDebugTranslationString() = false;
}

}  // namespace

TranslatorTest::TranslatorTest() {
  resetTranslator();
  EXPECT_NE(compileCatalog(localeFolder(), "de_DE", kGermanEntries), "");
  EXPECT_NE(compileCatalog(localeFolder(), "fi_FI", kFinnishEntries), "");
}

TranslatorTest::~TranslatorTest() { resetTranslator(); }

bool TranslatorTest::useLanguage(int language) {
  KivoTranslator& translator = KivoTranslator::getSingleton();
  translator.addLanguages(wxString::FromUTF8(localeFolder()));
  return translator.InitLocale(language, wxString(), true, false);
}

}  // namespace KivoTest
