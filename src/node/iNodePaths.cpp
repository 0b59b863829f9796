#include <algorithm>
#include <deque>
#include <string_view>
#include <vector>

#include <wx/tokenzr.h>

#include "log/Report.h"
#include "kivo/base/KivoBase.h"
#include "kivo/node/iNode.h"
#include "node/ChildIndex.h"

namespace KivoUnit {
namespace {

constexpr const char* kSourcePath = "include/kivo/node/iNode";

// The non-empty "/"-separated pieces of `path`.
std::vector<wxString> components(const wxString& path) {
  std::vector<wxString> pieces;
  size_t start = 0;
  const size_t length = path.length();
  while (start <= length) {
    size_t slash = path.find(wxS('/'), start);
    if (slash == wxString::npos) slash = length;
    if (slash > start) pieces.push_back(path.substr(start, slash - start));
    start = slash + 1;
  }
  return pieces;
}

wxString joinAbsolute(const std::vector<wxString>& pieces) {
  wxString path;
  for (const wxString& piece : pieces) path << wxS('/') << piece;
  return path;
}

wxString beforeParams(const wxString& path) { return path.BeforeFirst(wxS('?')); }

bool isParentStep(std::wstring_view piece) {
  return piece.size() == 2 && piece[0] == L'.' && piece[1] == L'.';
}

// Calls `visit` with each non-empty "/"-separated piece of `path` as a view,
// until it returns false; returns false when it was stopped.
template <typename Visit>
bool eachPiece(std::wstring_view path, Visit visit) {
  size_t start = 0;
  while (start < path.size()) {
    size_t slash = findIn(path, L'/', start);
    if (slash == std::wstring_view::npos) slash = path.size();
    if (slash > start && !visit(path.substr(start, slash - start))) return false;
    start = slash + 1;
  }
  return true;
}

// The pieces of a path, split once: the first kMost are kept, and whether any
// piece is "..".
class PathPieces {
 public:
  static constexpr size_t kMost = 64;
  explicit PathPieces(std::wstring_view path) {
    eachPiece(path, [this](std::wstring_view piece) {
      if (isParentStep(piece)) {
        m_ParentStep = true;
        return false;
      }
      if (m_Count < kMost) m_Pieces[m_Count] = piece;
      ++m_Count;
      return true;
    });
  }
  bool hasParentStep() const { return m_ParentStep; }
  bool allKept() const { return m_Count <= kMost; }
  const std::wstring_view* begin() const { return m_Pieces; }
  const std::wstring_view* end() const { return m_Pieces + std::min(m_Count, kMost); }

