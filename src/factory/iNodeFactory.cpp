#include "kivo/factory/iNodeFactory.h"

#include <cstdio>

#include <tinyxml.h>

#include "log/Report.h"
#include "kivo/base/KivoBase.h"

namespace KivoUnit {
namespace {
constexpr const char* kSourcePath = "include/kivo/factory/iNodeFactory";
}  // namespace

iNodeFactory::iNodeFactory(iNode* parent, const wxString& element) : iNode(parent, element) {
  appendClassTag(wxS(".inodefactory"));
}

iNodeFactory::~iNodeFactory() {
  if (m_Elements.empty()) return;
  std::printf("[%s] '%s' %u unregistered elements remains\n", getElement().utf8_str().data(),
              getLabel().utf8_str().data(), static_cast<unsigned int>(m_Elements.size()));
}

void iNodeFactory::destroy() {
  UnregisterElements();
  iNode::destroy();
}

wxString iNodeFactory::Execute(const wxString& command, const wxString& params) {
  if (KivoBase* base = GetBase()) {
    base->Log(wxString::Format(wxS("iNodeFactory::Execute('%s','%s')"), command, params));
  }
  return wxString();
}

void iNodeFactory::Register(const wxString& element) { m_Elements.push_back(element); }

void iNodeFactory::Register(const wxString& parent, const wxString& element) {
  Register(parent + wxS("/") + element);
}

void iNodeFactory::RegisterElements() {
  KivoBase* base = GetBase();
  if (base == nullptr) {
    KIVO_REPORT(LevelError, wxS("No kivo base in iNodeFactory::RegisterElements"));
    return;
  }
  wxString registered;
  for (const wxString& element : m_Elements) {
    if (element.empty()) continue;
    base->GetFactories().Register(element, this);
    if (!registered.empty()) registered += wxS(", ");
    registered += element;
  }
  if (!registered.empty()) setAttribute(wxS("registered_elements"), registered);
}

void iNodeFactory::UnregisterElements() {
  KivoBase* base = GetBase();
  if (base == nullptr) base = dynamic_cast<KivoBase*>(GetRoot());
  if (base == nullptr) return;
  for (const wxString& element : m_Elements) base->GetFactories().Unregister(element);
  m_Elements.clear();
}

iNode* iNodeFactory::Read(const wxString& element, iNode* node, TiXmlElement* xml) {
  KivoBase* base = GetBase();
  if (node == nullptr) {
    if (base != nullptr) {
      base->Debug(wxString::Format(wxS("iNodeFactory::Read('%s') No node!"), element));
    }
    return nullptr;
  }
  if (!node->Read(xml)) {
    if (base != nullptr) {
      const wxString xmlName = xml != nullptr ? wxString::FromUTF8(xml->Value()) : wxS("NULL");
      base->Error(wxString::Format(wxS("iNodeFactory::Read('%s',%s,%s) Error reading node!"),
                                   element, node->GetFullPath(), xmlName));
    }
    delete node;
    return nullptr;
  }
  return node;
}

bool iNodeFactory::Destroy(iNode* node) {
  if (node != nullptr) {
    node->destroy();
    delete node;
  }
  return true;
}

}  // namespace KivoUnit
