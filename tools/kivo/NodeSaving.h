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
// The node's own Save: it writes the node and stores the one document that holds its
// element; the library reports a failure with the file and the system's reason.
bool saveStoredNode(KivoUnit::iNode& node, const std::string& path);
// The file of the document that holds the node's element (`owner`'s when unknown).
std::string storedFile(const KivoUnit::iNode& node, const KivoUnit::iNode& owner);

}  // namespace KivoHost
