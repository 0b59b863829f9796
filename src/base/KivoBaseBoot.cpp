// Booting the tree from a configuration file, the fixed registration paths, and
// shutting the tree down again.
#include <algorithm>
#include <utility>
#include <vector>

#include <tinyxml.h>
#include <wx/datetime.h>
#include <wx/filefn.h>
#include <wx/filename.h>

#include "log/Report.h"
#include "kivo/base/KivoBase.h"
#include "kivo/factory/KivoNodeFactory.h"
#include "kivo/node/KivoNode.h"
#include "kivo/plugin/iPlugin.h"
#include "xml/InputChecks.h"

namespace KivoUnit {
namespace {

constexpr const char* kSourcePath = "include/kivo/KivoBase";
constexpr const wxChar* kBootPath = wxS("/kivo/current/boot");
constexpr const wxChar* kFactoriesPath = wxS("/kivo/current/factories");
constexpr const wxChar* kPluginsPath = wxS("/kivo/current/plugins");

// Calls `visit` for every node below `top` (not `top` itself), links as themselves.
// The child lists are only read: their indexes stay valid.
template <typename Visit>
void forEachBelow(const iNode& top, Visit visit) {
  std::vector<const iNode*> pending(1, &top);
  while (!pending.empty()) {
    const iNode* node = pending.back();
    pending.pop_back();
    for (iNode* child : node->getChildren()) {
      if (child == nullptr) continue;
      visit(*child);
      pending.push_back(child);
    }
  }
}

// True when every node below `top` is newer than the one before it in document
// order, as in a tree read from files: newest first is then document order reversed.
// The walk keeps one entry per level, so a wide or large tree costs no large block.
bool madeInDocumentOrder(const iNode& top) {
  std::vector<std::pair<const iNode*, size_t>> levels(1, {&top, 0});
  unsigned int previous = 0;
  while (!levels.empty()) {
    auto& [node, next] = levels.back();
    const NodeList& children = node->getChildren();
    if (next >= children.size()) {
      levels.pop_back();
      continue;
    }
    const iNode* child = children[next++];
    if (child == nullptr) continue;
    const unsigned int id = child->getConstructionId();
    if (id <= previous) return false;
    previous = id;
    levels.emplace_back(child, 0);
  }
  return true;
}

// Calls `visit(node, empty path)` for every node below `top` in reverse document
// order: the last child's subtree before the child, later siblings first. Each
// level is read afresh after every visit, so a visit may take its node away.
template <typename VisitNode>
void forEachInReverseDocumentOrder(const iNode& top, VisitNode visit) {
  struct Level {
    const iNode* node;
    iNode* visited;  // null for `top`
    size_t left;     // children not yet walked, taken from the back
  };
  std::vector<Level> levels(1, {&top, nullptr, top.getChildren().size()});
  const wxString still;
  while (!levels.empty()) {
    Level& level = levels.back();
    const NodeList& children = level.node->getChildren();
    level.left = std::min(level.left, children.size());
    if (level.left == 0) {
      iNode* done = level.visited;
      levels.pop_back();
      if (done != nullptr) visit(done, still);
      continue;
    }
    iNode* child = children[--level.left];
    if (child != nullptr) levels.push_back({child, child, std::as_const(*child).getChildren().size()});
  }
}

// One node of the tree as it stood before a walk that destroys nodes.
struct Visit {
  unsigned int id;
  int path;  // into the paths kept for nodes that may be gone before their turn, or -1
  iNode* node;
  bool gone;
};

// Calls `visit(node, path)` for every node below `top`, newest first. Nodes are found
// as themselves, not by path: a node that shares its name with an earlier sibling is
// reached by no path. `node` is null for one already gone with an ancestor that
// `visit` destroyed before it (a node moved under a newer one); `path` is its full
// path then, and empty for a node that is still there.
template <typename VisitNode>
void forEachNewestFirst(const iNode& top, VisitNode visit) {
  if (madeInDocumentOrder(top)) {
    forEachInReverseDocumentOrder(top, visit);
    return;
  }
  std::vector<Visit> order;
  // A hint, the nodes alive in the process, within reason.
  order.reserve(std::min(iNode::s_Constructed - iNode::s_Destroyed, 1u << 20));
  std::vector<wxString> paths;
  const auto keepPath = [&paths](const iNode& node) {
    paths.push_back(node.GetFullPath());
    return static_cast<int>(paths.size() - 1);
  };
  // In document order, with the newest ancestor of each node: a node older than one
  // of its ancestors goes with that ancestor, so its path is taken while it is there.
  std::vector<std::pair<iNode*, unsigned int>> pending;
  const auto pushChildren = [&pending](const iNode& node, unsigned int newest) {
    const NodeList& children = node.getChildren();
    for (auto child = children.rbegin(); child != children.rend(); ++child) {
      if (*child != nullptr) pending.emplace_back(*child, newest);
    }
  };
  pushChildren(top, 0u);
  while (!pending.empty()) {
    const auto [node, newestAbove] = pending.back();
    pending.pop_back();
    const unsigned int id = node->getConstructionId();
    order.push_back({id, id < newestAbove ? keepPath(*node) : -1, node, false});
    pushChildren(*node, std::max(id, newestAbove));
  }
  // Not in document order (madeInDocumentOrder said so): sorted newest first.
  std::sort(order.begin(), order.end(), [](const Visit& a, const Visit& b) { return a.id > b.id; });
  const auto entryOf = [&order](unsigned int id) -> Visit* {
    const auto found = std::lower_bound(
        order.begin(), order.end(), id, [](const Visit& entry, unsigned int key) { return entry.id > key; });
    return found != order.end() && found->id == id ? &*found : nullptr;
  };
  const wxString still;
  for (Visit& entry : order) {
    if (entry.gone) {
      visit(nullptr, paths[static_cast<size_t>(entry.path)]);
      continue;
    }
    entry.gone = true;
    // Whatever hangs below the node now goes with it.
    if (!std::as_const(*entry.node).getChildren().empty()) {
      forEachBelow(*entry.node, [&](iNode& below) {
        Visit* listed = entryOf(below.getConstructionId());
        if (listed == nullptr || listed->gone) return;
        listed->gone = true;
        if (listed->path < 0) listed->path = keepPath(below);
      });
    }
    visit(entry.node, still);
  }
}

wxString stampOf(const wxDateTime& time) { return time.Format(wxS("%Y.%m.%d %H:%M:%S")); }

// Makes `folder` the working directory for the scope's life and restores the previous
// one on every way out.
class WorkingDirectory {
 public:
  explicit WorkingDirectory(const wxString& folder) : m_Previous(wxGetCwd()) {
    if (!folder.empty()) wxSetWorkingDirectory(folder);
  }
  ~WorkingDirectory() { wxSetWorkingDirectory(m_Previous); }
  WorkingDirectory(const WorkingDirectory&) = delete;
  WorkingDirectory& operator=(const WorkingDirectory&) = delete;

