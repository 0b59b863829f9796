// LeakTest serials, marks and silence, and the BlockAnalyzer's indented trace.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <thread>

#include "kivo/diagnostics/BlockAnalyzer.h"
#include "kivo/diagnostics/LeakTest.h"
#include "support/LogCapture.h"
#include "support/StdoutCapture.h"

using namespace KivoUnit;

namespace {

TEST(LeakTest, SerialsCountOnAcrossThreadsDestructionMarksThemAndNormalUseIsSilent) {
  KivoTest::LogCapture log;
  const LeakTest first("first", u8"d\u00e9j\u00e0 vu");
  EXPECT_EQ(first.getDescription(), wxString::FromUTF8(u8"d\u00e9j\u00e0 vu"));
  constexpr int kThreads = 4, kEach = 500;
  std::vector<std::vector<std::uint64_t>> serials(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&serials, t] {
      for (int i = 0; i < kEach; ++i) serials[t].push_back(LeakTest("probe", "made and dropped").getSerial());
    });
  }
  for (std::thread& thread : threads) thread.join();
  std::vector<std::uint64_t> all;
  for (const auto& own : serials) {
    EXPECT_TRUE(std::is_sorted(own.begin(), own.end()));
    all.insert(all.end(), own.begin(), own.end());
  }
  std::sort(all.begin(), all.end());
  for (size_t i = 0; i < all.size(); ++i) {
    ASSERT_EQ(all[i], first.getSerial() + 1 + i) << "every serial once, none skipped";
  }
  // The memory of a destroyed probe holds the destroyed mark where its serial was.
  alignas(LeakTest) unsigned char memory[sizeof(LeakTest)];
  const std::uint64_t serial = (new (memory) LeakTest("last", ""))->getSerial();
  EXPECT_EQ(serial, first.getSerial() + 1 + kThreads * kEach);
  const auto* bytes = reinterpret_cast<const unsigned char*>(&serial);
  const unsigned char* at = std::search(memory, memory + sizeof memory, bytes, bytes + sizeof serial);
  ASSERT_NE(at, memory + sizeof memory);
  std::launder(reinterpret_cast<LeakTest*>(memory))->~LeakTest();
  std::uint64_t mark = 0;
  std::memcpy(&mark, at, sizeof mark);
  EXPECT_EQ(mark, LeakTest::DestroyedSerial);
  EXPECT_EQ(log.count(), 0u);
}

TEST(BlockAnalyzer, PrintsNestedBlocksIndentedByDepth) {
  KivoTest::StdoutCapture nested;
  {
    BlockAnalyzer outer("outer", "C:\\work\\main.cpp", 3);
    BlockAnalyzer inner("inner", "plain.c", 7);
    BlockAnalyzer last("last", "dir/", 0);
  }
  EXPECT_EQ(nested.take(),
            "{ // 1. [outer] BEGIN\n // main.cpp:3\n"
            " { // 2. [inner] BEGIN\n  // plain.c:7\n"
            "  { // 3. [last] BEGIN\n   // :0\n"
            "   // :0\n  } // 3. [last] END\n"
            "  // plain.c:7\n } // 2. [inner] END\n"
            " // main.cpp:3\n} // 1. [outer] END\n");
  KivoTest::StdoutCapture output;
  { KIVO_BLOCK_ANALYZER(); }
  const std::string line = std::to_string(__LINE__ - 1);
  EXPECT_EQ(output.take(), "{ // 1. [TestBody] BEGIN\n // DiagnosticsTest.cpp:" + line +
                               "\n // DiagnosticsTest.cpp:" + line + "\n} // 1. [TestBody] END\n");
}

}  // namespace
