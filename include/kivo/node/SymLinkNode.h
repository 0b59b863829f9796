#pragma once

#include <wx/string.h>

#include "kivo/KivoExport.h"
#include "kivo/node/iNode.h"

namespace KivoUnit {

// A node that stands for another node by path: searches that pass through the link
// continue at the target. The target is looked up anew every time.
class KIVO_API SymLinkNode : public iNode {
 public:
  SymLinkNode(iNode* parent, const wxString& element);
  ~SymLinkNode() override;

  // The target when the path is set and resolves; otherwise the link itself.
  iNode* getThis() override;
  // A link read from a file points where "symlink_target_path" says.
  void readAttributes() override;

  // The node the target path names, or null (also when the lookup comes back
  // to this link while it is resolving).
  virtual iNode* getTargetNode() const;
  virtual wxString getTargetPath() const;
  // Also stores the path as the attribute "symlink_target_path".
  virtual void setTargetPath(const wxString& path);

 private:
  wxString m_TargetPath;
  mutable unsigned int m_Resolving;
};

}  // namespace KivoUnit
