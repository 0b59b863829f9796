// The static readers and writers of element values, attributes and text children.
#include <tinyxml.h>

#include "kivo/convert/Convert.h"
#include "kivo/xml/KivoXML.h"

namespace KivoUnit {

namespace {

// The UTF-8 form lives as long as the full expression that uses it.
#define KIVO_UTF8(text) ((text).utf8_str().data())

bool equalsTrueIgnoringCase(const char* value) {
  static const char kTrue[] = "true";
  for (size_t i = 0; i < sizeof(kTrue) - 1; ++i) {
    const char c = value[i];
    const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    if (lower != kTrue[i]) return false;
  }
  return value[sizeof(kTrue) - 1] == '\0';
}

TiXmlElement* firstChildNamed(TiXmlElement* element, const wxString& name) {
  return element->FirstChildElement(KIVO_UTF8(name));
}

}  // namespace

wxString KivoXML::SafeXML(const wxString& text) { return text; }

wxString KivoXML::GetValue(const TiXmlElement* element) {
  return element ? Convert::StringToWX(element->Value()) : wxString();
}

void KivoXML::SetValue(TiXmlElement* element, const wxString& value) {
  if (element) element->SetValue(KIVO_UTF8(value));
}

bool KivoXML::HasAttr(const TiXmlElement* element, const wxString& name) {
  return element && element->Attribute(KIVO_UTF8(name)) != nullptr;
}

wxString KivoXML::GetAttr(const TiXmlElement* element, const wxString& name, const wxString& def) {
  if (element == nullptr) return def;
  const char* value = element->Attribute(KIVO_UTF8(name));
  return value ? wxString::FromUTF8(value) : def;
}

void KivoXML::SetAttr(TiXmlElement* element, const wxString& name, const wxString& value) {
  if (element) element->SetAttribute(KIVO_UTF8(name), KIVO_UTF8(SafeXML(value)));
}

bool KivoXML::GetBoolAttr(const TiXmlElement* element, const wxString& name, bool def) {
  if (element == nullptr) return def;
  const char* value = element->Attribute(KIVO_UTF8(name));
  return value ? equalsTrueIgnoringCase(value) : def;
}

void KivoXML::SetBoolAttr(TiXmlElement* element, const wxString& name, bool value) {
  SetAttr(element, name, value ? wxS("true") : wxS("false"));
}

int KivoXML::GetIntAttr(const TiXmlElement* element, const wxString& name, int def) {
  int value = def;
  if (element) element->QueryIntAttribute(KIVO_UTF8(name), &value);
  return value;
}

void KivoXML::SetIntAttr(TiXmlElement* element, const wxString& name, int value) {
  if (element) element->SetAttribute(KIVO_UTF8(name), value);
}

double KivoXML::GetDoubleAttr(const TiXmlElement* element, const wxString& name, double def) {
  return Convert::StringToDouble(GetAttr(element, name, wxString()), def);
}

void KivoXML::SetDoubleAttr(TiXmlElement* element, const wxString& name, double value) {
  if (element) element->SetDoubleAttribute(KIVO_UTF8(name), value);
}

wxString KivoXML::GetChild(const TiXmlElement* element, const wxString& name, const wxString& def) {
  if (element == nullptr) return def;
  const TiXmlElement* child = element->FirstChildElement(KIVO_UTF8(name));
  if (child == nullptr) return def;
  const char* text = child->GetText();
  return text ? wxString::FromUTF8(text) : wxString();
}

void KivoXML::SetChild(TiXmlElement* element, const wxString& name, const wxString& value) {
  if (element == nullptr) return;
  TiXmlElement* child = firstChildNamed(element, name);
  if (child == nullptr) {
    child = new TiXmlElement(KIVO_UTF8(name));
    element->LinkEndChild(child);
  } else {
    child->Clear();
  }
  child->LinkEndChild(new TiXmlText(KIVO_UTF8(SafeXML(value))));
}

wxString KivoXML::GetCombined(const TiXmlElement* element, const wxString& name,
                              const wxString& def) {
  const wxString attribute = GetAttr(element, name, def);
  const wxString child = GetChild(element, name, def);
  if (attribute == def) return child;
  if (child == def) return attribute;
  return attribute + child;
}

void KivoXML::SetCombined(TiXmlElement* element, const wxString& name, const wxString& value) {
  if (element == nullptr) return;
  const bool multiLine = value.find(wxS('\n')) != wxString::npos;
  if (multiLine || value.empty()) element->RemoveAttribute(KIVO_UTF8(name));
  if (multiLine) {
    SetChild(element, name, value);
  } else if (!value.empty()) {
    SetAttr(element, name, value);
  }
}

}  // namespace KivoUnit
