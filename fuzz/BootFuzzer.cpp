// Boots a configuration made of the input bytes. Every node the boot made is found
// again by its own path (unless a same-named sibling hides it), and the tree shuts
// down to nothing. Inputs that could reach beyond the work folder or load code
// (absolute names, variables, libraries, add-ons, scripts) are skipped.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "kivo/node/iNode.h"

namespace {

bool reachesOutside(const std::string& text) {
  for (const char* part : {"/", "\\", "~", "$", "&#", "library", "addons", "Lua", "interface"}) {
    if (text.find(part) != std::string::npos) return true;
  }
  return false;
}

// Checks `node`'s children; `reachable` says whether a path leads to `node` itself.
void checkFoundByPath(KivoUnit::KivoBase& base, KivoUnit::iNode& node, bool reachable) {
  std::multiset<wxString> names;
  for (KivoUnit::iNode* child : node.getChildren()) {
    if (child != nullptr) names.insert(child->getName());
  }
  for (KivoUnit::iNode* child : node.getChildren()) {
    if (child == nullptr) continue;
    const bool childReachable = reachable && names.count(child->getName()) == 1 &&
                                child->getThis() == child;
    if (childReachable) {
      KivoFuzz::require(base.Search(child->GetFullPath()) == child, "a node is found by its path");
    }
    checkFoundByPath(base, *child, childReachable);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (reachesOutside(text)) return 0;
  KivoFuzz::workFolder();
  {
    KivoFuzz::ScopedBase base;
    if (KivoFuzz::bootText(*base, "boot.xml", text)) {
      checkFoundByPath(*base, *base, true);
      base->Shutdown();
      KivoFuzz::require(!base->hasChildren(), "shutdown leaves no node");
    }
  }
  return 0;
}
