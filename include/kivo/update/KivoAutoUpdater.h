#pragma once

#include <wx/string.h>

#include "kivo/KivoExport.h"
#include "kivo/node/iNode.h"

namespace AutoUpdaters {
class AutoUpdater;
}

namespace KivoUnit {

// The node at "/kivo/AutoUpdater" (element "AutoUpdater") through which nodes
// register for periodic AutoUpdate calls. It owns the scheduler, made at Init or
// on first use; its thread stops at OnShutdown or when the node is destroyed.
class KIVO_API KivoAutoUpdater : public iNode {
 public:
  // Writes "KivoAutoUpdater created" to standard output.
  KivoAutoUpdater(iNode* parent, const wxString& element);
  ~KivoAutoUpdater() override;

  bool Init() override;
  // Asks the thread to stop and wakes it.
  void OnShutdown() override;

  AutoUpdaters::AutoUpdater* getAutoUpdater();
  unsigned int registerNode(const wxString& path, double seconds);
  bool unregisterNode(const wxString& path);
  bool unregisterNode(unsigned int id);
  // Seconds, 0 when `path` is not registered.
  double getNodeUpdateInterval(const wxString& path);

 private:
  AutoUpdaters::AutoUpdater* m_AutoUpdater;
};

}  // namespace KivoUnit
