#include "kivo/node/iNodeListener.h"

#include <algorithm>

#include "kivo/node/iNode.h"

namespace KivoUnit {

iNodeListener::~iNodeListener() {
  std::vector<iNode*> nodes;
  nodes.swap(m_Nodes);
  for (iNode* node : nodes) node->RemoveListener(this);
}

void iNodeListener::onUpdate(const iNode*) {}
void iNodeListener::onExecute(const iNode*, const wxString&, const wxString&) {}
void iNodeListener::onLog(const iNode*, const wxString&, const wxString&) {}
void iNodeListener::onDeleted(const iNode*) {}
void iNodeListener::onNameChanged(const iNode*, const wxString&) {}
void iNodeListener::onLabelChanged(const iNode*, const wxString&) {}
void iNodeListener::onAttributeChanged(const iNode*, const wxString&, const wxString&) {}

void iNodeListener::registerNode(iNode* node) { m_Nodes.push_back(node); }

void iNodeListener::removeNode(iNode* node) {
  const auto found = std::find(m_Nodes.begin(), m_Nodes.end(), node);
  if (found != m_Nodes.end()) m_Nodes.erase(found);
}

}  // namespace KivoUnit
