#pragma once

#include <map>

#include <wx/string.h>

#include "kivo/KivoExport.h"

class TiXmlElement;

namespace KivoUnit {

class iNode;
class iNodeFactory;
class Indent;
class KivoBase;

struct WxStringCmpLess {
  bool operator()(const wxString& a, const wxString& b) const { return a.Cmp(b) < 0; }
};

// The base's map from element name (or "parent/element") to the factory that
// creates it. The registry does not own the factories.
class KIVO_API NodeFactories {
 public:
  using Map = std::map<wxString, iNodeFactory*, WxStringCmpLess>;

  explicit NodeFactories(KivoBase* base);

  // Replaces an existing entry for the key.
  void Register(const wxString& element, iNodeFactory* factory);
  void Unregister(const wxString& element);
  // Removes every key that maps to `factory`.
  void UnregisterFactory(const iNodeFactory* factory);
  bool CanCreate(const wxString& element) const;
  // A key "parent name/element" wins over the plain element name; an unknown
  // element gives null without a message (callers report it).
  iNode* Create(const wxString& element, TiXmlElement* xml, iNode* parent);
  bool Destroy(iNode* node);
  wxString ToXML(const Indent& indent) const;

  const Map& getMap() const { return m_Factories; }

 private:
  Map m_Factories;
  KivoBase* m_Base;
};

}  // namespace KivoUnit
