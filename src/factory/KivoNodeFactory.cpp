#include "kivo/factory/KivoNodeFactory.h"

#include "kivo/lua/LuaNode.h"
#include "kivo/node/ControlsNode.h"
#include "kivo/node/KivoInterface.h"
#include "kivo/node/KivoNode.h"
#include "kivo/node/SymLinkNode.h"
#include "kivo/plugin/KivoAddons.h"
#include "kivo/plugin/KivoLibrary.h"
#include "kivo/update/KivoAutoUpdater.h"

namespace KivoUnit {

KivoNodeFactory::KivoNodeFactory(iNode* parent, const wxString& element)
    : iNodeFactory(parent, element), m_IncludeDepth(0) {
  appendClassTag(wxS(".nodefactory"));
  setName(wxS("Kivo"));
  Register(wxS("node"));
  Register(wxS("interface"));
  Register(wxS("include"));
  Register(wxS("SymLink"));
  Register(wxS("Controls"));
  Register(wxS("addons"));
  Register(wxS("library"));
  Register(wxS("Lua"));
  Register(wxS("AutoUpdater"));
  RegisterElements();
}

KivoNodeFactory::~KivoNodeFactory() = default;

iNode* KivoNodeFactory::Create(const wxString& element, TiXmlElement* xml, iNode* parent) {
  iNode* node = nullptr;
  if (element == wxS("node")) {
    node = new KivoNode(parent, element);
  } else if (element == wxS("interface")) {
    node = new KivoInterface(parent, element);
  } else if (element == wxS("include")) {
    node = IncludeNode(parent, xml);
  } else if (element == wxS("SymLink")) {
    node = new SymLinkNode(parent, element);
  } else if (element == wxS("Controls")) {
    node = new ControlsNode(parent, element);
  } else if (element == wxS("addons")) {
    node = new KivoAddons(parent, element);
  } else if (element == wxS("library")) {
    node = new KivoLibrary(parent, element);
  } else if (element == wxS("Lua")) {
    node = new LuaNode(parent, element);
  } else if (element == wxS("AutoUpdater")) {
    node = new KivoAutoUpdater(parent, element);
  }
  return xml != nullptr ? Read(element, node, xml) : node;
}

}  // namespace KivoUnit
