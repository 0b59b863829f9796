#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "kivo/thread/ThreadBase.h"
#include "kivo/app/Toolkit.h"
#include "support/LogCapture.h"

using KivoUnit::ThreadBase;

namespace {

// Records its own thread ids and polls once, as a worker's loop does.
class PollingThread : public ThreadBase {
 public:
  PollingThread(wxThreadKind kind, const wxString& description,
                std::atomic<unsigned long>* runningId = nullptr,
                std::atomic<long>* kernelId = nullptr)
      : ThreadBase(kind, description), m_RunningId(runningId), m_KernelId(kernelId) {}

 protected:
  ExitCode Entry() override {
    if (m_RunningId != nullptr) *m_RunningId = wxThread::GetCurrentId();
    if (m_KernelId != nullptr) *m_KernelId = syscall(SYS_gettid);
    TestDestroy();
    return nullptr;
  }

 private:
  std::atomic<unsigned long>* m_RunningId;
  std::atomic<long>* m_KernelId;
};

wxString hex(unsigned long id) { return wxString::Format(wxS("0x%lx"), id); }

// "[#0x<this thread>: <number>. <description>]"
wxString nameBuiltHere(unsigned int number, const wxString& description) {
  return wxS("[#") + hex(wxThread::GetCurrentId()) + wxString::Format(wxS(": %u. "), number) +
         description + wxS("]");
}

// Waits up to five seconds for a message beginning with `prefix`.
wxString waitForMessage(const KivoTest::LogCapture& log, const wxString& prefix) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (std::chrono::steady_clock::now() < deadline) {
    for (const wxString& text : log.texts()) {
      if (text.StartsWith(prefix)) return text;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return wxEmptyString;
}

// A detached thread goes on with the toolkit's per-thread clean-up after its object
// is destroyed, under a toolkit lock that the process destroys at exit; nothing
// orders the two. Once the thread is gone, a joinable thread takes the same
// clean-up lock and is joined, which puts that last use before the exit.
void settleAfterDetachedThread(long kernelId) {
  const std::string task = "/proc/self/task/" + std::to_string(kernelId);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  struct stat info {};
  while (stat(task.c_str(), &info) == 0 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  PollingThread settler(wxTHREAD_JOINABLE, wxS("settler"));
  if (settler.Run() == wxTHREAD_NO_ERROR) settler.Wait();
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
  std::atomic<unsigned long> runningId{0};
  const wxString name = nameBuiltHere(1, wxS("Worker"));
  {
    PollingThread thread(wxTHREAD_JOINABLE, wxS("Worker"), &runningId);
    EXPECT_EQ(thread.getName(), name);
    ASSERT_EQ(thread.Run(), wxTHREAD_NO_ERROR);
    thread.Wait();
    EXPECT_EQ(thread.getThisThreadDetails(), wxS("1. ") + hex(runningId) + wxS(", joined"));
  }
  const wxString details = wxS("1. ") + hex(runningId) + wxS(", joined");
  const auto messages = log.messages();
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[0].message, name);
  EXPECT_EQ(messages[1].message, name + wxS("::OnExit(): ") + details);
  EXPECT_EQ(messages[2].message, wxS("~1.(0) ") + name + wxS(": ") + details);
  const wxString functions[] = {wxS("ThreadBase"), wxS("OnExit"), wxS("~ThreadBase")};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(messages[i].level, KivoUnit::LevelMessage);
    EXPECT_EQ(messages[i].file, wxS("include/kivo/ThreadBase"));
    EXPECT_EQ(messages[i].function, functions[i]);
  }
  EXPECT_NE(runningId.load(), wxThread::GetCurrentId()) << "the details carry the worker's id";
}

TEST_F(ThreadBaseTest, DetachedThreadIsDestroyedByTheToolkitAfterItsExitLine) {
  std::atomic<unsigned long> runningId{0};
  std::atomic<long> kernelId{0};
  const wxString name = nameBuiltHere(1, wxS("Updater"));
  auto* thread = new PollingThread(wxTHREAD_DETACHED, wxS("Updater"), &runningId, &kernelId);
  ASSERT_EQ(thread->Run(), wxTHREAD_NO_ERROR);
  const wxString destroyed = waitForMessage(log, wxS("~1.(0) "));
  ASSERT_FALSE(destroyed.empty()) << "the detached thread object was never destroyed";
  const wxString details = wxS("1. ") + hex(runningId) + wxS(", detached");
  EXPECT_EQ(destroyed, wxS("~1.(0) ") + name + wxS(": ") + details);
  EXPECT_EQ(log.texts(),
            (std::vector<wxString>{name, name + wxS("::OnExit(): ") + details, destroyed}));
  settleAfterDetachedThread(kernelId);
}

TEST_F(ThreadBaseTest, NumbersAreLiveCountsAndDestroyedObjectsShowWhatIsLeft) {
  auto* first = new PollingThread(wxTHREAD_JOINABLE, wxS("A"));
  auto* second = new PollingThread(wxTHREAD_JOINABLE, wxS("B"));
  EXPECT_EQ(first->getNumber(), 1u);
  EXPECT_EQ(second->getNumber(), 2u);
  delete first;
  auto* third = new PollingThread(wxTHREAD_JOINABLE, wxS("C"));
  EXPECT_EQ(third->getNumber(), 2u) << "the same number as B, which still lives";
  delete third;
  delete second;
  // Never run or polled: the details stay empty and each last line ends in ": ".
  EXPECT_EQ(log.texts(),
            (std::vector<wxString>{nameBuiltHere(1, wxS("A")), nameBuiltHere(2, wxS("B")),
                                   wxS("~1.(1) ") + nameBuiltHere(1, wxS("A")) + wxS(": "),
                                   nameBuiltHere(2, wxS("C")),
                                   wxS("~2.(1) ") + nameBuiltHere(2, wxS("C")) + wxS(": "),
                                   wxS("~2.(0) ") + nameBuiltHere(2, wxS("B")) + wxS(": ")}));
}

TEST_F(ThreadBaseTest, DetailsAreBuiltOnceAndNeverChange) {
  std::atomic<unsigned long> runningId{0};
  {
    PollingThread thread(wxTHREAD_JOINABLE, wxS("Early"), &runningId);
    const wxString early = thread.getThisThreadDetails();
    EXPECT_TRUE(early.StartsWith(wxS("1. 0x"))) << early;
    EXPECT_TRUE(early.EndsWith(wxS(", joined"))) << early;
    ASSERT_EQ(thread.Run(), wxTHREAD_NO_ERROR);
    thread.Wait();
    EXPECT_EQ(thread.getThisThreadDetails(), early) << "the worker's poll did not rebuild them";
    EXPECT_TRUE(log.contains(thread.getName() + wxS("::OnExit(): ") + early));
  }
}
