// The tracer's level filter, bounded queue, listener and trace output, and the message's text.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

#include <wx/regex.h>

#include "kivo/log/Tracer.h"
#include "support/LogCapture.h"

using namespace KivoUnit;

namespace {

Tracer& tracer() { return *Tracer::getSingleton(); }

std::deque<PoolMessage> takeQueue() {
  std::deque<PoolMessage> queue;
  tracer().swap(queue);
  return queue;
}

wxString fields(const PoolMessage& m) {
  return wxString::Format(wxS("%i|%u|%lu|%lu|%ld|%s|%s|%s"), m.level, m.line, m.threadId,
                          m.processId, m.time, m.file, m.function, m.message);
}

void log(int level, const wxString& text) { tracer().Log(level, text, 7, "include/kivo/Test", "log"); }

// Logs again from inside onLog, as a careless listener would.
struct ReenteringListener : LogListener {
  void onLog(const PoolMessage& message) override {
    seen.push_back(message.message);
    tracer().Log(3, wxS("from inside"), 1, "x", "onLog");
  }
  std::vector<wxString> seen;
};

}  // namespace

TEST(Tracer, LevelFilterAndTraceFollowTheApplicationLogLevel) {
  KivoTest::LogCapture capture;
  // Which of the levels 0..6 pass at each application level ('1' passes).
  const std::pair<int, std::string> table[] = {{0, "0000011"}, {1, "0000111"}, {2, "0001111"},
                                               {3, "1111111"}, {4, "0000000"}, {9, "1111111"}};
  for (const auto& [appLevel, passes] : table) {
    Application::getApp().setLogLevel(static_cast<AppLogLevel>(appLevel));
    std::string seen;
    for (int level = 0; level < 7; ++level) seen += Tracer::isOkLevel(level) ? '1' : '0';
    EXPECT_EQ(seen, passes) << "application level " << appLevel;
  }
  // A filtered message reaches neither the queue nor the listener.
  Application::getApp().setLogLevel(AppLogErrors);
  log(4, wxS("a warning"));
  log(5, wxS("an error"));
  EXPECT_EQ(capture.texts(), std::vector<wxString>{wxS("an error")});
  const auto queue = takeQueue();
  ASSERT_EQ(queue.size(), 1u);
  const PoolMessage& m = queue.front();
  EXPECT_EQ(wxString::Format(wxS("%i %u %s %s %s"), m.level, m.line, m.file, m.function, m.message),
            wxS("5 7 include/kivo/Test log an error"));
  // The developer trace goes to standard output at the silent level and "all" only.
  Application::getApp().setLogLevel(AppLogSilent);
  testing::internal::CaptureStdout();
  tracer().Trace(12, "src/file.cpp", "fn", wxS("trace text \u00e9"));
  const std::string traced = testing::internal::GetCapturedStdout();
  EXPECT_TRUE(wxRegEx(wxS("^\nTRACE\\[[0-9:]{8}\\] PT\\[[0-9]+:[0-9]+\\] @\\[12 src/file.cpp fn\\]\n"
                          "trace text \u00e9\n$")).Matches(wxString::FromUTF8(traced)))
      << traced;
  Application::getApp().setLogLevel(AppLogMessages);
  testing::internal::CaptureStdout();
  tracer().Trace(12, "src/file.cpp", "fn", wxS("hidden"));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
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
  EXPECT_TRUE(tracer().swap(given) && given.empty());
  EXPECT_EQ(takeQueue().front().message, wxS("given"));

  // A listener that logs sees only the outer message; the gate opens again for the next one.
  ReenteringListener listener;
  tracer().setListener(&listener);
  log(3, wxS("outer"));
  queue = takeQueue();
  log(3, wxS("second"));
  tracer().setListener(nullptr);
  EXPECT_EQ(listener.seen, (std::vector<wxString>{wxS("outer"), wxS("second")}));
  ASSERT_EQ(queue.size(), 1u);
  EXPECT_EQ(queue.front().message, wxS("outer"));
}

TEST(PoolMessage, LevelNamesToolkitMappingsAndText) {
  wxString names, toWx, fromWx;
  for (int level = -1; level < 8; ++level) {
    names << Tracer::getLevelStr(level) << wxS(",");
    toWx << PoolMessage::toWxLogLevel(level);
  }
  for (unsigned int wxLevel = 0; wxLevel < 10; ++wxLevel) {
    fromWx << PoolMessage::fromWxLogLevel(wxLevel) << PoolMessage::getWxLogLevelString(wxLevel) << ",";
  }
  EXPECT_EQ(names, wxS("?,Debug,Verbose,Info,Message,Warning,Error,Fatal error,?,"));
  EXPECT_EQ(toWx, wxS("665532106"));
  EXPECT_EQ(fromWx + PoolMessage::getWxLogLevelString(100),
            wxS("6Fatal error,5Error,4Warning,3Message,0Status,2Info,0Debug,0Trace,0Progress,0Unknown,Unknown"));
  const PoolMessage full(wxS("text of the message"), 5, "C:\\src\\Reader.src", 97, "Load", 0);
  const wxString ids = wxString::Format(wxS("{%lu:%lu} ["), full.processId, full.threadId);
  // '[YYYY-MM-DD HH:MM:SS] ' follows the ids.
  EXPECT_TRUE(wxRegEx(wxS("^") + wxRegEx::QuoteMeta(ids) +
                      wxS("[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}\\] "
                          "Error\\(5\\) Reader\\.src:97 Load\\(\\) text of the message$"))
                  .Matches(full.toString()))
      << full.toString();
  EXPECT_EQ(PoolMessage(wxS("plain"), 9, nullptr, 3, nullptr, 0).toString().AfterFirst(']') +
                PoolMessage(wxS("m"), 0, "/usr/src/kivo/iNode.cpp", 1, "", 0).toString().AfterFirst(']'),
            wxS(" ?(9) plain Debug(0) iNode.cpp:1 m"));
}

