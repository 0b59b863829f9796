// Cost of the tree lock guard and of profiling a section: an uncontended guard,
// a guard nested inside one already held, a guard while no base exists, and a
// ProfilerHelper start/finish pair. The floor is a plain std::mutex lock.
#include <benchmark/benchmark.h>

#include <mutex>

#include "kivo/base/KivoBase.h"
#include "kivo/thread/KivoLocker.h"
#include "kivo/profile/ProfilerHelper.h"

using namespace KivoUnit;

namespace {

// Built once: wxEmptyString is a character pointer, and a wxString made from it
// per guard would be measured along with the guard.
const wxString kNoLabel;

// A base installed as the process's base for the length of one benchmark.
struct InstalledBase {
  InstalledBase() { KivoBase::s_Instance = &base; }
  ~InstalledBase() { KivoBase::s_Instance = nullptr; }
  KivoBase base;
};

void BM_StdMutexLock(benchmark::State& state) {
  std::mutex mutex;
  for (auto _ : state) {
    std::lock_guard<std::mutex> lock(mutex);
    benchmark::DoNotOptimize(&mutex);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_StdMutexLock);

void BM_KivoLockerGuard(benchmark::State& state) {
  InstalledBase installed;
  for (auto _ : state) {
    KivoLocker guard(__LINE__, __FILE__, __func__, kNoLabel);
    benchmark::DoNotOptimize(guard.Write());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_KivoLockerGuard);

// The inner guard of a thread that already holds the tree lock.
void BM_KivoLockerNestedGuard(benchmark::State& state) {
  InstalledBase installed;
  KivoLocker outer(__LINE__, __FILE__, __func__, kNoLabel);
  for (auto _ : state) {
    KivoLocker inner(__LINE__, __FILE__, __func__, kNoLabel);
    benchmark::DoNotOptimize(inner.Write());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_KivoLockerNestedGuard);

void BM_KivoLockerWithoutBase(benchmark::State& state) {
  for (auto _ : state) {
    KivoLocker guard(__LINE__, __FILE__, __func__, kNoLabel);
    benchmark::DoNotOptimize(guard.Write());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_KivoLockerWithoutBase);

// What the library's own callers write: the label made from wxEmptyString.
void BM_KivoLockerGuardEmptyLabel(benchmark::State& state) {
  InstalledBase installed;
  for (auto _ : state) {
    KivoLocker guard(__LINE__, __FILE__, __func__, wxEmptyString);
    benchmark::DoNotOptimize(guard.Write());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_KivoLockerGuardEmptyLabel);

void BM_ProfilerHelperStartFinish(benchmark::State& state) {
  const std::string label = "bench section";
  for (auto _ : state) {
    ProfilerHelper section(label);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ProfilerHelperStartFinish);
BENCHMARK(BM_ProfilerHelperStartFinish)->Threads(2);

}  // namespace

namespace {

// Two threads taking the one tree lock in turn: the cost of a contended guard.
void BM_KivoLockerContended(benchmark::State& state) {
  static KivoBase* shared = nullptr;
  if (state.thread_index() == 0) {
    shared = new KivoBase();
    KivoBase::s_Instance = shared;
  }
  for (auto _ : state) {
    KivoLocker guard(__LINE__, __FILE__, __func__, kNoLabel);
    benchmark::DoNotOptimize(guard.Write());
  }
  state.SetItemsProcessed(state.iterations());
  if (state.thread_index() == 0) {
    KivoBase::s_Instance = nullptr;
    delete shared;
  }
}
BENCHMARK(BM_KivoLockerContended)->Threads(2)->UseRealTime();

void BM_StdMutexContended(benchmark::State& state) {
  static std::mutex mutex;
  for (auto _ : state) {
    std::lock_guard<std::mutex> lock(mutex);
    benchmark::DoNotOptimize(&mutex);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_StdMutexContended)->Threads(2)->UseRealTime();

}  // namespace
