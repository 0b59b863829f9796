#include <gtest/gtest.h>
#include <wx/thread.h>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "kivo/profile/Profiler.h"
#include "kivo/profile/ProfilerHelper.h"
#include "support/TempDir.h"

using namespace KivoUnit;

namespace {

// The profiler is process-wide: each test uses labels of its own.
bool hasEntry(const std::string& label) {
  return Profiler::getSingleton().getEntries().count(label) != 0;
}

ProfilerEntry entryOf(const std::string& label) {
  return Profiler::getSingleton().getEntries().at(label);
}

void sleepMilliseconds(int milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The dump line of `label`, as the table shows it now.
std::string expectedLine(const std::string& label) {
  const ProfilerEntry entry = entryOf(label);
  const unsigned int average = entry.count == 0 ? 0 : entry.total / entry.count;
  return std::to_string(entry.thread) + ";" + std::to_string(entry.count) + ";" +
         std::to_string(entry.finish - entry.start) + ";" + std::to_string(average) + ";" +
         std::to_string(entry.total) + ";\"" + label + "\"";
}

// Every line of the current table, header first, in label order.
std::vector<std::string> expectedTable() {
  std::vector<std::string> lines{"Thread;Count;Last;Average;Total;Label"};
  for (const auto& [label, entry] : Profiler::getSingleton().getEntries()) {
    lines.push_back(expectedLine(label));
  }
  return lines;
}

}  // namespace

TEST(Profiler, FinishCountsTheSectionAndAddsEveryTime) {
  Profiler& profiler = Profiler::getSingleton();
  profiler.finish("never started");
  EXPECT_FALSE(hasEntry("never started"));
  profiler.start("twice");
  EXPECT_EQ(entryOf("twice").count, 0u);
  sleepMilliseconds(2);
  profiler.finish("twice");
  const ProfilerEntry first = entryOf("twice");
  EXPECT_GE(first.finish - first.start, 2000u);
  EXPECT_EQ(first.total, first.finish - first.start);
  EXPECT_EQ(first.thread, wxThread::GetCurrentId());
  sleepMilliseconds(2);
  profiler.finish("twice");
  const ProfilerEntry second = entryOf("twice");
  EXPECT_EQ(second.count, 2u);
  EXPECT_EQ(second.start, first.start);
  EXPECT_EQ(second.total, first.total + (second.finish - second.start));
}

TEST(Profiler, SectionsFromSeveralThreadsAreAllCounted) {
  constexpr int kThreads = 4;
  constexpr int kRounds = 500;
  std::vector<std::thread> threads;
  std::vector<unsigned long> ids(kThreads);
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &ids] {
      ids[t] = wxThread::GetCurrentId();
      const std::string own = "own section " + std::to_string(t);
      for (int round = 0; round < kRounds; ++round) {
        ProfilerHelper shared("shared section");
        ProfilerHelper mine(own);
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(entryOf("shared section").count, static_cast<unsigned int>(kThreads * kRounds));
  for (int t = 0; t < kThreads; ++t) {
    const ProfilerEntry entry = entryOf("own section " + std::to_string(t));
    EXPECT_EQ(entry.count, static_cast<unsigned int>(kRounds));
    EXPECT_EQ(entry.thread, ids[t]) << "the last finisher of a thread's own section";
  }
}

TEST(ProfilerHelper, ProfilesItsScopeAndDumpsTheWholeTableToStandardOutput) {
  Profiler::getSingleton().start("started only");
  testing::internal::CaptureStdout();
  {
    ProfilerHelper scope("dumped to stdout", true);
    EXPECT_TRUE(hasEntry("dumped to stdout"));
    sleepMilliseconds(2);
  }
  const std::string written = testing::internal::GetCapturedStdout();
  EXPECT_EQ(entryOf("dumped to stdout").count, 1u);
  EXPECT_GE(entryOf("dumped to stdout").total, 2000u);
  EXPECT_EQ(linesOf(written), expectedTable());
  EXPECT_NE(written.find(";0;\"started only\"\n"), std::string::npos)
      << "an unfinished section averages 0";
}

TEST(ProfilerHelper, DumpsToAFileOrNowhereAndLeavesStandardOutputAsItWas) {
  KivoTest::TempDir folder;
  const std::string file = folder.write("profile.csv", "old content that goes away\n");
  const std::string unopenable = folder.file("missing folder/profile.csv");
  std::streambuf* const before = std::cout.rdbuf();
  testing::internal::CaptureStdout();
  { ProfilerHelper scope("dumped to a file", true, file); }
  const std::vector<std::string> table = expectedTable();
  { ProfilerHelper scope("dumped nowhere", true, unopenable); }
  std::cout << "still standard output" << std::flush;
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "still standard output");
  EXPECT_EQ(std::cout.rdbuf(), before);
  EXPECT_TRUE(std::cout.good());
  EXPECT_EQ(linesOf(folder.read("profile.csv")), table);
  EXPECT_EQ(folder.read("missing folder/profile.csv"), "");
  EXPECT_EQ(entryOf("dumped nowhere").count, 1u) << "the section is still profiled";
}
