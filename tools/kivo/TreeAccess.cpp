#include "TreeAccess.h"

#include "NodePaths.h"
#include "Output.h"
#include "kivo/base/KivoBase.h"

namespace KivoHost {

TreeAccess::TreeAccess(const char* function)
    : m_Guard(__LINE__, __FILE__, function, wxS("kivo")), m_Base(m_Guard.Write()) {}

KivoUnit::iNode* requireNode(KivoUnit::KivoBase* base, const std::string& path) {
  if (base == nullptr) {
    fail("the library is not running");
    return nullptr;
  }
  KivoUnit::iNode* node = findNode(*base, path);
  if (node == nullptr) fail("no node at " + quoted(withoutParams(path)));
  return node;
}

}  // namespace KivoHost
