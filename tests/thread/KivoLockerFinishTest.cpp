#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

#include "kivo/thread/KivoLocker.h"
#include "support/LogCapture.h"

using KivoUnit::KivoLocker;

namespace {

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

bool writerLockFreeForOthers() {
  bool taken = false;
  std::thread other([&taken] {
    taken = KivoLocker::s_Writer.TryEnter();
    if (taken) KivoLocker::s_Writer.Leave();
  });
  other.join();
  return taken;
}

std::vector<wxString> debugTexts(const KivoTest::LogCapture& log) {
  std::vector<wxString> texts;
  for (const auto& message : log.messages()) {
    EXPECT_EQ(message.level, KivoUnit::LevelDebug);
    EXPECT_EQ(message.file, wxS("include/kivo/KivoLocker"));
    EXPECT_EQ(message.function, wxS("Debug"));
    texts.push_back(message.message);
  }
  return texts;
}

class FinishTest : public ::testing::Test {
 protected:
  void TearDown() override {
    KivoLocker::s_Debug = false;
    EXPECT_EQ(KivoLocker::s_ReaderCount, 0);
    EXPECT_EQ(KivoLocker::s_WriterCount, 0);
    EXPECT_EQ(KivoLocker::s_WriterId, 0u);
    EXPECT_TRUE(writerLockFreeForOthers());
  }
  KivoTest::LogCapture log;
};

}  // namespace

TEST_F(FinishTest, FinishOnAFreshGuardChangesNothingAndDebugWritesOnlyWhenOn) {
  KivoLocker guard(__LINE__, __FILE__, __func__, wxEmptyString);
  KivoLocker::Debug(wxS("not shown"));
  KivoLocker::s_Debug = true;
  guard.FinishReading();
  guard.FinishWriting();
  EXPECT_FALSE(guard.iLocked());
  // The readers-finished semaphore still has its one unit and no more.
  EXPECT_EQ(KivoLocker::s_ReadersFinished.TryWait(), wxSEMA_NO_ERROR);
  EXPECT_EQ(KivoLocker::s_ReadersFinished.TryWait(), wxSEMA_BUSY);
  KivoLocker::s_ReadersFinished.Post();
  KivoLocker::Debug(wxS("shown"));
  EXPECT_EQ(debugTexts(log), std::vector<wxString>{wxS("shown")});
}

TEST_F(FinishTest, TheOutermostWriterReleasesTheWriterLockWithItsSteps) {
  AcquiringLocker outer;
  AcquiringLocker inner;
  outer.beginWriting();
  inner.beginWriting();
  inner.FinishWriting();
  EXPECT_EQ(KivoLocker::s_WriterCount, 1);
  EXPECT_FALSE(writerLockFreeForOthers());
  KivoLocker bystander(__LINE__, __FILE__, __func__, wxEmptyString);
  EXPECT_TRUE(bystander.iLocked()) << "a guard on the writer's thread counts as locked";
  bool lockedElsewhere = true;
  std::thread([&lockedElsewhere] {
    KivoLocker other(__LINE__, __FILE__, __func__, wxEmptyString);
    lockedElsewhere = other.iLocked();
  }).join();
  EXPECT_FALSE(lockedElsewhere);
  EXPECT_EQ(log.count(), 0u) << "nothing is logged while s_Debug is off";
  KivoLocker::s_Debug = true;
  outer.FinishWriting();
  EXPECT_EQ(debugTexts(log), (std::vector<wxString>{wxS("Writer finishing up..."),
                                                    wxS("Writer was the last in this thread..."),
                                                    wxS("Writer gone.")}));
  EXPECT_FALSE(outer.iLocked());
  outer.FinishWriting();
  EXPECT_EQ(log.count(), 3u) << "a second finish does nothing";
}

TEST_F(FinishTest, TheLastReaderPostsItsStepAndReadersGiveBackEveryUnit) {
  std::vector<std::unique_ptr<AcquiringLocker>> readers;
  for (int i = 0; i < 255; ++i) {
    readers.push_back(std::make_unique<AcquiringLocker>());
    readers.back()->beginReading();
  }
  EXPECT_TRUE(readers.front()->iLocked());
  EXPECT_EQ(KivoLocker::s_Readers.TryWait(), wxSEMA_BUSY) << "all 255 units are taken";
  for (size_t i = 0; i + 1 < readers.size(); ++i) readers[i]->FinishReading();
  EXPECT_EQ(KivoLocker::s_ReaderCount, 1);
  KivoLocker::s_Debug = true;
  readers.back()->FinishReading();
  EXPECT_EQ(debugTexts(log), (std::vector<wxString>{wxS("Reader finishing up..."),
                                                    wxS("Reader was the last one..."),
                                                    wxS("Reader gone.")}));
  EXPECT_FALSE(readers.back()->iLocked());
  for (int i = 0; i < 255; ++i) ASSERT_EQ(KivoLocker::s_Readers.TryWait(), wxSEMA_NO_ERROR);
  EXPECT_EQ(KivoLocker::s_Readers.TryWait(), wxSEMA_BUSY);
  for (int i = 0; i < 255; ++i) KivoLocker::s_Readers.Post();
}
