#include "kivo/factory/NodeFactories.h"

#include <cstdio>
#include <iterator>
#include <typeinfo>

#include "kivo/convert/Indent.h"
#include "kivo/base/KivoBase.h"
#include "kivo/factory/iNodeFactory.h"

namespace KivoUnit {

NodeFactories::NodeFactories(KivoBase* base) : m_Base(base) {}

void NodeFactories::Register(const wxString& element, iNodeFactory* factory) {
  m_Factories[element] = factory;
}

void NodeFactories::Unregister(const wxString& element) { m_Factories.erase(element); }

void NodeFactories::UnregisterFactory(const iNodeFactory* factory) {
  for (auto entry = m_Factories.begin(); entry != m_Factories.end();) {
    entry = entry->second == factory ? m_Factories.erase(entry) : std::next(entry);
  }
}

bool NodeFactories::CanCreate(const wxString& element) const {
  return m_Factories.find(element) != m_Factories.end();
}

iNode* NodeFactories::Create(const wxString& element, TiXmlElement* xml, iNode* parent) {
  auto entry = m_Factories.end();
  if (parent != nullptr) entry = m_Factories.find(parent->getName() + wxS("/") + element);
  if (entry == m_Factories.end()) entry = m_Factories.find(element);
  if (entry == m_Factories.end() || entry->second == nullptr) return nullptr;
  iNodeFactory* factory = entry->second;
  iNode* node = factory->Create(element, xml, parent);
  if (node != nullptr) node->setCreator(factory);
  return node;
}

bool NodeFactories::Destroy(iNode* node) {
  if (node == nullptr) return false;
  const auto entry = m_Factories.find(node->getElement());
  const bool registered = entry != m_Factories.end() && entry->second != nullptr;
  if (registered && node->getCreator() != nullptr && entry->second == node->getCreator()) {
    return node->getCreator()->Destroy(node);
  }
  if (registered) return entry->second->Destroy(node);
  const wxString message = wxString::Format(
      wxS("NodeFactories::Destroy(%s:%s:%s:%s) Could not delete node"),
      wxString::FromUTF8(typeid(iNode*).name()), node->getElement(), node->getName(),
      node->getLabel());
  if (m_Base != nullptr) {
    m_Base->Warning(message);
  } else {
    std::printf("%s\n", message.utf8_str().data());
  }
  return false;
}

wxString NodeFactories::ToXML(const Indent& indent) const {
  wxString xml =
      indent.it(wxString::Format(wxS("<factories count=\"%i\">"), static_cast<int>(m_Factories.size())), 0);
  for (const auto& [key, factory] : m_Factories) {
    const wxString factoryName = factory != nullptr ? factory->getName() : wxString();
    xml += indent.it(wxString::Format(wxS("<element name=\"%s\" factory=\"%s\" />"), key, factoryName), 1);
  }
  xml += indent.it(wxS("</factories>"), 0);
  return xml;
}

}  // namespace KivoUnit
