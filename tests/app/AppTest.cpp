// The host's application record and the toolkit a plain host starts through the library.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include <wx/app.h>
#include <wx/thread.h>

#include "kivo/app/Application.h"
#include "kivo/app/Toolkit.h"
#include "support/LogCapture.h"

using namespace KivoUnit;

TEST(Application, StartsEmptyAndKeepsWhatTheHostSetsWholeWhileAnotherThreadWrites) {
  const Application fresh;  // as the process-wide record is before any setter runs
  EXPECT_EQ(fresh.getURL() + fresh.getName() + fresh.getDesc() + fresh.getVersion() + fresh.getManufacturer() +
                fresh.getConfiguration() + fresh.getDataFolder() + fresh.getAddonsFolder(), wxS(""));
  EXPECT_EQ(fresh.getLogLevel(), AppLogErrors);
  Application& app = Application::getApp();
  app.setName(wxS("host"));
  app.setDataFolder(wxS("/var/host"));
  app.setLogLevel(AppLogSilent);
  EXPECT_EQ(app.getLogLevel(), AppLogSilent);
  app.setLogLevel(AppLogErrors);
  const wxString oldFolder(wxS('a'), 300), newFolder(wxS('b'), 900);
  app.setAddonsFolder(oldFolder);
  EXPECT_EQ(app.getName() + app.getDataFolder() + app.getAddonsFolder(), wxS("host/var/host") + oldFolder);
  app.setDataFolder(wxString());
  std::atomic<bool> done{false};
  std::thread writer([&] {
    for (int i = 0; i < 20000; ++i) app.setAddonsFolder(i % 2 ? newFolder : oldFolder);
    done = true;
  });
  long mixtures = 0;
  while (!done) {
    const wxString seen = app.getAddonsFolder();  // one read: the writer changes it between reads
    mixtures += seen != oldFolder && seen != newFolder;
  }
  writer.join();
  app.setAddonsFolder(wxString());
  EXPECT_EQ(mixtures, 0);
}

// Runs a toolkit thread to its end; true when its body ran.
static bool runToolkitThread() {
  struct FlagThread : wxThread {
    FlagThread() : wxThread(wxTHREAD_JOINABLE) {}
    ExitCode Entry() override { return ran = true, nullptr; }
    std::atomic<bool> ran{false};
  } thread;
  return thread.Run() == wxTHREAD_NO_ERROR && thread.Wait() == nullptr && thread.ran;
}

TEST(Toolkit, ReferenceCountedStartAndStopFromAPlainHost) {
  ASSERT_EQ(wxTheApp, nullptr) << "the test program is a plain host";
  EXPECT_FALSE(Toolkit::IsReady());
  {
    Toolkit::Scope outer;
    ASSERT_TRUE(outer.ok() && Toolkit::Scope().ok());
    // One holder keeps it up, whatever became of the application object.
    wxAppConsole* app = wxAppConsole::GetInstance();
    wxAppConsole::SetInstance(nullptr);
    EXPECT_TRUE(Toolkit::IsReady());
    wxAppConsole::SetInstance(app);
    EXPECT_TRUE(runToolkitThread());
  }
  EXPECT_FALSE(Toolkit::IsReady());
  Toolkit::Release();  // unpaired: ignored
  EXPECT_FALSE(Toolkit::IsReady());
  Toolkit::Scope again;  // it starts again after a full stop
  EXPECT_TRUE(again.ok() && runToolkitThread());
}

TEST(Toolkit, RefusesToStartOnAWorkerThread) {
  KivoTest::LogCapture capture;
  bool acquired = true;
  std::thread([&] { acquired = Toolkit::Acquire(); }).join();
  EXPECT_FALSE(acquired || Toolkit::IsReady());
  EXPECT_TRUE(capture.contains(
      wxS("The toolkit must be started on the host's main thread, not on a worker thread."), 5));
  // Once the host started it, other threads may take further references.
  Toolkit::Scope host;
  ASSERT_TRUE(host.ok());
  std::thread([&] {
    if ((acquired = Toolkit::Acquire())) Toolkit::Release();
  }).join();
  EXPECT_TRUE(acquired);
}
