// A broken plug-in: its "start" fails and answers no record.
#include "kivo/plugin/PluginRecords.h"

extern "C" __attribute__((visibility("default"))) KivoUnit::_Plugin* start(KivoUnit::Kivo*) {
  return nullptr;
}
