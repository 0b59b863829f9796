#include "kivo/log/GateKeeper.h"

namespace KivoUnit {

int GateKeeper::inc() {
  wxCriticalSectionLocker lock(m_Lock);
  return ++m_Counter;
}

int GateKeeper::dec() {
  wxCriticalSectionLocker lock(m_Lock);
  return --m_Counter;
}

}  // namespace KivoUnit
