#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include <wx/app.h>
#include <wx/thread.h>

#include "kivo/app/Toolkit.h"
#include "support/LogCapture.h"

using KivoUnit::Toolkit;

namespace {

class FlagThread : public wxThread {
 public:
  FlagThread() : wxThread(wxTHREAD_JOINABLE) {}
  std::atomic<bool> ran{false};

 protected:
  ExitCode Entry() override {
    ran = true;
    return nullptr;
  }
};

bool runToolkitThread() {
  FlagThread thread;
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
    EXPECT_TRUE(Toolkit::IsReady());
    {
      Toolkit::Scope inner;
      EXPECT_TRUE(inner.ok());
    }
    EXPECT_TRUE(Toolkit::IsReady()) << "the inner release keeps the toolkit up";
    EXPECT_TRUE(runToolkitThread());
  }
  EXPECT_FALSE(Toolkit::IsReady());
  Toolkit::Release();  // unpaired: ignored
  EXPECT_FALSE(Toolkit::IsReady());

  // It starts again after a full stop.
  Toolkit::Scope again;
  EXPECT_TRUE(again.ok());
  EXPECT_TRUE(runToolkitThread());
}

TEST(Toolkit, RefusesToStartOnAWorkerThread) {
  KivoTest::LogCapture capture;
  bool acquired = true;
  std::thread worker([&] { acquired = Toolkit::Acquire(); });
  worker.join();
  EXPECT_FALSE(acquired);
  EXPECT_FALSE(Toolkit::IsReady());
  EXPECT_TRUE(capture.contains(
      wxS("The toolkit must be started on the host's main thread, not on a worker thread."), 5));

  // Once the host started it, other threads may take further references.
  Toolkit::Scope host;
  ASSERT_TRUE(host.ok());
  std::thread second([&] {
    acquired = Toolkit::Acquire();
    if (acquired) Toolkit::Release();
  });
  second.join();
  EXPECT_TRUE(acquired);
}
