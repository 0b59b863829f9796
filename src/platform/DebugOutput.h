#pragma once

#include <wx/string.h>

namespace KivoUnit::platform {

// Stands in for the debugger output channel of desktop systems. A line goes to the
// standard error stream when a debugger is attached to the process (seen at the
// first call) or when KIVO_DEBUG_OUTPUT is "1"; otherwise it is dropped, and
// callers check isEnabled() first so that nobody formats a line nobody receives.
class DebugOutput {
 public:
  static bool isEnabled();
  static void write(const wxString& text);
};

}  // namespace KivoUnit::platform
