// Element labels made from names through the current locale's catalogs.
#include <gtest/gtest.h>

#include <cstdlib>

#include <tinyxml.h>

#include "kivo/element/KivoElement.h"
#include "kivo/locale/KivoTranslator.h"
#include "locale/Catalogs.h"
#include "support/LogCapture.h"

// With LOCPATH set, glibc's setlocale leaks its copy of the search path on every
// locale it cannot find (the toolkit tries many names): not this library's memory.
extern "C" const char* __lsan_default_suppressions() { return "leak:__argz_add_sep\n"; }

namespace KivoTest {
namespace {

using KivoUnit::KivoTranslator;

TEST_F(TranslatorTest, TranslatableNamesBecomeLabelsInTheCurrentLanguage) {
  TiXmlDocument document;
  document.Parse(
      "<r><a translatable_name=\"Item (3)\" label=\"old\"><b translatable_name=\"Open\"/></a>"
      "<c name=\"Cancel\"/></r>");
  TiXmlElement* first = document.RootElement()->FirstChildElement("a");
  KivoUnit::KivoElement::TranslateNamesToLabels(first);
  EXPECT_STREQ(first->Attribute("label"), "Item (3)") << "no locale yet: the name itself";
  first->SetAttribute("label", "old");
  document.RootElement()->FirstChildElement("c")->RemoveAttribute("label");

  ASSERT_TRUE(useLanguage(wxLANGUAGE_GERMAN_GERMANY));
  KivoUnit::KivoElement::TranslateNamesToLabels(first);
  EXPECT_STREQ(first->Attribute("label"), "Eintrag (3)");
  EXPECT_STREQ(first->FirstChildElement("b")->Attribute("label"), "Öffnen");
  EXPECT_STREQ(document.RootElement()->FirstChildElement("c")->Attribute("label"), "Abbrechen");
}

// Run in a process of its own (ctest runs each test so): the system locale files
// are hidden from the C library, as on a machine where en_GB.UTF-8 was never made.
TEST_F(TranslatorTest, AMissingSystemLocaleIsOneClearMessageAndCatalogsStillWork) {
  const std::string empty = dir().file("no-locales");
  ASSERT_EQ(runShell("mkdir -p '" + empty + "'").status, 0);
  setenv("LOCPATH", empty.c_str(), 1);
  LogCapture log;
  const bool set = useLanguage(wxLANGUAGE_GERMAN_GERMANY);
  unsetenv("LOCPATH");
  EXPECT_TRUE(set);
  size_t warnings = 0;
  for (const KivoUnit::PoolMessage& message : log.messages()) {
    if (message.level < KivoUnit::LevelWarning) continue;
    ++warnings;
    EXPECT_EQ(message.message,
              wxS("Cannot set the system locale to 'en_GB.UTF-8' (English (United Kingdom)): "
                  "generate it (locale-gen); translations from catalogs still work"));
  }
  EXPECT_EQ(warnings, 1u);
  EXPECT_EQ(KivoTranslator::getSingleton().Translate(wxS("Open")), wxS("Öffnen"));
}

}  // namespace
}  // namespace KivoTest
