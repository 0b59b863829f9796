#include "kivo/node/iNode.h"

#include <algorithm>
#include <new>

#include <tinyxml.h>
#include <wx/thread.h>

#include "log/Report.h"
#include "kivo/convert/Convert.h"
#include "kivo/base/KivoBase.h"
#include "kivo/node/iNodeListener.h"
#include "node/ChildIndex.h"
#include "node/XmlLinks.h"

namespace KivoUnit {
namespace {
constexpr const char* kSourcePath = "include/kivo/node/iNode";

// What a node without an include answers. Never freed: nodes may outlive statics.
const wxString& noText() {
  static const wxString* none = new wxString();
  return *none;
}
}  // namespace

bool iNode::hasDashedName(const iNode& node) {
  const wxString& name = node.getName();
  return !name.empty() && name[0] == wxS('-');
}

unsigned int iNode::s_Constructed = 0;
unsigned int iNode::s_Destroyed = 0;

iNode::iNode(iNode* parent, const wxString& element)
    : KivoElement(element),
      m_AutoUpdateRegistered(false),
      m_AutoUpdateId(0),
      m_Parent(parent),
      m_Initialized(false),
      m_ReadOnly(false),
      m_RunTime(false),
      m_UpdateEnabled(false),
      m_ConstructionId(++s_Constructed),
      m_Creator(nullptr),
      m_NodeLock(nullptr),
      m_ElapsedTime(0.0) {
  appendClassTag(wxS(".inode"));
}

const wxString& iNode::getIncludeName() const { return m_Includes ? m_Includes->name : noText(); }
const wxString& iNode::getIncludePath() const { return m_Includes ? m_Includes->path : noText(); }

iNode::Includes& iNode::includes() {
  if (!m_Includes) m_Includes = std::make_unique<Includes>();
  return *m_Includes;
}

iNode::~iNode() {
  if (!m_Children.empty()) {
    KIVO_REPORT(LevelWarning, wxS("*** Node not destroyed properly ***"));
    KIVO_REPORT(LevelWarning, wxString::Format(wxS("Path: '%s'"), GetFullPath()));
  }
  ++s_Destroyed;
  if (m_NodeLock != nullptr) m_NodeLock->~wxCriticalSection();
  delete m_Index.load();
}

wxString iNode::describe() const {
  return wxString::Format(wxS("[%s:%s:%s]"), getElement(), getName(), getLabel());
}

void iNode::notifyListeners(const std::function<void(iNodeListener*)>& notify) const {
  // A listener may unregister itself while being told; walk a copy.
  const std::vector<iNodeListener*> listeners = m_Listeners;
  for (iNodeListener* listener : listeners) notify(listener);
}

KivoBase* iNode::owningBase() {
  if (KivoBase* base = dynamic_cast<KivoBase*>(GetRoot())) return base;
  return KivoBase::GetInstance();
}

bool iNode::rootIsBase() {
  iNode* root = GetRoot();
  return root != nullptr && root == static_cast<iNode*>(GetBase());
}

ChildIndex* iNode::usableIndex() const {
  if (m_Children.size() < ChildIndex::kMinChildren) return nullptr;
  ChildIndex* index = m_Index.load(std::memory_order_acquire);
  if (index == nullptr) {
    auto* made = new ChildIndex();
    if (m_Index.compare_exchange_strong(index, made, std::memory_order_acq_rel)) {
      index = made;
    } else {
      delete made;  // another reader made it first
    }
  }
  index->ensure(m_Children);
  return index;
}

void iNode::invalidateIndex() {
  if (ChildIndex* index = m_Index.load(std::memory_order_acquire)) index->invalidate();
}

void iNode::onIdentityChanged() {
  if (m_Parent == nullptr) return;
  m_Parent->invalidateIndex();
  if (hasDashedName(*this)) m_Parent->m_MaybeDashedChildren.store(true, std::memory_order_relaxed);
}

iNode* iNode::childByStoredName(std::wstring_view stored) const {
  if (const ChildIndex* index = usableIndex()) {
    const size_t at = index->firstByName(stored);
    return at == ChildIndex::kNone ? nullptr : m_Children[at];
  }
  for (iNode* child : m_Children) {
    if (child != nullptr && sameText(viewOf(child->getName()), stored)) return child;
  }
  return nullptr;
}

int iNode::indexOf(const iNode* child) const {
  const auto found = std::find(m_Children.begin(), m_Children.end(), child);
  return found == m_Children.end() ? -1 : static_cast<int>(found - m_Children.begin());
}

// --- identity and navigation -------------------------------------------------

iNodeFactory* iNode::getCreator() const { return m_Creator; }
void iNode::setCreator(iNodeFactory* creator) { m_Creator = creator; }
unsigned int iNode::getConstructionId() const { return m_ConstructionId; }
iNode* iNode::getThis() { return this; }

wxString iNode::About() const {
  return wxS("iNode::About() An abstract interface for nodes\n"
             "Provides basic implements of operations such as:\n"
             " - search, append, read, write, execute etc.");
}

NodeList& iNode::getChildren() {
  invalidateIndex();
  m_MaybeDashedChildren.store(true, std::memory_order_relaxed);  // the caller may add any child
  return m_Children;
}
const NodeList& iNode::getChildren() const { return m_Children; }
bool iNode::hasChildren() const { return !m_Children.empty(); }

iNode* iNode::getParent() const { return GetParent(); }
iNode* iNode::getRoot() { return GetRoot(); }
KivoBase* iNode::getBase() { return GetBase(); }
iNode* iNode::getChild(const wxString& name) const { return GetChild(name); }
bool iNode::hasChild(const wxString& name) const { return HasChild(name); }

iNode* iNode::GetParent() const { return m_Parent; }

iNode* iNode::GetRoot() {
  iNode* node = this;
  for (iNode* parent = node->getParent(); parent != nullptr; parent = parent->getParent()) {
    node = parent;
  }
  return node;
}

KivoBase* iNode::GetBase() {
  return m_Parent != nullptr ? m_Parent->GetBase() : KivoBase::s_Instance.load();
}

iNode* iNode::GetChild(const wxString& name) const {
  const std::wstring_view key = viewOf(name);
  const bool plain = encodesToItself(key.data(), key.size());
  if (const ChildIndex* index = usableIndex()) {
    // The first in order of: a stored name, the encoded name, a label.
    size_t first = std::min(index->firstByName(key), index->firstByLabel(key));
    if (!plain) first = std::min(first, index->firstByName(viewOf(encode(name))));
    return first == ChildIndex::kNone ? nullptr : m_Children[first];
  }
  const wxString encoded = plain ? name : encode(name);
  for (iNode* child : m_Children) {
    if (child == nullptr) continue;
    const wxString& stored = child->getName();
    if (stored == name || stored == encoded || child->hasLabel(name)) return child;
  }
  return nullptr;
}

bool iNode::HasChild(const wxString& name) const { return GetChild(name) != nullptr; }

bool iNode::hasChildNode(const iNode* child) const { return indexOf(child) >= 0; }

bool iNode::eraseChildNode(const iNode* child) {
  invalidateIndex();
  bool found = false;
  for (iNode*& entry : m_Children) {
    if (entry == child) {
      entry = nullptr;
      found = true;
    }
  }
  return found;
}

iNode* iNode::getFirstChild() const { return m_Children.empty() ? nullptr : m_Children.front(); }

iNode* iNode::getFirstChildElement(const wxString& element) const {
  for (iNode* child : m_Children) {
    if (child != nullptr && child->getElement() == element) return child;
  }
  return nullptr;
}

void iNode::getChildrenSortedByReverseConstructionId(NodesByReverseConstructionId& out) const {
  for (const iNode* child : m_Children) {
    if (child == nullptr) continue;
    out[child->getConstructionId()] = child->GetFullPath();
    child->getChildrenSortedByReverseConstructionId(out);
  }
}

wxCriticalSection& iNode::getNodeLock() {
  static_assert(sizeof(wxCriticalSection) <= sizeof(m_NodeLockRoom) &&
                alignof(wxCriticalSection) <= alignof(void*));
  if (m_NodeLock == nullptr) m_NodeLock = new (m_NodeLockRoom) wxCriticalSection();
  return *m_NodeLock;
}

// --- structure ---------------------------------------------------------------

bool iNode::AppendChild(iNode* child, iNode* parent, bool makeTie) {
  if (parent == nullptr) parent = this;
  if (child == parent) {
    return KIVO_FAIL(false, LevelError,
                     wxString::Format(wxS("Aborted append to self. Node [%s:%s:%s] @ '%s' is "
                                          "the same as parent."),
                                      child->getElement(), child->getName(), child->getLabel(),
                                      child->GetFullPath()));
  }
  if (child == nullptr) {
    return KIVO_FAIL(false, LevelError,
                     wxString::Format(wxS("Aborted append to '%s'. Node null."),
                                      parent->GetFullPath()));
  }
  if (child->getParent() != nullptr) {
    return KIVO_FAIL(false, LevelError,
                     wxString::Format(wxS("Aborted append to '%s'. Node [%s:%s:%s] @ '%s' "
                                          "already had a parent."),
                                      parent->GetFullPath(), child->getElement(),
                                      child->getName(), child->getLabel(), child->GetFullPath()));
  }
  if (child->getName().empty()) {
    return KIVO_FAIL(false, LevelError,
                     wxString::Format(wxS("Aborted append to '%s' '%s'. Node [%s:%s:%s] @ '%s' "
                                          "has no name."),
                                      parent->getElement(), parent->GetFullPath(),
                                      child->getElement(), child->getName(), child->getLabel(),
                                      child->GetFullPath()));
  }
  parent->AppendChildNode(child, makeTie);
  return true;
}

void iNode::AppendChildNode(iNode* child, bool makeTie) {
  if (child == nullptr) return;
  {
    wxCriticalSectionLocker lock(getNodeLock());
    if (makeTie && getTie() != nullptr) {
      const TiXmlElement element(Convert::StringToSTD(child->getElement()));
      TiXmlNode* inserted = getTie()->InsertEndChild(element);
      child->setTie(inserted ? inserted->ToElement() : nullptr);
    }
    child->m_Parent = this;
    child->m_MaybeListed = true;
    m_Children.push_back(child);
    if (hasDashedName(*child)) m_MaybeDashedChildren.store(true, std::memory_order_relaxed);
    if (ChildIndex* index = m_Index.load(std::memory_order_acquire)) index->appended(m_Children);
  }
  if (!child->isInitialized() && rootIsBase()) child->Init();
}

bool iNode::append(iNode* child) {
  if (child == nullptr || child->getParent() != nullptr) return false;
  wxString name = child->getName();
  wxString label = child->getLabel();
  generateChildName(name, label);
  child->setName(name);
  child->setLabel(label);
  child->writeAttributes();
  return AppendChild(child, nullptr, false);
}

iNode* iNode::CreateChild(const wxString& name, const wxString& type, const wxString& label,
                          bool makeTie) {
  KivoBase* base = owningBase();
  if (base == nullptr) return nullptr;
  iNode* node = base->CreateNode(type, nullptr, nullptr);
  if (node == nullptr) return nullptr;
  wxString childName = name;
  wxString childLabel = label.empty() ? name : label;
  generateChildName(childName, childLabel);
  node->setName(childName);
  node->setLabel(childLabel);
  AppendChild(node, nullptr, makeTie);
  return node;
}

void iNode::DestroyChild(iNode* child) {
  ChildIndex* index = m_Index.load(std::memory_order_acquire);
  if (!m_Children.empty() && m_Children.back() == child && child != nullptr) {
    // Children leave from the back when a tree is taken down: no scan of the list.
    // A node is listed once (AppendChild takes only nodes without a parent).
    m_Children.pop_back();
    if (index != nullptr) index->droppedLast(child, m_Children.size());
  } else {
    m_Children.erase(std::remove(m_Children.begin(), m_Children.end(), child), m_Children.end());
    if (index != nullptr) index->invalidate();
  }
  if (child == nullptr) return;
  child->m_MaybeListed = false;
  KivoBase* base = owningBase();
  // A node no factory could destroy lives on, detached: it must not point back
  // at a parent that may be gone before it.
  if (base == nullptr || !base->DestroyNode(child)) child->m_Parent = nullptr;
}

void iNode::detachFromParent() {
  if (m_Parent == nullptr) return;
  if (m_MaybeListed) m_Parent->eraseChildNode(this);
  m_Parent = nullptr;
}

void iNode::RemoveChild(iNode* child) {
  if (child == nullptr) return;
  child->RemoveAllChildren();
  TiXmlElement* tie = child->getTie();
  if (tie != nullptr && tie->Parent() != nullptr) {
    tie->Parent()->RemoveChild(tie);
    child->setTie(nullptr);
  }
  DestroyChild(child);
}

void iNode::RemoveChild(const wxString& name) {
  if (HasChild(name)) RemoveChild(GetChild(name));
}

void iNode::RemoveAllChildren() {
  takeChildrenFromBack(static_cast<void (iNode::*)(iNode*)>(&iNode::RemoveChild));
}

void iNode::takeChildrenFromBack(void (iNode::*take)(iNode*)) {
  // `take` drops the entry of the child it is given; empty entries are dropped here.
  while (!m_Children.empty()) {
    iNode* last = m_Children.back();
    if (last == nullptr) {
      m_Children.pop_back();
    } else {
      (this->*take)(last);
    }
  }
}

// --- ordering ----------------------------------------------------------------

namespace {

bool siblingsUnder(const TiXmlElement* parent, const TiXmlElement* a, const TiXmlElement* b) {
  return a->Parent() == parent && b->Parent() == parent;
}

// Puts each of two sibling elements where the other stood. Neighbours need one move;
// elements further apart swap through the place that follows `b`.
void exchangeElements(TiXmlElement* a, TiXmlElement* b) {
  if (a->NextSibling() == b) {
    XmlLinks::moveBefore(b, a);
  } else if (b->NextSibling() == a) {
    XmlLinks::moveBefore(a, b);
  } else {
    TiXmlNode* afterB = b->NextSibling();
    TiXmlNode* owner = b->Parent();
    XmlLinks::moveBefore(b, a);
    if (afterB != nullptr) {
      XmlLinks::moveBefore(a, afterB);
    } else {
      XmlLinks::moveAfter(a, owner->LastChild());
    }
  }
}

}  // namespace

bool iNode::swapChildren(iNode* a, iNode* b) {
  wxCriticalSectionLocker lock(getNodeLock());
  const int ia = indexOf(a);
  const int ib = indexOf(b);
  if (a == nullptr || b == nullptr || ia < 0 || ib < 0) return false;
  std::swap(m_Children[ia], m_Children[ib]);
  invalidateIndex();
  TiXmlElement* parentTie = getTie();
  TiXmlElement* tieA = a->getTie();
  TiXmlElement* tieB = b->getTie();
  if (parentTie == nullptr || tieA == nullptr || tieB == nullptr) return true;
  // Exchange the elements' places, not their content, so every tie below stays valid.
  if (tieA != tieB && siblingsUnder(parentTie, tieA, tieB)) exchangeElements(tieA, tieB);
  return a->getTie() != nullptr && b->getTie() != nullptr;
}

bool iNode::swapChildren(const wxString& nameA, const wxString& nameB) {
  iNode* a = GetChild(nameA);
  iNode* b = GetChild(nameB);
  return a != nullptr && b != nullptr && swapChildren(a, b);
}

bool iNode::sortChildrenByAttribute(const wxString&, SortOrder) { return false; }
bool iNode::sortChildrenByLabel(SortOrder) { return false; }

void iNode::moveChildAfter(iNode* node, iNode* reference) {
  wxCriticalSectionLocker lock(getNodeLock());
  if (node == nullptr || reference == nullptr || node == reference) return;
  TiXmlElement* parentTie = getTie();
  if (parentTie == nullptr || node->getTie() == nullptr || reference->getTie() == nullptr) return;
  if (indexOf(node) >= 0 && indexOf(reference) >= 0) {
    m_Children.erase(m_Children.begin() + indexOf(node));
    m_Children.insert(m_Children.begin() + indexOf(reference) + 1, node);
    invalidateIndex();
  }
  if (siblingsUnder(parentTie, node->getTie(), reference->getTie())) {
    XmlLinks::moveAfter(node->getTie(), reference->getTie());
  }
}

void iNode::moveChildBefore(iNode* node, iNode* reference) {
  wxCriticalSectionLocker lock(getNodeLock());
  if (node == nullptr || reference == nullptr || node == reference) return;
  if (indexOf(node) >= 0 && indexOf(reference) >= 0) {
    m_Children.erase(m_Children.begin() + indexOf(node));
    m_Children.insert(m_Children.begin() + indexOf(reference), node);
    invalidateIndex();
  }
  TiXmlElement* parentTie = getTie();
  if (parentTie != nullptr && node->getTie() != nullptr && reference->getTie() != nullptr &&
      siblingsUnder(parentTie, node->getTie(), reference->getTie())) {
    XmlLinks::moveBefore(node->getTie(), reference->getTie());
  }
}

}  // namespace KivoUnit
