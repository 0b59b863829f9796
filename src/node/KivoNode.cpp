#include "kivo/node/KivoNode.h"

namespace KivoUnit {

KivoNode::KivoNode(iNode* parent, const wxString& element, const wxString& name,
                   const wxString& brief)
    : iNode(parent, element) {
  appendClassTag(wxS(".node"));
  setName(name);
  setBrief(brief);
}

KivoNode::~KivoNode() = default;

}  // namespace KivoUnit
