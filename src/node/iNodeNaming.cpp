#include <cstdlib>

#include <wx/datetime.h>

#include "log/Report.h"
#include "kivo/node/iNode.h"
#include "kivo/node/iNodeListener.h"

namespace KivoUnit {
namespace {

constexpr const char* kSourcePath = "include/kivo/node/iNode";

// "%Y-%m-%d-%H-%M-%SZ.<milliseconds>" of now, in UTC.
wxString utcStamp() {
  const wxDateTime now = wxDateTime::UNow();
  return now.Format(wxS("%Y-%m-%d-%H-%M-%SZ"), wxDateTime::UTC) +
         wxString::Format(wxS(".%u"), static_cast<unsigned int>(now.GetMillisecond()));
}

}  // namespace

wxString iNode::generateChildName(wxString& name, wxString& label) {
  if (name.empty()) name = label;
  if (name.empty()) name = wxS("unnamed");
  if (label.empty()) label = name;
  if (!HasChild(name) && !HasChild(label)) return wxString();

  wxString text;
  long number = CutStringEndValue(label, text);
  bool counted = false;
  for (const iNode* child : m_Children) {
    if (child == nullptr) continue;
    wxString childText;
    const long childNumber = CutStringEndValue(child->getLabel(), childText);
    if (childText != text) continue;
    counted = true;
    if (number <= childNumber) number = childNumber + 1;
  }
  wxString suffix;
  if (counted) {
    suffix = wxString::Format(wxS(" (%i)"), static_cast<int>(number));
    label = text + suffix;
    name = encode(label);
  }
  // Still taken (the clash was with a name, not a label): stamp it with the time.
  wxString previous;
  while (HasChild(name)) {
    name = encode(label) + utcStamp();
    if (name == previous) name += static_cast<wxChar>(wxS('A') + std::rand() % 25);
    previous = name;
  }
  KIVO_REPORT(LevelMessage, wxString::Format(wxS("Created new name '%s' label '%s' under '%s'"),
                                             name, label, GetFullPath()));
  return suffix;
}

void iNode::setName(const wxString& newName) {
  const wxString oldName = getName();
  KivoElement::setName(newName);
  if (getName() == oldName) return;
  iNode* parent = getParent();
  if (parent != nullptr) {
    for (const iNode* sibling : parent->m_Children) {
      if (sibling == nullptr || sibling == this || sibling->getName() != getName()) continue;
      wxString name = getName();
      wxString label = getLabel();
      parent->generateChildName(name, label);
      setRawName(name);
      setLabel(label);
      break;
    }
  }
  if (getListeners().empty()) return;
  const wxString stored = getName();
  notifyListeners([&](iNodeListener* listener) { listener->onNameChanged(this, stored); });
}

void iNode::setLabel(const wxString& label) {
  if (label.empty()) return;
  KivoElement::setLabel(label);
  if (getListeners().empty()) return;
  notifyListeners([&](iNodeListener* listener) { listener->onLabelChanged(this, label); });
}

wxString iNode::setAutoName(const wxString& name) {
  setName(name);
  return getName();
}

void iNode::setAttribute(const wxString& name, const wxString& value) {
  KivoElement::setAttribute(name, value);
  notifyListeners(
      [&](iNodeListener* listener) { listener->onAttributeChanged(this, name, value); });
}

}  // namespace KivoUnit
