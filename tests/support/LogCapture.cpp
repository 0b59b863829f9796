#include "support/LogCapture.h"

#include <deque>

#include "kivo/log/Tracer.h"

namespace KivoTest {
namespace {

void drainQueue() {
  std::deque<KivoUnit::PoolMessage> drained;
  KivoUnit::Tracer::getSingleton()->swap(drained);
}

}  // namespace

LogCapture::LogCapture(KivoUnit::AppLogLevel level)
    : m_PreviousLevel(KivoUnit::Application::getApp().getLogLevel()) {
  KivoUnit::Application::getApp().setLogLevel(level);
  drainQueue();
  KivoUnit::Tracer::getSingleton()->setListener(this);
}

LogCapture::~LogCapture() {
  KivoUnit::Tracer::getSingleton()->setListener(nullptr);
  drainQueue();
  KivoUnit::Application::getApp().setLogLevel(m_PreviousLevel);
}

void LogCapture::onLog(const KivoUnit::PoolMessage& message) {
  std::lock_guard<std::mutex> guard(m_Lock);
  m_Messages.push_back(message);
}

std::vector<KivoUnit::PoolMessage> LogCapture::messages() const {
  std::lock_guard<std::mutex> guard(m_Lock);
  return m_Messages;
}

std::vector<wxString> LogCapture::texts() const {
  std::vector<wxString> result;
  for (const auto& m : messages()) result.push_back(m.message);
  return result;
}

bool LogCapture::contains(const wxString& text, int level) const {
  for (const auto& m : messages()) {
    if (m.message == text && (level < 0 || m.level == level)) return true;
  }
  return false;
}

size_t LogCapture::count() const { return messages().size(); }

void LogCapture::clear() {
  std::lock_guard<std::mutex> guard(m_Lock);
  m_Messages.clear();
}

}  // namespace KivoTest
