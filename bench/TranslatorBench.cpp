// Translation costs: a cached text with 10 and with 10,000 texts in the cache (the
// cache is indexed, so both should cost the same), and a text's first translation
// from a real catalog made with msgfmt. The floor is a lookup in a plain hash map
// of wxString, as the cache's index does it.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <unordered_map>

#include <wx/language.h>

#include "kivo/app/Application.h"
#include "kivo/app/Toolkit.h"
#include "kivo/locale/KivoTranslator.h"

using namespace KivoUnit;

namespace {

constexpr int kCatalogTexts = 100000;

wxString numbered(const char* prefix, int i) { return wxString::Format(wxS("%s %i"), prefix, i); }

// A German catalog of kCatalogTexts entries ("text N" -> "Text N"), built once.
std::string catalogFolder() {
  static const std::string folder = [] {
    char pattern[] = "/tmp/kivo-bench-XXXXXX";
    const std::string dir = mkdtemp(pattern);
    std::ofstream po(dir + "/de_DE.po");
    po << "msgid \"\"\nmsgstr \"\"\n\"Content-Type: text/plain; charset=UTF-8\\n\"\n\n";
    for (int i = 0; i < kCatalogTexts; ++i) {
      po << "msgid \"text " << i << "\"\nmsgstr \"Text " << i << "\"\n\n";
    }
    po.close();
    const std::string compile = "msgfmt -o " + dir + "/de_DE.mo " + dir + "/de_DE.po";
    if (std::system(compile.c_str()) != 0) std::abort();
    return dir;
  }();
  return folder;
}

// A fresh locale (empty cache) with the German catalog.
KivoTranslator& freshGermanTranslator() {
  static Toolkit::Scope toolkit;
  Application::getApp().setLogLevel(AppLogErrors);
  KivoTranslator& translator = KivoTranslator::getSingleton();
  translator.ResetLocale();
  translator.addLanguages(wxString::FromUTF8(catalogFolder()));
  translator.InitLocale(wxLANGUAGE_GERMAN_GERMANY, wxString(), true, false);
  return translator;
}

// range(0): texts in the cache besides the one translated.
void BM_TranslateCached(benchmark::State& state) {
  KivoTranslator& translator = freshGermanTranslator();
  for (int i = 0; i < state.range(0); ++i) translator.Translate(numbered("text", i));
  const wxString text = numbered("text", static_cast<int>(state.range(0)) / 2);
  for (auto _ : state) benchmark::DoNotOptimize(translator.Translate(text));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TranslateCached)->ArgName("cached")->Arg(10)->Arg(10000);

// Every iteration asks for a text not asked before: a catalog lookup, the cache
// insertion and the "First translation" message.
void BM_FirstTranslationFromCatalog(benchmark::State& state) {
  KivoTranslator& translator = freshGermanTranslator();
  int next = 0;
  for (auto _ : state) benchmark::DoNotOptimize(translator.Translate(numbered("text", next++)));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FirstTranslationFromCatalog)->Iterations(kCatalogTexts);

void BM_Floor_HashMapLookup(benchmark::State& state) {
  struct Hash {
    size_t operator()(const wxString& s) const {
      return std::hash<std::wstring_view>()(std::wstring_view(s.wc_str(), s.length()));
    }
  };
  std::unordered_map<wxString, wxString, Hash> map;
  for (int i = 0; i < state.range(0); ++i) map.emplace(numbered("text", i), numbered("Text", i));
  const wxString text = numbered("text", static_cast<int>(state.range(0)) / 2);
  for (auto _ : state) benchmark::DoNotOptimize(wxString(map.find(text)->second));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Floor_HashMapLookup)->ArgName("cached")->Arg(10)->Arg(10000);

}  // namespace
