// The auto-updater with nodes that record their AutoUpdate calls, booted from
// configurations written into a fresh folder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <utility>

#include "kivo/kivo.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

extern "C" {
KivoUnit::Kivo* start(KivoUnit::Kivo*);
void stop();
}

using namespace KivoUnit;
using Clock = std::chrono::steady_clock;

namespace {

const std::string kUpdater = "<AutoUpdater name='AutoUpdater'/>";

std::string recorder(const std::string& name, const std::string& interval) {
  return "<recorder name='" + name + "' auto_update_interval='" + interval + "'/>";
}

// Waits until `condition` holds; false after 20 s, which a passing test never waits out.
bool eventually(const std::function<bool()>& condition) {
  const auto deadline = Clock::now() + std::chrono::seconds(20);
  while (!condition() && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  return condition();
}

// The AutoUpdate calls (elapsed milliseconds) by node name, shared between the
// worker and the test, and what a recording node does after recording.
std::mutex g_BookLock;
std::map<wxString, std::vector<long long>> g_Calls;
std::set<long> g_Callers;  // kernel ids
std::function<void(iNode&)> g_Behaviour;

std::vector<long long> callsOf(const wxString& name) {
  std::lock_guard<std::mutex> guard(g_BookLock);
  return g_Calls[name];
}

bool waitForCalls(const wxString& name, size_t count) {
  return eventually([&] { return callsOf(name).size() >= count; });
}

class RecordingNode : public iNode {
 public:
  explicit RecordingNode(const wxString& element) : iNode(nullptr, element) {}
  void AutoUpdate(double seconds) override {
    {
      std::lock_guard<std::mutex> guard(g_BookLock);
      g_Calls[getName()].push_back(std::llround(seconds * 1000));
      g_Callers.insert(syscall(SYS_gettid));
    }
    if (g_Behaviour) g_Behaviour(*this);
  }
};

class RecorderFactory : public iNodeFactory {
 public:
  RecorderFactory() : iNodeFactory(nullptr, wxS("factory")) {
    setName(wxS("Recorders"));
    Register(wxS("recorder"));
    RegisterElements();
  }
  iNode* Create(const wxString& element, TiXmlElement* xml, iNode*) override {
    return xml != nullptr ? Read(element, new RecordingNode(element), xml) : new RecordingNode(element);
  }
};

class Settler : public ThreadBase {
 public:
  Settler() : ThreadBase(wxTHREAD_JOINABLE, wxS("settler")) {}
  ExitCode Entry() override { return nullptr; }
};

class AutoUpdateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(toolkit.ok());
    ASSERT_NE(start(nullptr), nullptr);
    factory = new RecorderFactory();
  }

  // Once every worker object is destroyed and every worker that made calls has
  // ended, a joinable thread takes the toolkit's clean-up lock after them and is
  // joined, which orders their last use of it before the next.
  void TearDown() override {
    stopLibrary();
    if (factory != nullptr) factory->destroy(), delete factory;
    const auto workers = [&](bool destroyed) {
      const auto texts = log.texts();
      return std::count_if(texts.begin(), texts.end(), [&](const wxString& text) {
        return destroyed ? text.StartsWith(wxS("~")) && text.Contains(wxS(". AutoUpdaterThread]"))
                         : text.EndsWith(wxS(". AutoUpdaterThread]"));
      });
    };
    EXPECT_TRUE(eventually([&] { return workers(true) == workers(false); })) << "a worker object is left";
    for (long thread : g_Callers) {
      const std::string task = "/proc/self/task/" + std::to_string(thread);
      struct stat info {};
      EXPECT_TRUE(thread == getpid() || eventually([&] { return stat(task.c_str(), &info) != 0; })) << thread;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // the last steps after the object
    Settler settler;
    if (settler.Run() == wxTHREAD_NO_ERROR) settler.Wait();
    g_Behaviour = nullptr, g_Calls.clear(), g_Callers.clear();
  }

  template <typename Work>
  auto locked(Work work) {
    KivoLocker guard(__LINE__, __FILE__, __func__, wxString());
    return work(*guard.Write());
  }

  // Boots "<kivo name='kivo'>" + children + "</kivo>".
  bool boot(const std::string& children) {
    const std::string file = dir.write("boot.xml", "<kivo name='kivo'>" + children + "</kivo>");
    return locked([&](KivoBase& base) { return base.Boot(wxString::FromUTF8(file.c_str())); });
  }

  // Stops the library (once) and returns how long the stop took in milliseconds.
  long long stopLibrary() {
    const auto before = Clock::now();
    if (!std::exchange(stopped, true)) stop();
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - before).count();
  }

  static AutoUpdaters::AutoUpdater* scheduler(KivoBase& base, const wxString& path = wxS("/kivo/AutoUpdater")) {
    return dynamic_cast<KivoAutoUpdater*>(base.Search(path))->getAutoUpdater();
  }

