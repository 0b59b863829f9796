// Tree operations on generated trees: Search of a depth-8 path in a tree of
// 100,000 nodes and among 10,000 siblings, append of 10,000 children to one node,
// GetFullPath at depth 8. The floor for search is a plain hash lookup of the path.
#include <benchmark/benchmark.h>

#include <unordered_map>

#include "kivo/app/Application.h"
#include "kivo/base/KivoBase.h"
#include "kivo/factory/iNodeFactory.h"

using namespace KivoUnit;

namespace {

class BenchNode : public iNode {
 public:
  BenchNode() : iNode(nullptr, wxS("node")) {}
};

class BenchFactory : public iNodeFactory {
 public:
  BenchFactory() : iNodeFactory(nullptr, wxS("factory")) {
    setName(wxS("bench"));
    Register(wxS("node"));
    RegisterElements();
  }
  iNode* Create(const wxString&, TiXmlElement*, iNode*) override { return new BenchNode(); }
};

// A base with its factory, torn down in the right order.
struct World {
  World() {
    Application::getApp().setLogLevel(AppLogErrors);
    base = new KivoBase();
    base->setName(wxS("kivo"));
    KivoBase::s_Instance = base;
    factory = new BenchFactory();
  }
  ~World() {
    base->RemoveAllChildren();
    factory->destroy();
    delete factory;
    KivoBase::s_Instance = nullptr;
    delete base;
  }
  iNode* add(iNode* parent, const wxString& name) {
    iNode* node = base->CreateNode(wxS("node"), nullptr, nullptr);
    node->setName(name);
    parent->AppendChild(node, nullptr, false);
    return node;
  }
  KivoBase* base;
  BenchFactory* factory;
};

// 4 children per node down to depth 8 (87,380 nodes), topped up to 100,000 with
// extra children of the root. Returns the path of the last leaf.
wxString buildTree(World& world, std::unordered_map<wxString, iNode*>* index) {
  std::vector<iNode*> level{world.base};
  wxString lastPath;
  for (int depth = 1; depth <= 8; ++depth) {
    std::vector<iNode*> next;
    for (iNode* parent : level) {
      for (int i = 0; i < 4; ++i) {
        iNode* node = world.add(parent, wxString::Format(wxS("n%i_%i"), depth, i));
        next.push_back(node);
      }
    }
    level.swap(next);
  }
  for (int i = 0; i < 100000 - 87380; ++i) world.add(world.base, wxString::Format(wxS("extra%i"), i));
  lastPath = level.back()->GetFullPath();
  if (index) {
    for (iNode* node : level) (*index)[node->GetFullPath()] = node;
  }
  return lastPath;
}

void BM_SearchDepth8In100k(benchmark::State& state) {
  World world;
  const wxString path = buildTree(world, nullptr);
  for (auto _ : state) benchmark::DoNotOptimize(world.base->Search(path));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SearchDepth8In100k);

void BM_Floor_HashLookupDepth8In100k(benchmark::State& state) {
  World world;
  std::unordered_map<wxString, iNode*> index;
  const wxString path = buildTree(world, &index);
  for (auto _ : state) benchmark::DoNotOptimize(index.find(path));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Floor_HashLookupDepth8In100k);

void BM_SearchAmong10kSiblings(benchmark::State& state) {
  World world;
  iNode* parent = world.add(world.base, wxS("wide"));
  for (int i = 0; i < 10000; ++i) world.add(parent, wxString::Format(wxS("child%i"), i));
  const wxString last = wxS("/kivo/wide/child9999");
  for (auto _ : state) benchmark::DoNotOptimize(world.base->Search(last));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SearchAmong10kSiblings);

void BM_Append10kChildren(benchmark::State& state) {
  World world;
  for (auto _ : state) {
    iNode* parent = world.add(world.base, wxS("wide"));
    for (int i = 0; i < 10000; ++i) {
      iNode* node = world.base->CreateNode(wxS("node"), nullptr, nullptr);
      node->setName(wxString::Format(wxS("child%i"), i));
      parent->append(node);
    }
    state.PauseTiming();
    world.base->RemoveChild(parent);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_Append10kChildren)->Unit(benchmark::kMillisecond);

void BM_GetFullPathDepth8(benchmark::State& state) {
  World world;
  iNode* node = world.base;
  for (int depth = 1; depth <= 8; ++depth) node = world.add(node, wxString::Format(wxS("level%i"), depth));
  for (auto _ : state) benchmark::DoNotOptimize(node->GetFullPath());
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GetFullPathDepth8);

}  // namespace
