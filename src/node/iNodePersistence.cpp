#include <wx/filename.h>

#include "Report.h"
#include "kivo/Indent.h"
#include "kivo/KivoBase.h"
#include "kivo/node/iNode.h"

// Reading, writing and saving nodes, copying subtrees, locating files.
namespace KivoUnit {

bool iNode::Read(TiXmlElement* element) { return KivoElement::Read(element); }
bool iNode::Write() { return KivoElement::Write(); }
bool iNode::Save() { return KivoElement::Save(); }
void iNode::readAttributes() { KivoElement::readAttributes(); }
void iNode::writeAttributes() { KivoElement::writeAttributes(); }
void iNode::readRecursiveAttributes() {}
iNode* iNode::Parse(const wxString&, const wxString&) { return nullptr; }
iNode* iNode::CopyChild(iNode*, iNode*, bool) { return nullptr; }
wxFileName iNode::FindFilename(const wxString& name) { return wxFileName(name); }

}  // namespace KivoUnit
