#include "kivo/app/Toolkit.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <mutex>

#include <wx/app.h>
#include <wx/init.h>

#include "log/Report.h"

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
    bool shutDown = false;
    {
      std::lock_guard<std::mutex> guard(s.lock);
      shutDown = s.initialisedByUs;
      s.initialisedByUs = false;
      s.references = 0;
    }
    if (shutDown) wxUninitialize();
  }
} g_shutdownAtUnload;

}  // namespace

// The toolkit's own start-up takes its locks (and keeps one held by the main
// thread while it runs), so it is never called with our lock held. Only the
// process's main thread starts or stops the toolkit, which keeps those calls
// from racing each other.
bool Toolkit::Acquire() {
  ToolkitState& s = state();
  std::unique_lock<std::mutex> guard(s.lock);
  if (s.references > 0 || wxTheApp != nullptr) {
    ++s.references;
    return true;
  }
  if (!onProcessMainThread()) {
    return KIVO_FAIL(false, 5,
                     wxS("The toolkit must be started on the host's main thread, not on a "
                         "worker thread."));
  }
  guard.unlock();
  const bool started = wxInitialize();
  guard.lock();
  if (!started) return KIVO_FAIL(false, 5, wxS("The toolkit could not be initialised."));
  s.initialisedByUs = true;
  ++s.references;
  return true;
}

void Toolkit::Release() {
  ToolkitState& s = state();
  std::unique_lock<std::mutex> guard(s.lock);
  if (s.references == 0) return;
  if (--s.references > 0 || !s.initialisedByUs) return;
  // A last release on a worker thread leaves the toolkit up until the library
  // is unloaded: it must be stopped on the thread that started it.
  if (!onProcessMainThread()) return;
  s.initialisedByUs = false;
  guard.unlock();
  wxUninitialize();
}

bool Toolkit::IsReady() {
  ToolkitState& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  return s.references > 0 || wxTheApp != nullptr;
}

}  // namespace KivoUnit
