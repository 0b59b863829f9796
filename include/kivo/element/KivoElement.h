#pragma once

#include <map>
#include <memory>
#include <string>

#include <wx/arrstr.h>
#include <wx/string.h>

#include "kivo/element/AttributeSet.h"
#include "kivo/KivoExport.h"
#include "kivo/xml/KivoXML.h"

namespace KivoUnit {

// What an element records about one attribute's values; shared by element name.
enum AttributeType : int {
  AttributeNone = 0,
  AttributeUnassigned = 1,
  AttributeEnumeration = 2,
  AttributeDouble = 3,
  AttributeUnsigned = 4,
  AttributeInteger = 5,
  AttributeBoolean = 6
};

using AttributeTypeMap = std::map<wxString, AttributeType>;
using EnumValueMap = std::map<wxString, wxArrayString>;

// The named, XML-tied element that every tree node is: descriptive fields, the
// attribute set mirroring its XML element, and the tie to that element.
class KIVO_API KivoElement : public KivoXML {
 public:
  KivoElement(const wxString& element, TiXmlDocument* sourceDocument = nullptr,
              TiXmlElement* tie = nullptr, const wxString& name = wxString(),
              const wxString& type = wxString(), const wxString& brief = wxString(),
              const wxString& description = wxString(), const wxString& version = wxString());

  bool Read(TiXmlElement* element) override;
  bool Write(TiXmlElement* element) override;
  ~KivoElement() override;
  bool Save() override;

  virtual const wxString& getElement() const;
  virtual const wxString& getType() const;
  virtual const wxString& getBrief() const;
  virtual const wxString& getDescription() const;
  virtual const wxString& getVersion() const;
  virtual void setElement(const wxString& element);
  virtual void setType(const wxString& type);
  virtual void setBrief(const wxString& brief);
  virtual void setDescription(const wxString& description);
  virtual void setVersion(const wxString& version);
  virtual const wxString& getName() const;
  virtual const wxString& getEncodedName() const;
  virtual wxString getDecodedName() const;
  virtual wxString getLabel() const;
  // getLabel() == text, without copying the label: sibling lookups call it per child.
  bool hasLabel(const wxString& text) const;
  // Stores the encoded name ("/" becomes "_") and the text unchanged as the label.
  virtual void setName(const wxString& name);
  // An empty label falls back to the one derived from the name.
  virtual void setLabel(const wxString& label);

  virtual bool hasAttributeType(const wxString& name) const;
  virtual AttributeType getAttributeType(const wxString& name) const;
  virtual void setAttributeType(const wxString& name, AttributeType type);
  virtual bool hasAttribute(const wxString& name) const;
  virtual wxString getAttribute(const wxString& name, const wxString& def) const;
  virtual wxString getAttributeRaw(const wxString& name, const wxString& def) const;
  virtual wxString getEnumAttribute(const wxString& name, const wxString& def) const;
  virtual double getDoubleAttribute(const wxString& name, double def) const;
  virtual bool getBoolAttribute(const wxString& name, bool def) const;
  virtual unsigned int getUintAttribute(const wxString& name, unsigned int def) const;
  virtual int getIntAttribute(const wxString& name, int def) const;
  virtual void setAttribute(const wxString& name, const wxString& value);
  virtual void setAttributeRaw(const wxString& name, const wxString& value);
  virtual void setEnumAttribute(const wxString& name, const wxString& value);
  // Typed setters: a value outside a given range clears the attribute, never clamps.
  virtual void setDoubleAttribute(const wxString& name, double value, unsigned int precision,
                                  double min, double max);
  virtual void setBoolAttribute(const wxString& name, bool value, bool def, bool omitDefault);
  virtual void setUintAttribute(const wxString& name, unsigned int value, unsigned int min,
                                unsigned int max);
  virtual void setIntAttribute(const wxString& name, int value, int min, int max);
  // Keeps the key with an empty value, so the next Write removes the attribute.
  virtual void clearAttribute(const wxString& name);
  virtual bool hasEnumValues(const wxString& name) const;
  virtual void setEnumValues(const wxString& name, const wxArrayString& values);
  virtual wxArrayString getEnumValues(const wxString& name) const;
  // The listed spelling of `value` (ignoring case), or `value` itself.
  virtual wxString getValidEnum(const wxString& name, const wxString& value) const;
  // Entries with a key and a value, as wide texts; the flag changes nothing.
  virtual std::map<wxString, wxString> getAttributes(bool flag) const;
  virtual AttributeSet::Map getAttributes() const;
  virtual AttributeSet& getAttributeSet();
  virtual const AttributeSet& getAttributeSet() const;
  // The tables of this element name, shared with every element of that name.
  virtual AttributeTypeMap& getAttributeTypes();
  virtual EnumValueMap& getEnumValues();

  // Overrides read their own attributes and must call this one.
  virtual void readAttributes();
  virtual void writeAttributes();
  // Writes to the tie, creating it in the source document when needed.
  virtual bool Write();
  virtual wxString TieToXML(const Indent& indent) const;
  virtual wxString AttrXML() const;
  virtual wxString InitXML(const Indent& indent, const wxString& extra) const;
  virtual wxString EndXML(const Indent& indent) const;

  TiXmlElement* getTie() const { return m_Tie; }
  void setTie(TiXmlElement* tie) { m_Tie = tie; }
  void setRawName(const wxString& name);
  void setEncodedName(const wxString& name);
  // The label as stored: empty when it is derived from the name.
  const wxString& getStoredLabel() const;

  static wxString encode(const wxString& text);
  static wxString decode(const wxString& text);
  static bool isEncoded(const wxString& text);
  // True when encode(text) is text itself, decided without building anything.
  static bool encodesToItself(const wchar_t* text, size_t length);
  // Splits "Level (12)" into "Level" and 12; 0 and the text itself otherwise.
  static long CutStringEndValue(const wxString& text, wxString& out);
  // Labels are looked up through KivoTranslator::TranslateLabel.
  static void TranslateNamesToLabels(TiXmlElement* element);
  // The well-formed UTF-8 subset usable in XML.
  static bool is_utf8(const char* text);
  // Only checks that every lead byte has its continuation bytes.
  static bool is_valid_utf8(const char* text);
  static AttributeTypeMap& getElementAttributeTypes(const wxString& element);
  static EnumValueMap& getElementEnumValues(const wxString& element);

 protected:
  // Told after the stored name or the label changed value.
  virtual void onIdentityChanged() {}

 private:
  wxString derivedLabel() const;
  // Stores `label`; one equal to the name is read from the name, not kept twice.
  void keepLabel(const wxString& label);
  void keepOwnLabel(const wxString& label);
  // Stores `text` as the name, encoded; nothing for an empty text.
  void storeEncoded(const wxString& text);

  wxString m_Name;
  bool m_LabelIsName;
  bool m_AttributesRead;
  AttributeSet m_Attributes;
  const wxString* m_Element;  // interned: a handful of names among all nodes
  // Type, brief, description, version and a label other than the name: most
  // nodes have none, so they are kept apart and made on the first one set.
  struct Descriptors {
    wxString type, brief, description, version, label;
  };
  Descriptors& descriptors();
  const Descriptors& storedDescriptors() const;
  std::unique_ptr<Descriptors> m_Descriptors;
  TiXmlElement* m_Tie;
};

}  // namespace KivoUnit
