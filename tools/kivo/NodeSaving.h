#pragma once
// Saving a node: only the document that holds its element is written.
#include <string>

namespace KivoUnit {
class iNode;
}

namespace KivoHost {

// The node whose document stores `node` (itself or its nearest ancestor that loaded a
// file), or null after one failure line: read-only nodes and nodes in no file are
// refused. `outcome` ends that line ("nothing was saved", "nothing was changed").
KivoUnit::iNode* storingNode(KivoUnit::iNode& node, const std::string& path,
                             const std::string& outcome);
// Writes the node's own element and saves the document of `owner`, so the rest of
// the tree (the nodes the library adds at run time) never reaches the file.
bool saveNodeTo(KivoUnit::iNode& node, KivoUnit::iNode& owner, const std::string& path);

}  // namespace KivoHost
