#include "kivo/element/KivoElement.h"

#include <cmath>
#include <cstring>

#include <tinyxml.h>

#include "convert/NarrowText.h"
#include "log/Report.h"
#include "kivo/convert/Convert.h"
#include "kivo/convert/Indent.h"

namespace KivoUnit {

namespace {

constexpr const char* kSourcePath = "include/kivo/KivoElement";

std::string narrow(const wxString& text) { return Convert::StringToSTD(text); }

// An attribute name to look up with, made in one buffer reused by the thread: looking
// up is far more frequent than storing, and a long name would otherwise be allocated.
const std::string& lookupKey(const wxString& name) {
  thread_local std::string key;
  detail::assignUtf8(key, name);
  return key;
}

bool isNameStartByte(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || c >= 0x80;
}

bool isNameByte(unsigned char c) {
  return isNameStartByte(c) || (c >= '0' && c <= '9') || c == '.' || c == '-';
}

// TinyXML prints attribute names as they are: anything else would break the document.
bool isXmlName(const std::string& name) {
  if (name.empty() || !isNameStartByte(static_cast<unsigned char>(name[0]))) return false;
  for (const char c : name) {
    if (!isNameByte(static_cast<unsigned char>(c))) return false;
  }
  return KivoElement::is_utf8(name.c_str());
}

// Shows bytes that are not UTF-8 one character per byte rather than as nothing.
wxString printable(const std::string& bytes) {
  return KivoElement::is_utf8(bytes.c_str()) ? Convert::StringToWX(bytes)
                                             : wxString::From8BitData(bytes.data(), bytes.size());
}

// A truncated UTF-8 sequence would make TinyXML read past the closing quote on reload.
bool writable(const std::string& name, const std::string& value, const wxString& element) {
  const char* problem = nullptr;
  if (!isXmlName(name)) {
    problem = "its name is not an XML name";
  } else if (!KivoElement::is_valid_utf8(value.c_str()) || value.find('\0') != std::string::npos) {
    problem = "its value is not UTF-8";
  }
  if (problem == nullptr) return true;
  detail::report(LevelWarning,
                 wxString::Format(wxS("Attribute '%s' of element '%s' was not written: %s"),
                                  printable(name), element, problem),
                 __LINE__, kSourcePath, "Write");
  return false;
}

// True when the UTF-8 `text` is ASCII and spells `wide`.
bool sameAsciiText(const char* text, const wxString& wide) {
  const size_t length = std::strlen(text);
  if (length != wide.length()) return false;
  const wchar_t* letters = wide.wx_str();
  for (size_t i = 0; i < length; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x80 || static_cast<wchar_t>(c) != letters[i]) return false;
  }
  return true;
}

}  // namespace

KivoElement::KivoElement(const wxString& element, TiXmlDocument* sourceDocument,
                         TiXmlElement* tie, const wxString& name, const wxString& type,
                         const wxString& brief, const wxString& description,
                         const wxString& version)
    : KivoXML(sourceDocument),
      m_Name(name),
      m_LabelIsName(true),
      m_AttributesRead(false),
      m_Element(&intern(element)),
      m_Tie(tie) {
  appendClassTag(wxS(".element"));
  setType(type);
  setBrief(brief);
  setDescription(description);
  setVersion(version);
}

KivoElement::~KivoElement() = default;

bool KivoElement::Save() { return KivoXML::Save(); }

const wxString& KivoElement::getElement() const { return *m_Element; }
const wxString& KivoElement::getType() const { return storedDescriptors().type; }
const wxString& KivoElement::getBrief() const { return storedDescriptors().brief; }
const wxString& KivoElement::getDescription() const { return storedDescriptors().description; }
const wxString& KivoElement::getVersion() const { return storedDescriptors().version; }
void KivoElement::setElement(const wxString& element) { m_Element = &intern(element); }
void KivoElement::setType(const wxString& type) {
  if (m_Descriptors || !type.empty()) descriptors().type = type;
}
void KivoElement::setBrief(const wxString& brief) {
  if (m_Descriptors || !brief.empty()) descriptors().brief = brief;
}
void KivoElement::setDescription(const wxString& description) {
  if (m_Descriptors || !description.empty()) descriptors().description = description;
}
void KivoElement::setVersion(const wxString& version) {
  if (m_Descriptors || !version.empty()) descriptors().version = version;
}

KivoElement::Descriptors& KivoElement::descriptors() {
  if (m_Descriptors == nullptr) m_Descriptors = std::make_unique<Descriptors>();
  return *m_Descriptors;
}

const KivoElement::Descriptors& KivoElement::storedDescriptors() const {
  static const Descriptors kNone;
  return m_Descriptors != nullptr ? *m_Descriptors : kNone;
}

const wxString& KivoElement::getName() const { return m_Name; }
const wxString& KivoElement::getEncodedName() const { return m_Name; }
wxString KivoElement::getDecodedName() const { return decode(m_Name); }

const wxString& KivoElement::getStoredLabel() const {
  return m_LabelIsName ? m_Name : storedDescriptors().label;
}

