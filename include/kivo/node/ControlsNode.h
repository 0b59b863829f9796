#pragma once

#include "kivo/KivoExport.h"
#include "kivo/node/iNode.h"

namespace KivoUnit {

// A container of control nodes, stepped with a time and triggered by event type.
class KIVO_API ControlsNode : public iNode {
 public:
  ControlsNode(iNode* parent, const wxString& element);
  ~ControlsNode() override;

  // updateControl on every control child; true unless one of them answered false.
  virtual bool updateControls(float dt);
  // executeControl on every control child of that event type; true unless one failed.
  virtual bool executeControls(const wxString& eventType);
};

}  // namespace KivoUnit
