// Thread objects, the tree lock's guards used from several threads, and the release
// steps of the guards' class-wide reader/writer state.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "kivo/kivo.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

using namespace KivoUnit;

#define GUARD(name) KivoLocker name(__LINE__, __FILE__, __func__, wxEmptyString)

namespace {

// The ids of the last thread that ran, kept apart from objects a detached thread deletes.
std::atomic<unsigned long> g_RunningId{0};
std::atomic<long> g_KernelId{0};

// Records its thread's ids and polls once, as a worker's loop does; the first poll
// fixes the details with the worker's own id.
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

// Waits until `condition` holds; false after 20 s, which a passing test never waits out.
bool eventually(const std::function<bool()>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!condition() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return condition();
}

// Whether a thread other than the caller could enter `lock` right now.
bool freeForOthers(wxCriticalSection& lock) {
  bool taken = false;
  std::thread([&] {
    taken = lock.TryEnter();
    if (taken) lock.Leave();
  }).join();
  return taken;
}

// Adds, finds and removes its own nodes until the base is gone; -1 when the tree
// changed under it.
int workOnTree(int worker, std::atomic<int>& rounds) {
  for (int round = 0;; ++round, ++rounds) {
    GUARD(guard);
    KivoBase* base = guard.Write();
    if (base == nullptr) return round;
    const wxString path = wxString::Format(wxS("/work/w%i/n%i"), worker, round);
    iNode* node = base->SearchOrCreate(path, wxS("node"), wxS("node"));
    if (node == nullptr || base->Search(path) != node) return -1;
    node->getParent()->RemoveChild(node);
  }
}

// Takes the acquiring halves of the reader/writer protocol, which the library
// leaves to subclasses, so that the release steps can be watched.
class AcquiringLocker : public KivoLocker {
 public:
  AcquiringLocker() : KivoLocker(__LINE__, __FILE__, __func__, wxEmptyString) {}
  // The writer lock is entered once per thread; nesting only counts.
  void beginWriting() {
    if (s_WriterId != m_ThreadId) s_Writer.Enter();
    ++s_WriterCount;
    s_WriterId = m_ThreadId;
    m_Writing = true;
  }
  void beginReading() {
    s_Readers.Wait();
    wxCriticalSectionLocker lock(s_ReadersLock);
    ++s_ReaderCount;
    m_Reading = true;
  }
};

}  // namespace

// A detached thread is destroyed by the toolkit, then goes on with the toolkit's
// per-thread clean-up under a lock the process destroys at exit. Once the thread is
// gone, a joinable thread takes the same lock and is joined, which orders that last
// use before the exit.
TEST(ThreadBase, NumbersAreLiveCountsJoinedAndDetachedThreadsLogTheirThreeLinesInTurn) {
  Toolkit::Scope toolkit;  // first: a thread object must not be built before it is up
  ASSERT_TRUE(toolkit.ok());
  KivoTest::LogCapture log;
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
    struct stat info {};
    EXPECT_TRUE(eventually([&] {
      return log.count() >= 3 && stat(("/proc/self/task/" + std::to_string(g_KernelId)).c_str(), &info) != 0;
    }));
    const wxString details = wxS("1. ") + hex(g_RunningId) + (detached ? wxS(", detached") : wxS(", joined"));
    std::vector<wxString> seen;
    for (const auto& m : log.messages()) seen.push_back(wxString::Format("%i %s %s: %s", m.level, m.file, m.function, m.message));
    const wxString at = wxString::Format("%i include/kivo/ThreadBase ", LevelMessage);
    EXPECT_EQ(seen, (std::vector<wxString>{at + "ThreadBase: " + name, at + "OnExit: " + name + "::OnExit(): " + details,
                                           at + "~ThreadBase: ~1.(0) " + name + ": " + details}));
  }
  PollingThread settler(wxTHREAD_JOINABLE, wxS("settler"));
  if (settler.Run() == wxTHREAD_NO_ERROR) settler.Wait();
}

TEST(KivoLocker, GuardsNestHoldTheLockUntilTheOuterEndsAndReleaseOnlyWhatTheyTook) {
  ASSERT_EQ(KivoBase::GetInstance(), nullptr);
  auto base = std::make_unique<KivoBase>();
  {
    GUARD(early);
    EXPECT_TRUE(early.Write() == nullptr && freeForOthers(KivoBase::s_CS)) << "built before any base: no lock";
    KivoBase::s_Instance = base.get();
    EXPECT_EQ(early.Write(), base.get());
    std::atomic<bool> outerReleased{false};
    std::thread other;
    {
      GUARD(outer);
      EXPECT_EQ(outer.Read(), base.get());
      EXPECT_FALSE(outer.iLocked()) << "Read and Write set no flag";
      {
        GUARD(inner);
        EXPECT_EQ(KivoBase::s_Locked, 2);
        other = std::thread([&] {
          GUARD(guard);
          EXPECT_TRUE(outerReleased) << "the other thread got the lock before the outer guard ended";
        });
      }
      EXPECT_EQ(KivoBase::s_Locked, 1);
      std::this_thread::sleep_for(std::chrono::milliseconds(50));  // time to take a lock the inner guard freed
      outerReleased = true;
    }
    other.join();
  }
  EXPECT_EQ(KivoBase::s_Locked, 0) << "the early guard released nothing it did not take";
  {
    GUARD(guard);
    KivoBase::s_Instance = nullptr;
    EXPECT_TRUE(guard.Write() == nullptr && !freeForOthers(KivoBase::s_CS)) << "a base going away keeps the lock held";
  }
  EXPECT_TRUE(KivoBase::s_Locked == 0 && freeForOthers(KivoBase::s_CS));
}

