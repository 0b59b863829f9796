#include "kivo/Indent.h"
#include "kivo/node/iNode.h"

// The Info and State reports of a node.
namespace KivoUnit {

wxString iNode::Info(const Indent&) const { return wxString(); }
wxString iNode::State(const Indent&, const wxString&) const { return wxString(); }
wxString iNode::InitXML(const Indent& indent, const wxString& extra) const {
  return KivoElement::InitXML(indent, extra);
}
wxString iNode::EndXML(const Indent& indent) const { return KivoElement::EndXML(indent); }

}  // namespace KivoUnit
