// The Lua node: running a one-line script (load and call), and reading an
// attribute through kivo.get from Lua against iNode::Search + getAttribute from
// C++, the floor, on the same booted tree.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "kivo/app/Application.h"
#include "kivo/base/KivoBase.h"
#include "kivo/lua/LuaNode.h"

using namespace KivoUnit;

namespace {

constexpr int kReadsPerScript = 10000;

// A few settings three levels down, and the Lua node.
const std::string& configuration() {
  static const std::string path = [] {
    const std::string file = (std::filesystem::temp_directory_path() /
                              ("kivo-lua-bench-" + std::to_string(getpid()) + ".xml"))
                                 .string();
    std::ofstream out(file);
    out << "<kivo name='kivo'><node name='settings'>";
    for (int i = 0; i < 20; ++i) {
      out << "<node name='group" << i << "'><node name='window' width='" << 800 + i
          << "' height='600'/></node>";
    }
    out << "</node><Lua name='script'/></kivo>\n";
    std::atexit([] { std::filesystem::remove(configuration()); });
    return file;
  }();
  return path;
}

class BootedTree {
 public:
  BootedTree() : m_Base(new KivoBase()) {
    Application::getApp().setLogLevel(AppLogErrors);
    KivoBase::s_Instance = m_Base;
    if (!m_Base->Boot(wxString::FromUTF8(configuration().c_str()))) std::abort();
    m_Lua = dynamic_cast<LuaNode*>(m_Base->Search(wxS("/script")));
    if (m_Lua == nullptr) std::abort();
  }
  ~BootedTree() {
    m_Base->Shutdown();
    KivoBase::s_Instance = nullptr;
    delete m_Base;
  }
  KivoBase& base() { return *m_Base; }
  LuaNode& lua() { return *m_Lua; }

 private:
  KivoBase* m_Base;
  LuaNode* m_Lua = nullptr;
};

void BM_RunLuaScript_OneLine(benchmark::State& state) {
  BootedTree tree;
  for (auto _ : state) tree.lua().runLuaScript(wxS("local x = 1 + 1"));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RunLuaScript_OneLine);

void BM_Floor_SearchAndGetAttribute(benchmark::State& state) {
  BootedTree tree;
  const wxString path = wxS("/settings/group7/window");
  for (auto _ : state) {
    iNode* node = tree.base().Search(path);
    benchmark::DoNotOptimize(node->getAttribute(wxS("width"), wxString()));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Floor_SearchAndGetAttribute);

// One script of kivo.get calls per iteration, so loading it is spread thin.
void BM_KivoGetFromLua(benchmark::State& state) {
  BootedTree tree;
  const wxString script = wxString::Format(
      wxS("local get = kivo.get for i = 1, %d do get('/settings/group7/window', 'width') end"),
      kReadsPerScript);
  for (auto _ : state) tree.lua().runLuaScript(script);
  state.SetItemsProcessed(state.iterations() * kReadsPerScript);
}
BENCHMARK(BM_KivoGetFromLua)->Unit(benchmark::kMillisecond);

// The loop alone: what the Lua side costs without the binding.
void BM_Floor_EmptyLuaLoop(benchmark::State& state) {
  BootedTree tree;
  const wxString script = wxString::Format(
      wxS("local get = tostring for i = 1, %d do get('/settings/group7/window', 'width') end"),
      kReadsPerScript);
  for (auto _ : state) tree.lua().runLuaScript(script);
  state.SetItemsProcessed(state.iterations() * kReadsPerScript);
}
BENCHMARK(BM_Floor_EmptyLuaLoop)->Unit(benchmark::kMillisecond);

}  // namespace
