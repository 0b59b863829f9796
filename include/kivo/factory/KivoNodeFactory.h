#pragma once

#include <wx/string.h>

#include "kivo/KivoExport.h"
#include "kivo/factory/iNodeFactory.h"

class TiXmlElement;

namespace KivoUnit {

// The factory of the node types built into the library, named "Kivo". Its
// "include" element pulls another XML file into the tree: the file's root element
// becomes a node tied to that file, so saving the node writes the file back.
class KIVO_API KivoNodeFactory : public iNodeFactory {
 public:
  // Includes nested deeper than this are refused (a file that includes itself).
  static constexpr int MaxIncludeDepth = 100;

  KivoNodeFactory(iNode* parent, const wxString& element);
  ~KivoNodeFactory() override;

  iNode* Create(const wxString& element, TiXmlElement* xml, iNode* parent) override;

  // Creates a new include file, holding one empty root element when the include
  // element names one ("create_node", "create_node_name"); never overwrites.
  bool CreateFileNode(const wxString& filename, TiXmlElement* xml);
  // The node made from the file an include element names, or null. Clears `xml`
  // when the file was read, so the include element is not read into the node.
  iNode* IncludeNode(iNode* parent, TiXmlElement*& xml);

 private:
  iNode* loadIncludedNode(iNode* parent, TiXmlElement*& xml, const wxString& path,
                          const wxString& prefix, bool createdFile);
  int m_IncludeDepth;
};

}  // namespace KivoUnit
