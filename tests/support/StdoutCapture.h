#pragma once
// Catches what the code under test writes to standard output, through the real
// file descriptor, until take() is called.
#include <unistd.h>

#include <cstdio>
#include <string>

namespace KivoTest {

class StdoutCapture {
 public:
  StdoutCapture() : m_File(std::tmpfile()), m_Saved(-1) {
    std::fflush(stdout);
    if (m_File != nullptr) {
      m_Saved = dup(STDOUT_FILENO);
      dup2(fileno(m_File), STDOUT_FILENO);
    }
  }
  ~StdoutCapture() {
    restore();
    if (m_File != nullptr) std::fclose(m_File);
  }
  StdoutCapture(const StdoutCapture&) = delete;
  StdoutCapture& operator=(const StdoutCapture&) = delete;

  // Everything written so far; standard output is given back.
  std::string take() {
    restore();
    std::string text;
    if (m_File == nullptr) return text;
    std::rewind(m_File);
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, m_File)) > 0;) text.append(buffer, n);
    return text;
  }

 private:
  void restore() {
    if (m_Saved < 0) return;
    std::fflush(stdout);
    dup2(m_Saved, STDOUT_FILENO);
    close(m_Saved);
    m_Saved = -1;
  }

  std::FILE* m_File;
  int m_Saved;
};

}  // namespace KivoTest
