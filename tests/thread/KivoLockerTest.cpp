
#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "kivo/thread/KivoLocker.h"
#include "support/NodeFixture.h"

using KivoUnit::KivoBase;
using KivoUnit::KivoLocker;

namespace {

KivoLocker* newGuard() { return new KivoLocker(__LINE__, __FILE__, __func__, wxEmptyString); }

// Whether a thread other than the caller could take the tree lock right now.
bool treeLockFreeForOthers() {
  bool taken = false;
  std::thread other([&taken] {
    taken = KivoBase::s_CS.TryEnter();
    if (taken) KivoBase::s_CS.Leave();
  });
  other.join();
  return taken;
}

class KivoLockerTest : public KivoTest::NodeTest {
 protected:
  void TearDown() override {
    KivoLocker::s_Debug = false;
    EXPECT_EQ(KivoBase::s_Locked, 0) << "every guard released what it took";
    KivoTest::NodeTest::TearDown();
  }
};

// A tree that is not installed as the process's base, for tests that make the
// base appear or go away while a guard lives.
class GuardWithoutBaseTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(KivoBase::GetInstance(), nullptr); }
  void TearDown() override {
    KivoBase::s_Instance = nullptr;
    EXPECT_EQ(KivoBase::s_Locked, 0);
    EXPECT_TRUE(treeLockFreeForOthers());
  }
  std::unique_ptr<KivoBase> base = std::make_unique<KivoBase>();
};

}  // namespace

TEST_F(KivoLockerTest, NestedGuardsHoldTheTreeLockUntilTheOuterEnds) {
  {
    KivoLocker outer(__LINE__, __FILE__, __func__, wxEmptyString);
    EXPECT_EQ(outer.Write(), base);
    EXPECT_EQ(outer.Read(), base);
    EXPECT_FALSE(outer.iLocked()) << "Read and Write set no flag";
    {
      KivoLocker inner(__LINE__, __FILE__, __func__, wxEmptyString);
      EXPECT_EQ(KivoBase::s_Locked, 2);
    }
    EXPECT_EQ(KivoBase::s_Locked, 1);
    EXPECT_FALSE(treeLockFreeForOthers()) << "the outer guard still holds the lock";
  }
  EXPECT_TRUE(treeLockFreeForOthers());
  EXPECT_EQ(log->count(), 0u) << "a guard logs nothing";
}

TEST_F(KivoLockerTest, SecondThreadWaitsUntilTheOuterGuardEnds) {
  std::atomic<bool> outerReleased{false};
  std::atomic<bool> otherHasLock{false};
  std::atomic<bool> otherSawRelease{false};
  auto outer = std::unique_ptr<KivoLocker>(newGuard());
  auto inner = std::unique_ptr<KivoLocker>(newGuard());

  std::thread other([&] {
    KivoLocker guard(__LINE__, __FILE__, __func__, wxEmptyString);
    otherSawRelease = outerReleased.load();
    otherHasLock = true;
    EXPECT_EQ(guard.Write(), base);
    EXPECT_EQ(KivoBase::s_Locked, 1);
  });

  inner.reset();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(otherHasLock) << "the inner guard's end must not free the lock";
  outerReleased = true;
  outer.reset();
  other.join();
  EXPECT_TRUE(otherHasLock);
  EXPECT_TRUE(otherSawRelease) << "the other thread got the lock before the outer guard ended";
}

TEST_F(KivoLockerTest, GuardReleasesTheLockWhenAnExceptionPassesThrough) {
  EXPECT_THROW(
      {
        KivoLocker guard(__LINE__, __FILE__, __func__, wxEmptyString);
        throw std::runtime_error("failed while holding the tree");
      },
      std::runtime_error);
  EXPECT_EQ(KivoBase::s_Locked, 0);
  EXPECT_TRUE(treeLockFreeForOthers());
}

TEST_F(GuardWithoutBaseTest, GuardReleasesOnlyWhatItTookWhenTheBaseComesOrGoes) {
  {
    KivoLocker guard(__LINE__, __FILE__, __func__, wxEmptyString);
    EXPECT_EQ(guard.Write(), nullptr);
    EXPECT_TRUE(treeLockFreeForOthers()) << "built before any base: no lock";
    KivoBase::s_Instance = base.get();
    EXPECT_EQ(guard.Write(), base.get());
    {
      KivoLocker inner(__LINE__, __FILE__, __func__, wxEmptyString);
      EXPECT_EQ(KivoBase::s_Locked, 1) << "only the inner guard took the lock";
    }
    EXPECT_EQ(KivoBase::s_Locked, 0);
  }
  EXPECT_EQ(KivoBase::s_Locked, 0) << "the outer guard released nothing it did not take";
  {
    KivoLocker guard(__LINE__, __FILE__, __func__, wxEmptyString);
    KivoBase::s_Instance = nullptr;
    EXPECT_EQ(guard.Write(), nullptr);
    EXPECT_FALSE(treeLockFreeForOthers()) << "a base going away still leaves the lock held";
  }
}
