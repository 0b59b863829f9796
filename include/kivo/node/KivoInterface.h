#pragma once

#include "kivo/KivoExport.h"
#include "kivo/node/iNode.h"

namespace KivoUnit {

// A plain node that stands for an interface (element "interface").
class KIVO_API KivoInterface : public iNode {
 public:
  KivoInterface(iNode* parent, const wxString& element);
  ~KivoInterface() override;
};

}  // namespace KivoUnit
