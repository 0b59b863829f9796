#include "kivo/log/Tracer.h"

#include <cstdio>
#include <ctime>
#include <utility>

#include <wx/datetime.h>
#include <wx/thread.h>

#include "kivo/app/Application.h"
#include "kivo/log/GateKeeper.h"
#include "kivo/log/LogListener.h"
#include "log/SourceTextCache.h"
#include "platform/DebugOutput.h"
#include "platform/ProcessId.h"

namespace KivoUnit {
namespace {

// The tracer, its lock and its gate are never destroyed, so that a message logged
// while other static objects go away at exit still finds them; only the queue's
// memory is released at exit (QueueReleaser below).
wxCriticalSection& tracerLock() {
  static wxCriticalSection* lock = new wxCriticalSection();
  return *lock;
}

GateKeeper& tracerGate() {
  static GateKeeper* gate = new GateKeeper();
  return *gate;
}

// Source paths and function names in their wide form, used under the tracer lock.
SourceTextCache& sourceTexts() {
  static SourceTextCache* cache = new SourceTextCache();
  return *cache;
}

// wxString has no move: a swap hands buffers over without copying them.
void exchange(PoolMessage& a, PoolMessage& b) {
  std::swap(a.level, b.level);
  std::swap(a.line, b.line);
  std::swap(a.threadId, b.threadId);
  std::swap(a.processId, b.processId);
  std::swap(a.time, b.time);
  a.message.swap(b.message);
  a.file.swap(b.file);
  a.function.swap(b.function);
}

// Copies into the buffer `to` already has, unless that buffer is far larger than
// the text, so that one long message does not keep its memory in the queue forever.
void assignText(wxString& to, const wxString& from) {
  if (to.capacity() > 4 * from.length() + 64) {
    wxString(from).swap(to);
  } else {
    to = from;
  }
}

void assignMessage(PoolMessage& to, const PoolMessage& from) {
  to.level = from.level;
  to.line = from.line;
  to.threadId = from.threadId;
  to.processId = from.processId;
  to.time = from.time;
  assignText(to.message, from.message);
  assignText(to.file, from.file);
  assignText(to.function, from.function);
}

void writeToDebugger(const PoolMessage& message) {
  platform::DebugOutput::write(Application::getApp().getName() + wxS(": ") + message.toString());
}

const wchar_t* const kLevelNames[] = {L"Debug",   L"Verbose", L"Info",       L"Message",
                                      L"Warning", L"Error",   L"Fatal error"};

struct QueueReleaser {
  ~QueueReleaser() {
    std::deque<PoolMessage> released;
    Tracer::getSingleton()->swap(released);
  }
};

}  // namespace

Tracer* Tracer::getSingleton() {
  static Tracer* instance = [] {
    wxCriticalSectionLocker lock(tracerLock());
    return new Tracer();
  }();
  static QueueReleaser releaseAtExit;
  return instance;
}

Tracer::Tracer() : m_Listener(nullptr) {}

void Tracer::Log(int level, const wxString& message, unsigned int line, const char* file,
                 const char* function) {
  if (!isOkLevel(level)) return;
  const long now = static_cast<long>(::time(nullptr));
  wxCriticalSectionLocker lock(tracerLock());
  GateKeeper::Entry entry(tracerGate());
  if (!entry.isOutermost()) {  // a listener logging from inside onLog
    if (platform::DebugOutput::isEnabled()) {
      writeToDebugger(PoolMessage(message, level, file, line, function, now));
    }
    return;
  }
  // Filled in place, so that the queue's buffers and the converted source texts
  // are reused rather than allocated for every message.
  PoolMessage& queued = appendToQueue();
  queued.level = level;
  queued.line = line;
  queued.threadId = static_cast<unsigned long>(wxThread::GetCurrentId());
  queued.processId = platform::currentProcessId();
  queued.time = now;
  assignText(queued.message, message);
  assignText(queued.file, sourceTexts().wide(file));
  assignText(queued.function, sourceTexts().wide(function));
  announceNewest();
}

void Tracer::Log(const PoolMessage& message) {
  if (!isOkLevel(message.level)) return;
  wxCriticalSectionLocker lock(tracerLock());
  GateKeeper::Entry entry(tracerGate());
  if (!entry.isOutermost()) {  // a listener logging from inside onLog
    if (platform::DebugOutput::isEnabled()) writeToDebugger(message);
    return;
  }
  assignMessage(appendToQueue(), message);
  announceNewest();
}

PoolMessage& Tracer::appendToQueue() {
  m_Queue.emplace_back(wxString(), 0, nullptr, 0, nullptr, 0L);
  if (m_Queue.size() > MaxQueuedMessages) exchange(m_Queue.back(), m_Queue.front());
  while (m_Queue.size() > MaxQueuedMessages) m_Queue.pop_front();
  return m_Queue.back();
}

void Tracer::announceNewest() {
  if (platform::DebugOutput::isEnabled()) writeToDebugger(m_Queue.back());
  if (m_Listener) m_Listener->onLog(m_Queue.back());
}

void Tracer::setListener(LogListener* listener) {
  wxCriticalSectionLocker lock(tracerLock());
  m_Listener = listener;
}

bool Tracer::swap(std::deque<PoolMessage>& out) {
  wxCriticalSectionLocker lock(tracerLock());
  m_Queue.swap(out);
  return true;
}

bool Tracer::isOkLevel(int level) {
  switch (Application::getApp().getLogLevel()) {
    case AppLogErrors:
      return level >= LevelError && level <= LevelFatalError;
    case AppLogWarnings:
      return level >= LevelWarning && level <= LevelFatalError;
    case AppLogMessages:
      return level >= LevelMessage && level <= LevelFatalError;
    case AppLogSilent:
      return false;
    default:
      return true;
  }
}

const wchar_t* Tracer::getLevelStr(int level) {
  const unsigned int index = static_cast<unsigned int>(level);
  return index < sizeof(kLevelNames) / sizeof(kLevelNames[0]) ? kLevelNames[index] : L"?";
}

void Tracer::Trace(unsigned int line, const char* file, const char* function,
                   const wxString& message) {
  if (Application::getApp().getLogLevel() <= AppLogMessages) return;
  const wxString text = wxString::Format(
      wxS("\nTRACE[%s] PT[%lu:%lu] @[%u %s %s]\n%s"), wxDateTime::Now().Format(wxS("%H:%M:%S")),
      platform::currentProcessId(),
      static_cast<unsigned long>(wxThread::GetCurrentId()), line,
      wxString::FromUTF8(file ? file : ""), wxString::FromUTF8(function ? function : ""),
      message);
  const wxScopedCharBuffer utf8 = text.utf8_str();
  std::fwrite(utf8.data(), 1, utf8.length(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

}  // namespace KivoUnit
