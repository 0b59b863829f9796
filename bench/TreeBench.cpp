// Tree operations on generated trees: Search of a depth-8 path in a tree of
// 100,000 nodes and for the last of 10,000 siblings (floor: the last of 10),
// append and CreateChild of 1,000 / 10,000 / 100,000 children to one node,
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

// range(0): the number of siblings; the path names the last of them.
void BM_SearchLastSibling(benchmark::State& state) {
  World world;
  iNode* parent = world.add(world.base, wxS("wide"));
  const int count = static_cast<int>(state.range(0));
  for (int i = 0; i < count; ++i) world.add(parent, wxString::Format(wxS("child%i"), i));
  const wxString last = wxString::Format(wxS("/kivo/wide/child%i"), count - 1);
  for (auto _ : state) benchmark::DoNotOptimize(world.base->Search(last));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SearchLastSibling)->Arg(10)->Arg(10000);

// range(0): children appended to one node per iteration; range(1): 1 for
// CreateChild, 0 for append of a node made by the factory.
void BM_AppendChildren(benchmark::State& state) {
  World world;
  const int count = static_cast<int>(state.range(0));
  for (auto _ : state) {
    iNode* parent = world.add(world.base, wxS("wide"));
    for (int i = 0; i < count; ++i) {
      const wxString name = wxString::Format(wxS("child%i"), i);
      if (state.range(1) != 0) {
        parent->CreateChild(name, wxS("node"), wxString(), false);
        continue;
      }
      iNode* node = world.base->CreateNode(wxS("node"), nullptr, nullptr);
      node->setName(name);
      parent->append(node);
    }
    state.PauseTiming();
    world.base->RemoveChild(parent);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_AppendChildren)
    ->ArgNames({"children", "create"})
    ->ArgsProduct({{1000, 10000, 100000}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

void BM_GetFullPathDepth8(benchmark::State& state) {
  World world;
  iNode* node = world.base;
  for (int depth = 1; depth <= 8; ++depth) node = world.add(node, wxString::Format(wxS("level%i"), depth));
  for (auto _ : state) benchmark::DoNotOptimize(node->GetFullPath());
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GetFullPathDepth8);

}  // namespace
