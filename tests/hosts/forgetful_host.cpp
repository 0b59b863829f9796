// A plain host that starts the toolkit, runs a toolkit thread and exits without
// releasing it. The library shuts the toolkit down when it is unloaded.
#include <cstdio>

#include <wx/thread.h>

#include "kivo/kivo.h"

namespace {

class CountingThread : public wxThread {
 public:
  CountingThread() : wxThread(wxTHREAD_JOINABLE) {}
  int count = 0;

 protected:
  ExitCode Entry() override {
    for (int i = 0; i < 1000; ++i) ++count;
    return nullptr;
  }
};

}  // namespace

int main() {
  if (!KivoUnit::Toolkit::Acquire()) return 1;
  CountingThread thread;
  if (thread.Run() != wxTHREAD_NO_ERROR) return 2;
  thread.Wait();
  if (thread.count != 1000) return 3;
  std::puts("forgetful host done");
  return 0;
}
