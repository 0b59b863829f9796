#include "platform/DebugOutput.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace KivoUnit::platform {
namespace {

bool debuggerAttached() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("TracerPid:", 0) == 0) return std::atoi(line.c_str() + 10) != 0;
  }
  return false;
}

bool requestedByEnvironment() {
  const char* value = std::getenv("KIVO_DEBUG_OUTPUT");
  return value != nullptr && std::strcmp(value, "1") == 0;
}

}  // namespace

bool DebugOutput::isEnabled() {
  static const bool enabled = requestedByEnvironment() || debuggerAttached();
  return enabled;
}

void DebugOutput::write(const wxString& text) {
  if (!isEnabled()) return;
  const wxScopedCharBuffer utf8 = text.utf8_str();
  // One write per entry, as a debugger viewer would show it.
  std::fprintf(stderr, "%s\n", utf8.data());
}

}  // namespace KivoUnit::platform
