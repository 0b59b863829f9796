// Memory the tree needs beside the TinyXML DOM: the peak resident size of a
// separate process that boots a generated file, against that of a process that
// only parses it with TinyXML. Argument: nodes in the file (about 100,000 or
// 1,000,000). Counters: KiB of each process and KiB per node beside the DOM.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>

#include <sys/resource.h>

#include <tinyxml.h>

#include "BenchFiles.h"
#include "kivo/app/Application.h"
#include "kivo/base/KivoBase.h"

using namespace KivoUnit;
using KivoBench::benchFile;
using KivoBench::Shape;

namespace {

constexpr const char* kChildFlag = "--rss-child";

long peakKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// The child: boots or parses `file`, prints its peak resident size in KiB.
int runChild(const std::string& mode, const std::string& file) {
  if (mode == "parse") {
    TiXmlDocument document;
    if (!document.LoadFile(file.c_str())) return 1;
    std::printf("%ld\n", peakKiB());
    return 0;
  }
  Application::getApp().setLogLevel(AppLogErrors);
  auto* base = new KivoBase();
  KivoBase::s_Instance = base;
  if (!base->Boot(wxString::FromUTF8(file.c_str()))) return 1;
  std::printf("%ld\n", peakKiB());
  std::fflush(stdout);
  std::_Exit(0);  // the figure is taken; tearing down would only cost time
}

long measure(const std::string& mode, const std::string& file) {
  const std::string command = "/proc/" + std::to_string(getpid()) + "/exe " + kChildFlag + " " +
                              mode + " '" + file + "'";
  FILE* pipe = popen(command.c_str(), "r");
  long kib = -1;
  if (pipe == nullptr || std::fscanf(pipe, "%ld", &kib) != 1) kib = -1;
  if (pipe != nullptr) pclose(pipe);
  return kib;
}

void BM_MemoryBesideDom(benchmark::State& state) {
  const auto& file = benchFile(state.range(0) == 1000000 ? Shape::Deep1M : Shape::Deep);
  long boot = 0;
  long parse = 0;
  for (auto _ : state) {
    boot = measure("boot", file.path);
    parse = measure("parse", file.path);
  }
  if (boot < 0 || parse < 0) state.SkipWithError("a measuring process failed");
  state.counters["boot_KiB"] = static_cast<double>(boot);
  state.counters["parse_KiB"] = static_cast<double>(parse);
  state.counters["nodes"] = file.elements;
  state.counters["KiB_per_node"] = static_cast<double>(boot - parse) / file.elements;
}
BENCHMARK(BM_MemoryBesideDom)->Arg(100000)->Arg(1000000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], kChildFlag) == 0) return runChild(argv[2], argv[3]);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
