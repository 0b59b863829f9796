#pragma once

#include <list>
#include <memory>

#include <wx/string.h>
#include <wx/thread.h>

#include "kivo/KivoExport.h"
#include "kivo/plugin/PluginRecords.h"

namespace KivoUnit {

class Indent;

// One live allocation of the plug-in interface: the block, who asked for it.
class KIVO_API KivoMemoryUnit {
 public:
  // The block is a binary block of `size` bytes (data null for 0); `plugin` may be null.
  KivoMemoryUnit(int id, _Plugin* plugin, unsigned int size);
  ~KivoMemoryUnit();
  KivoMemoryUnit(const KivoMemoryUnit&) = delete;
  KivoMemoryUnit& operator=(const KivoMemoryUnit&) = delete;

  wxString ToXML(const Indent& indent) const;
  KivoBlock* getBlock() const { return m_Block; }
  int getId() const { return m_Id; }

 private:
  KivoBlock* m_Block;
  // Shared by the units of one caller: described once, not per block.
  std::shared_ptr<const wxString> m_Allocator;
  int m_Id;
};

// Allocates and accounts the memory blocks that the library and plug-ins exchange.
// Blocks still live when the manager goes are released with it.
class KIVO_API KivoMemoryManager {
 public:
  KivoMemoryManager();
  virtual ~KivoMemoryManager();
  KivoMemoryManager(const KivoMemoryManager&) = delete;
  KivoMemoryManager& operator=(const KivoMemoryManager&) = delete;

  KivoBlock* Alloc(_Plugin* plugin, unsigned int size);
  // Blocks the manager does not know (freed already, raw texts) are ignored.
  void Free(_Plugin* plugin, KivoBlock* block);
  wxString ToXML(const Indent& indent) const;

  // Guards every manager's units and counters; taken after the tree lock.
  static wxMutex Mutex;

 private:
  std::list<KivoMemoryUnit*> m_Units;
  int m_Allocated;
  int m_Freed;
  int m_NextId;
};

}  // namespace KivoUnit