// Threads change the tree only under guards; a stop takes the base away while they
// wait for the lock, and they find none.
TEST(KivoLocker, ThreadsChangeTheTreeUnderGuardsUntilAStopTakesTheBase) {
  KivoTest::LogCapture log(AppLogErrors);
  KivoTest::TempDir dir;
  KivoBase* base = KivoBase::s_Instance = new KivoBase();
  ASSERT_TRUE(base->Boot(wxString::FromUTF8(dir.write("boot.xml", "<kivo name='kivo'/>").c_str())));
  std::atomic<int> rounds{0};
  std::vector<int> results(3, 0);
  std::vector<std::thread> workers;
  for (int w = 0; w < 3; ++w) workers.emplace_back([w, &results, &rounds] { results[w] = workOnTree(w, rounds); });
  EXPECT_TRUE(eventually([&] { return rounds >= 600; }));
  {
    // What the library's stop does: under the tree lock, clear the instance (guards
    // read it before they take the lock), shut the tree down and delete the base.
    GUARD(guard);
    KivoBase::s_Instance = nullptr;
    base->Shutdown();
    delete base;
  }
  for (auto& worker : workers) worker.join();
  for (int result : results) EXPECT_GE(result, 0) << "a node changed under its guard";
  EXPECT_EQ(log.count(), 0u) << log.texts().front();
  EXPECT_TRUE(KivoBase::s_Locked == 0 && freeForOthers(KivoBase::s_CS));
}

// Only the last of a thread's writers and the last reader take their final step; a
// guard that took nothing has none.
TEST(KivoLocker, FinishingReleasesTheWriterLockAndEveryReaderUnit) {
  KivoTest::LogCapture log;
  const auto debugTexts = [&log] {
    std::vector<wxString> texts;
    for (const auto& m : log.messages()) {
      EXPECT_TRUE(m.level == LevelDebug && m.file == wxS("include/kivo/KivoLocker") && m.function == wxS("Debug"));
      texts.push_back(m.message);
    }
    log.clear();
    return texts;
  };
  AcquiringLocker outer, inner;
  outer.beginWriting();
  inner.beginWriting();
  inner.FinishWriting();
  EXPECT_EQ(log.count(), 0u) << "nothing is logged while s_Debug is off";
  EXPECT_TRUE(KivoLocker::s_WriterCount == 1 && !freeForOthers(KivoLocker::s_Writer));
  GUARD(bystander);
  EXPECT_TRUE(bystander.iLocked()) << "a guard on the writer's thread counts as locked";
  std::thread([] { GUARD(other); EXPECT_FALSE(other.iLocked()); }).join();
  KivoLocker::s_Debug = true;
  bystander.FinishReading();
  bystander.FinishWriting();
  outer.FinishWriting();
  EXPECT_EQ(debugTexts(), (std::vector<wxString>{wxS("Writer finishing up..."), wxS("Writer was the last in this thread..."),
                                                 wxS("Writer gone.")}));
  EXPECT_FALSE(outer.iLocked());
  outer.FinishWriting();
  EXPECT_EQ(log.count(), 0u) << "a second finish does nothing";
  EXPECT_TRUE(KivoLocker::s_WriterCount == 0 && KivoLocker::s_WriterId == 0 && freeForOthers(KivoLocker::s_Writer));

  KivoLocker::s_Debug = false;
  std::vector<std::unique_ptr<AcquiringLocker>> readers(255);
  for (auto& reader : readers) (reader = std::make_unique<AcquiringLocker>())->beginReading();
  EXPECT_EQ(KivoLocker::s_Readers.TryWait(), wxSEMA_BUSY) << "all 255 units are taken";
  for (size_t i = 0; i + 1 < readers.size(); ++i) readers[i]->FinishReading();
  EXPECT_EQ(KivoLocker::s_ReaderCount, 1);
  KivoLocker::s_Debug = true;
  readers.back()->FinishReading();
  KivoLocker::s_Debug = false;
  EXPECT_EQ(debugTexts(), (std::vector<wxString>{wxS("Reader finishing up..."), wxS("Reader was the last one..."),
                                                 wxS("Reader gone.")}));
  EXPECT_TRUE(!readers.back()->iLocked() && KivoLocker::s_ReaderCount == 0);
  for (int i = 0; i < 255; ++i) ASSERT_EQ(KivoLocker::s_Readers.TryWait(), wxSEMA_NO_ERROR);
  EXPECT_EQ(KivoLocker::s_Readers.TryWait(), wxSEMA_BUSY);
  for (int i = 0; i < 255; ++i) KivoLocker::s_Readers.Post();
}
