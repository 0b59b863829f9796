#include <cstdio>

#include "log/Report.h"
#include "kivo/base/KivoBase.h"
#include "kivo/app/UpdateEvent.h"
#include "kivo/node/iNode.h"
#include "kivo/node/iNodeListener.h"
#include "kivo/update/KivoAutoUpdater.h"

namespace KivoUnit {
namespace {

constexpr const char* kSourcePath = "include/kivo/node/iNode";

void writeLine(std::FILE* stream, const wxString& message) {
  const wxScopedCharBuffer utf8 = message.utf8_str();
  std::fprintf(stream, "%s\n", utf8.data());
  std::fflush(stream);
}

// The base at the root of `node`'s tree when that is not the node itself.
const KivoBase* routingBase(const iNode* node) {
  const iNode* root = node;
  while (root->getParent() != nullptr) root = root->getParent();
  return root == node ? nullptr : dynamic_cast<const KivoBase*>(root);
}

// Only a KivoAutoUpdater at "/kivo/AutoUpdater" of the node's own tree counts.
KivoAutoUpdater* findAutoUpdater(iNode* node) {
  iNode* root = node->GetRoot();
  return root != nullptr ? dynamic_cast<KivoAutoUpdater*>(root->Search(wxS("/kivo/AutoUpdater")))
                         : nullptr;
}

}  // namespace

// --- initialisation and clean-up ---------------------------------------------

bool iNode::Init() {
  if (!rootIsBase()) return false;
  // Each child's Init clears its own children, so only this level is cleared here;
  // a full CleanUp per node would walk every subtree once per level above it.
  dropDashedChildren();
  static const wxString kInterval(wxS("auto_update_interval"));
  if (hasAttribute(kInterval)) registerAutoUpdater(getDoubleAttribute(kInterval, 1.0));
  for (size_t i = 0; i < m_Children.size(); ++i) {
    if (iNode* child = m_Children[i]) child->Init();
  }
  m_Initialized = true;
  return true;
}

bool iNode::isInitialized() const { return m_Initialized; }

bool iNode::CleanUp() {
  dropDashedChildren();
  for (size_t i = 0; i < m_Children.size(); ++i) {
    if (iNode* child = m_Children[i]) child->CleanUp();
  }
  return true;
}

void iNode::dropDashedChildren() {
  // Most nodes have no such child: a plain read first leaves their flag unwritten.
  if (!m_MaybeDashedChildren.load(std::memory_order_relaxed) ||
      !m_MaybeDashedChildren.exchange(false, std::memory_order_relaxed)) {
    return;
  }
  NodeList& children = m_Children;
  KivoBase* base = nullptr;
  for (size_t i = 0; i < children.size();) {
    iNode* child = children[i];
    if (child == nullptr || !hasDashedName(*child)) {
      ++i;
      continue;
    }
    children.erase(children.begin() + static_cast<long>(i));
    invalidateIndex();
    if (base == nullptr) base = owningBase();
    if (base != nullptr) base->DestroyNode(child);
  }
}

void iNode::destroy() {
  if (m_AutoUpdateRegistered) unregisterAutoUpdater();
  notifyListeners([this](iNodeListener* listener) {
    listener->onDeleted(this);
    listener->removeNode(this);
  });
  m_Listeners.clear();
  takeChildrenFromBack(&iNode::DestroyChild);
  detachFromParent();
}

// --- updating ----------------------------------------------------------------

void iNode::AutoUpdate(double) {}

// The interval always comes from the node's own attribute, in single precision.
void iNode::registerAutoUpdater(double) {
  KivoAutoUpdater* updater = findAutoUpdater(this);
  if (updater == nullptr) return;
  const float seconds = static_cast<float>(getDoubleAttribute(wxS("auto_update_interval"), 1.0));
  m_AutoUpdateId = updater->registerNode(GetFullPath(), seconds);
  m_AutoUpdateRegistered = true;
}

bool iNode::unregisterAutoUpdater() {
  KivoAutoUpdater* updater = findAutoUpdater(this);
  if (updater == nullptr) return false;
  m_AutoUpdateRegistered = false;
  return updater->unregisterNode(m_AutoUpdateId);
}

double iNode::getAutoUpdateInterval() {
  KivoAutoUpdater* updater = findAutoUpdater(this);
  return updater != nullptr ? updater->getNodeUpdateInterval(GetFullPath()) : 0.0;
}

bool iNode::Update(bool recursive) {
  bool result = true;
  if (recursive) {
    for (size_t i = 0; i < m_Children.size(); ++i) {
      iNode* child = m_Children[i];
      if (child != nullptr && !child->Update(true)) result = false;
    }
  }
  notifyListeners([this](iNodeListener* listener) { listener->onUpdate(this); });
  return result;
}

bool iNode::Update(UpdateEvent& event) {
  if (!m_UpdateEnabled) return true;
  m_ElapsedTime += event.getDeltaTime();
  bool result = true;
  for (size_t i = 0; i < m_Children.size(); ++i) {
    iNode* child = m_Children[i];
    if (child != nullptr && !child->Update(event)) result = false;
  }
  notifyListeners([this](iNodeListener* listener) { listener->onUpdate(this); });
  return result;
}

void iNode::ReportShutdown() {
  for (size_t i = 0; i < m_Children.size(); ++i) {
    if (iNode* child = m_Children[i]) child->ReportShutdown();
  }
  OnShutdown();
}

void iNode::OnShutdown() {}

void iNode::ReportBeforeSave() {
  OnBeforeSave();
  for (size_t i = 0; i < m_Children.size(); ++i) {
    if (iNode* child = m_Children[i]) child->ReportBeforeSave();
  }
}

void iNode::OnBeforeSave() {}

// --- read-only ---------------------------------------------------------------

bool iNode::isReadOnly() const {
  for (const iNode* node = this; node != nullptr; node = node->getParent()) {
    if (node->m_ReadOnly) return true;
    // A node that loaded its own document is the edge of read-only inheritance.
    if (node->getSourceDocument() != nullptr) return false;
  }
  return false;
}

void iNode::setReadOnly(bool readOnly) { m_ReadOnly = readOnly; }

bool iNode::isRunTime() const {
  for (const iNode* node = this; node != nullptr; node = node->getParent()) {
    if (node->m_RunTime) return true;
  }
  return false;
}

// --- commands and messages ---------------------------------------------------

wxString iNode::Execute(const wxString& command, const wxString& params) {
  notifyListeners(
      [&](iNodeListener* listener) { listener->onExecute(this, command, params); });
  return wxString();
}

void iNode::Log(const wxString& message) const {
  if (const KivoBase* base = routingBase(this)) return base->Log(message);
  writeLine(stdout, message);
}

void iNode::Debug(const wxString& message) const {
  if (const KivoBase* base = routingBase(this)) return base->Debug(message);
  writeLine(stdout, message);
}

void iNode::Warning(const wxString& message) const {
  if (const KivoBase* base = routingBase(this)) return base->Warning(message);
  writeLine(stderr, message);
}

void iNode::Error(const wxString& message) const {
  if (const KivoBase* base = routingBase(this)) return base->Error(message);
  writeLine(stderr, message);
}

void iNode::FatalError(const wxString& message) const {
  if (const KivoBase* base = routingBase(this)) return base->FatalError(message);
  writeLine(stderr, message);
}

void iNode::Log(const wxString& a, const wxString& b) {
  notifyListeners([&](iNodeListener* listener) { listener->onLog(this, a, b); });
}

// --- listeners -----------------------------------------------------------------

void iNode::RegisterListener(iNodeListener* listener) {
  if (listener == nullptr) return;
  for (const iNodeListener* known : m_Listeners) {
    if (known == listener) return;
  }
  m_Listeners.push_back(listener);
  listener->registerNode(this);
}

void iNode::RemoveListener(iNodeListener* listener) {
  for (auto it = m_Listeners.begin(); it != m_Listeners.end(); ++it) {
    if (*it != listener) continue;
    listener->removeNode(this);
    m_Listeners.erase(it);
    return;
  }
  Debug(wxS("RemoveListener did not find the listener"));
}

}  // namespace KivoUnit
