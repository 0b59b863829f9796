#pragma once

#include <vector>

#include <wx/string.h>

#include "kivo/KivoExport.h"

namespace KivoUnit {

class iNode;

// Observes any number of nodes. The notifications do nothing here; observers
// override the ones they need. A listener removes itself from its nodes when it
// is destroyed.
class KIVO_API iNodeListener {
 public:
  iNodeListener() = default;
  iNodeListener(const iNodeListener&) = delete;
  iNodeListener& operator=(const iNodeListener&) = delete;
  virtual ~iNodeListener();

  virtual void onUpdate(const iNode* node);
  virtual void onExecute(const iNode* node, const wxString& command, const wxString& params);
  virtual void onLog(const iNode* node, const wxString& a, const wxString& b);
  virtual void onDeleted(const iNode* node);
  virtual void onNameChanged(const iNode* node, const wxString& name);
  virtual void onLabelChanged(const iNode* node, const wxString& label);
  virtual void onAttributeChanged(const iNode* node, const wxString& name,
                                  const wxString& value);
  // Called by the node when the listener is registered with it or removed from it.
  virtual void registerNode(iNode* node);
  virtual void removeNode(iNode* node);

  const std::vector<iNode*>& getNodes() const { return m_Nodes; }

 private:
  std::vector<iNode*> m_Nodes;
};

}  // namespace KivoUnit
