#pragma once
// The tree lock for one command, and the node a command works on.
#include <string>

#include "kivo/thread/KivoLocker.h"

namespace KivoUnit {
class iNode;
class KivoBase;
}  // namespace KivoUnit

namespace KivoHost {

// Holds the tree lock for one command and hands out the base.
class TreeAccess {
 public:
  explicit TreeAccess(const char* function);
  KivoUnit::KivoBase* base() const { return m_Base; }

 private:
  KivoUnit::KivoLocker m_Guard;
  KivoUnit::KivoBase* m_Base;
};

// The node at `path`, or null after one failure line naming the path.
KivoUnit::iNode* requireNode(KivoUnit::KivoBase* base, const std::string& path);

}  // namespace KivoHost
