#include "kivo/node/SymLinkNode.h"

#include <cstdio>
#include <exception>

#include "log/Report.h"
#include "kivo/base/KivoBase.h"

namespace KivoUnit {
namespace {

constexpr const char* kSourcePath = "include/kivo/node/SymLinkNode";

wxString sourceLocation(unsigned int line) {
  return wxString::Format(wxS("[%u %s %s]"), line, kSourcePath, "getTargetNode");
}

}  // namespace

SymLinkNode::SymLinkNode(iNode* parent, const wxString& element)
    : iNode(parent, element), m_Resolving(0) {
  appendClassTag(wxS(".symlink"));
}

SymLinkNode::~SymLinkNode() = default;

iNode* SymLinkNode::getThis() {
  if (m_TargetPath.empty()) return this;
  iNode* target = getTargetNode();
  return target != nullptr ? target : this;
}

iNode* SymLinkNode::getTargetNode() const {
  if (m_Resolving != 0) {
    const wxString message =
        wxString::Format(wxS("%s recursed %u times\n%s -> %s"), sourceLocation(__LINE__),
                         m_Resolving, GetFullPath(), m_TargetPath);
    detail::report(LevelError, message, __LINE__, kSourcePath, "getTargetNode");
    return nullptr;
  }
  m_Resolving = 1;
  iNode* target = nullptr;
  try {
    // Resolved from the root with the path made absolute here: the link's own
    // Search would first ask this link for getThis() and meet the counter.
    auto* self = const_cast<SymLinkNode*>(this);
    target = self->GetRoot()->Search(Normalize(m_TargetPath, self));
  } catch (const std::exception&) {
    detail::report(LevelError,
                   wxString::Format(wxS("%s iNode::Search(%s) threw an exception"),
                                    sourceLocation(__LINE__), m_TargetPath),
                   __LINE__, kSourcePath, "getTargetNode");
    target = nullptr;
  }
  m_Resolving = 0;
  return target;
}

void SymLinkNode::readAttributes() {
  iNode::readAttributes();
  if (hasAttribute(wxS("symlink_target_path"))) {
    m_TargetPath = getAttribute(wxS("symlink_target_path"), wxString());
  }
}

wxString SymLinkNode::getTargetPath() const { return m_TargetPath; }

void SymLinkNode::setTargetPath(const wxString& path) {
  m_TargetPath = path;
  setAttribute(wxS("symlink_target_path"), path);
}

// Lives here, beside the class it makes.
void iNode::createSymLink(const wxString& path) {
  constexpr const char* kNodeSource = "include/kivo/node/iNode";
  KivoBase* base = GetBase();
  iNode* root = GetRoot();
  const bool rootIsBase = root != nullptr && base != nullptr && root == base;
  const bool baseIsInstance = base != nullptr && base == KivoBase::s_Instance;
  auto report = [&](const wxChar* reason) {
    detail::report(LevelError,
                   wxString::Format(wxString(reason) + wxS("Could not create symlink from '%s:%s' to '%s'"),
                                    GetFullPath(), getName(), path),
                   __LINE__, kNodeSource, "createSymLink");
  };
  if (rootIsBase && baseIsInstance && !path.empty()) {
    SymLinkNode* link = dynamic_cast<SymLinkNode*>(SearchOrCreate(path, wxS("SymLink"), wxS("node")));
    if (link == nullptr) return report(wxS(""));
    link->setTargetPath(GetFullPath());
    std::printf("Created SymLink: %s -> %s\n", link->GetFullPath().utf8_str().data(),
                GetFullPath().utf8_str().data());
    return;
  }
  if (root == nullptr) report(wxS("No root: "));
  if (base == nullptr) report(wxS("No base: "));
  if (base != nullptr && root != base) report(wxS("Root is not base: "));
  if (base != nullptr && base != KivoBase::s_Instance) report(wxS("Base is not kivo base: "));
  if (path.empty()) report(wxS("Path empty: "));
}

}  // namespace KivoUnit
