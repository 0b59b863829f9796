#pragma once

#include <vector>

#include <wx/string.h>

#include "kivo/KivoExport.h"
#include "kivo/node/iNode.h"

class TiXmlElement;

namespace KivoUnit {

// A node that creates nodes for the element names it declares. A concrete factory
// declares its names with Register in its constructor, publishes them with
// RegisterElements, and withdraws them in destroy().
class KIVO_API iNodeFactory : public iNode {
 public:
  iNodeFactory(iNode* parent, const wxString& element);
  ~iNodeFactory() override;

  void destroy() override;
  wxString Execute(const wxString& command, const wxString& params) override;

  virtual void RegisterElements();
  virtual void UnregisterElements();
  virtual iNode* Create(const wxString& element, TiXmlElement* xml, iNode* parent) = 0;
  // Reads a freshly created node; a node that fails to read is deleted.
  virtual iNode* Read(const wxString& element, iNode* node, TiXmlElement* xml);
  virtual bool Destroy(iNode* node);

  void Register(const wxString& element);
  // A key that applies only to elements directly below a node named `parent`.
  void Register(const wxString& parent, const wxString& element);
  const std::vector<wxString>& getElements() const { return m_Elements; }

  using iNode::Read;

 private:
  std::vector<wxString> m_Elements;
};

}  // namespace KivoUnit
