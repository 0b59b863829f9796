// Tracer throughput: messages per second through Tracer::Log, with the level
// filter letting them through or stopping them, with and without a listener, on
// one and two threads. The floor is a message built and pushed into a deque.
#include <benchmark/benchmark.h>

#include <deque>

#include "kivo/app/Application.h"
#include "kivo/log/LogListener.h"
#include "kivo/log/Tracer.h"

using namespace KivoUnit;

namespace {

class NullListener : public LogListener {
 public:
  void onLog(const PoolMessage&) override { benchmark::ClobberMemory(); }
};

NullListener g_listener;

void setUp(AppLogLevel level, bool withListener) {
  Application::getApp().setLogLevel(level);
  Tracer::getSingleton()->setListener(withListener ? &g_listener : nullptr);
  std::deque<PoolMessage> drained;
  Tracer::getSingleton()->swap(drained);
}

// range(0): 1 lets the message through, 0 filters it out; range(1): listener.
void BM_TracerLog(benchmark::State& state) {
  if (state.thread_index() == 0) {
    setUp(state.range(0) ? AppLogAll : AppLogErrors, state.range(1) != 0);
  }
  const wxString text = wxS("node '/kivo/current/boot' updated");
  for (auto _ : state) {
    Tracer::getSingleton()->Log(3, text, __LINE__, "include/kivo/node/iNode", "Update");
  }
  state.SetItemsProcessed(state.iterations());
  if (state.thread_index() == 0) setUp(AppLogErrors, false);
}
BENCHMARK(BM_TracerLog)
    ->ArgNames({"passes", "listener"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Threads(1)
    ->Threads(2)
    ->UseRealTime();

void BM_Floor_MessageIntoDeque(benchmark::State& state) {
  std::deque<PoolMessage> queue;
  const wxString text = wxS("node '/kivo/current/boot' updated");
  for (auto _ : state) {
    queue.emplace_back(text, 3, "include/kivo/node/iNode", __LINE__, "Update", 0L);
    if (queue.size() > Tracer::MaxQueuedMessages) queue.pop_front();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Floor_MessageIntoDeque);

}  // namespace
