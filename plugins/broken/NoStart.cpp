// A broken plug-in: it exports "stop" but no "start".
#include "kivo/plugin/PluginRecords.h"

extern "C" __attribute__((visibility("default"))) void stop() {}
extern "C" __attribute__((visibility("default"))) int brokenMarker() { return 7; }
