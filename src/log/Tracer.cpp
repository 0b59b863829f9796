#include "kivo/log/Tracer.h"

#include <cstdio>
#include <ctime>
#include <utility>

#include <wx/datetime.h>
#include <wx/thread.h>

#include "kivo/app/Application.h"
#include "kivo/log/GateKeeper.h"
#include "kivo/log/LogListener.h"
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
  deliver(PoolMessage(message, level, file, line, function, static_cast<long>(::time(nullptr))));
}

void Tracer::Log(const PoolMessage& message) {
  if (!isOkLevel(message.level)) return;
  deliver(PoolMessage(message));  // copied before the lock is taken
}

void Tracer::deliver(PoolMessage&& message) {
  wxCriticalSectionLocker lock(tracerLock());
  if (platform::DebugOutput::isEnabled()) {
    platform::DebugOutput::write(Application::getApp().getName() + wxS(": ") +
                                 message.toString());
  }
  GateKeeper::Entry entry(tracerGate());
  if (!entry.isOutermost()) return;  // a listener logging from inside onLog
  m_Queue.push_back(std::move(message));
  while (m_Queue.size() > MaxQueuedMessages) m_Queue.pop_front();
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
