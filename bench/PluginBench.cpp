// A plug-in method called by name through KivoExecute against a direct call of
// the same function, and Alloc/Free pairs through the interface table.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>


#include "kivo/base/KivoBoot.h"
#include "kivo/base/KivoBase.h"
#include "kivo/plugin/KivoInit.h"
#include "kivo/thread/KivoLocker.h"
#include "kivo/plugin/KivoLibrary.h"

using namespace KivoUnit;

namespace {

// The library booted with the example plug-in for the whole run.
struct BootedExample {
  KivoBoot loader;
  MethodList* methods = nullptr;
  KivoMethod echo = nullptr;

  BootedExample() {
    const std::string config = "/tmp/kivo-plugin-bench.xml";
    FILE* file = std::fopen(config.c_str(), "w");
    std::fputs("<kivo name='kivo'><library name='lib' filename='" KIVO_EXAMPLE_PLUGIN "'/></kivo>", file);
    std::fclose(file);
    loader.Boot(wxS(KIVO_LIBRARY_DIR "/kivo"), wxString::FromUTF8(config.c_str()));
    KivoLocker guard(__LINE__, __FILE__, __func__, wxString());
    auto* library = dynamic_cast<KivoLibrary*>(guard.Write()->Search(wxS("/lib")));
    methods = library->getPlugin()->methods;
    echo = guard.Write()->Find(methods, wxS("Echo"));
  }
};

BootedExample& example() {
  static BootedExample instance;
  return instance;
}

void BM_ExecuteByName(benchmark::State& state) {
  BootedExample& booted = example();
  const KivoFunctions& api = *getKivo()->functions;
  _Plugin* self = getKivo()->asPlugin();
  KivoBlock* argument = api.KivoReturn(self, "ping");
  for (auto _ : state) {
    KivoBlock* reply = api.KivoExecute(self, booted.methods, "Echo", argument);
    benchmark::DoNotOptimize(reply);
    api.KivoFree(self, reply);
  }
  api.KivoFree(self, argument);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ExecuteByName);

void BM_DirectCall(benchmark::State& state) {
  BootedExample& booted = example();
  const KivoFunctions& api = *getKivo()->functions;
  _Plugin* self = getKivo()->asPlugin();
  KivoBlock* argument = api.KivoReturn(self, "ping");
  for (auto _ : state) {
    KivoBlock* reply = booted.echo(self, argument);
    benchmark::DoNotOptimize(reply);
    api.KivoFree(self, reply);
  }
  api.KivoFree(self, argument);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DirectCall);

void BM_AllocFreePair(benchmark::State& state) {
  example();
  const KivoFunctions& api = *getKivo()->functions;
  _Plugin* self = getKivo()->asPlugin();
  const auto size = static_cast<unsigned int>(state.range(0));
  for (auto _ : state) {
    KivoBlock* block = api.KivoAlloc(self, size);
    benchmark::DoNotOptimize(block);
    api.KivoFree(self, block);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AllocFreePair)->Arg(0)->Arg(64)->Arg(4096);

// Without a caller record the unit keeps no allocator report.
void BM_AllocFreePairAnonymous(benchmark::State& state) {
  example();
  const KivoFunctions& api = *getKivo()->functions;
  for (auto _ : state) {
    KivoBlock* block = api.KivoAlloc(nullptr, 64);
    benchmark::DoNotOptimize(block);
    api.KivoFree(nullptr, block);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AllocFreePairAnonymous);

}  // namespace
