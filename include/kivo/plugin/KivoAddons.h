#pragma once

#include <wx/string.h>

#include "kivo/KivoExport.h"
#include "kivo/node/iNode.h"

namespace KivoUnit {

// Loads every plug-in library of the application's add-ons folder when the tree
// is initialised (element "addons"): one library node per file under
// "/kivo/lib/<file name>", started and registered.
//
// The scan returns to the working directory it found and gives the library
// nodes the files' full paths: the platform's loader does not look for a bare
// file name in the working directory.
class KIVO_API KivoAddons : public iNode {
 public:
  KivoAddons(iNode* parent, const wxString& name);
  ~KivoAddons() override;

  bool Init() override;

  // The folder the last Init() scanned, as configured.
  const wxString& getAddonsFolder() const { return m_AddonsFolder; }

 private:
  void installAddon(KivoBase& base, const wxString& folder, const wxString& file);
  // The node at `path`, or a new run-time library node there named `file`.
  iNode* libraryNode(KivoBase& base, const wxString& path, const wxString& file);

  wxString m_AddonsFolder;
};

}  // namespace KivoUnit
