#include "kivo/xml/KivoXML.h"

#include <mutex>
#include <string>
#include <unordered_set>

#include <tinyxml.h>

#include <wx/filename.h>

#include "log/Report.h"
#include "kivo/convert/Indent.h"
#include "xml/InputChecks.h"
#include "xml/SafeFile.h"

namespace KivoUnit {

namespace {

constexpr const char* kSourcePath = "include/kivo/xml/KivoXML";

// Every normalisation but case folding, so the logged path keeps the user's spelling.
constexpr int kNormalisation = wxPATH_NORM_ENV_VARS | wxPATH_NORM_DOTS | wxPATH_NORM_TILDE |
                               wxPATH_NORM_ABSOLUTE | wxPATH_NORM_LONG | wxPATH_NORM_SHORTCUT;

// The one copy of `tag`. Never released: objects may outlive static destruction.
const wxString& internedTag(const wxString& tag) {
  static std::mutex* mutex = new std::mutex();
  static auto* tags = new std::unordered_set<wxString>();
  std::lock_guard<std::mutex> lock(*mutex);
  return *tags->insert(tag).first;
}

// The tag every object starts with, found once.
const wxString& firstClassTag() {
  static const wxString& tag = internedTag(wxS("xml"));
  return tag;
}

}  // namespace

wxString KivoXML::PrintXML(const TiXmlNode& node, const wxString& indentUnit) {
  TiXmlPrinter printer;
  printer.SetIndent(indentUnit.utf8_str());
  printer.SetLineBreak("\n");
  node.Accept(&printer);
  return wxString::FromUTF8(printer.CStr(), printer.Size());
}

KivoXML::KivoXML(TiXmlDocument* sourceDocument)
    : m_Document(nullptr), m_SourceDocument(sourceDocument), m_ClassTag(&firstClassTag()) {}

void KivoXML::appendClassTag(const wxString& marker) { m_ClassTag = &internedTag(*m_ClassTag + marker); }

void KivoXML::appendClassTag(const wchar_t* marker) {
  struct Known {
    const wxString* before;
    std::wstring marker;
    const wxString* after;
  };
  // A few dozen classes: a short list, looked through by the tag so far first.
  thread_local std::vector<Known> known;
  const wchar_t* text = marker != nullptr ? marker : L"";
  for (const Known& entry : known) {
    if (entry.before == m_ClassTag && entry.marker == text) {
      m_ClassTag = entry.after;
      return;
    }
  }
  const wxString* before = m_ClassTag;
  appendClassTag(wxString(text));
  known.push_back({before, text, m_ClassTag});
}

const wxString& KivoXML::intern(const wxString& text) {
  // Element names repeat from node to node: the last few found need no lock.
  constexpr size_t kRecent = 4;
  thread_local const wxString* recent[kRecent] = {};
  thread_local size_t next = 0;
  for (const wxString* known : recent) {
    if (known != nullptr && *known == text) return *known;
  }
  const wxString& found = internedTag(text);
  recent[next] = &found;
  next = (next + 1) % kRecent;
  return found;
}

KivoXML::~KivoXML() {
  delete m_Document;
  for (TiXmlDocument* retired : m_RetiredDocuments) delete retired;
}

void KivoXML::retireDocument() {
  if (m_Document == nullptr) return;
  m_RetiredDocuments.push_back(m_Document);
  m_Document = nullptr;
}

TiXmlDocument* KivoXML::getDocument() {
  if (m_Document == nullptr) m_Document = new TiXmlDocument();
  return m_Document;
}

wxString KivoXML::GetXmlError() const {
  if (m_Document == nullptr || !m_Document->Error()) return wxString();
  const wxString file = wxString::FromUTF8(m_Document->Value());
  const wxString description = wxString::FromUTF8(m_Document->ErrorDesc());
  // TinyXML counts from 1 and reports 0 when it has no location. An empty document's
  // error is at its start; any other error without a location is said to be so,
  // rather than pointing the user at a line that is not at fault.
  int row = m_Document->ErrorRow();
  int column = m_Document->ErrorCol();
  if (row <= 0 && m_Document->ErrorId() == TiXmlBase::TIXML_ERROR_DOCUMENT_EMPTY) row = column = 1;
  if (row <= 0) {
    return wxString::Format(wxS("Error #%i [position unknown] in xml document '%s': '%s'"),
                            m_Document->ErrorId(), file, description);
  }
  return wxString::Format(wxS("Error #%i [line %i:%i] in xml document '%s': '%s'"),
                          m_Document->ErrorId(), row, column > 0 ? column : 1, file, description);
}

bool KivoXML::Load(const wxString& filename) {
  m_SourceDocument = nullptr;
  delete m_Document;
  m_Document = nullptr;

  wxFileName name(filename, wxPATH_NATIVE);
  // An empty name would otherwise normalise to the working directory.
  const bool valid = name.IsOk() && name.Normalize(kNormalisation) && name.IsOk();
  m_Filename = name.GetFullPath();
  wxString refusal;
  // A folder is no file and is reported as missing below; pipes and devices exist
  // but would block or never end.
  if (valid && !wxDirExists(m_Filename) && !detail::checkBeforeParse(m_Filename, refusal)) {
    return KIVO_FAIL(false, LevelError,
                     wxString::Format(wxS("Loading file '%s' failed"), m_Filename) + wxS("\n") + refusal);
  }
  if (!valid || !name.FileExists()) {
    return KIVO_FAIL(false, LevelError, wxString::Format(wxS("File '%s' does not exist!"), m_Filename));
  }
  if (!getDocument()->LoadFile(m_Filename.utf8_str())) {
    return KIVO_FAIL(false, LevelError,
                     wxString::Format(wxS("Loading file '%s' failed"), m_Filename) + wxS("\n") +
                         GetXmlError());
  }
  detail::checkAfterParse(*m_Document, m_Filename);
  m_SourceDocument = m_Document;
  return true;
}

bool KivoXML::Save() { return saveDocument(m_SourceDocument); }

bool KivoXML::ownsDocument(const TiXmlDocument* document) const {
  if (document == nullptr) return false;
  if (document == m_Document || document == m_SourceDocument) return true;
  for (const TiXmlDocument* retired : m_RetiredDocuments) {
    if (retired == document) return true;
  }
  return false;
}

bool KivoXML::saveDocument(TiXmlDocument* document) {
  m_SaveFailure.clear();
  if (document == nullptr) return false;
  std::string reason;
  // The document's value is the file it was loaded from; it stays its name.
  if (detail::saveDocumentSafely(*document, document->Value(), reason)) {
    document->ClearError();
    return true;
  }
  m_SaveFailure = wxString::FromUTF8(reason.c_str());
  // Kept in the document too, so that its error says a save failed.
  document->SetError(TiXmlBase::TIXML_ERROR_OPENING_FILE, nullptr, nullptr, TIXML_ENCODING_UNKNOWN);
  return false;
}

wxString KivoXML::xmlException(const wxString& message) const {
  return wxS("<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\"?>\n"
             "<exception>\n"
             "\t<message>\n"
             "\t\t") +
         message +
         wxS("\n"
             "\t</message>\n"
             "</exception>\n");
}

wxString KivoXML::DocToXML(const Indent& indent) const {
  if (m_SourceDocument == nullptr) {
    return xmlException(
        wxString::Format(wxS("No XML document association found! Filename '%s'"), m_Filename));
  }
  return PrintXML(*m_SourceDocument, indent.getUnit());
}

}  // namespace KivoUnit
