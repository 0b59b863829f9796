#include <thread>

#include "update/UpdateFixture.h"

using namespace KivoUnit;
using KivoTest::AutoUpdateTest;
using KivoTest::CallBook;
using KivoTest::RecordingNode;

namespace {

const std::string kUpdater = "<AutoUpdater name='AutoUpdater'/>";

std::string recorder(const std::string& name, const std::string& interval) {
  return "<recorder name='" + name + "' auto_update_interval='" + interval + "'/>";
}

size_t countOf(const KivoTest::LogCapture& log, const wxString& text, int level) {
  size_t count = 0;
  for (const PoolMessage& message : log.messages()) {
    if (message.message == text && message.level == level) ++count;
  }
  return count;
}

}  // namespace

TEST_F(AutoUpdateTest, NodeIsCalledAtItsIntervalOnTheWorkerThread) {
  testing::internal::CaptureStdout();
  ASSERT_TRUE(boot(kUpdater + recorder("half", "0.5")));
  EXPECT_NE(testing::internal::GetCapturedStdout().find("KivoAutoUpdater created\n"), std::string::npos);

  ASSERT_TRUE(CallBook::get().waitFor(wxS("half"), 4));
  const std::vector<double> calls = CallBook::get().callsOf(wxS("half"));
  // A new registration has never been called: its first call gets the whole tick count.
  EXPECT_GT(calls[0], 1.6e9) << "seconds since 1970";
  for (size_t i = 1; i < calls.size(); ++i) {
    EXPECT_GE(calls[i], 0.5) << "call " << i;
    EXPECT_LT(calls[i], 3.0) << "call " << i << ": about every 0.5 s";
  }
  EXPECT_NE(CallBook::get().callingThreads().front(), static_cast<long>(getpid()));

  locked([&](KivoBase& base) {
    iNode* half = base.Search(wxS("/half"));
    EXPECT_DOUBLE_EQ(half->getAutoUpdateInterval(), 0.5);
    AutoUpdaters::AutoUpdater* scheduler = updaterNode(base)->getAutoUpdater();
    EXPECT_EQ(scheduler->getWakeInterval(), 500u);
    scheduler->printTargetKivoNodesList();
    return 0;
  });
  bool listed = false;
  for (const wxString& text : log.texts()) {
    if (text.StartsWith(wxS("Kivo path: /kivo/half, Update interval: 0.500000, Elapsed from last update: "))) listed = true;
  }
  EXPECT_TRUE(listed);
}

TEST_F(AutoUpdateTest, RegistrationsKeepOneRecordPerPathAndSixteenBitIntervals) {
  ASSERT_TRUE(boot(kUpdater + recorder("long", "70") + recorder("wrapped", "65.536") +
                   recorder("slow", "5")));
  // An interval of 0 is due on every pass.
  ASSERT_TRUE(CallBook::get().waitFor(wxS("wrapped"), 3));
  locked([&](KivoBase& base) {
    // 70,000 ms keeps its low 16 bits: 4,464 ms; 65,536 ms wraps to 0.
    EXPECT_DOUBLE_EQ(base.Search(wxS("/long"))->getAutoUpdateInterval(), 4.464);
    EXPECT_DOUBLE_EQ(base.Search(wxS("/wrapped"))->getAutoUpdateInterval(), 0.0);
    EXPECT_DOUBLE_EQ(base.Search(wxS("/slow"))->getAutoUpdateInterval(), 5.0);

    KivoAutoUpdater* node = updaterNode(base);
    AutoUpdaters::AutoUpdater* scheduler = node->getAutoUpdater();
    EXPECT_EQ(scheduler->getWakeInterval(), 0u) << "the wrapped interval is the smallest";
    EXPECT_TRUE(base.Search(wxS("/wrapped"))->unregisterAutoUpdater());
    EXPECT_EQ(scheduler->getWakeInterval(), 1000u) << "5 s and 4.464 s leave 1000 ms";

    const unsigned int first = node->registerNode(wxS("/x"), 0.2);
    EXPECT_EQ(scheduler->getWakeInterval(), 200u);
    EXPECT_EQ(node->registerNode(wxS("/x"), 2.0), first) << "same path, same id";
    EXPECT_DOUBLE_EQ(node->getNodeUpdateInterval(wxS("/x")), 2.0);
    const unsigned int second = node->registerNode(wxS("/y"), 0.3);
    EXPECT_EQ(second, first + 1);
    EXPECT_TRUE(node->unregisterNode(wxS("/y")));
    EXPECT_FALSE(node->unregisterNode(wxS("/y")));
    EXPECT_EQ(scheduler->getWakeInterval(), 1000u) << "recomputed from what is left";
    EXPECT_TRUE(node->unregisterNode(first));
    EXPECT_FALSE(node->unregisterNode(first));
    EXPECT_DOUBLE_EQ(node->getNodeUpdateInterval(wxS("/x")), 0.0);

    // Negative and out-of-range intervals wrap like any other.
    EXPECT_EQ(scheduler->registerNode(wxS("/negative"), -1.0), second + 1);
    EXPECT_EQ(scheduler->getUpdateInterval(wxS("/negative")), 64536u);
    scheduler->registerNode(wxS("/huge"), 1e12);
    EXPECT_EQ(scheduler->getUpdateInterval(wxS("/huge")), 0u);
    scheduler->clearRegistrations();
    EXPECT_EQ(scheduler->getWakeInterval(), 1000u);
    return 0;
  });
}

