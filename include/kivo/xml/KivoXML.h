#pragma once

#include <memory>

#include <wx/string.h>

#include "kivo/KivoExport.h"

class TiXmlDocument;
class TiXmlElement;
class TiXmlNode;

namespace KivoUnit {

class Indent;

// The bottom of every tree object: ties it to the document it loads and owns, and to
// the document its element lives in. The static helpers read and write attributes,
// text children and combined values of any element; all text crosses as UTF-8.
class KIVO_API KivoXML {
 public:
  explicit KivoXML(TiXmlDocument* sourceDocument);
  KivoXML(const KivoXML&) = delete;
  KivoXML& operator=(const KivoXML&) = delete;

  virtual bool Read(TiXmlElement* element) = 0;
  virtual bool Write(TiXmlElement* element) = 0;
  virtual ~KivoXML();
  // The parse error of the own document, "" when there is none.
  virtual wxString GetXmlError() const;
  // Replaces the own document by the parsed file; on success it becomes the source.
  virtual bool Load(const wxString& filename);
  // Writes the source document to its file through a temporary file that replaces it,
  // so a failed save leaves the file as it was.
  virtual bool Save();
  // The fixed error document that report operations answer with.
  virtual wxString xmlException(const wxString& message) const;
  virtual wxString DocToXML(const Indent& indent) const;

  // The own document, created empty on first use.
  TiXmlDocument* getDocument();
  TiXmlDocument* getSourceDocument() const { return m_SourceDocument; }
  // Borrowed: the object never frees the source document.
  void setSourceDocument(TiXmlDocument* document) { m_SourceDocument = document; }
  // True for the own document, the source document and documents retired by a
  // later Load: the documents this object answers for when they are saved.
  bool ownsDocument(const TiXmlDocument* document) const;
  // Writes `document` to its file (its value) like Save; false without one.
  bool saveDocument(TiXmlDocument* document);
  // The system's reason for the last failed save, "" after a successful one.
  const wxString& getSaveFailure() const;
  // Full, normalised path of the last file given to Load.
  const wxString& getFilename() const;
  // "xml" followed by the marker of every constructor in the chain.
  const wxString& getClassTag() const { return *m_ClassTag; }

  static wxString SafeXML(const wxString& text);
  static wxString GetValue(const TiXmlElement* element);
  static void SetValue(TiXmlElement* element, const wxString& value);
  static bool HasAttr(const TiXmlElement* element, const wxString& name);
  static wxString GetAttr(const TiXmlElement* element, const wxString& name, const wxString& def);
  static void SetAttr(TiXmlElement* element, const wxString& name, const wxString& value);
  static bool GetBoolAttr(const TiXmlElement* element, const wxString& name, bool def);
  static void SetBoolAttr(TiXmlElement* element, const wxString& name, bool value);
  static int GetIntAttr(const TiXmlElement* element, const wxString& name, int def);
  static void SetIntAttr(TiXmlElement* element, const wxString& name, int value);
  static double GetDoubleAttr(const TiXmlElement* element, const wxString& name, double def);
  static void SetDoubleAttr(TiXmlElement* element, const wxString& name, double value);
  static wxString GetChild(const TiXmlElement* element, const wxString& name, const wxString& def);
  static void SetChild(TiXmlElement* element, const wxString& name, const wxString& value);
  // The attribute value followed by the child text; a value equal to `def` counts as absent.
  static wxString GetCombined(const TiXmlElement* element, const wxString& name,
                              const wxString& def);
  // Multi-line values go to a child element, others to the attribute; "" removes the attribute.
  static void SetCombined(TiXmlElement* element, const wxString& name, const wxString& value);
  // Pattern match where any character of `wildcard` stands for any run of text.
  static bool WildSearch(const wxString& text, const wxString& pattern, const wxString& wildcard);
  // Case-insensitive: true when `pattern` (with "*") matches an item of the comma list.
  static bool CommaSearch(const wxString& list, const wxString& pattern);

 protected:
  // Class tags repeat for every object of a class: each text is held once.
  void appendClassTag(const wxString& marker);
  // The same for a marker given as text: the tags made so far are remembered per
  // thread, so building an object takes no lock.
  void appendClassTag(const wchar_t* marker);
  // The one copy of a text that many objects hold (class tags, element names);
  // never released.
  static const wxString& intern(const wxString& text);
  // `node` printed by TinyXML with `indentUnit` per level and "\n" line breaks.
  static wxString PrintXML(const TiXmlNode& node, const wxString& indentUnit);
  // Moves the own document out of Load's reach but keeps it until destruction:
  // elements tied to it stay valid when the object loads another file.
  void retireDocument();

 private:
  // What only an object that loads or saves files needs; most nodes never do, so
  // it is made on first use and a node stays small.
  struct Files;
  Files& files();
  const Files& filesOrNone() const;

  TiXmlDocument* m_SourceDocument;
  const wxString* m_ClassTag;
  std::unique_ptr<Files> m_Files;
};

}  // namespace KivoUnit