  Toolkit::Scope toolkit;
  KivoTest::LogCapture log;
  KivoTest::TempDir dir;
  RecorderFactory* factory = nullptr;
  bool stopped = false;
};

}  // namespace

TEST_F(AutoUpdateTest, NodesAreCalledOnTheWorkerAtTheirSixteenBitIntervals) {
  g_Behaviour = [](iNode&) { EXPECT_FALSE(wxThread::IsMain()) << "called on the worker thread"; };
  ASSERT_TRUE(boot(kUpdater + recorder("half", "0.5") + recorder("long", "70") + recorder("wrapped", "65.536")));
  ASSERT_TRUE(waitForCalls(wxS("wrapped"), 3)) << "an interval of 0 is due on every pass";
  locked([&](KivoBase& base) {
    // Milliseconds in 16 bits: 70,000 ms keeps 4,464 ms; 65,536 ms wraps to 0, the smallest;
    // the wake interval is recomputed from what is left.
    EXPECT_EQ(wxString::Format("%g %g %u", base.Search(wxS("/long"))->getAutoUpdateInterval(),
                               base.Search(wxS("/wrapped"))->getAutoUpdateInterval(), scheduler(base)->getWakeInterval()),
              "4.464 0 0");
    EXPECT_TRUE(base.Search(wxS("/wrapped"))->unregisterAutoUpdater() && scheduler(base)->getWakeInterval() == 500u);
    scheduler(base)->printTargetKivoNodesList();
    return 0;
  });
  const auto texts = log.texts();
  EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [](const wxString& text) {
    return text.StartsWith(wxS("Kivo path: /kivo/half, Update interval: 0.500000, Elapsed from last update: "));
  }));
  ASSERT_TRUE(waitForCalls(wxS("half"), 4));
  const std::vector<long long> calls = callsOf(wxS("half"));
  EXPECT_GT(calls[0], 1600000000000LL) << "never called before: the whole tick count";
  for (size_t i = 1; i < calls.size(); ++i) EXPECT_GE(calls[i], 500) << "call " << i;
}

// A scheduler of the test's own whose worker is stopped: the test runs the passes.
TEST_F(AutoUpdateTest, PassesCallDueNodesRetryMissingOnesAndEndWhenANodeStopsThem) {
  ASSERT_TRUE(boot("<recorder name='tenth'/><recorder name='gone'/><recorder name='stopper'/><recorder name='after'/>"));
  AutoUpdaters::AutoUpdater passes;
  passes.setStopRequested(true);
  ASSERT_TRUE(eventually([&] { return passes.isThreadFinished(); }));
  passes.setStopRequested(false);
  const unsigned int tenth = passes.registerNode(wxS("/kivo/tenth"), 0.2);
  EXPECT_EQ(passes.getWakeInterval(), 200u);
  EXPECT_EQ(passes.registerNode(wxS("/kivo/tenth"), 0.1), tenth) << "same path, same id";
  const unsigned int negative = passes.registerNode(wxS("/negative"), -1.0);
  passes.registerNode(wxS("/huge"), 1e12);
  // Negative and out-of-range intervals wrap like any other.
  EXPECT_EQ(wxString::Format("%u %u %u", negative - tenth, passes.getUpdateInterval(wxS("/negative")),
                             passes.getUpdateInterval(wxS("/huge"))), "1 64536 0");
  EXPECT_TRUE(passes.unregisterNode(negative) && !passes.unregisterNode(negative) && passes.unregisterNode(wxS("/huge")));
  EXPECT_EQ(passes.getWakeInterval(), 100u) << "recomputed from what is left";

  passes.registerNode(wxS("/kivo/gone"), 0);
  iNode* gone = locked([](KivoBase& base) { return base.Search(wxS("/gone")); });
  gone->detachFromParent();
  log.clear();
  for (unsigned long long now : {1000, 1099, 1100}) EXPECT_TRUE(passes.callAutoUpdates(now));
  EXPECT_EQ(callsOf(wxS("tenth")), (std::vector<long long>{1000, 100})) << "due once 100 ms passed";
  const wxString missing = wxS("Registered node '/kivo/gone' not found from kivo tree.");
  EXPECT_TRUE(log.contains(missing, LevelError) && log.texts() == std::vector<wxString>(3, missing))
      << "an error on every pass";
  locked([&](KivoBase& base) { return base.AppendChild(gone, nullptr, false); });
  EXPECT_TRUE(passes.callAutoUpdates(1200));
  EXPECT_EQ(callsOf(wxS("gone")), std::vector<long long>{1200}) << "called once back";

  g_Behaviour = [&](iNode& node) { if (node.getName() == wxS("stopper")) passes.setStopRequested(true); };
  passes.clearRegistrations();
  EXPECT_EQ(passes.getWakeInterval(), 1000u);
  passes.registerNode(wxS("/kivo/stopper"), 0);
  passes.registerNode(wxS("/kivo/after"), 0);
  passes.callAutoUpdates(2000);
  EXPECT_TRUE(callsOf(wxS("stopper")).size() == 1u && callsOf(wxS("after")).empty()) << "the pass ends with the stop";
  EXPECT_FALSE(passes.callAutoUpdates(3000));
}

