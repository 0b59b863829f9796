#pragma once

#include "kivo/KivoExport.h"

namespace KivoUnit {

// The library's version, "major.minor.patch.tweak": the project's version, also
// the one in the library's own plug-in record.
KIVO_API const char* LibraryVersion();

}  // namespace KivoUnit
