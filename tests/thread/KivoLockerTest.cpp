// The tree lock's guards, used from several threads, and the release steps of the
// class-wide reader/writer state.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

#include "kivo/kivo.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

using namespace KivoUnit;

#define GUARD(name) KivoLocker name(__LINE__, __FILE__, __func__, wxEmptyString)

namespace {

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

}  // namespace

TEST(KivoLocker, GuardsNestHoldTheLockUntilTheOuterEndsAndReleaseOnlyWhatTheyTook) {
  ASSERT_EQ(KivoBase::GetInstance(), nullptr);
  auto base = std::make_unique<KivoBase>();
  {
    GUARD(early);
    EXPECT_EQ(early.Write(), nullptr);
    EXPECT_TRUE(freeForOthers(KivoBase::s_CS)) << "built before any base: no lock";
    KivoBase::s_Instance = base.get();
    EXPECT_EQ(early.Write(), base.get());
    std::atomic<bool> outerReleased{false};
    std::atomic<bool> otherHasLock{false};
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
          otherHasLock = true;
        });
      }
      EXPECT_EQ(KivoBase::s_Locked, 1);
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      EXPECT_FALSE(otherHasLock) << "the inner guard's end must not free the lock";
      outerReleased = true;
    }
    other.join();
    EXPECT_TRUE(otherHasLock);
    EXPECT_THROW(
        {
          GUARD(failing);
          throw std::runtime_error("failed while holding the tree");
        },
        std::runtime_error);
    EXPECT_TRUE(freeForOthers(KivoBase::s_CS)) << "released on the exception's way out";
  }
  EXPECT_EQ(KivoBase::s_Locked, 0) << "the early guard released nothing it did not take";
  {
    GUARD(guard);
    KivoBase::s_Instance = nullptr;
    EXPECT_EQ(guard.Write(), nullptr);
    EXPECT_FALSE(freeForOthers(KivoBase::s_CS)) << "a base going away still leaves the lock held";
  }
  EXPECT_EQ(KivoBase::s_Locked, 0);
  EXPECT_TRUE(freeForOthers(KivoBase::s_CS));
}

// Threads change the tree only under guards; a stop takes the base away while they
// wait for the lock, and they find none.
TEST(KivoLocker, ThreadsChangeTheTreeUnderGuardsUntilAStopTakesTheBase) {
  KivoTest::LogCapture log(AppLogErrors);
  KivoTest::TempDir dir;
  auto* base = new KivoBase();
  KivoBase::s_Instance = base;
  ASSERT_TRUE(base->Boot(wxString::FromUTF8(dir.write("boot.xml", "<kivo name='kivo'/>").c_str())));
  std::atomic<int> rounds{0};
  std::vector<int> results(3, 0);
  std::vector<std::thread> workers;
  for (int w = 0; w < 3; ++w) workers.emplace_back([w, &results, &rounds] { results[w] = workOnTree(w, rounds); });
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (rounds < 600 && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
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
  EXPECT_EQ(KivoBase::s_Locked, 0);
  EXPECT_TRUE(freeForOthers(KivoBase::s_CS));
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

class FinishTest : public ::testing::Test {
 protected:
  void TearDown() override {
    KivoLocker::s_Debug = false;
    EXPECT_EQ(KivoLocker::s_ReaderCount, 0);
    EXPECT_EQ(KivoLocker::s_WriterCount, 0);
    EXPECT_EQ(KivoLocker::s_WriterId, 0u);
    EXPECT_TRUE(freeForOthers(KivoLocker::s_Writer));
  }
  // The texts of the debug lines, each checked for where it comes from.
  std::vector<wxString> debugTexts() {
    std::vector<wxString> texts;
    for (const auto& m : log.messages()) {
      EXPECT_TRUE(m.level == LevelDebug && m.file == wxS("include/kivo/KivoLocker") && m.function == wxS("Debug"));
      texts.push_back(m.message);
    }
    return texts;
  }
  KivoTest::LogCapture log;
};

TEST_F(FinishTest, TheOutermostWriterReleasesTheWriterLockWithItsStepsAndAFreshGuardNothing) {
  AcquiringLocker outer;
  AcquiringLocker inner;
  outer.beginWriting();
  inner.beginWriting();
  inner.FinishWriting();
  KivoLocker::Debug(wxS("not shown"));
  EXPECT_EQ(log.count(), 0u) << "nothing is logged while s_Debug is off";
  EXPECT_EQ(KivoLocker::s_WriterCount, 1);
  EXPECT_FALSE(freeForOthers(KivoLocker::s_Writer));
  GUARD(bystander);
  EXPECT_TRUE(bystander.iLocked()) << "a guard on the writer's thread counts as locked";
  std::thread([] {
    GUARD(other);
    EXPECT_FALSE(other.iLocked());
  }).join();

  KivoLocker::s_Debug = true;
  bystander.FinishReading();
  bystander.FinishWriting();
  EXPECT_EQ(log.count(), 0u) << "a guard that took nothing has no steps";
  outer.FinishWriting();
  EXPECT_EQ(debugTexts(), (std::vector<wxString>{wxS("Writer finishing up..."), wxS("Writer was the last in this thread..."),
                                                 wxS("Writer gone.")}));
  EXPECT_FALSE(outer.iLocked());
  outer.FinishWriting();
  EXPECT_EQ(log.count(), 3u) << "a second finish does nothing";
}

TEST_F(FinishTest, TheLastReaderPostsItsStepAndReadersGiveBackEveryUnit) {
  std::vector<std::unique_ptr<AcquiringLocker>> readers(255);
  for (auto& reader : readers) {
    reader = std::make_unique<AcquiringLocker>();
    reader->beginReading();
  }
  EXPECT_TRUE(readers.front()->iLocked());
  EXPECT_EQ(KivoLocker::s_Readers.TryWait(), wxSEMA_BUSY) << "all 255 units are taken";
  for (size_t i = 0; i + 1 < readers.size(); ++i) readers[i]->FinishReading();
  EXPECT_EQ(KivoLocker::s_ReaderCount, 1);
  KivoLocker::s_Debug = true;
  readers.back()->FinishReading();
  EXPECT_EQ(debugTexts(), (std::vector<wxString>{wxS("Reader finishing up..."), wxS("Reader was the last one..."),
                                                 wxS("Reader gone.")}));
  EXPECT_FALSE(readers.back()->iLocked());
  for (int i = 0; i < 255; ++i) ASSERT_EQ(KivoLocker::s_Readers.TryWait(), wxSEMA_NO_ERROR);
  EXPECT_EQ(KivoLocker::s_Readers.TryWait(), wxSEMA_BUSY);
  for (int i = 0; i < 255; ++i) KivoLocker::s_Readers.Post();
}
