#include "kivo/app/UpdateEvent.h"

namespace KivoUnit {

// Out of line so that the classes' type information lives in the library.
UpdateEvent::~UpdateEvent() = default;
ApplicationUpdateEvent::~ApplicationUpdateEvent() = default;

}  // namespace KivoUnit
