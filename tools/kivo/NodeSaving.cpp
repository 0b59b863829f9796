#include "NodeSaving.h"

#include <tinyxml.h>

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
  if (node.isRunTime() || node.getTie() == nullptr || owner == nullptr) {
    fail(quoted(path) + " is not stored in any file; " + outcome);
    return nullptr;
  }
  return owner;
}

bool saveStoredNode(KivoUnit::iNode& node, const std::string& path) {
  if (node.Save()) return true;
  fail(quoted(path) + " was not saved");
  return false;
}

std::string storedFile(const KivoUnit::iNode& node, const KivoUnit::iNode& owner) {
  const TiXmlDocument* document = node.getTie() != nullptr ? node.getTie()->GetDocument() : nullptr;
  return document != nullptr ? std::string(document->Value()) : toUtf8(owner.getFilename());
}

}  // namespace KivoHost
