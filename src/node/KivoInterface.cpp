#include "kivo/node/KivoInterface.h"

namespace KivoUnit {

KivoInterface::KivoInterface(iNode* parent, const wxString& element) : iNode(parent, element) {
  appendClassTag(wxS(".interface"));
}

KivoInterface::~KivoInterface() = default;

}  // namespace KivoUnit
