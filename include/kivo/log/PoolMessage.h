#pragma once

#include <wx/string.h>

#include "kivo/KivoExport.h"

namespace KivoUnit {

// Log levels shared by the whole library.
enum LogLevel : int {
  LevelDebug = 0,
  LevelVerbose = 1,
  LevelInfo = 2,
  LevelMessage = 3,
  LevelWarning = 4,
  LevelError = 5,
  LevelFatalError = 6
};

// One log message, copied by value into the tracer's queue and to its listener.
class KIVO_API PoolMessage {
 public:
  // A null file or function gives an empty text; thread and process id are taken now.
  PoolMessage(const wxString& message, int level, const char* file, unsigned int line,
              const char* function, long time);

  // '{pid:tid} [local time] Level(n) file:line function() message'
  wxString toString() const;

  static int toWxLogLevel(int level);
  static int fromWxLogLevel(unsigned int wxLevel);
  static const wchar_t* getWxLogLevelString(unsigned int wxLevel);

  int level;
  unsigned int line;
  unsigned long threadId;
  unsigned long processId;
  long time;
  wxString message;
  wxString file;
  wxString function;
};

}  // namespace KivoUnit