 private:
  wxString m_Previous;
};

}  // namespace

bool KivoBase::Boot(const wxString& filename) {
  const wxDateTime start = wxDateTime::Now();
  const wxString path = FindFilename(filename).GetFullPath();
  // The nodes of an earlier boot are tied to the document Load is about to free.
  dropConfiguration();
  // A file that is there but does not parse is reported as a read failure below.
  if (!Load(path) && GetXmlError().empty()) {
    const wxString refusal = detail::lastRefusal();
    Error(refusal.empty() ? wxString::Format(wxS("Loading file '%s' failed"), getFilename()) : refusal);
    return false;
  }
  if (m_DefaultFactory != nullptr) {
    m_DefaultFactory->destroy();
    delete m_DefaultFactory;
  }
  m_DefaultFactory = new KivoNodeFactory(nullptr, wxS("factory"));
  TiXmlElement* root = getSourceDocument() != nullptr && GetXmlError().empty()
                           ? getDocument()->RootElement()
                           : nullptr;
  bool read = false;
  if (root != nullptr) {
    // Include files and other relative names in the configuration are relative to
    // the configuration's own folder.
    const WorkingDirectory beside(wxFileName(getFilename()).GetPath(wxPATH_GET_VOLUME));
    read = Read(root);
  }
  if (!read) {
    // A document of declarations and comments only parses without error.
    const wxString reason = GetXmlError().empty() && root == nullptr ? wxString(wxS("no root element"))
                                                                     : GetXmlError();
    Error(wxString::Format(wxS("Kivo read failure on '%s': '%s'"), getFilename(), reason));
    return false;
  }
  if (!RegisterFactory(m_DefaultFactory)) {
    Warning(wxS("Could not register default factory to node tree"));
  }
  GenerateRunTimePath(kBootPath);
  const wxDateTime stop = wxDateTime::Now();
  // A second boot replaces the stamps of the first.
  if (iNode* stamps = Search(kBootPath)) {
    stamps->RemoveChild(wxS("start"));
    stamps->RemoveChild(wxS("stop"));
  }
  for (auto [name, time] : {std::make_pair(wxS("start"), start), std::make_pair(wxS("stop"), stop)}) {
    auto* stamp = new KivoNode(nullptr, wxS("node"), name, stampOf(time));
    stamp->setRunTime(true);
    if (!Append(kBootPath, stamp)) delete stamp;
  }
  return true;
}

void KivoBase::dropConfiguration() {
  if (getTie() == nullptr && getSourceDocument() == nullptr) return;  // never booted
  forEachNewestFirst(*this, [](iNode* node, const wxString&) {
    if (node == nullptr || node->isRunTime()) return;  // gone with an ancestor, or kept
    if (iNode* parent = node->getParent()) parent->DestroyChild(node);
  });
  // What the root element said goes with it; the next Read ties the base anew.
  setTie(nullptr);
  getAttributeSet().clear();
}

bool KivoBase::RegisterFactory(iNodeFactory* factory) {
  return registerAt(factory, kFactoriesPath, wxS("Factory"));
}

bool KivoBase::RegisterPlugin(iPlugin* plugin) {
  return registerAt(plugin, kPluginsPath, wxS("Plugin"));
}

bool KivoBase::registerAt(iNode* node, const wxString& path, const wxString& kind) {
  if (node == nullptr) return false;
  if (node->getParent() != nullptr) {
    Warning(wxString::Format(wxS("%s '%s:%s@%s' already has a parent"), kind, node->getElement(),
                             node->getName(), node->GetFullPath()));
    return true;
  }
  // Run-time nodes, no part of the configuration: without XML elements, and never
  // written, even when they end up below a node of the configuration.
  GenerateRunTimePath(path);
  auto* container = dynamic_cast<KivoNode*>(Search(path));
  if (container == nullptr) {
    return KIVO_FAIL(false, LevelError,
                     wxString::Format(wxS("'%s' '%s' %s could not be added to path '%s'"),
                                      node->getElement(), node->getName(), kind.Lower(), path));
  }
  node->setRunTime(true);
  container->AppendChild(node, nullptr, false);
  return true;
}

bool KivoBase::Append(const wxString& path, iNode* node) {
  if (node == nullptr) return false;
  iNode* found = Search(path);
  if (found == nullptr) {
    Error(wxString::Format(wxS("Append of node '%s:%s' failed, path '%s' not found"),
                           node->getElement(), node->getName(), path));
    return false;
  }
  if (found->AppendChild(node, nullptr, false)) return true;
  Error(wxString::Format(wxS("Append of node '%s:%s' to '%s' '%s' failed"), node->getElement(),
                         node->getName(), path, found->getName()));
  return false;
}

bool KivoBase::Shutdown() {
  // The default factory destroys the nodes it made, so it goes last; no factory
  // made it, so it leaves the tree first.
  if (m_DefaultFactory != nullptr) m_DefaultFactory->detachFromParent();
  wxString missing;
  forEachNewestFirst(*this, [&missing](iNode* node, const wxString& path) {
    if (node == nullptr) {
      missing += wxString::Format(wxS("No '%s'\n"), path);
    } else if (iNode* parent = node->getParent()) {
      parent->DestroyChild(node);
    } else {
      detail::report(LevelWarning, wxString::Format(wxS("No parent for '%s'"), node->GetFullPath()), __LINE__,
                     kSourcePath, "Shutdown");
    }
  });
  if (!missing.empty()) KIVO_REPORT(LevelWarning, missing);
  RemoveAllChildren();  // anything left, while the default factory can still destroy it
  if (m_DefaultFactory != nullptr) {
    // The library's stop clears the instance first, so the factory cannot find
    // this base to withdraw its names: withdraw them here.
    m_Factories.UnregisterFactory(m_DefaultFactory);
    m_DefaultFactory->destroy();
    delete m_DefaultFactory;
    m_DefaultFactory = nullptr;
  }
  return true;
}

}  // namespace KivoUnit
