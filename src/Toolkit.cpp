#include "kivo/Toolkit.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <mutex>

#include <wx/app.h>
#include <wx/init.h>

#include "Report.h"

namespace KivoUnit {
namespace {

constexpr const char* kSourcePath = "include/kivo/Toolkit";

struct ToolkitState {
  std::mutex lock;
  int references = 0;
  bool initialisedByUs = false;
};

ToolkitState& state() {
  static ToolkitState instance;
  return instance;
}

bool onProcessMainThread() { return static_cast<pid_t>(syscall(SYS_gettid)) == getpid(); }

// A host that forgets its last release still gets a clean shut-down when the
// library goes away (process exit or dlclose).
struct ShutdownAtUnload {
  ~ShutdownAtUnload() {
    ToolkitState& s = state();
    std::lock_guard<std::mutex> guard(s.lock);
    if (s.initialisedByUs) wxUninitialize();
    s.initialisedByUs = false;
    s.references = 0;
  }
} g_shutdownAtUnload;

}  // namespace

bool Toolkit::Acquire() {
  ToolkitState& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  if (s.references == 0 && wxTheApp == nullptr) {
    // The initialising thread becomes the toolkit's main thread.
    if (!onProcessMainThread()) {
      return KIVO_FAIL(false, 5,
                       wxS("The toolkit must be started on the host's main thread, not on a "
                           "worker thread."));
    }
    if (!wxInitialize()) return KIVO_FAIL(false, 5, wxS("The toolkit could not be initialised."));
    s.initialisedByUs = true;
  }
  ++s.references;
  return true;
}

void Toolkit::Release() {
  ToolkitState& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  if (s.references == 0) return;
  if (--s.references == 0 && s.initialisedByUs) {
    wxUninitialize();
    s.initialisedByUs = false;
  }
}

bool Toolkit::IsReady() {
  ToolkitState& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  return s.references > 0 || wxTheApp != nullptr;
}

}  // namespace KivoUnit
