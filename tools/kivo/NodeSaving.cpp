#include "NodeSaving.h"

#include "Output.h"
#include "Text.h"
#include "kivo/node/iNode.h"

namespace KivoHost {

KivoUnit::iNode* storingNode(KivoUnit::iNode& node, const std::string& path,
                             const std::string& outcome) {
  if (node.isReadOnly()) {
    fail(quoted(path) + " is read-only; " + outcome);
    return nullptr;
  }
  KivoUnit::iNode* owner = &node;
  while (owner != nullptr && owner->getSourceDocument() == nullptr) owner = owner->getParent();
  if (node.getTie() == nullptr || owner == nullptr) {
    fail(quoted(path) + " is not stored in any file; " + outcome);
    return nullptr;
  }
  return owner;
}

bool saveNodeTo(KivoUnit::iNode& node, KivoUnit::iNode& owner, const std::string& path) {
  if (node.Write() && owner.Save()) return true;
  fail("saving " + quoted(path) + " to " + quoted(toUtf8(owner.getFilename())) + " failed");
  return false;
}

}  // namespace KivoHost