 private:
  std::wstring_view m_Pieces[kMost];
  size_t m_Count = 0;
  bool m_ParentStep = false;
};

// A stored name as it stands in a path: ParseName leaves a plain name alone.
bool isPlainName(const wxString& name) { return name.find_first_of(wxS("/?")) == wxString::npos; }

}  // namespace

iNode* iNode::getChildByStoredName(const wxString& stored) const {
  return childByStoredName(viewOf(stored));
}

wxString iNode::GetPath() const {
  // Ancestors from the root down, each name measured once, the text built once.
  std::deque<wxString> odd;  // names ParseName changes, rare
  std::vector<const wxString*> names;
  names.reserve(16);
  size_t length = 1;
  for (const iNode* node = getParent(); node != nullptr; node = node->getParent()) {
    const wxString& name = node->getName();
    if (isPlainName(name)) {
      names.push_back(&name);
    } else {
      odd.push_back(node->ParseName(name));
      names.push_back(&odd.back());
    }
    length += names.back()->length() + 1;
  }
  wxString path;
  path.reserve(length + getName().length());
  for (auto name = names.rbegin(); name != names.rend(); ++name) path << wxS('/') << **name;
  path << wxS('/');
  return path;
}

wxString iNode::GetPathName() const {
  wxString path = GetPath();
  path << getName();
  return path;
}

wxString iNode::GetFullPath() const { return GetPathName(); }

wxString iNode::ParsePathName(const wxString& path) const { return beforeParams(path); }

wxString iNode::ParseParams(const wxString& path) const {
  const size_t question = path.find(wxS('?'));
  return question == wxString::npos ? wxString() : path.substr(question + 1);
}

wxString iNode::ParsePath(const wxString& path) const {
  const wxString proper = beforeParams(path);
  const size_t slash = proper.find_last_of(wxS('/'));
  return slash == wxString::npos ? wxString() : proper.substr(0, slash);
}

wxString iNode::ParseName(const wxString& path) const {
  if (path.find_first_of(wxS("/?")) == wxString::npos) return path;  // a plain stored name
  const wxString proper = beforeParams(path);
  const std::vector<wxString> pieces = components(proper);
  return pieces.empty() ? proper : pieces.back();
}

wxString iNode::Normalize(const wxString& path, const iNode* relativeTo) const {
  const wxString proper = beforeParams(path);
  const wxString params = ParseParams(path);
  wxString combined;
  if (proper.StartsWith(wxS("/"))) {
    combined = proper;  // absolute: the base path is not needed
  } else {
    combined = (relativeTo != nullptr ? relativeTo : this)->GetPathName();
    if (!proper.empty()) {
      if (!combined.EndsWith(wxS("/"))) combined += wxS("/");
      combined += proper;
    }
  }
  std::vector<wxString> kept;
  for (const wxString& piece : components(combined)) {
    if (piece == wxS("..")) {
      if (!kept.empty()) kept.pop_back();
    } else {
      kept.push_back(piece);
    }
  }
  wxString result = joinAbsolute(kept);
  if (!params.empty()) result << wxS('?') << params;
  return result;
}

iNode* iNode::Search(const wxString& path) {
  iNode* self = getThis();
  if (self == nullptr) {
    KIVO_REPORT(LevelError, wxString::Format(wxS("Could not get this for '%s'"), path));
    self = this;
  }
  // The path before its parameters, made absolute: the same pieces Normalize
  // yields when no piece is "..", taken as views with nothing copied.
  std::wstring_view proper = viewOf(path);
  proper = proper.substr(0, findIn(proper, L'?'));
  wxString absolute;
  if (proper.empty() || proper.front() != L'/') {
    absolute = self->GetPathName();
    absolute << wxS('/');
    absolute.append(proper.data(), proper.size());
    proper = viewOf(absolute);
  }
  const PathPieces pieces(proper);
  if (pieces.hasParentStep()) return searchNormalized(self, path);
  iNode* root = GetRoot();
  iNode* node = root;
  bool first = true;
  wxString encodedPiece;
  auto step = [&](std::wstring_view piece) {
    std::wstring_view encoded = piece;
    if (!encodesToItself(piece.data(), piece.size())) {
      encodedPiece = encode(wxString(piece.data(), piece.size()));
      encoded = viewOf(encodedPiece);
    }
    if (first && node == root && sameText(encoded, viewOf(root->getName()))) {
      first = false;
      return true;
    }
    first = false;
    iNode* found = node->childByStoredName(encoded);
    node = found != nullptr ? found->getThis() : nullptr;
    return node != nullptr;
  };
  if (!pieces.allKept()) {
    eachPiece(proper, step);  // more pieces than were kept: split again while walking
    return node;
  }
  for (const std::wstring_view piece : pieces) {
    if (!step(piece)) return nullptr;
  }
  return node;
}

iNode* iNode::searchNormalized(iNode* self, const wxString& path) {
  const std::vector<wxString> pieces =
      components(ParsePathName(self->Normalize(path, self)));
  iNode* root = GetRoot();
  iNode* node = root;
  bool first = true;
  for (const wxString& piece : pieces) {
    const wxString encoded = encode(piece);
    if (first && node == root && encoded == root->getName()) {
      first = false;
      continue;
    }
    first = false;
    iNode* found = node->getChildByStoredName(encoded);
    if (found == nullptr) return nullptr;
    node = found->getThis();
    if (node == nullptr) return nullptr;
  }
  return node;
}

bool iNode::CanExecute(const wxString& command) { return Search(command) != nullptr; }

wxString iNode::parsePathWithAttributes(const wxString& path) {
  std::vector<wxString> output;
  for (const wxString& component : components(Normalize(path, nullptr))) {
    const wxArrayString pieces = wxStringTokenize(component, wxS("#"), wxTOKEN_RET_EMPTY_ALL);
    if (pieces.size() < 2) {
      const wxString name = wxString(component).Trim(true).Trim(false);
      if (!name.empty()) output.push_back(name);
      continue;
    }
    const wxString name = wxString(pieces[0]).Trim(true).Trim(false);
    const wxString attribute = wxString(pieces[1]).Trim(true).Trim(false);
    if (!name.empty()) output.push_back(name);
    const wxString reached = joinAbsolute(output);
    iNode* node = Search(reached.empty() ? wxString(wxS("/")) : reached);
    if (node == nullptr) {
      KIVO_REPORT(LevelError, wxString::Format(wxS("Path '%s' not found"), reached));
      continue;
    }
    const wxString value = node->hasAttribute(attribute)
                               ? node->getAttribute(attribute, wxString())
                               : wxString();
    if (!value.empty()) {
      output.push_back(value);
    } else {
      KIVO_REPORT(LevelError, wxString::Format(wxS("Node '%s' has no attribute '%s'"), reached,
                                               attribute));
    }
  }
  const wxString result = joinAbsolute(output);
  return result.empty() ? wxString(wxS("/")) : result;
}

wxString iNode::parsePathRecursive(const wxString& path) {
  wxString text = path;
  const size_t open = text.find(wxS('['));
  if (open != wxString::npos) {
    const wxString inner = parsePathRecursive(text.substr(open + 1));
    const std::vector<wxString> pieces = components(inner);
    const wxString last = pieces.empty() ? wxString() : pieces.back();
    const size_t close = text.find(wxS(']'), open);
    const wxString after = close == wxString::npos ? wxString() : text.substr(close + 1);
    text = text.substr(0, open) + last + after;
  }
  const size_t close = text.find(wxS(']'));
  if (close != wxString::npos) text = text.substr(0, close);
  return parsePathWithAttributes(text);
}

iNode* iNode::SearchOrCreate(const wxString& path, const wxString& type,
                             const wxString& pathType) {
  bool created = false;
  return SearchOrCreate(created, path, type, pathType);
}

iNode* iNode::SearchOrCreate(bool& created, const wxString& path, const wxString& type,
                             const wxString& pathType) {
  created = false;
  if (path.empty()) return nullptr;
  if (iNode* found = Search(path)) {
    if (found->getElement() != type && type != wxS("SymLink")) {
      Warning(wxString::Format(
          wxS("SearchOrCreate( path '%s', type '%s') - Found node '%s' with type '%s'"), path,
          type, found->GetFullPath(), found->getElement()));
    }
    return found;
  }
  KivoBase* base = GetBase();
  if (base == nullptr) {
    return KIVO_FAIL(nullptr, LevelFatalError,
                     wxString::Format(wxS("SearchOrCreate('%s','%s') called unattached to kivo base"),
                                      path, type));
  }
  const wxString absolute = path.StartsWith(wxS("/")) ? path : GetPathName() + wxS("/") + path;
  const wxString parentPath = ParsePath(absolute);
  const wxString name = ParseName(absolute);
  if (name.empty() ||
      (!parentPath.empty() && !base->GenerateNodePath(parentPath, true, pathType))) {
    Error(wxString::Format(wxS("Could not generate path '%s'"), parentPath));
    return nullptr;
  }
  iNode* parent = base->Search(parentPath);
  if (parent == nullptr) {
    Error(wxString::Format(wxS("Could not find path '%s'"), parentPath));
    return nullptr;
  }
  if (iNode* second = parent->Search(name)) {
    KIVO_REPORT(LevelWarning,
                wxString::Format(wxS("Second search result for '%s' found under '%s' as '%s'"),
                                 path, parent->GetFullPath(), second->GetFullPath()));
    return second;
  }
  iNode* node = base->CreateNode(type, nullptr, nullptr);
  if (node == nullptr) {
    Error(wxString::Format(wxS("Could not create node type '%s'"), type));
    return nullptr;
  }
  node->setName(name);
  if (!parent->AppendChild(node, nullptr, true)) {
    KIVO_REPORT(LevelError, wxString::Format(wxS("Appending node '%s' to '%s' failed"),
                                             node->GetFullPath(), parent->GetFullPath()));
    base->GetFactories().Destroy(node);
    return nullptr;
  }
  node->setName(name);
  created = true;
  return node;
}

}  // namespace KivoUnit
