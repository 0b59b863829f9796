#pragma once

#include "kivo/KivoExport.h"

namespace KivoUnit {

// A scope object that prints an indented trace of entered and left blocks to
// standard output, one space per nesting level:
//
//   { // 1. [function] BEGIN
//    // file.cpp:10
//    // file.cpp:10
//   } // 1. [function] END
//
// One depth is shared by every thread, without a lock: blocks on several threads
// interleave their lines. The texts given must outlive the object.
class KIVO_API BlockAnalyzer {
 public:
  BlockAnalyzer(const char* function, const char* file, int line);
  ~BlockAnalyzer();
  BlockAnalyzer(const BlockAnalyzer&) = delete;
  BlockAnalyzer& operator=(const BlockAnalyzer&) = delete;

 private:
  const char* m_Function;
  const char* m_File;
  int m_Line;
};

}  // namespace KivoUnit

// Traces the enclosing block: KIVO_BLOCK_ANALYZER(); at its start.
#define KIVO_BLOCK_ANALYZER_NAME2(line) kivoBlockAnalyzer##line
#define KIVO_BLOCK_ANALYZER_NAME(line) KIVO_BLOCK_ANALYZER_NAME2(line)
#define KIVO_BLOCK_ANALYZER() \
  ::KivoUnit::BlockAnalyzer KIVO_BLOCK_ANALYZER_NAME(__LINE__)(__func__, __FILE__, __LINE__)
