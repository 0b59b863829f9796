#pragma once

#include "kivo/KivoExport.h"
#include "kivo/plugin/PluginRecords.h"

namespace KivoUnit {

// The library's own plug-in record: its descriptor ("Kivo", the project's version, api 1005),
// its methods "Boot", "GetBase", "About", "State", "Info", "Run", "MessageBox"
// and its table of the ten interface functions. Built when the library is
// loaded, alive until it is unloaded; the exported `start` hands it out.
//
// Every interface function and method except "About" and "MessageBox" takes the
// tree lock for its duration and answers null (or does nothing) without a base.
KIVO_API Kivo* getKivo();

}  // namespace KivoUnit