// One in the wrong place, and something else in the right one: no node is ever
// called. The misplaced one still runs its worker, which a shutdown report stops.
TEST_F(AutoUpdateTest, OnlyTheAutoUpdaterAtItsPathCountsAndShutdownStopsEveryWorker) {
  ASSERT_TRUE(boot("<node name='elsewhere'>" + kUpdater + "</node><node name='AutoUpdater'/>" +
                   recorder("lonely", "0.01")));
  AutoUpdaters::AutoUpdater* misplaced = locked([](KivoBase& base) {
    iNode* lonely = base.Search(wxS("/lonely"));
    EXPECT_TRUE(lonely->isInitialized() && lonely->getAutoUpdateInterval() == 0.0 && !lonely->unregisterAutoUpdater());
    return scheduler(base, wxS("/kivo/elsewhere/AutoUpdater"));
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // a hundred intervals
  EXPECT_TRUE(callsOf(wxS("lonely")).empty());
  locked([](KivoBase& base) { return base.ReportShutdown(), 0; });
  EXPECT_TRUE(misplaced->isStopRequested() && eventually([&] { return misplaced->isThreadFinished(); }));
}

// A node's AutoUpdate may add and remove registered siblings, and at last remove
// the auto-updater itself: the scheduler then goes on the worker's own thread, in
// the middle of its pass.
TEST_F(AutoUpdateTest, AutoUpdateMayAddAndRemoveRegisteredSiblingsAndTheAutoUpdater) {
  std::atomic<bool> removeUpdater{false};
  // Each call replaces the sibling "made" by a new one that registers itself.
  g_Behaviour = [&](iNode& node) {
    if (node.getName() != wxS("builder")) return;
    iNode* parent = node.getParent();
    if (removeUpdater) {
      if (iNode* updater = parent->GetChild(wxS("AutoUpdater"))) parent->RemoveChild(updater);
      return;
    }
    if (iNode* old = parent->GetChild(wxS("made"))) parent->RemoveChild(old);
    iNode* made = node.getBase()->CreateNode(wxS("recorder"), nullptr, nullptr);
    made->setName(wxS("made"));
    made->setAttribute(wxS("auto_update_interval"), wxS("0.01"));
    EXPECT_TRUE(parent->AppendChild(made, nullptr, false));
  };
  ASSERT_TRUE(boot(kUpdater + recorder("builder", "0.05") + recorder("after", "0.05")));
  ASSERT_TRUE(waitForCalls(wxS("builder"), 5));
  EXPECT_TRUE(waitForCalls(wxS("made"), 2)) << "the new siblings are called";
  EXPECT_TRUE(waitForCalls(wxS("after"), 5)) << "the pass goes on after a change";
  EXPECT_TRUE(locked([&](KivoBase& base) {
    // Removed siblings unregistered themselves: one registration per node left.
    // In single precision 0.01 s is a little under 10 ms.
    EXPECT_EQ(scheduler(base)->getUpdateInterval(wxS("/kivo/made")), 9u);
    return scheduler(base)->unregisterNode(wxS("/kivo/made")) && !scheduler(base)->unregisterNode(wxS("/kivo/made"));
  }));
  removeUpdater = true;
  EXPECT_FALSE(log.contains(wxS("Registered node '/kivo/made' not found from kivo tree.")));
  EXPECT_TRUE(eventually([&] {
    return locked([](KivoBase& base) { return base.Search(wxS("/kivo/AutoUpdater")) == nullptr; });
  }));
  const size_t calls = callsOf(wxS("after")).size();
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(callsOf(wxS("after")).size(), calls) << "no more passes";
}

// The library stops while the worker's pass waits for the tree lock, which the
// stopping thread holds: the scheduler goes while the pass still waits, and the
// pass must find nothing of it freed (AddressSanitizer, ThreadSanitizer).
TEST_F(AutoUpdateTest, StopWhileAPassWaitsForTheTreeLock) {
  ASSERT_TRUE(boot(kUpdater + recorder("busy", "0.02")));
  ASSERT_TRUE(waitForCalls(wxS("busy"), 1));
  KivoLocker guard(__LINE__, __FILE__, __func__, wxString());
  AutoUpdaters::AutoUpdater* waiting = scheduler(*guard.Write());
  ASSERT_TRUE(eventually([&] { return waiting->isWaitingForTreeLock(); }));
  // Waiting for that worker would take the whole 3 s of polls.
  EXPECT_LT(stopLibrary(), 2900) << "no wait for a thread that cannot move";
  EXPECT_EQ(guard.Write(), nullptr) << "the base went under the held guard";
}

