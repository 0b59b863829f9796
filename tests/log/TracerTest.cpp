#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <thread>
#include <vector>

#include "kivo/app/Application.h"
#include "kivo/log/Tracer.h"
#include "support/LogCapture.h"

using namespace KivoUnit;

namespace {

std::deque<PoolMessage> takeQueue() {
  std::deque<PoolMessage> queue;
  Tracer::getSingleton()->swap(queue);
  return queue;
}

void log(int level, const wxString& text) {
  Tracer::getSingleton()->Log(level, text, 7, "include/kivo/Test", "log");
}

}  // namespace

TEST(Tracer, LevelFilterFollowsTheApplicationLogLevel) {
  KivoTest::LogCapture capture;
  // Which of the levels 0..6 pass at each application level ('1' passes).
  const std::pair<int, std::string> table[] = {{0, "0000011"}, {1, "0000111"}, {2, "0001111"},
                                               {3, "1111111"}, {4, "0000000"}, {9, "1111111"}};
  for (const auto& [appLevel, passes] : table) {
    Application::getApp().setLogLevel(static_cast<AppLogLevel>(appLevel));
    for (int level = 0; level < 7; ++level) {
      EXPECT_EQ(Tracer::isOkLevel(level), passes[level] == '1')
          << "application level " << appLevel << ", message level " << level;
    }
  }
}

TEST(Tracer, FilteredMessageReachesNeitherQueueNorListener) {
  KivoTest::LogCapture capture(KivoUnit::AppLogErrors);
  log(4, wxS("a warning"));
  log(5, wxS("an error"));
  ASSERT_EQ(capture.count(), 1u);
  EXPECT_EQ(capture.texts()[0], wxS("an error"));
  const auto queue = takeQueue();
  ASSERT_EQ(queue.size(), 1u);
  const PoolMessage& m = queue.front();
  EXPECT_EQ(wxString::Format(wxS("%i %u %s %s %s"), m.level, m.line, m.file, m.function, m.message),
            wxS("5 7 include/kivo/Test log an error"));
}

TEST(Tracer, QueueKeepsTheNewestTenThousandAndSwapHandsThemOverInOrder) {
  KivoTest::LogCapture capture;
  for (size_t i = 0; i <= Tracer::MaxQueuedMessages; ++i) log(3, wxString::Format(wxS("m%zu"), i));
  auto queue = takeQueue();
  ASSERT_EQ(queue.size(), Tracer::MaxQueuedMessages);
  for (size_t i = 0; i < queue.size(); ++i) {
    ASSERT_EQ(queue[i].message, wxString::Format(wxS("m%zu"), i + 1)) << "arrival order";
  }
  EXPECT_TRUE(takeQueue().empty()) << "swap leaves the tracer's queue empty";

  // Whatever the caller hands in becomes the tracer's queue.
  std::deque<PoolMessage> given{PoolMessage(wxS("given"), 3, nullptr, 0, nullptr, 0)};
  EXPECT_TRUE(Tracer::getSingleton()->swap(given) && given.empty());
  EXPECT_EQ(takeQueue().front().message, wxS("given"));
}

namespace {

// Logs again from inside onLog, as a careless listener would.
class ReenteringListener : public KivoUnit::LogListener {
 public:
  void onLog(const PoolMessage& message) override {
    seen.push_back(message.message);
    Tracer::getSingleton()->Log(3, wxS("from inside"), 1, "x", "onLog");
  }
  std::vector<wxString> seen;
};

}  // namespace

TEST(Tracer, ListenerThatLogsSeesOnlyTheOuterMessage) {
  KivoTest::LogCapture capture;  // sets the level and drains the queue
  ReenteringListener listener;
  Tracer::getSingleton()->setListener(&listener);
  log(3, wxS("outer"));
  Tracer::getSingleton()->setListener(nullptr);
  EXPECT_EQ(listener.seen, std::vector<wxString>{wxS("outer")});
  const auto queue = takeQueue();
  ASSERT_EQ(queue.size(), 1u);
  EXPECT_EQ(queue.front().message, wxS("outer"));
  Tracer::getSingleton()->setListener(&listener);
  log(3, wxS("second"));  // the gate is open again for the next message
  Tracer::getSingleton()->setListener(nullptr);
  EXPECT_EQ(listener.seen.size(), 2u);
}

