#include "kivo/log/PoolMessage.h"

#include <ctime>

#include <wx/datetime.h>
#include <wx/thread.h>

#include "kivo/log/Tracer.h"
#include "platform/ProcessId.h"

namespace KivoUnit {
namespace {

wxString fromUtf8OrEmpty(const char* text) {
  return text ? wxString::FromUTF8(text) : wxString();
}

// The name part of a path, whichever separator the caller's platform used.
wxString fileNameOf(const wxString& path) {
  const size_t slash = path.find_last_of(wxS("/\\"));
  return slash == wxString::npos ? path : path.Mid(slash + 1);
}

struct WxLevelEntry {
  int libraryLevel;
  const wchar_t* name;
};

// Indexed by the toolkit's levels: FatalError, Error, Warning, Message, Status,
// Info, Debug, Trace, Progress.
constexpr WxLevelEntry kWxLevels[] = {
    {LevelFatalError, L"Fatal error"}, {LevelError, L"Error"}, {LevelWarning, L"Warning"},
    {LevelMessage, L"Message"},        {LevelDebug, L"Status"}, {LevelInfo, L"Info"},
    {LevelDebug, L"Debug"},            {LevelDebug, L"Trace"},  {LevelDebug, L"Progress"}};
constexpr unsigned int kWxLevelCount = sizeof(kWxLevels) / sizeof(kWxLevels[0]);

// Indexed by library level.
constexpr int kToWxLevel[] = {6, 5, 5, 3, 2, 1, 0};
constexpr unsigned int kLibraryLevelCount = sizeof(kToWxLevel) / sizeof(kToWxLevel[0]);

}  // namespace

PoolMessage::PoolMessage(const wxString& text, int messageLevel, const char* sourceFile,
                         unsigned int sourceLine, const char* sourceFunction, long when)
    : level(messageLevel),
      line(sourceLine),
      threadId(static_cast<unsigned long>(wxThread::GetCurrentId())),
      processId(platform::currentProcessId()),
      time(when),
      message(text),
      file(fromUtf8OrEmpty(sourceFile)),
      function(fromUtf8OrEmpty(sourceFunction)) {}

wxString PoolMessage::toString() const {
  // Ids are 64-bit here: print them whole.
  wxString out = wxString::Format(wxS("{%lu:%lu} "), processId, threadId);
  out += wxDateTime(static_cast<time_t>(time)).Format(wxS("[%Y-%m-%d %H:%M:%S] "));
  out += wxString::Format(wxS("%ls(%i) "), Tracer::getLevelStr(level), level);
  if (!file.empty()) out += wxString::Format(wxS("%s:%u "), fileNameOf(file), line);
  if (!function.empty()) out += wxString::Format(wxS("%s() "), function);
  out += message;
  return out;
}

int PoolMessage::toWxLogLevel(int libraryLevel) {
  const unsigned int index = static_cast<unsigned int>(libraryLevel);
  return index < kLibraryLevelCount ? kToWxLevel[index] : 6;
}

int PoolMessage::fromWxLogLevel(unsigned int wxLevel) {
  return wxLevel < kWxLevelCount ? kWxLevels[wxLevel].libraryLevel : LevelDebug;
}

const wchar_t* PoolMessage::getWxLogLevelString(unsigned int wxLevel) {
  return wxLevel < kWxLevelCount ? kWxLevels[wxLevel].name : L"Unknown";
}

}  // namespace KivoUnit
