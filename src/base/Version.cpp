#include "kivo/base/Version.h"

namespace KivoUnit {

const char* LibraryVersion() { return KIVO_VERSION; }

}  // namespace KivoUnit
