#include "LogPrinter.h"

#include <cstdio>

#include "Text.h"
#include "kivo/log/Tracer.h"

namespace KivoHost {
namespace {

const char* levelColour(int level) {
  if (level >= KivoUnit::LevelError) return "\033[1;31m";
  if (level == KivoUnit::LevelWarning) return "\033[33m";
  if (level == KivoUnit::LevelMessage) return "\033[36m";
  return "\033[2m";
}

// Messages may carry line breaks of their own; a log line must stay one line.
std::string oneLine(const std::string& text) {
  std::string line;
  for (char c : text) {
    const bool isBreak = c == '\n' || c == '\r';
    if (isBreak && (line.empty() || line.back() == ' ')) continue;
    line += isBreak ? ' ' : c;
  }
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line;
}

std::string source(const KivoUnit::PoolMessage& message) {
  std::string text = toUtf8(message.file);
  if (message.line != 0) text += ":" + std::to_string(message.line);
  if (!message.function.empty()) text += " " + toUtf8(message.function);
  return text;
}

}  // namespace

LogPrinter::LogPrinter(bool quiet, bool colour)
    : m_Quiet(quiet), m_Colour(colour), m_Holding(false) {
  KivoUnit::Tracer::getSingleton()->setListener(this);
}

LogPrinter::~LogPrinter() { KivoUnit::Tracer::getSingleton()->setListener(nullptr); }

void LogPrinter::onLog(const KivoUnit::PoolMessage& message) {
  std::lock_guard<std::mutex> lock(m_Lock);
  if (m_Holding) {
    m_Held.push_back(message);
  } else {
    print(message);
  }
}

void LogPrinter::hold() {
  std::lock_guard<std::mutex> lock(m_Lock);
  m_Holding = true;
}

void LogPrinter::release(bool dropErrors) {
  std::lock_guard<std::mutex> lock(m_Lock);
  m_Holding = false;
  for (const KivoUnit::PoolMessage& message : m_Held) {
    if (!dropErrors || message.level < KivoUnit::LevelError) print(message);
  }
  m_Held.clear();
}

std::string LogPrinter::format(const KivoUnit::PoolMessage& message, bool colour) {
  const std::string level = toUtf8(KivoUnit::Tracer::getLevelStr(message.level));
  std::string line = colour ? std::string(levelColour(message.level)) + level + "\033[0m" : level;
  line += ": " + oneLine(toUtf8(message.message));
  const std::string where = source(message);
  if (!where.empty()) line += " [" + where + "]";
  return line;
}

void LogPrinter::print(const KivoUnit::PoolMessage& message) const {
  if (m_Quiet) return;
  std::fflush(stdout);
  std::fprintf(stderr, "%s\n", format(message, m_Colour).c_str());
}

}  // namespace KivoHost
