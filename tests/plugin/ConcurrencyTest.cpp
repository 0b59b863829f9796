// Interface functions called from several threads while the library is stopped.
#include <atomic>
#include <chrono>
#include <thread>

#include "kivo/thread/KivoLocker.h"
#include "plugin/PluginSupport.h"

using namespace KivoUnit;
using namespace KivoTest;

using Concurrency = PluginTest;

TEST_F(Concurrency, StopWhileOtherThreadsCallTheInterface) {
  Application::getApp().setLogLevel(AppLogErrors);
  ASSERT_TRUE(bootWith(library("lib", KIVO_EXAMPLE_PLUGIN)));
  ASSERT_NE(libraryAt(wxS("/lib"))->getPlugin(), nullptr);
  MethodList* methods = libraryAt(wxS("/lib"))->getPlugin()->methods;
  std::atomic<bool> stopped{false};
  std::atomic<int> answering{0}, answeredAfterStop{0};  // callers that got a first answer; late answers
  // Each caller runs a mix of interface functions until the library has been stopped for a while.
  const auto caller = [&] {
    _Plugin* self = getKivo()->asPlugin();
    bool answeredOnce = false;
    for (int afterStop = 0; afterStop < 200;) {
      const bool wasStopped = stopped.load();
      afterStop += wasStopped;
      KivoBlock* argument = api().KivoReturn(self, "ping");
      KivoBlock* reply = api().KivoExecute(self, methods, "Echo", argument);
      KivoBlock* binary = api().KivoAlloc(self, 64);
      const bool answered = argument || reply || binary || api().KivoApiGetBase();
      if (answered && !answeredOnce) answeredOnce = true, ++answering;
      answeredAfterStop += answered && wasStopped;
      for (KivoBlock* block : {binary, reply, argument}) api().KivoFree(self, block);
    }
  };
  std::vector<std::thread> callers;
  for (int i = 0; i < 4; ++i) callers.emplace_back(caller);
  // Stop only once every caller is in full swing.
  while (answering.load() < 4) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_TRUE(loader.Stop());
  stopped = true;
  for (auto& thread : callers) thread.join();
  EXPECT_EQ(answeredAfterStop.load(), 0);
  EXPECT_EQ(KivoBase::GetInstance(), nullptr);
  EXPECT_EQ(KivoBase::s_Locked, 0);
  KivoLocker afterwards(__LINE__, __FILE__, __func__, wxString());
  EXPECT_EQ(afterwards.Write(), nullptr);
}
