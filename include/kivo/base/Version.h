#pragma once

#include "kivo/KivoExport.h"

namespace KivoUnit {

// The library's version as "major.minor.patch".
KIVO_API const char* LibraryVersion();

}  // namespace KivoUnit
