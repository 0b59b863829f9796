// One auto-update pass over 1,000 and 10,000 registrations, all due: each one is
// a search of a depth-8 path from the base and an AutoUpdate call, so the
// per-registration figure compares with TreeBench's depth-8 search. The floor
// calls the same nodes' AutoUpdate directly, without the schedule or searches.
#include <benchmark/benchmark.h>

#include <vector>

#include <wx/utils.h>

#include "kivo/app/Application.h"
#include "kivo/app/Toolkit.h"
#include "kivo/base/KivoBase.h"
#include "kivo/factory/iNodeFactory.h"
#include "kivo/update/AutoUpdater.h"

using namespace KivoUnit;

namespace {

class CountingNode : public iNode {
 public:
  CountingNode() : iNode(nullptr, wxS("node")) {}
  void AutoUpdate(double) override { ++calls; }
  unsigned long calls = 0;
};

class BenchFactory : public iNodeFactory {
 public:
  BenchFactory() : iNodeFactory(nullptr, wxS("factory")) {
    setName(wxS("bench"));
    Register(wxS("node"));
    RegisterElements();
  }
  iNode* Create(const wxString&, TiXmlElement*, iNode*) override { return new CountingNode(); }
};

// A base holding a 4-ary tree of depth 8 (87,380 nodes), whose first `registered`
// leaves are registered with interval 0, due on every pass. The scheduler's own
// thread is stopped, so the benchmark runs the passes itself.
struct World {
  explicit World(int registered) {
    Application::getApp().setLogLevel(AppLogErrors);
    base = new KivoBase();
    base->setName(wxS("kivo"));
    KivoBase::s_Instance = base;
    factory = new BenchFactory();
    buildTree();
    scheduler = new AutoUpdaters::AutoUpdater();
    scheduler->setStopRequested(true);
    while (!scheduler->isThreadFinished()) wxMilliSleep(1);
    scheduler->setStopRequested(false);
    for (int i = 0; i < registered; ++i) scheduler->registerNode(leaves[i]->GetFullPath(), 0.0);
    leaves.resize(registered);
  }
  ~World() {
    delete scheduler;
    base->RemoveAllChildren();
    factory->destroy();
    delete factory;
    KivoBase::s_Instance = nullptr;
    delete base;
  }
  void buildTree() {
    std::vector<iNode*> level{base};
    for (int depth = 1; depth <= 8; ++depth) {
      std::vector<iNode*> next;
      for (iNode* parent : level) {
        for (int i = 0; i < 4; ++i) {
          iNode* node = base->CreateNode(wxS("node"), nullptr, nullptr);
          node->setName(wxString::Format(wxS("n%i_%i"), depth, i));
          parent->AppendChild(node, nullptr, false);
          next.push_back(node);
        }
      }
      level.swap(next);
    }
    leaves = level;
  }

  Toolkit::Scope toolkit;
  KivoBase* base;
  BenchFactory* factory;
  AutoUpdaters::AutoUpdater* scheduler;
  std::vector<iNode*> leaves;
};

void BM_PassOverDueRegistrations(benchmark::State& state) {
  World world(static_cast<int>(state.range(0)));
  unsigned long long now = 1;
  for (auto _ : state) {
    if (!world.scheduler->callAutoUpdates(++now)) state.SkipWithError("the pass was refused");
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_PassOverDueRegistrations)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

void BM_Floor_DirectCalls(benchmark::State& state) {
  World world(static_cast<int>(state.range(0)));
  double seconds = 0.0;
  for (auto _ : state) {
    for (iNode* node : world.leaves) node->AutoUpdate(seconds += 0.001);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Floor_DirectCalls)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace
