#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "kivo/profile/TimeProfiler.h"

using KivoUnit::TimeProfiler;

namespace {

void sleepMilliseconds(int milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

// A stopwatch whose clock always reads the same, to watch the "since" operations
// go through the virtual table.
class FrozenProfiler : public TimeProfiler {
 public:
  using TimeProfiler::getMicroseconds;
  using TimeProfiler::getMilliseconds;
  using TimeProfiler::getSeconds;
  unsigned int getMicroseconds() const override { return 5000000; }
  unsigned int getMilliseconds() const override { return 5000; }
  double getSeconds() const override { return 5.0; }
};

}  // namespace

TEST(TimeProfiler, ClockAdvancesInEveryUnit) {
  TimeProfiler clock;
  sleepMilliseconds(20);
  const unsigned int microseconds = clock.getMicroseconds();
  const unsigned int milliseconds = clock.getMilliseconds();
  const double seconds = clock.getSeconds();
  EXPECT_GE(microseconds, 20000u);
  EXPECT_GE(milliseconds, 20u);
  EXPECT_LE(milliseconds, clock.getMicroseconds() / 1000 + 1);
  EXPECT_GE(seconds, 0.020);
  EXPECT_LT(seconds, 10.0);
}

TEST(TimeProfiler, StampsConvertUnitsAndSurviveClear) {
  TimeProfiler clock;
  EXPECT_EQ(clock.getMicroseconds("x"), 0u) << "an absent stamp reads zero";
  EXPECT_EQ(clock.getReport("", "\n"), "") << "and is not created";
  EXPECT_EQ(clock.stamp("a", 1500), 1500u);
  EXPECT_EQ(clock.stamp("a", 2567890), 2567890u);
  EXPECT_EQ(clock.getMilliseconds("a"), 2567u);
  EXPECT_DOUBLE_EQ(clock.getSeconds("a"), 2.56789);
  const unsigned int before = clock.getMicroseconds();
  const unsigned int stored = clock.timestamp("b", "absent");  // the current time
  EXPECT_GE(stored, before);
  EXPECT_LE(stored, clock.getMicroseconds());
  clock.stamp("c", clock.getMicroseconds() - 1);
  sleepMilliseconds(3);
  EXPECT_GE(clock.timestamp("d", "c"), 3000u);
  clock.clear();
  EXPECT_EQ(clock.getSeconds(), 0.0);
  EXPECT_EQ(clock.getMicroseconds(), 0u);
  EXPECT_EQ(clock.getMilliseconds(), 0u);
  EXPECT_EQ(clock.getMicroseconds("a"), 2567890u);
}

TEST(TimeProfiler, SinceOperationsUseTheOverriddenClock) {
  FrozenProfiler clock;
  clock.stamp("start", 1250000);
  EXPECT_EQ(clock.getMicrosecondsSince("start"), 3750000u);
  EXPECT_EQ(clock.getMillisecondsSince("start"), 3750u);
  EXPECT_DOUBLE_EQ(clock.getSecondsSince("start"), 3.75);
  EXPECT_EQ(clock.timestamp("now"), 5000000u);
  EXPECT_EQ(clock.timestamp("span", "start"), 3750000u);
}

TEST(TimeProfiler, ReportListsMatchingStampsInNameOrder) {
  TimeProfiler clock;
  clock.stamp("unload", 250);
  clock.stamp("boot", 1500000);
  clock.stamp("load.xml", 2345678);
  EXPECT_EQ(clock.getReport("", "\n"),
            "boot: 1.500 seconds (1500000 microseconds)\n"
            "load.xml: 2.346 seconds (2345678 microseconds)\n"
            "unload: 0.000 seconds (250 microseconds)\n");
  EXPECT_EQ(clock.getReport("load", "; "),
            "load.xml: 2.346 seconds (2345678 microseconds); "
            "unload: 0.000 seconds (250 microseconds); ");
  EXPECT_EQ(clock.getReport("none", "\n"), "");
  clock.stamp("Zeit f\u00fcr Gr\u00f6\u00dfe", 1000);  // the filter compares whole characters
  EXPECT_EQ(clock.getReport("Gr\u00f6\u00dfe", "|"),
            "Zeit f\u00fcr Gr\u00f6\u00dfe: 0.001 seconds (1000 microseconds)|");
}

TEST(TimeProfiler, CopiesStartTheirOwnClockAndKeepTheirOwnStamps) {
  TimeProfiler original;
  original.stamp("from original", 1);
  sleepMilliseconds(20);

  TimeProfiler copy(original);
  EXPECT_LT(copy.getMicroseconds(), original.getMicroseconds()) << "the copy's clock restarted";
  EXPECT_EQ(copy.getReport("", "\n"), "") << "a copy takes no stamps";

  TimeProfiler assigned;
  assigned.stamp("own", 7);
  assigned.clear();
  assigned = original;
  sleepMilliseconds(2);
  EXPECT_GT(assigned.getMicroseconds(), 0u) << "assignment gives a cleared clock a new origin";
  EXPECT_LT(assigned.getMicroseconds(), original.getMicroseconds());
  EXPECT_EQ(assigned.getMicroseconds("own"), 7u);
  EXPECT_EQ(assigned.getMicroseconds("from original"), 0u);
}
