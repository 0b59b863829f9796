#include "NodePaths.h"

#include <sstream>

#include "Text.h"
#include "kivo/base/KivoBase.h"

namespace KivoHost {
namespace {

std::vector<std::string> splitPath(const std::string& path) {
  std::vector<std::string> pieces;
  std::istringstream stream(path);
  std::string piece;
  while (std::getline(stream, piece, '/')) pieces.push_back(piece);
  return pieces;
}

void step(std::vector<std::string>& pieces, const std::string& piece) {
  if (piece.empty() || piece == ".") return;
  if (piece == "..") {
    if (!pieces.empty()) pieces.pop_back();
    return;
  }
  pieces.push_back(piece);
}

}  // namespace

std::string withoutParams(const std::string& path) { return path.substr(0, path.find('?')); }

std::string resolvePath(const std::string& current, const std::string& typed) {
  const std::string proper = withoutParams(typed);
  const std::string params = typed.substr(proper.size());
  std::vector<std::string> pieces;
  if (proper.empty() || proper[0] != '/') {
    for (const std::string& piece : splitPath(current)) step(pieces, piece);
  }
  for (const std::string& piece : splitPath(proper)) step(pieces, piece);
  std::string absolute;
  for (const std::string& piece : pieces) absolute += "/" + piece;
  return (absolute.empty() ? "/" : absolute) + params;
}

KivoUnit::iNode* findNode(KivoUnit::KivoBase& base, const std::string& path) {
  const std::string proper = withoutParams(path);
  if (proper == "/" || proper.empty()) return &base;
  return base.Search(fromUtf8(proper));
}

std::vector<KivoUnit::iNode*> childrenOf(const KivoUnit::iNode& node) {
  std::vector<KivoUnit::iNode*> children;
  for (KivoUnit::iNode* child : node.getChildren()) {
    if (child != nullptr) children.push_back(child);
  }
  return children;
}

std::string pathName(const KivoUnit::iNode& node) { return toUtf8(node.getName()); }

}  // namespace KivoHost
