#include "StreamCapture.h"

#include <unistd.h>

#include "FatalSignals.h"
#include "Text.h"
#include "kivo/log/Tracer.h"

namespace KivoHost {

StreamCapture::StreamCapture(std::FILE* stream, int level)
    : m_Stream(stream), m_Level(level), m_Buffer(std::tmpfile()), m_Saved(-1) {
  if (m_Buffer == nullptr) return;
  std::fflush(m_Stream);
  m_Saved = dup(fileno(m_Stream));
  if (m_Saved < 0 || dup2(fileno(m_Buffer), fileno(m_Stream)) < 0) {
    std::fclose(m_Buffer);
    m_Buffer = nullptr;
    return;
  }
  armFatalSignals(fileno(m_Stream), fileno(m_Buffer), m_Saved);
}

StreamCapture::~StreamCapture() {
  const bool stdErr = m_Stream == stderr;
  for (const std::string& line : restore()) {
    KivoUnit::Tracer::getSingleton()->Log(
        m_Level, fromUtf8(line), 0, stdErr ? "library standard error" : "library standard output",
        nullptr);
  }
}

std::vector<std::string> StreamCapture::restore() {
  std::vector<std::string> lines;
  if (m_Buffer == nullptr) return lines;
  std::fflush(m_Stream);
  disarmFatalSignals(fileno(m_Stream));
  dup2(m_Saved, fileno(m_Stream));
  close(m_Saved);
  std::rewind(m_Buffer);
  std::string line;
  for (int c = std::fgetc(m_Buffer); c != EOF; c = std::fgetc(m_Buffer)) {
    if (c != '\n') {
      line += static_cast<char>(c);
    } else if (!line.empty()) {
      lines.push_back(line);
      line.clear();
    }
  }
  if (!line.empty()) lines.push_back(line);
  std::fclose(m_Buffer);
  return lines;
}

}  // namespace KivoHost
