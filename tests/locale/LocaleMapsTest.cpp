// Custom maps, translation maps, the debug form and the translation cache.
#include <gtest/gtest.h>

#include "kivo/locale/Internationalization.h"
#include "kivo/locale/KivoLocale.h"
#include "kivo/locale/KivoTranslator.h"
#include "locale/Catalogs.h"
#include "support/LogCapture.h"

namespace KivoTest {
namespace {

using KivoUnit::KivoLocale;
using KivoUnit::KivoTranslator;
using KivoUnit::TranslationMap;

TEST_F(TranslatorTest, CustomMapsWinOverCatalogsUnlessTheReplacementIsEmpty) {
  ASSERT_TRUE(useLanguage(wxLANGUAGE_GERMAN_GERMANY));
  KivoLocale::setCustomMap(wxS("de_DE"),
                           {{wxS("Open"), wxS("Aufmachen")}, {wxS("Cancel"), wxS("")}});
  KivoTranslator& translator = KivoTranslator::getSingleton();
  EXPECT_EQ(translator.Translate(wxS("Open")), wxS("Öffnen")) << "custom maps are off";
  KivoLocale::useCustomTranslationStrings() = true;
  EXPECT_EQ(translator.Translate(wxS("~Open~")), wxS("Aufmachen"));
  EXPECT_EQ(translator.Translate(wxS("Cancel")), wxS("Abbrechen"));
  // Another language has no custom map yet: asking enters an empty one.
  ASSERT_TRUE(translator.InitLocale(wxLANGUAGE_FINNISH_FINLAND, wxString(), true, false));
  EXPECT_EQ(translator.Translate(wxS("Open")), wxS("Avaa"));
  const KivoUnit::TranslationMaps maps = KivoLocale::getCustomMaps();
  ASSERT_EQ(maps.size(), 2u);
  EXPECT_TRUE(maps.at(wxS("fi_FI")).empty());
  EXPECT_EQ(maps.at(wxS("de_DE")).size(), 2u);
  KivoLocale::setCustomMaps(KivoLocale::theCustomMaps());  // the maps themselves: no change
  EXPECT_EQ(KivoLocale::getCustomMaps().size(), 2u);
  KivoLocale::clearCustomMaps();
  EXPECT_TRUE(KivoLocale::getCustomMaps().empty());
}

TEST_F(TranslatorTest, DebugFormShowsTranslationAndSourceWithPercentDoubled) {
  ASSERT_TRUE(useLanguage(wxLANGUAGE_GERMAN_GERMANY));
  KivoTranslator& translator = KivoTranslator::getSingleton();
  translator.SetLogUntranslated(true, wxString::FromUTF8(dir().file("logs")));
  KivoLocale::useDebugTranslationString() = true;
  EXPECT_EQ(translator.Translate(wxS("100% sure")), wxS("'Hundertprozentig'\n''100%% sure''\n"));
  EXPECT_EQ(translator.Translate(wxS("Open")), wxS("'Öffnen'\n''Open''\n"));
  KivoLocale::getDebugTranslationString() = wxS("%3$s: %1$s <- %2$s");
  EXPECT_EQ(translator.Translate(wxS("Cancel")), wxS("de_DE: Abbrechen <- Cancel"));
  KivoLocale::getDebugTranslationString() = wxS("'%s'\n''%s''\n");
  // The translation maps record what each text became, before the debug form.
  const TranslationMap german = KivoLocale::getTranslationMap(wxS("de_DE"));
  EXPECT_EQ(german, (TranslationMap{{wxS("100% sure"), wxS("Hundertprozentig")},
                                    {wxS("Cancel"), wxS("Abbrechen")},
                                    {wxS("Open"), wxS("Öffnen")}}));
  EXPECT_TRUE(KivoLocale::getTranslationMap(wxS("xx")).empty());
  EXPECT_EQ(KivoLocale::getTranslationMaps().size(), 2u) << "asking entered 'xx'";
  KivoLocale::clearTranslationMaps();
  EXPECT_TRUE(KivoLocale::getTranslationMaps().empty());
  EXPECT_EQ(KivoLocale::setTranslationMapEntry(wxS("a"), nullptr, wxS("de_DE")), nullptr);
  EXPECT_TRUE(KivoLocale::getTranslationMaps().empty());
}

TEST_F(TranslatorTest, TranslationsAreLookedUpOnceAndTheirCharactersStayPut) {
  ASSERT_TRUE(useLanguage(wxLANGUAGE_GERMAN_GERMANY));
  KivoLocale* locale = KivoTranslator::getSingleton().GetLocale();
  LogCapture log;
  const wchar_t* first = locale->GetString(L"Open");
  for (int i = 0; i < 10000; ++i) locale->GetString(wxString::Format(wxS("text %i"), i).wc_str());
  EXPECT_EQ(locale->GetString(L"Open"), first) << "the cached characters, not a new copy";
  EXPECT_STREQ(first, L"Öffnen");
  EXPECT_EQ(locale->GetString(nullptr), nullptr);
  size_t firstTranslations = 0;
  for (const wxString& text : log.texts()) firstTranslations += text.Contains(wxS("'Open'"));
  EXPECT_EQ(firstTranslations, 1u);
  const KivoUnit::Localization* german = locale->getCache().get(wxS("de_DE"));
  ASSERT_NE(german, nullptr);
  EXPECT_EQ(german->size(), 10001u);
  EXPECT_EQ(german->findIndex(wxS("text 9999")), 10000u);
}

TEST(TranslationCache, FindsTheFirstEntryAndKeepsEntriesInPlace) {
  KivoUnit::Localization cache(wxS("de_DE"));
  cache.set(wxS("a"), wxS("1"));
  const wchar_t* stable = cache.get(wxS("a"));
  cache.set(wxS("a"), wxS("1"));  // an equal translation leaves the entry alone
  EXPECT_EQ(cache.get(wxS("a")), stable);
  cache.set(wxS("b"), wxS("2"));
  cache.set(wxS("a"), wxS("3"));
  EXPECT_EQ(cache.size(), 2u);
  EXPECT_EQ(cache.findIndex(wxS("a")), 0u);
  EXPECT_STREQ(cache.get(wxS("a")), L"3");
  EXPECT_EQ(cache.findIndex(wxS("c")), KivoUnit::Localization::npos);
  EXPECT_EQ(cache.get(wxS("c")), nullptr);

  KivoUnit::Internationalization languages;
  EXPECT_EQ(languages.get(wxS("fi_FI"), wxS("a")), nullptr);
  EXPECT_STREQ(languages.set(wxS("fi_FI"), wxS("a"), wxS("yksi")), L"yksi");
  languages.set(wxS("de_DE"), wxS("a"), wxS("eins"));
  EXPECT_EQ(languages.indexOf(wxS("de_DE")), 1u);
  EXPECT_EQ(languages.indexOf(wxS("de")), KivoUnit::Internationalization::npos);
  EXPECT_STREQ(languages.get(wxS("de_DE"), wxS("a")), L"eins");
  EXPECT_EQ(&languages.edit(wxS("fi_FI")), languages.get(wxS("fi_FI")));
}

}  // namespace
}  // namespace KivoTest
