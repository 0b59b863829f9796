#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
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

class ThreadBaseTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(toolkit.ok()); }
  // Taken first: a thread object must not be built before the toolkit is up.
  KivoUnit::Toolkit::Scope toolkit;
  KivoTest::LogCapture log;
};

}  // namespace

TEST_F(ThreadBaseTest, JoinableThreadLogsItsThreeLinesInTurn) {
  const wxString name = nameBuiltHere(1, wxS("Worker"));
  wxString details;
  {
    PollingThread thread(wxTHREAD_JOINABLE, wxS("Worker"));
    EXPECT_EQ(thread.getName(), name);
    ASSERT_EQ(thread.Run(), wxTHREAD_NO_ERROR);
    thread.Wait();
    EXPECT_NE(g_RunningId.load(), wxThread::GetCurrentId()) << "the details carry the worker's id";
    details = wxS("1. ") + hex(g_RunningId) + wxS(", joined");
    EXPECT_EQ(thread.getThisThreadDetails(), details);
  }
  const auto messages = log.messages();
  ASSERT_EQ(messages.size(), 3u);
  const wxString texts[] = {name, name + wxS("::OnExit(): ") + details, wxS("~1.(0) ") + name + wxS(": ") + details};
  const wxString functions[] = {wxS("ThreadBase"), wxS("OnExit"), wxS("~ThreadBase")};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(messages[i].message, texts[i]);
    EXPECT_EQ(messages[i].level, KivoUnit::LevelMessage);
    EXPECT_EQ(messages[i].file, wxS("include/kivo/ThreadBase"));
    EXPECT_EQ(messages[i].function, functions[i]);
  }
}

TEST_F(ThreadBaseTest, DetachedThreadIsDestroyedByTheToolkitAfterItsExitLine) {
  const wxString name = nameBuiltHere(1, wxS("Updater"));
  auto* thread = new PollingThread(wxTHREAD_DETACHED, wxS("Updater"));
  ASSERT_EQ(thread->Run(), wxTHREAD_NO_ERROR);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (log.count() < 3 && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  const wxString details = wxS("1. ") + hex(g_RunningId) + wxS(", detached");
  ASSERT_EQ(log.count(), 3u) << "the detached thread object was never destroyed";
  EXPECT_EQ(log.texts(), (std::vector<wxString>{name, name + wxS("::OnExit(): ") + details,
                                                wxS("~1.(0) ") + name + wxS(": ") + details}));
  // A detached thread goes on with the toolkit's per-thread clean-up after its object
  // is destroyed, under a toolkit lock the process destroys at exit. Once the thread
  // is gone, a joinable thread takes the same lock and is joined, which orders that
  // last use before the exit.
  const std::string task = "/proc/self/task/" + std::to_string(g_KernelId);
  struct stat info {};
  while (stat(task.c_str(), &info) == 0 && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(1));
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
