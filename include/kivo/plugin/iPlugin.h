#pragma once

#include <wx/string.h>

#include "kivo/KivoExport.h"
#include "kivo/plugin/PluginRecords.h"
#include "kivo/node/iNode.h"

namespace KivoUnit {

class Indent;

// Everything the base registers as a plug-in under "/kivo/current/plugins": a node
// that can be started and stopped. The static reports render a plug-in's
// descriptor records as XML.
class KIVO_API iPlugin : public iNode {
 public:
  iPlugin(iNode* parent, const wxString& name);
  ~iPlugin() override;

  bool Read(TiXmlElement* element) override;
  bool Write() override;
  using iNode::Write;
  wxString Execute(const wxString& command, const wxString& params) override = 0;
  bool CanExecute(const wxString& command) override = 0;

  virtual bool Start() = 0;
  virtual bool Stop() = 0;

  // The one-line report: name, version and api.
  static wxString Brief(_Plugin* plugin, const Indent& indent);
  // The full report; `brief` gives the one-line form, `methods` adds the method list.
  static wxString Details(_Plugin* plugin, const Indent& indent, bool brief, bool methods);
};

}  // namespace KivoUnit
