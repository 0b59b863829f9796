#pragma once
// Node paths as the user types them, and the nodes they name.
#include <string>
#include <vector>

namespace KivoUnit {
class iNode;
class KivoBase;
}  // namespace KivoUnit

namespace KivoHost {

// The absolute path that `typed` names from `current`: "/" starts at the root,
// "." and ".." step as in folders, parameters after the first "?" stay as they are.
std::string resolvePath(const std::string& current, const std::string& typed);
// The path without its parameters.
std::string withoutParams(const std::string& path);
// The node at an absolute path (parameters ignored), or null.
KivoUnit::iNode* findNode(KivoUnit::KivoBase& base, const std::string& path);
// The node's children, leaving out the empty entries a detached child leaves behind.
std::vector<KivoUnit::iNode*> childrenOf(const KivoUnit::iNode& node);
// The name by which a path reaches the node.
std::string pathName(const KivoUnit::iNode& node);

}  // namespace KivoHost
