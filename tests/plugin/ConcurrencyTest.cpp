// Interface functions called from several threads while the library is stopped.
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "kivo/thread/KivoLocker.h"
#include "plugin/PluginSupport.h"

using namespace KivoUnit;
using namespace KivoTest;

namespace {

struct Counts {
  int answered = 0;
  int answeredAfterStop = 0;
};

// Calls a mix of interface functions until the library has been stopped for a while.
// `answering` counts the threads that got a first answer.
Counts hammer(MethodList* methods, const std::atomic<bool>& stopped, std::atomic<int>& answering) {
  Counts counts;
  _Plugin* self = getKivo()->asPlugin();
  for (int afterStop = 0; afterStop < 200;) {
    const bool wasStopped = stopped.load();
    if (wasStopped) ++afterStop;
    KivoBlock* argument = api().KivoReturn(self, "ping");
    KivoBlock* reply = api().KivoExecute(self, methods, "Echo", argument);
    KivoBlock* binary = api().KivoAlloc(self, 64);
    const bool answered = argument != nullptr || reply != nullptr || binary != nullptr ||
                          api().KivoApiGetBase() != nullptr;
    if (answered && counts.answered++ == 0) ++answering;
    if (answered && wasStopped) ++counts.answeredAfterStop;
    for (KivoBlock* block : {binary, reply, argument}) api().KivoFree(self, block);
  }
  return counts;
}

using Concurrency = PluginTest;

TEST_F(Concurrency, StopWhileOtherThreadsCallTheInterface) {
  Application::getApp().setLogLevel(AppLogErrors);
  ASSERT_TRUE(bootWith(library("lib", KIVO_EXAMPLE_PLUGIN)));
  ASSERT_NE(libraryAt(wxS("/lib"))->getPlugin(), nullptr);
  MethodList* methods = libraryAt(wxS("/lib"))->getPlugin()->methods;
  std::atomic<bool> stopped{false};
  std::atomic<int> answering{0};
  std::vector<Counts> results(4);
  std::vector<std::thread> callers;
  for (size_t i = 0; i < results.size(); ++i)
    callers.emplace_back([&, i] { results[i] = hammer(methods, stopped, answering); });
  // Stop only once every caller is in full swing.
  while (answering.load() < static_cast<int>(results.size()))
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_TRUE(loader.Stop());
  stopped = true;
  for (auto& caller : callers) caller.join();
  for (const Counts& counts : results) {
    EXPECT_GT(counts.answered, 0);
    EXPECT_EQ(counts.answeredAfterStop, 0);
  }
  EXPECT_EQ(KivoBase::GetInstance(), nullptr);
  EXPECT_EQ(KivoBase::s_Locked, 0);
  KivoLocker afterwards(__LINE__, __FILE__, __func__, wxString());
  EXPECT_EQ(afterwards.Write(), nullptr);
}

}  // namespace
