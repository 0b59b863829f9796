#pragma once
// Catches what the library writes straight to a standard stream (nodes not yet
// under the base, developer lines at shutdown) and hands it to the tracer, so
// that the program's output stays clean and every log line has one form.
#include <cstdio>
#include <string>
#include <vector>

namespace KivoHost {

class StreamCapture {
 public:
  // Sends the lines written to `stream` (stdout or stderr) to the tracer at `level`.
  StreamCapture(std::FILE* stream, int level);
  ~StreamCapture();
  StreamCapture(const StreamCapture&) = delete;
  StreamCapture& operator=(const StreamCapture&) = delete;

 private:
  std::vector<std::string> restore();

  std::FILE* m_Stream;
  int m_Level;
  std::FILE* m_Buffer;
  int m_Saved;
};

}  // namespace KivoHost
