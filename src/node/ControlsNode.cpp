#include "kivo/node/ControlsNode.h"

#include "kivo/node/ControlNode.h"

namespace KivoUnit {

ControlsNode::ControlsNode(iNode* parent, const wxString& element) : iNode(parent, element) {
  appendClassTag(wxS(".controlsnode"));
}

ControlsNode::~ControlsNode() = default;

bool ControlsNode::updateControls(float dt) {
  bool result = true;
  for (iNode* child : static_cast<const iNode*>(this)->getChildren()) {
    if (auto* control = dynamic_cast<ControlNode*>(child)) {
      if (!control->updateControl(dt)) result = false;
    }
  }
  return result;
}

bool ControlsNode::executeControls(const wxString& eventType) {
  bool result = true;
  for (iNode* child : static_cast<const iNode*>(this)->getChildren()) {
    auto* control = dynamic_cast<ControlNode*>(child);
    if (control != nullptr && control->getEventType() == eventType && !control->executeControl()) {
      result = false;
    }
  }
  return result;
}

}  // namespace KivoUnit