wxString KivoElement::derivedLabel() const { return isEncoded(m_Name) ? decode(m_Name) : m_Name; }

wxString KivoElement::getLabel() const {
  const wxString& stored = getStoredLabel();
  return stored.empty() ? derivedLabel() : stored;
}

bool KivoElement::hasLabel(const wxString& text) const {
  const wxString& stored = getStoredLabel();
  return stored.empty() ? derivedLabel() == text : stored == text;
}

void KivoElement::keepLabel(const wxString& label) {
  if (label != m_Name) {
    keepOwnLabel(label);
    return;
  }
  m_LabelIsName = true;
  if (m_Descriptors != nullptr) wxString().swap(m_Descriptors->label);  // give its memory back
}

void KivoElement::keepOwnLabel(const wxString& label) {
  if (m_Descriptors != nullptr || !label.empty()) descriptors().label = label;
  m_LabelIsName = false;
}

void KivoElement::setRawName(const wxString& name) {
  if (m_Name == name) return;
  if (m_LabelIsName) keepOwnLabel(m_Name);  // the label stays what it was
  m_Name = name;
  onIdentityChanged();
}

void KivoElement::setEncodedName(const wxString& name) {
  // Most names hold no "/": they are stored without a copy.
  if (name.find(wxS('/')) == wxString::npos) {
    storeEncoded(name);
    return;
  }
  wxString safe = name;
  safe.Replace(wxS("/"), wxS("_"));
  storeEncoded(safe);
}

void KivoElement::storeEncoded(const wxString& text) {
  if (text.empty()) return;
  // Most names need no encoding. Not a conditional expression: that would copy
  // `text` before storing it.
  if (encodesToItself(text.wx_str(), text.length())) {
    setRawName(text);
  } else {
    setRawName(encode(text));
  }
}

void KivoElement::setName(const wxString& name) {
  if (name.empty()) return;
  setEncodedName(name);
  setLabel(name);
}

void KivoElement::setLabel(const wxString& label) {
  if (!label.empty()) {
    if (label == getStoredLabel()) return;
    keepLabel(label);
    onIdentityChanged();
    return;
  }
  wxString stored = derivedLabel();
  if (stored == getStoredLabel()) return;
  keepLabel(stored);
  onIdentityChanged();
}

bool KivoElement::hasAttribute(const wxString& name) const {
  return m_Attributes.has(lookupKey(name));
}

wxString KivoElement::getAttribute(const wxString& name, const wxString& def) const {
  const AttributeSet::Map& map = m_Attributes.get();
  const auto found = map.find(lookupKey(name));
  return found == map.end() ? def : Convert::StringToWX(found->second);
}

wxString KivoElement::getAttributeRaw(const wxString& name, const wxString& def) const {
  return KivoElement::getAttribute(name, def);
}

wxString KivoElement::getEnumAttribute(const wxString& name, const wxString& def) const {
  return getValidEnum(name, getAttribute(name, def));
}

double KivoElement::getDoubleAttribute(const wxString& name, double def) const {
  return m_Attributes.getDouble(narrow(name), def);
}

bool KivoElement::getBoolAttribute(const wxString& name, bool def) const {
  return m_Attributes.getBool(narrow(name), def);
}

unsigned int KivoElement::getUintAttribute(const wxString& name, unsigned int def) const {
  return m_Attributes.getSize(narrow(name), def);
}

int KivoElement::getIntAttribute(const wxString& name, int def) const {
  return m_Attributes.getInt(narrow(name), def);
}

void KivoElement::setAttribute(const wxString& name, const wxString& value) {
  m_Attributes.set(narrow(name), narrow(value));
}

void KivoElement::setAttributeRaw(const wxString& name, const wxString& value) {
  m_Attributes.set(narrow(name), narrow(value));
}

void KivoElement::setEnumAttribute(const wxString& name, const wxString& value) {
  setAttributeType(name, AttributeEnumeration);
  setAttribute(name, getValidEnum(name, value));
}

void KivoElement::setDoubleAttribute(const wxString& name, double value, unsigned int precision,
                                     double min, double max) {
  const bool unbounded = !(max > min);
  if (unbounded || (std::isfinite(value) && value >= min && value <= max)) {
    setAttributeType(name, AttributeDouble);
    m_Attributes.setDouble(narrow(name), value, precision);
  } else {
    clearAttribute(name);
  }
}

void KivoElement::setBoolAttribute(const wxString& name, bool value, bool def, bool omitDefault) {
  if (omitDefault && value == def) {
    clearAttribute(name);
    return;
  }
  setAttributeType(name, AttributeBoolean);
  m_Attributes.setBool(narrow(name), value);
}

void KivoElement::setUintAttribute(const wxString& name, unsigned int value, unsigned int min,
                                   unsigned int max) {
  if (min < max && (value < min || value > max)) {
    clearAttribute(name);
    return;
  }
  setAttributeType(name, AttributeUnsigned);
  m_Attributes.setSize(narrow(name), value);
}

void KivoElement::setIntAttribute(const wxString& name, int value, int min, int max) {
  if (min < max && (value < min || value > max)) {
    clearAttribute(name);
    return;
  }
  setAttributeType(name, AttributeInteger);
  m_Attributes.setInt(narrow(name), value);
}