TEST_F(AutoUpdateTest, NodeGoneFromTheTreeIsReportedOnEveryPassUntilItIsBack) {
  ASSERT_TRUE(boot(kUpdater + recorder("gone", "0.05")));
  ASSERT_TRUE(CallBook::get().waitFor(wxS("gone"), 1));
  iNode* gone = locked([](KivoBase& base) {
    iNode* node = base.Search(wxS("/gone"));
    node->detachFromParent();  // out of the tree, still registered
    return node;
  });
  const wxString missing = wxS("Registered node '/kivo/gone' not found from kivo tree.");
  EXPECT_TRUE(KivoTest::eventually([&] { return countOf(log, missing, LevelError) >= 3; }));

  const size_t before = locked([&](KivoBase& base) {
    EXPECT_TRUE(base.AppendChild(gone, nullptr, false));
    return CallBook::get().callsOf(wxS("gone")).size();
  });
  EXPECT_TRUE(CallBook::get().waitFor(wxS("gone"), before + 2)) << "called again once back";
}

// One in the wrong place, and something else in the right one: no node is ever called.
TEST_F(AutoUpdateTest, OnlyTheAutoUpdaterAtItsPathCounts) {
  ASSERT_TRUE(boot("<node name='elsewhere'>" + kUpdater + "</node>" + "<node name='AutoUpdater'/>" +
                   recorder("lonely", "0.01")));
  locked([](KivoBase& base) {
    iNode* lonely = base.Search(wxS("/lonely"));
    EXPECT_TRUE(lonely->isInitialized());
    EXPECT_DOUBLE_EQ(lonely->getAutoUpdateInterval(), 0.0);
    EXPECT_FALSE(lonely->unregisterAutoUpdater());
    return 0;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // a hundred intervals
  EXPECT_TRUE(CallBook::get().callsOf(wxS("lonely")).empty());
}

TEST_F(AutoUpdateTest, AutoUpdateMayAddAndRemoveRegisteredSiblings) {
  // Each call replaces the sibling "made" by a new one that registers itself.
  RecordingNode::s_Behaviour = [](RecordingNode& node, double) {
    if (node.getName() != wxS("builder")) return;
    iNode* parent = node.getParent();
    if (iNode* old = parent->GetChild(wxS("made"))) parent->RemoveChild(old);
    KivoBase* base = node.getBase();
    iNode* made = base->CreateNode(wxS("recorder"), nullptr, nullptr);
    made->setName(wxS("made"));
    made->setAttribute(wxS("auto_update_interval"), wxS("0.01"));
    EXPECT_TRUE(parent->AppendChild(made, nullptr, false));
  };
  ASSERT_TRUE(boot(kUpdater + recorder("builder", "0.05") + recorder("after", "0.05")));
  ASSERT_TRUE(CallBook::get().waitFor(wxS("builder"), 5));
  EXPECT_TRUE(CallBook::get().waitFor(wxS("made"), 2)) << "the new siblings are called";
  EXPECT_TRUE(CallBook::get().waitFor(wxS("after"), 5)) << "the pass goes on after a change";
  locked([&](KivoBase& base) {
    size_t made = 0;
    for (iNode* child : base.getChildren()) {
      if (child != nullptr && child->getName() == wxS("made")) ++made;
    }
    EXPECT_EQ(made, 1u);
    // Removed siblings unregistered themselves: one registration per node left.
    AutoUpdaters::AutoUpdater* scheduler = updaterNode(base)->getAutoUpdater();
    // In single precision 0.01 s is a little under 10 ms.
    EXPECT_EQ(scheduler->getUpdateInterval(wxS("/kivo/made")), 9u);
    EXPECT_TRUE(scheduler->unregisterNode(wxS("/kivo/made")));
    EXPECT_FALSE(scheduler->unregisterNode(wxS("/kivo/made")));
    return 0;
  });
  EXPECT_EQ(countOf(log, wxS("Registered node '/kivo/made' not found from kivo tree."), LevelError), 0u);
}
