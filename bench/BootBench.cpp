// Booting generated configurations against TinyXML's own parse of the same file,
// shutting the tree down, and writing and saving it back. Files (the argument):
// 0 about 100,000 nodes in 10 levels of varied width, 1 shaped like a MIME type
// database (40,000 elements, many same-named siblings, 3 to 6 attributes each),
// 2 one node with 100,000 children.
#include <benchmark/benchmark.h>

#include <tinyxml.h>

#include "BenchFiles.h"
#include "kivo/app/Application.h"
#include "kivo/base/KivoBase.h"

using namespace KivoUnit;
using KivoBench::benchFile;
using KivoBench::Shape;

namespace {

const KivoBench::BenchFile& fileOf(const benchmark::State& state) {
  return benchFile(static_cast<Shape>(state.range(0)));
}

KivoBase* boot(const std::string& file) {
  auto* base = new KivoBase();
  KivoBase::s_Instance = base;
  if (!base->Boot(wxString::FromUTF8(file.c_str()))) std::abort();
  return base;
}

void stop(KivoBase* base) {
  KivoBase::s_Instance = nullptr;
  base->Shutdown();
  delete base;
}

void BM_Floor_TinyXmlParse(benchmark::State& state) {
  const auto& file = fileOf(state);
  for (auto _ : state) {
    TiXmlDocument document;
    benchmark::DoNotOptimize(document.LoadFile(file.path.c_str()));
  }
  state.SetItemsProcessed(state.iterations() * file.elements);
}
BENCHMARK(BM_Floor_TinyXmlParse)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_Boot(benchmark::State& state) {
  Application::getApp().setLogLevel(AppLogErrors);
  const auto& file = fileOf(state);
  for (auto _ : state) {
    KivoBase* base = boot(file.path);
    state.PauseTiming();
    stop(base);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * file.elements);
}
BENCHMARK(BM_Boot)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_Shutdown(benchmark::State& state) {
  Application::getApp().setLogLevel(AppLogErrors);
  const auto& file = fileOf(state);
  for (auto _ : state) {
    state.PauseTiming();
    KivoBase* base = boot(file.path);
    state.ResumeTiming();
    stop(base);
  }
  state.SetItemsProcessed(state.iterations() * file.elements);
}
BENCHMARK(BM_Shutdown)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_WriteAndSave(benchmark::State& state) {
  Application::getApp().setLogLevel(AppLogErrors);
  const auto& file = fileOf(state);
  KivoBase* base = boot(file.path);
  for (auto _ : state) {
    if (!base->Write() || !base->Save()) std::abort();
  }
  stop(base);
  state.SetItemsProcessed(state.iterations() * file.elements);
}
BENCHMARK(BM_WriteAndSave)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace
