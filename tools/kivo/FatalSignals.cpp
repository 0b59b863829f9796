#include "FatalSignals.h"

#include <signal.h>
#include <string.h>
#include <unistd.h>

#include <atomic>
#include <cstddef>

namespace KivoHost {
namespace {

constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr int kSignalCount = sizeof(kSignals) / sizeof(kSignals[0]);
constexpr int kSlots = 4;

struct Redirection {
  std::atomic<int> stream{-1};
  int buffer = -1;
  int saved = -1;
};

Redirection s_Redirections[kSlots];
struct sigaction s_Previous[kSignalCount];
int s_Armed = 0;
// A stack overflow leaves no stack for the handler.
alignas(16) char s_AlternateStack[1 << 16];

void writeAll(int fd, const char* text, size_t size) {
  while (size > 0) {
    const ssize_t written = write(fd, text, size);
    if (written <= 0) return;
    text += written;
    size -= static_cast<size_t>(written);
  }
}

// Only async-signal-safe calls from here on.
void giveBack(Redirection& redirection) {
  const int stream = redirection.stream.exchange(-1);
  if (stream < 0) return;
  dup2(redirection.saved, stream);
  char chunk[4096];
  off_t offset = 0;
  for (ssize_t got; (got = pread(redirection.buffer, chunk, sizeof chunk, offset)) > 0; offset += got) {
    writeAll(stream, chunk, static_cast<size_t>(got));
  }
}

void onFatalSignal(int signal, siginfo_t* info, void*) {
  for (Redirection& redirection : s_Redirections) giveBack(redirection);
  char line[96] = "kivo: fatal signal ";
  const char* name = sigabbrev_np(signal);
  strncat(line, name != nullptr ? name : "?", 40);
  strcat(line, "\n");
  writeAll(STDERR_FILENO, line, strlen(line));
  for (int i = 0; i < kSignalCount; ++i) sigaction(kSignals[i], &s_Previous[i], nullptr);
  // A fault comes back when the instruction runs again; a sent signal is sent again.
  if (info == nullptr || info->si_code <= 0) raise(signal);
}

void install() {
  stack_t current{};
  if (sigaltstack(nullptr, &current) == 0 && (current.ss_flags & SS_DISABLE) != 0) {
    stack_t alternate{};
    alternate.ss_sp = s_AlternateStack;
    alternate.ss_size = sizeof s_AlternateStack;
    sigaltstack(&alternate, nullptr);
  }
  struct sigaction action {};
  action.sa_sigaction = onFatalSignal;
  action.sa_flags = SA_SIGINFO | SA_ONSTACK;
  sigemptyset(&action.sa_mask);
  for (int i = 0; i < kSignalCount; ++i) sigaction(kSignals[i], &action, &s_Previous[i]);
}

void uninstall() {
  for (int i = 0; i < kSignalCount; ++i) sigaction(kSignals[i], &s_Previous[i], nullptr);
}

}  // namespace

void armFatalSignals(int stream, int buffer, int saved) {
  for (Redirection& redirection : s_Redirections) {
    if (redirection.stream >= 0) continue;
    redirection.buffer = buffer;
    redirection.saved = saved;
    redirection.stream = stream;
    if (s_Armed++ == 0) install();
    return;
  }
}

void disarmFatalSignals(int stream) {
  for (Redirection& redirection : s_Redirections) {
    int expected = stream;
    if (!redirection.stream.compare_exchange_strong(expected, -1)) continue;
    if (--s_Armed == 0) uninstall();
    return;
  }
}

}  // namespace KivoHost
