// The process-wide profiler and its table, and the stopwatch with its named stamps.
#include <gtest/gtest.h>
#include <wx/string.h>
#include <wx/thread.h>

#include <chrono>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "kivo/profile/Profiler.h"
#include "kivo/profile/ProfilerHelper.h"
#include "kivo/profile/TimeProfiler.h"
#include "support/TempDir.h"

using namespace KivoUnit;

namespace {

void sleepMilliseconds(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

// The profiler is process-wide: each test uses labels of its own.
ProfilerEntry entryOf(const std::string& label) { return Profiler::getSingleton().getEntries().at(label); }

// The table as a dump writes it now: header, then one line per label in order.
std::string expectedTable() {
  std::string table = "Thread;Count;Last;Average;Total;Label\n";
  for (const auto& [label, e] : Profiler::getSingleton().getEntries()) {
    const unsigned int average = e.count == 0 ? 0 : e.total / e.count;
    for (unsigned long field : {e.thread, 0ul + e.count, 0ul + (e.finish - e.start), 0ul + average, 0ul + e.total}) {
      table += std::to_string(field) + ";";
    }
    table += "\"" + label + "\"\n";
  }
  return table;
}

// A stopwatch whose clock always reads 5 s, to watch the "since" operations go
// through the virtual table.
class FrozenProfiler : public TimeProfiler {
 public:
  using TimeProfiler::getMicroseconds;
  unsigned int getMicroseconds() const override { return 5000000; }
  unsigned int getMilliseconds() const override { return 5000; }
  double getSeconds() const override { return 5.0; }
};

}  // namespace

TEST(Profiler, FinishCountsTheSectionAndAddsEveryTimeFromEveryThread) {
  Profiler& profiler = Profiler::getSingleton();
  profiler.finish("never started");
  profiler.start("twice");
  EXPECT_TRUE(profiler.getEntries().count("never started") == 0u && entryOf("twice").count == 0u);
  sleepMilliseconds(2);
  profiler.finish("twice");
  const ProfilerEntry first = entryOf("twice");
  EXPECT_TRUE(first.finish - first.start >= 2000u && first.total == first.finish - first.start);
  sleepMilliseconds(2);
  profiler.finish("twice");
  const ProfilerEntry second = entryOf("twice");
  EXPECT_TRUE(second.count == 2u && second.start == first.start &&
              second.total == first.total + (second.finish - second.start));

  std::vector<std::thread> threads;
  std::vector<unsigned long> ids(4);
  for (size_t t = 0; t < ids.size(); ++t) {
    threads.emplace_back([t, &ids] {
      ids[t] = wxThread::GetCurrentId();
      for (int round = 0; round < 500; ++round) ProfilerHelper shared("shared"), mine("own " + std::to_string(t));
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(entryOf("shared").count, 2000u);
  for (size_t t = 0; t < ids.size(); ++t) {  // the thread is the one that finished it last
    EXPECT_EQ(std::pair(entryOf("own " + std::to_string(t)).count, entryOf("own " + std::to_string(t)).thread),
              std::pair(500u, ids[t]));
  }
}

TEST(ProfilerHelper, DumpsTheWholeTableToStandardOutputAFileOrNowhere) {
  Profiler::getSingleton().start("started only");
  KivoTest::TempDir folder;
  const std::string file = folder.write("profile.csv", "old content that goes away\n");
  std::streambuf* const before = std::cout.rdbuf();
  testing::internal::CaptureStdout();
  { ProfilerHelper scope("dumped to stdout", true); }
  const std::string written = testing::internal::GetCapturedStdout();
  EXPECT_EQ(entryOf("dumped to stdout").count, 1u);
  EXPECT_EQ(written, expectedTable());
  EXPECT_NE(written.find(";0;\"started only\"\n"), std::string::npos) << "an unfinished section averages 0";

  testing::internal::CaptureStdout();
  { ProfilerHelper scope("dumped to a file", true, file); }
  const std::string table = expectedTable();
  { ProfilerHelper scope("dumped nowhere", true, folder.file("missing folder/profile.csv")); }
  std::cout << "still standard output" << std::flush;
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "still standard output");
  EXPECT_TRUE(std::cout.rdbuf() == before && std::cout.good());
  EXPECT_EQ(folder.read("profile.csv") + "|" + folder.read("missing folder/profile.csv"), table + "|");
  EXPECT_EQ(entryOf("dumped nowhere").count, 1u) << "the section is still profiled";
}

TEST(TimeProfiler, ClockAdvancesStampsConvertUnitsSurviveClearAndReportInNameOrder) {
  TimeProfiler watch;
  EXPECT_TRUE(watch.getMicroseconds("x") == 0u && watch.getReport("", "\n").empty()) << "absent stamps read 0, stay absent";
  watch.stamp("c", watch.getMicroseconds());
  sleepMilliseconds(20);
  EXPECT_TRUE(watch.getMicroseconds() >= 20000 && watch.getMilliseconds() >= 20 && watch.getSeconds() >= 0.02);
  EXPECT_GE(watch.timestamp("d", "c"), 20000u);
  EXPECT_GE(watch.timestamp("b", "absent"), 20000u) << "since an absent stamp: the current time";
  watch.stamp("a", 1500);
  EXPECT_EQ(watch.stamp("a", 2567890), 2567890u);
  EXPECT_EQ(wxString::Format("%u %g", watch.getMilliseconds("a"), watch.getSeconds("a")), "2567 2.56789");
  watch.clear();
  EXPECT_TRUE(watch.getSeconds() == 0.0 && watch.getMicroseconds() == 0 && watch.getMilliseconds() == 0);
  EXPECT_EQ(watch.getMicroseconds("a"), 2567890u);

  FrozenProfiler frozen;
  frozen.stamp("start", 1250000);
  EXPECT_EQ(wxString::Format("%u %u %g %u %u", frozen.getMicrosecondsSince("start"),
                             frozen.getMillisecondsSince("start"), frozen.getSecondsSince("start"),
                             frozen.timestamp("now"), frozen.timestamp("span", "start")),
            "3750000 3750 3.75 5000000 3750000");

  TimeProfiler clock;
  clock.stamp("unload", 250);
  clock.stamp("boot", 1500000);
  clock.stamp("load.xml", 2345678);
  EXPECT_EQ(clock.getReport("", "\n"),
            "boot: 1.500 seconds (1500000 microseconds)\n"
            "load.xml: 2.346 seconds (2345678 microseconds)\n"
            "unload: 0.000 seconds (250 microseconds)\n");
  EXPECT_EQ(clock.getReport("load", "; "),
            "load.xml: 2.346 seconds (2345678 microseconds); unload: 0.000 seconds (250 microseconds); ");
  EXPECT_EQ(clock.getReport("none", "\n"), "");
  clock.stamp("Zeit f\u00fcr Gr\u00f6\u00dfe", 1000);  // the filter compares whole characters
  EXPECT_EQ(clock.getReport("Gr\u00f6\u00dfe", "|"), "Zeit f\u00fcr Gr\u00f6\u00dfe: 0.001 seconds (1000 microseconds)|");

  // A copy starts its own clock and takes no stamps; assignment restarts a cleared
  // clock and keeps the profiler's own stamps.
  sleepMilliseconds(20);
  TimeProfiler copy(clock);
  EXPECT_TRUE(copy.getMicroseconds() < clock.getMicroseconds() && copy.getReport("", "\n").empty());
  copy.stamp("own", 7);
  copy.clear();
  copy = clock;
  sleepMilliseconds(2);
  EXPECT_TRUE(copy.getMicroseconds() > 0u && copy.getMicroseconds() < clock.getMicroseconds());
  EXPECT_EQ(std::pair(copy.getMicroseconds("own"), copy.getMicroseconds("boot")), std::pair(7u, 0u));
}
