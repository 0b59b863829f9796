// The class-wide attribute type and enumeration tables, keyed by element name.
// They are read on every typed access and written rarely: readers share the lock.
#include <mutex>
#include <shared_mutex>

#include "kivo/element/KivoElement.h"

namespace KivoUnit {

namespace {

struct ElementTables {
  std::shared_mutex lock;
  std::map<wxString, AttributeTypeMap> types;
  std::map<wxString, EnumValueMap> enums;
};

// Built on first use and kept to process end, so late destructors may still ask.
ElementTables& tables() {
  static ElementTables* instance = new ElementTables();
  return *instance;
}

template <typename Inner>
const typename Inner::mapped_type* findEntry(const std::map<wxString, Inner>& outer,
                                             const wxString& element, const wxString& name) {
  const auto table = outer.find(element);
  if (table == outer.end()) return nullptr;
  const auto entry = table->second.find(name);
  return entry == table->second.end() ? nullptr : &entry->second;
}

// Map nodes never move, so the reference stays valid while other tables grow.
template <typename Inner>
Inner& tableFor(std::map<wxString, Inner>& outer, const wxString& element) {
  ElementTables& t = tables();
  {
    std::shared_lock<std::shared_mutex> reading(t.lock);
    const auto found = outer.find(element);
    if (found != outer.end()) return found->second;
  }
  std::unique_lock<std::shared_mutex> writing(t.lock);
  return outer[element];
}

}  // namespace

AttributeTypeMap& KivoElement::getElementAttributeTypes(const wxString& element) {
  return tableFor(tables().types, element);
}

EnumValueMap& KivoElement::getElementEnumValues(const wxString& element) {
  return tableFor(tables().enums, element);
}

AttributeTypeMap& KivoElement::getAttributeTypes() { return getElementAttributeTypes(getElement()); }

EnumValueMap& KivoElement::getEnumValues() { return getElementEnumValues(getElement()); }

bool KivoElement::hasAttributeType(const wxString& name) const {
  ElementTables& t = tables();
  std::shared_lock<std::shared_mutex> reading(t.lock);
  return findEntry(t.types, getElement(), name) != nullptr;
}

AttributeType KivoElement::getAttributeType(const wxString& name) const {
  ElementTables& t = tables();
  std::shared_lock<std::shared_mutex> reading(t.lock);
  const AttributeType* type = findEntry(t.types, getElement(), name);
  return type ? *type : AttributeNone;
}

void KivoElement::setAttributeType(const wxString& name, AttributeType type) {
  ElementTables& t = tables();
  {
    // Typed setters record the same type over and over: skip the writer lock then.
    std::shared_lock<std::shared_mutex> reading(t.lock);
    const AttributeType* known = findEntry(t.types, getElement(), name);
    if (known != nullptr && *known == type) return;
  }
  std::unique_lock<std::shared_mutex> writing(t.lock);
  t.types[getElement()][name] = type;
}

bool KivoElement::hasEnumValues(const wxString& name) const {
  ElementTables& t = tables();
  std::shared_lock<std::shared_mutex> reading(t.lock);
  return findEntry(t.enums, getElement(), name) != nullptr;
}

void KivoElement::setEnumValues(const wxString& name, const wxArrayString& values) {
  ElementTables& t = tables();
  std::unique_lock<std::shared_mutex> writing(t.lock);
  t.enums[getElement()][name] = values;
}

wxArrayString KivoElement::getEnumValues(const wxString& name) const {
  ElementTables& t = tables();
  std::shared_lock<std::shared_mutex> reading(t.lock);
  const wxArrayString* values = findEntry(t.enums, getElement(), name);
  return values ? *values : wxArrayString();
}

wxString KivoElement::getValidEnum(const wxString& name, const wxString& value) const {
  ElementTables& t = tables();
  std::shared_lock<std::shared_mutex> reading(t.lock);
  const wxArrayString* values = findEntry(t.enums, getElement(), name);
  if (values != nullptr) {
    for (const wxString& allowed : *values) {
      if (allowed.IsSameAs(value, false)) return allowed;
    }
  }
  return value;
}

}  // namespace KivoUnit
