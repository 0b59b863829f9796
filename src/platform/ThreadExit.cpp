#include "platform/ThreadExit.h"

#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <string>
#include <thread>

#include <wx/thread.h>
#include <wx/utils.h>

namespace KivoUnit::platform {
namespace {

bool threadExists(long systemThreadId) {
  struct stat info {};
  const std::string task = "/proc/self/task/" + std::to_string(systemThreadId);
  return stat(task.c_str(), &info) == 0;
}

// Does nothing but start and end, through the toolkit's thread clean-up.
class Settler : public wxThread {
 public:
  Settler() : wxThread(wxTHREAD_JOINABLE) {}

 protected:
  ExitCode Entry() override { return nullptr; }
};

}  // namespace

long currentSystemThreadId() { return static_cast<long>(syscall(SYS_gettid)); }

bool waitForThreadEnd(long systemThreadId, unsigned long milliseconds) {
  for (unsigned long waited = 0; threadExists(systemThreadId); ++waited) {
    if (waited >= milliseconds) return false;
    wxMilliSleep(1);
  }
  // Joined from a plain thread: on the main thread the toolkit's join also leaves
  // and re-takes its GUI mutex, which must not happen under the caller's locks.
  std::thread([] {
    Settler settler;
    if (settler.Run() == wxTHREAD_NO_ERROR) settler.Wait();
  }).join();
  return true;
}

}  // namespace KivoUnit::platform
