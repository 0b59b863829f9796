#pragma once

#include <deque>

#include <wx/string.h>

#include "kivo/KivoExport.h"
#include "kivo/log/PoolMessage.h"

namespace KivoUnit {

class LogListener;

// The process-wide end of every log line: filters by the application's log level,
// writes to the debugger output, keeps the newest messages and feeds one listener.
class KIVO_API Tracer {
 public:
  static constexpr size_t MaxQueuedMessages = 10000;

  static Tracer* getSingleton();

  Tracer();
  Tracer(const Tracer&) = delete;
  Tracer& operator=(const Tracer&) = delete;

  // The library's logging entry point: stamps the time and passes the filter.
  void Log(int level, const wxString& message, unsigned int line, const char* file,
           const char* function);
  void Log(const PoolMessage& message);

  // Null removes the listener; the old one is neither told nor freed.
  void setListener(LogListener* listener);

  // Hands every queued message to the caller, oldest first, and takes `out`'s content.
  bool swap(std::deque<PoolMessage>& out);

  static bool isOkLevel(int level);
  static const wchar_t* getLevelStr(int level);

  // Developer trace on standard output, only at application log levels 3 and 4.
  void Trace(unsigned int line, const char* file, const char* function,
             const wxString& message);

 private:
  // A new message at the back of the queue, to be filled in. When the queue is
  // full it holds the oldest message's buffers, which the new text reuses.
  PoolMessage& appendToQueue();
  // Sends the newest queued message to the debugger output and the listener.
  void announceNewest();

  LogListener* m_Listener;
  std::deque<PoolMessage> m_Queue;
};

}  // namespace KivoUnit
