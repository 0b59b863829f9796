#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "kivo/kivo.h"
#include "support/LogCapture.h"

using KivoUnit::ThreadBase;

namespace {

// The ids of the last thread that ran, kept apart from objects a detached thread deletes.
std::atomic<unsigned long> g_RunningId{0};
std::atomic<long> g_KernelId{0};

// Records its thread's ids and polls once, as a worker's loop does.
class PollingThread : public ThreadBase {
 public:
  PollingThread(wxThreadKind kind, const wxString& description) : ThreadBase(kind, description) {}

 protected:
  ExitCode Entry() override {
    g_RunningId = wxThread::GetCurrentId();
    g_KernelId = syscall(SYS_gettid);
    TestDestroy();
    return nullptr;
  }
};

wxString hex(unsigned long id) { return wxString::Format(wxS("0x%lx"), id); }

// "[#0x<this thread>: <number>. <description>]"
wxString nameBuiltHere(unsigned int number, const wxString& description) {
  return wxS("[#") + hex(wxThread::GetCurrentId()) + wxString::Format(wxS(": %u. "), number) + description + wxS("]");
}

// The toolkit comes first: a thread object must not be built before it is up.
class ThreadBaseTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(toolkit.ok()); }
  KivoUnit::Toolkit::Scope toolkit;
  KivoTest::LogCapture log;
};

}  // namespace

// A detached thread is destroyed by the toolkit, then goes on with the toolkit's
// per-thread clean-up under a lock the process destroys at exit. Once the thread is
// gone, a joinable thread takes the same lock and is joined, which orders that last
// use before the exit.
TEST_F(ThreadBaseTest, JoinedAndDetachedThreadsLogTheirThreeLinesInTurn) {
  for (const bool detached : {false, true}) {
    SCOPED_TRACE(detached ? "detached" : "joined");
    log.clear();
    const wxString name = nameBuiltHere(1, wxS("Worker"));
    auto* thread = new PollingThread(detached ? wxTHREAD_DETACHED : wxTHREAD_JOINABLE, wxS("Worker"));
    ASSERT_EQ(thread->Run(), wxTHREAD_NO_ERROR);
    if (!detached) {
      thread->Wait();
      delete thread;
    }
    const std::string task = "/proc/self/task/";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    struct stat info {};
    while ((log.count() < 3 || stat((task + std::to_string(g_KernelId)).c_str(), &info) == 0) &&
           std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_NE(g_RunningId.load(), wxThread::GetCurrentId()) << "the details carry the worker's id";
    const wxString details = wxS("1. ") + hex(g_RunningId) + (detached ? wxS(", detached") : wxS(", joined"));
    const wxString texts[] = {name, name + wxS("::OnExit(): ") + details, wxS("~1.(0) ") + name + wxS(": ") + details};
    const wxString functions[] = {wxS("ThreadBase"), wxS("OnExit"), wxS("~ThreadBase")};
    const auto messages = log.messages();
    ASSERT_EQ(messages.size(), 3u) << "the thread object was never destroyed";
    for (size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(messages[i].message, texts[i]);
      EXPECT_EQ(messages[i].level, KivoUnit::LevelMessage);
      EXPECT_EQ(messages[i].file, wxS("include/kivo/ThreadBase"));
      EXPECT_EQ(messages[i].function, functions[i]);
    }
  }
  PollingThread settler(wxTHREAD_JOINABLE, wxS("settler"));
  if (settler.Run() == wxTHREAD_NO_ERROR) settler.Wait();
}

TEST_F(ThreadBaseTest, NumbersAreLiveCountsAndDestroyedObjectsShowWhatIsLeft) {
  auto* first = new PollingThread(wxTHREAD_JOINABLE, wxS("A"));
  auto* second = new PollingThread(wxTHREAD_JOINABLE, wxS("B"));
  delete first;
  auto* third = new PollingThread(wxTHREAD_JOINABLE, wxS("C"));  // B still lives: number 2 again
  delete third;
  delete second;
  // Never run or polled: the details stay empty and each last line ends in ": ".
  EXPECT_EQ(log.texts(), (std::vector<wxString>{nameBuiltHere(1, wxS("A")), nameBuiltHere(2, wxS("B")),
                                                wxS("~1.(1) ") + nameBuiltHere(1, wxS("A")) + wxS(": "),
                                                nameBuiltHere(2, wxS("C")),
                                                wxS("~2.(1) ") + nameBuiltHere(2, wxS("C")) + wxS(": "),
                                                wxS("~2.(0) ") + nameBuiltHere(2, wxS("B")) + wxS(": ")}));
}
