#include "platform/ProcessId.h"

#include <pthread.h>
#include <unistd.h>

#include <atomic>

namespace KivoUnit::platform {
namespace {

std::atomic<unsigned long> g_processId{0};

void forgetAfterFork() { g_processId.store(0, std::memory_order_relaxed); }

}  // namespace

unsigned long currentProcessId() {
  unsigned long id = g_processId.load(std::memory_order_relaxed);
  if (id != 0) return id;
  static const int registered = pthread_atfork(nullptr, nullptr, forgetAfterFork);
  (void)registered;
  id = static_cast<unsigned long>(getpid());
  g_processId.store(id, std::memory_order_relaxed);
  return id;
}

}  // namespace KivoUnit::platform
