// A broken plug-in: its "start" says so on standard error and dies of a signal.
#include <csignal>
#include <cstdio>

#include "kivo/plugin/PluginRecords.h"

extern "C" __attribute__((visibility("default"))) KivoUnit::_Plugin* start(KivoUnit::Kivo*) {
  std::fputs("crash plug-in starting\n", stderr);
  std::fflush(stderr);
  std::raise(SIGSEGV);
  return nullptr;
}