TEST(Tracer, SilentLevelStopsLogButNotTrace) {
  KivoTest::LogCapture capture(KivoUnit::AppLogSilent);
  log(6, wxS("fatal"));
  EXPECT_EQ(capture.count(), 0u);
  EXPECT_TRUE(takeQueue().empty());

  testing::internal::CaptureStdout();
  Tracer::getSingleton()->Trace(12, "src/file.cpp", "fn", wxS("trace text \u00e9"));
  const std::string traced = testing::internal::GetCapturedStdout();
  EXPECT_NE(traced.find("TRACE["), std::string::npos);
  EXPECT_NE(traced.find("@[12 src/file.cpp fn]\ntrace text \xc3\xa9\n"), std::string::npos)
      << traced;

  Application::getApp().setLogLevel(KivoUnit::AppLogMessages);
  testing::internal::CaptureStdout();
  Tracer::getSingleton()->Trace(12, "src/file.cpp", "fn", wxS("hidden"));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST(Tracer, LevelNamesAndToolkitMappings) {
  const wchar_t* names[] = {L"Debug",   L"Verbose", L"Info",       L"Message",
                            L"Warning", L"Error",   L"Fatal error"};
  for (int level = 0; level < 7; ++level) EXPECT_STREQ(Tracer::getLevelStr(level), names[level]);
  EXPECT_STREQ(Tracer::getLevelStr(7), L"?");
  EXPECT_STREQ(Tracer::getLevelStr(-1), L"?");

  const int toWx[] = {6, 5, 5, 3, 2, 1, 0};
  for (int level = 0; level < 7; ++level) EXPECT_EQ(PoolMessage::toWxLogLevel(level), toWx[level]);
  EXPECT_EQ(PoolMessage::toWxLogLevel(-1), 6);
  EXPECT_EQ(PoolMessage::toWxLogLevel(7), 6);

  const int fromWx[] = {6, 5, 4, 3, 0, 2, 0, 0, 0, 0};
  const wchar_t* wxNames[] = {L"Fatal error", L"Error", L"Warning", L"Message", L"Status",
                              L"Info",        L"Debug", L"Trace",   L"Progress", L"Unknown"};
  for (unsigned int wxLevel = 0; wxLevel < 10; ++wxLevel) {
    EXPECT_EQ(PoolMessage::fromWxLogLevel(wxLevel), fromWx[wxLevel]);
    EXPECT_STREQ(PoolMessage::getWxLogLevelString(wxLevel), wxNames[wxLevel]);
  }
  EXPECT_STREQ(PoolMessage::getWxLogLevelString(100), L"Unknown");
}

TEST(PoolMessage, ToStringShape) {
  const PoolMessage full(wxS("text of the message"), 5, "C:\\src\\Reader.src", 97, "Load", 0);
  const wxString text = full.toString();
  const wxString ids = wxString::Format(wxS("{%lu:%lu} ["), full.processId, full.threadId);
  EXPECT_TRUE(text.StartsWith(ids)) << text;
  EXPECT_TRUE(text.EndsWith(wxS("] Error(5) Reader.src:97 Load() text of the message"))) << text;
  // '[YYYY-MM-DD HH:MM:SS] ' follows the ids.
  EXPECT_EQ(text.Mid(ids.length() - 1, 22).Len(), 22u);
  EXPECT_EQ(text[ids.length() + 4], wxS('-'));

  const PoolMessage bare(wxS("plain"), 9, nullptr, 3, nullptr, 0);
  EXPECT_TRUE(bare.toString().EndsWith(wxS("] ?(9) plain"))) << bare.toString();

  const PoolMessage unix(wxS("m"), 0, "/usr/src/kivo/iNode.cpp", 1, "", 0);
  EXPECT_TRUE(unix.toString().EndsWith(wxS("Debug(0) iNode.cpp:1 m"))) << unix.toString();
}

namespace {

class CountingListener : public KivoUnit::LogListener {
 public:
  void onLog(const PoolMessage&) override { ++calls; }
  std::atomic<long> calls{0};
};

}  // namespace

TEST(Tracer, ConcurrentLoggingWhileSwappingLosesNothing) {
  KivoTest::LogCapture level;  // all levels pass, queue drained
  Tracer::getSingleton()->setListener(nullptr);
  CountingListener listener;
  Tracer::getSingleton()->setListener(&listener);

  // Fewer messages than the bound, so none may be dropped whatever the timing.
  constexpr int kThreads = 4;
  constexpr int kPerThread = 2000;
  std::atomic<bool> done{false};
  std::vector<PoolMessage> received;
  std::thread swapper([&] {
    while (!done) {
      std::deque<PoolMessage> taken;
      Tracer::getSingleton()->swap(taken);
      received.insert(received.end(), taken.begin(), taken.end());
      std::this_thread::yield();
    }
  });
  std::vector<std::thread> loggers;
  for (int t = 0; t < kThreads; ++t) {
    loggers.emplace_back([t] {
      for (int i = 0; i < kPerThread; ++i) log(3, wxString::Format(wxS("%i:%i"), t, i));
    });
  }
  for (auto& thread : loggers) thread.join();
  done = true;
  swapper.join();
  Tracer::getSingleton()->setListener(nullptr);
  const auto rest = takeQueue();
  received.insert(received.end(), rest.begin(), rest.end());

  EXPECT_EQ(listener.calls.load(), kThreads * kPerThread);
  ASSERT_EQ(received.size(), static_cast<size_t>(kThreads * kPerThread));
  // Each thread's messages arrive complete and in the order it logged them.
  std::vector<int> next(kThreads, 0);
  for (const auto& m : received) {
    long t = 0, i = 0;
    ASSERT_TRUE(m.message.BeforeFirst(':').ToLong(&t));
    ASSERT_TRUE(m.message.AfterFirst(':').ToLong(&i));
    ASSERT_EQ(i, next[t]) << "thread " << t;
    ++next[t];
  }
}
