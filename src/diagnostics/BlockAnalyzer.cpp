#include "kivo/diagnostics/BlockAnalyzer.h"

#include <atomic>
#include <cstdio>
#include <string>

namespace KivoUnit {
namespace {

// Shared by every thread; atomic only so that the counting itself is sound.
std::atomic<unsigned int> s_Depth{0};

std::string indentation(unsigned int depth) { return std::string(depth, ' '); }

// The characters after the last '/' or '\\'.
const char* baseName(const char* file) {
  const char* name = file;
  for (const char* c = file; *c != '\0'; ++c) {
    if (*c == '/' || *c == '\\') name = c + 1;
  }
  return name;
}

}  // namespace

BlockAnalyzer::BlockAnalyzer(const char* function, const char* file, int line)
    : m_Function(function != nullptr ? function : ""),
      m_File(file != nullptr ? file : ""),
      m_Line(line) {
  const unsigned int depth = s_Depth.fetch_add(1);
  std::printf("%s{ // %i. [%s] BEGIN\n", indentation(depth).c_str(), static_cast<int>(depth + 1),
              m_Function);
  std::printf("%s// %s:%i\n", indentation(depth + 1).c_str(), baseName(m_File), m_Line);
}

BlockAnalyzer::~BlockAnalyzer() {
  const unsigned int depth = s_Depth.fetch_sub(1);
  std::printf("%s// %s:%i\n", indentation(depth).c_str(), baseName(m_File), m_Line);
  std::printf("%s} // %i. [%s] END\n", indentation(depth > 0 ? depth - 1 : 0).c_str(), static_cast<int>(depth),
              m_Function);
}

}  // namespace KivoUnit