void KivoElement::clearAttribute(const wxString& name) {
  m_Attributes.set(narrow(name), std::string());
}

std::map<wxString, wxString> KivoElement::getAttributes(bool) const {
  std::map<wxString, wxString> result;
  for (const auto& [key, value] : m_Attributes.get()) {
    if (!key.empty() && !value.empty()) {
      result.emplace(Convert::StringToWX(key), Convert::StringToWX(value));
    }
  }
  return result;
}

AttributeSet::Map KivoElement::getAttributes() const { return m_Attributes.get(); }
AttributeSet& KivoElement::getAttributeSet() { return m_Attributes; }
const AttributeSet& KivoElement::getAttributeSet() const { return m_Attributes; }

bool KivoElement::Read(TiXmlElement* element) {
  if (element == nullptr) return false;
  m_Tie = element;
  // Most nodes were made for the element name they read: no need to convert it again.
  if (!sameAsciiText(element->Value(), *m_Element)) m_Element = &intern(GetValue(element));
  for (const TiXmlAttribute* a = element->FirstAttribute(); a != nullptr; a = a->Next()) {
    m_Attributes.set(a->NameTStr(), a->ValueStr());
  }
  m_AttributesRead = false;
  readAttributes();
  if (!m_AttributesRead) {
    KIVO_REPORT(LevelError,
                wxString::Format(wxS("Element '%s' named '%s' did not call parent's readAttributes"),
                                 *m_Element, Convert::StringToWX(element->Attribute("name"))));
    KivoElement::readAttributes();
  }
  return true;
}

void KivoElement::readAttributes() {
  using Setter = void (KivoElement::*)(const wxString&);
  // Keys as the attribute set holds them, so reading a node converts no key.
  static const std::pair<std::string, Setter> kFields[] = {
      {"name", &KivoElement::setName},       {"label", &KivoElement::setLabel},
      {"type", &KivoElement::setType},       {"brief", &KivoElement::setBrief},
      {"version", &KivoElement::setVersion}, {"description", &KivoElement::setDescription}};
  for (const auto& [attribute, setter] : kFields) {
    const AttributeSet::Map& map = m_Attributes.get();
    const auto found = map.find(attribute);
    if (found != map.end()) (this->*setter)(Convert::StringToWX(found->second));
  }
  m_AttributesRead = true;
}

void KivoElement::writeAttributes() {
  setAttribute(wxS("name"), m_Name);
  setAttribute(wxS("label"), getStoredLabel());
  const Descriptors& stored = storedDescriptors();
  setAttribute(wxS("type"), stored.type);
  setAttribute(wxS("brief"), stored.brief);
  setAttribute(wxS("version"), stored.version);
  setAttribute(wxS("description"), stored.description);
}

bool KivoElement::Write(TiXmlElement* element) {
  writeAttributes();
  if (element == nullptr || m_Attributes.empty()) return true;
  for (const auto& [name, value] : m_Attributes.get()) {
    if (name.empty()) continue;
    if (value.empty()) {
      element->RemoveAttribute(name);
    } else if (writable(name, value, *m_Element)) {
      element->SetAttribute(name, value);
    }
  }
  return true;
}

bool KivoElement::Write() {
  // An empty element name (a tag that was not UTF-8) would print as "< />": keep the
  // tag the element already has, and never create an element without one.
  if (m_Tie == nullptr) {
    TiXmlDocument* document = getSourceDocument();
    if (document == nullptr || m_Element->empty()) return false;
    m_Tie = document->LinkEndChild(new TiXmlElement(m_Element->utf8_str()))->ToElement();
  }
  if (!m_Element->empty()) SetValue(m_Tie, *m_Element);
  return Write(m_Tie);
}

wxString KivoElement::TieToXML(const Indent& indent) const {
  if (m_Tie != nullptr) return PrintXML(*m_Tie, indent.getUnit());
  return xmlException(wxS("No Tie XML element association found in:") + indent.getLineEnd() +
                      InitXML(indent, wxString()) + EndXML(indent));
}

wxString KivoElement::AttrXML() const {
  wxString text;
  if (const TiXmlDocument* document = getSourceDocument()) {
    text += wxString::Format(wxS("source_xml_document=\"%s\" "),
                             wxString::FromUTF8(document->Value()));
  }
  if (m_Tie != nullptr) text += wxS("is_tied_to_an_element=\"true\" ");
  return text;
}

wxString KivoElement::InitXML(const Indent& indent, const wxString& extra) const {
  wxString text = indent.it(wxString::Format(wxS("<%s %s %s>"), *m_Element, extra, AttrXML()), 0);
  if (!storedDescriptors().description.empty()) {
    text += indent.it(wxString::Format(wxS("<description>%s</description>"),
                                       storedDescriptors().description),
                      1);
  }
  return text;
}

wxString KivoElement::EndXML(const Indent& indent) const {
  return indent.it(wxString::Format(wxS("</%s>"), *m_Element), 0);
}

}  // namespace KivoUnit
