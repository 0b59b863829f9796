// Four threads translating at once through one translator (run under ThreadSanitizer
// by `scripts/test tsan`).
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "kivo/locale/KivoTranslator.h"
#include "locale/Catalogs.h"

namespace KivoTest {
namespace {

using KivoUnit::KivoTranslator;

TEST_F(TranslatorTest, FourThreadsTranslateAtOnceWithTheSameAnswers) {
  ASSERT_TRUE(useLanguage(wxLANGUAGE_GERMAN_GERMANY));
  constexpr int kThreads = 4;
  constexpr int kRounds = 200;
  std::vector<int> wrong(kThreads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &wrong] {
      KivoTranslator& translator = KivoTranslator::getSingleton();
      for (int i = 0; i < kRounds; ++i) {
        // Shared texts race for their first lookup; numbered ones fill the cache.
        wrong[t] += translator.Translate(wxS("~Open~")) != wxS("Öffnen");
        wrong[t] += translator.Translate(wxS("[Menu] Cancel")) != wxS("Abbrechen");
        wrong[t] += translator.TranslateLabel(wxS("Item")) != wxS("Eintrag");
        const wxString numbered = wxString::Format(wxS("text %i"), i % 50);
        wrong[t] += translator.Translate(numbered) != numbered;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(wrong, std::vector<int>(kThreads, 0));
}

}  // namespace
}  // namespace KivoTest
