#pragma once

#include "kivo/KivoExport.h"
#include "kivo/node/iNode.h"

namespace KivoUnit {

// The plain node of configurations (element "node").
class KIVO_API KivoNode : public iNode {
 public:
  KivoNode(iNode* parent, const wxString& element, const wxString& name = wxString(),
           const wxString& brief = wxString());
  ~KivoNode() override;
};

}  // namespace KivoUnit
