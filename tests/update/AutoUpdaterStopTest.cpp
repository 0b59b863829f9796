#include <atomic>
#include <thread>

#include "update/UpdateFixture.h"

using namespace KivoUnit;
using KivoTest::AutoUpdateTest;
using KivoTest::CallBook;
using KivoTest::Clock;
using KivoTest::RecordingNode;

namespace {

const std::string kUpdater = "<AutoUpdater name='AutoUpdater'/>";

long long milliseconds(Clock::duration duration) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(duration).count();
}

}  // namespace

// The library stops while the worker's pass waits for the tree lock, which the
// stopping thread holds: the scheduler goes while the pass still waits, and the
// pass must find nothing of it freed (AddressSanitizer, ThreadSanitizer).
TEST_F(AutoUpdateTest, StopWhileAPassWaitsForTheTreeLock) {
  ASSERT_TRUE(boot(kUpdater + "<recorder name='busy' auto_update_interval='0.02'/>"));
  ASSERT_TRUE(CallBook::get().waitFor(wxS("busy"), 1));
  Clock::duration stopping{};
  {
    KivoLocker guard(__LINE__, __FILE__, __func__, wxString());
    AutoUpdaters::AutoUpdater* scheduler = updaterNode(*guard.Write())->getAutoUpdater();
    ASSERT_TRUE(KivoTest::eventually([&] { return scheduler->isWaitingForTreeLock(); }));
    stopping = stopLibrary();  // the guard's lock is re-entered and still held after
    EXPECT_EQ(guard.Write(), nullptr);
  }
  EXPECT_LT(milliseconds(stopping), 2000) << "no wait for a thread that cannot move";
  // TearDown waits for the worker to end after it got the lock and found no base.
}

// With a wake interval of 1 s, a stop that comes while a call runs returns soon
// after the call, not a wake interval later: the stop request wakes the worker.
TEST_F(AutoUpdateTest, StopIsPromptAfterTheCurrentCall) {
  std::atomic<bool> inCall{false};
  std::atomic<long long> callEnded{0};
  RecordingNode::s_Behaviour = [&](RecordingNode&, double) {
    inCall = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    callEnded = Clock::now().time_since_epoch().count();
  };
  ASSERT_TRUE(boot(kUpdater + "<recorder name='slow' auto_update_interval='1'/>"));
  ASSERT_TRUE(KivoTest::eventually([&] { return inCall.load(); }));
  stopLibrary();  // waits for the tree lock until the call ends
  const auto stopped = Clock::now().time_since_epoch().count();
  ASSERT_NE(callEnded.load(), 0);
  EXPECT_LT(milliseconds(Clock::duration(stopped - callEnded.load())), 600)
      << "the worker slept out its wake interval";
}

TEST_F(AutoUpdateTest, ReportShutdownStopsTheWorkerBeforeTheStop) {
  ASSERT_TRUE(boot(kUpdater + "<recorder name='ticking' auto_update_interval='1'/>"));
  ASSERT_TRUE(CallBook::get().waitFor(wxS("ticking"), 1));
  AutoUpdaters::AutoUpdater* scheduler = locked([&](KivoBase& base) {
    base.ReportShutdown();
    return updaterNode(base)->getAutoUpdater();
  });
  EXPECT_TRUE(scheduler->isStopRequested());
  EXPECT_TRUE(KivoTest::eventually([&] { return scheduler->isThreadFinished(); }));
  EXPECT_LT(milliseconds(stopLibrary()), 2000);
}

// A node's AutoUpdate may remove the auto-updater itself: the scheduler then goes
// on the worker's own thread, in the middle of its pass.
TEST_F(AutoUpdateTest, AutoUpdateMayRemoveTheAutoUpdater) {
  RecordingNode::s_Behaviour = [](RecordingNode& node, double) {
    if (iNode* updater = node.getBase()->Search(wxS("/kivo/AutoUpdater"))) {
      node.getParent()->RemoveChild(updater);
    }
  };
  ASSERT_TRUE(boot(kUpdater + "<recorder name='remover' auto_update_interval='0.01'/>" +
                   "<recorder name='next' auto_update_interval='0.01'/>"));
  ASSERT_TRUE(CallBook::get().waitFor(wxS("remover"), 1));
  EXPECT_TRUE(KivoTest::eventually([&] {
    return locked([](KivoBase& base) { return base.Search(wxS("/kivo/AutoUpdater")) == nullptr; });
  }));
  const size_t calls = CallBook::get().callsOf(wxS("remover")).size();
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(CallBook::get().callsOf(wxS("remover")).size(), calls) << "no more passes";
}
