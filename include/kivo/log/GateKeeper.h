#pragma once

#include <wx/thread.h>

#include "kivo/KivoExport.h"

namespace KivoUnit {

// A depth counter that tells the outermost entry (1) from nested ones.
class KIVO_API GateKeeper {
 public:
  int inc();
  int dec();

  // Holds one entry for its lifetime.
  class Entry {
   public:
    explicit Entry(GateKeeper& gate) : m_Gate(&gate), m_Depth(gate.inc()) {}
    ~Entry() { m_Gate->dec(); }
    Entry(const Entry&) = delete;
    Entry& operator=(const Entry&) = delete;
    bool isOutermost() const { return m_Depth == 1; }
    int depth() const { return m_Depth; }

   private:
    GateKeeper* m_Gate;
    int m_Depth;
  };

 private:
  wxCriticalSection m_Lock;
  int m_Counter = 0;
};

}  // namespace KivoUnit
