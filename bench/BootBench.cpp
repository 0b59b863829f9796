// Booting a generated configuration of about 100,000 nodes (10 levels of varied
// width) against TinyXML's own parse of the same file, shutting the tree down,
// and writing and saving it back.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include <tinyxml.h>

#include "kivo/app/Application.h"
#include "kivo/base/KivoBase.h"

using namespace KivoUnit;

namespace {

constexpr int kWidths[] = {6, 4, 3, 3, 3, 3, 3, 3, 2, 1};  // 96,222 nodes below the root
constexpr int kLevels = sizeof(kWidths) / sizeof(kWidths[0]);

void writeLevel(std::ofstream& out, int level, int& counter) {
  if (level == kLevels) return;
  for (int i = 0; i < kWidths[level]; ++i) {
    const int id = counter++;
    out << "<node name='n" << id << "' value='" << id * 7 << "'";
    if (level + 1 == kLevels) {
      out << "/>";
      continue;
    }
    out << ">";
    writeLevel(out, level + 1, counter);
    out << "</node>";
  }
}

// Made once per process, removed at exit.
const std::string& configuration() {
  static const std::string path = [] {
    const std::string file =
        (std::filesystem::temp_directory_path() / ("kivo-bench-" + std::to_string(getpid()) + ".xml")).string();
    std::ofstream out(file);
    out << "<kivo name='kivo'>";
    int counter = 0;
    writeLevel(out, 0, counter);
    out << "</kivo>\n";
    std::atexit([] { std::filesystem::remove(configuration()); });
    return file;
  }();
  return path;
}

KivoBase* boot() {
  auto* base = new KivoBase();
  KivoBase::s_Instance = base;
  if (!base->Boot(wxString::FromUTF8(configuration().c_str()))) std::abort();
  return base;
}

void stop(KivoBase* base) {
  KivoBase::s_Instance = nullptr;
  base->Shutdown();
  delete base;
}

void BM_Floor_TinyXmlParse(benchmark::State& state) {
  for (auto _ : state) {
    TiXmlDocument document;
    benchmark::DoNotOptimize(document.LoadFile(configuration().c_str()));
  }
  state.SetItemsProcessed(state.iterations() * 96222);
}
BENCHMARK(BM_Floor_TinyXmlParse)->Unit(benchmark::kMillisecond);

void BM_Boot(benchmark::State& state) {
  Application::getApp().setLogLevel(AppLogErrors);
  for (auto _ : state) {
    KivoBase* base = boot();
    state.PauseTiming();
    stop(base);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * 96222);
}
BENCHMARK(BM_Boot)->Unit(benchmark::kMillisecond);

void BM_Shutdown(benchmark::State& state) {
  Application::getApp().setLogLevel(AppLogErrors);
  for (auto _ : state) {
    state.PauseTiming();
    KivoBase* base = boot();
    state.ResumeTiming();
    stop(base);
  }
  state.SetItemsProcessed(state.iterations() * 96222);
}
BENCHMARK(BM_Shutdown)->Unit(benchmark::kMillisecond);

void BM_WriteAndSave(benchmark::State& state) {
  Application::getApp().setLogLevel(AppLogErrors);
  KivoBase* base = boot();
  for (auto _ : state) {
    if (!base->Write() || !base->Save()) std::abort();
  }
  stop(base);
  state.SetItemsProcessed(state.iterations() * 96222);
}
BENCHMARK(BM_WriteAndSave)->Unit(benchmark::kMillisecond);

}  // namespace
