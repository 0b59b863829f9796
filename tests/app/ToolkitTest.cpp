#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include <wx/app.h>
#include <wx/thread.h>

#include "kivo/app/Toolkit.h"
#include "support/LogCapture.h"

using KivoUnit::Toolkit;

namespace {

// Runs a toolkit thread to its end; true when its body ran.
bool runToolkitThread() {
  struct FlagThread : wxThread {
    FlagThread() : wxThread(wxTHREAD_JOINABLE) {}
    ExitCode Entry() override { return ran = true, nullptr; }
    std::atomic<bool> ran{false};
  } thread;
  if (thread.Run() != wxTHREAD_NO_ERROR) return false;
  thread.Wait();
  return thread.ran;
}

}  // namespace

TEST(Toolkit, ReferenceCountedStartAndStopFromAPlainHost) {
  ASSERT_EQ(wxTheApp, nullptr) << "the test program is a plain host";
  EXPECT_FALSE(Toolkit::IsReady());
  {
    Toolkit::Scope outer;
    ASSERT_TRUE(outer.ok());
    EXPECT_TRUE(Toolkit::Scope().ok());
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
    acquired = Toolkit::Acquire();
    if (acquired) Toolkit::Release();
  }).join();
  EXPECT_TRUE(acquired);
}