TEST(Tracer, ConcurrentLoggingWhileSwappingLosesNothing) {
  KivoTest::LogCapture capture;  // all levels pass, queue drained
  // Fewer messages than the bound, so none may be dropped whatever the timing.
  constexpr int kThreads = 4, kPerThread = 2000;
  std::atomic<bool> done{false};
  std::vector<PoolMessage> received;
  auto take = [&received] { for (const PoolMessage& m : takeQueue()) received.push_back(m); };
  std::thread swapper([&] { for (; !done; std::this_thread::yield()) take(); });
  std::vector<std::thread> loggers;
  for (int t = 0; t < kThreads; ++t) {
    loggers.emplace_back([t] {
      for (int i = 0; i < kPerThread; ++i) log(3, wxString::Format(wxS("%i:%i"), t, i));
    });
  }
  for (auto& thread : loggers) thread.join();
  done = true;
  swapper.join();
  take();
  EXPECT_EQ(capture.count(), size_t{kThreads * kPerThread});
  ASSERT_EQ(received.size(), size_t{kThreads * kPerThread});
  // Each thread's messages arrive complete and in the order it logged them.
  std::vector<long> next(kThreads, 0);
  for (const auto& m : received) {
    long t = 0, i = 0;
    ASSERT_TRUE(m.message.BeforeFirst(':').ToLong(&t) && m.message.AfterFirst(':').ToLong(&i));
    ASSERT_EQ(i, next[t]++) << "thread " << t;
  }
}

// The tracer reuses the buffers of dropped messages and keeps converted source texts (read again
// when the caller's buffer changes): every field of a new message must still be its own.
TEST(Tracer, MessagesLoggedIntoAFullQueueKeepOnlyTheirOwnFields) {
  KivoTest::LogCapture capture;
  const wxString longText(wxS('x'), 5000);
  for (size_t i = 0; i < Tracer::MaxQueuedMessages; ++i) {
    tracer().Log(4, longText, 900, "include/kivo/some/LongerSourcePath", "aFunctionWithAVeryLongName");
  }
  const char* cafe = "caf\xc3\xa9";
  const PoolMessage expected[] = {
      PoolMessage(wxS("short"), 3, "src/first.cpp", 1, "f", 0), PoolMessage(wxS(""), 5, nullptr, 0, nullptr, 0),
      PoolMessage(wxS("\u00e9t\u00e9"), 0, "src/first.cpp", 7, cafe, 0),
      PoolMessage(wxS("bad bytes"), 2, "ok.cpp", 2, "\xff\xfe", 0), PoolMessage(wxS("e"), 3, "", 2, "", 0),
      PoolMessage(wxS("handed over"), 6, "a/b.cpp", 5, "given", 1234567L)};
  const char* sources[][2] = {{"src/first.cpp", "f"}, {nullptr, nullptr}, {"src/first.cpp", cafe},
                              {"ok.cpp", "\xff\xfe"}, {"", ""}};
  const size_t count = std::size(expected);
  capture.clear();
  char file[32], function[32];  // one buffer per text, its content changing between calls
  for (size_t i = 0; i + 1 < count; ++i) {
    const bool null = sources[i][0] == nullptr;
    if (!null) std::strcpy(file, sources[i][0]), std::strcpy(function, sources[i][1]);
    tracer().Log(expected[i].level, expected[i].message, expected[i].line, null ? nullptr : file,
                 null ? nullptr : function);
  }
  tracer().Log(expected[count - 1]);
  const auto seen = capture.messages();
  const auto queue = takeQueue();
  ASSERT_EQ(seen.size(), count);
  ASSERT_EQ(queue.size(), Tracer::MaxQueuedMessages);
  EXPECT_EQ(queue.front().message, longText);
  for (size_t i = 0; i < count; ++i) {
    const PoolMessage& queued = queue[queue.size() - count + i];
    PoolMessage e = expected[i];
    if (i + 1 < count) e.time = queued.time;  // stamped by the tracer
    EXPECT_EQ(fields(queued) + fields(seen[i]), fields(e) + fields(e)) << "message " << i;
    EXPECT_EQ(queued.toString(), e.toString());
  }
}
