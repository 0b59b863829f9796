#include "kivo/xml/KivoXML.h"

#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

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

struct KivoXML::Files {
  Files() = default;
  Files(const Files&) = delete;
  Files& operator=(const Files&) = delete;
  ~Files() {
    delete document;
    for (TiXmlDocument* retired : retiredDocuments) delete retired;
  }

  TiXmlDocument* document = nullptr;  // the own document, made on first use
  wxString filename;
  std::vector<TiXmlDocument*> retiredDocuments;
  wxString saveFailure;
};

KivoXML::KivoXML(TiXmlDocument* sourceDocument)
    : m_SourceDocument(sourceDocument), m_ClassTag(&firstClassTag()) {}

KivoXML::Files& KivoXML::files() {
  if (!m_Files) m_Files = std::make_unique<Files>();
  return *m_Files;
}

const KivoXML::Files& KivoXML::filesOrNone() const {
  // Never freed: objects may be asked after static destruction.
  static const Files* none = new Files();
  return m_Files ? *m_Files : *none;
}

const wxString& KivoXML::getSaveFailure() const { return filesOrNone().saveFailure; }
const wxString& KivoXML::getFilename() const { return filesOrNone().filename; }

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

KivoXML::~KivoXML() = default;

void KivoXML::retireDocument() {
  if (!m_Files || m_Files->document == nullptr) return;
  m_Files->retiredDocuments.push_back(m_Files->document);
  m_Files->document = nullptr;
}

TiXmlDocument* KivoXML::getDocument() {
  Files& own = files();
  if (own.document == nullptr) own.document = new TiXmlDocument();
  return own.document;
}

wxString KivoXML::GetXmlError() const {
  const TiXmlDocument* document = filesOrNone().document;
  if (document == nullptr || !document->Error()) return wxString();
  const wxString file = wxString::FromUTF8(document->Value());
  const wxString description = wxString::FromUTF8(document->ErrorDesc());
  // TinyXML counts from 1 and reports 0 when it has no location. An empty document's
  // error is at its start; any other error without a location is said to be so,
  // rather than pointing the user at a line that is not at fault.
  int row = document->ErrorRow();
  int column = document->ErrorCol();
  if (row <= 0 && document->ErrorId() == TiXmlBase::TIXML_ERROR_DOCUMENT_EMPTY) row = column = 1;
  if (row <= 0) {
    return wxString::Format(wxS("Error #%i [position unknown] in xml document '%s': '%s'"),
                            document->ErrorId(), file, description);
  }
  return wxString::Format(wxS("Error #%i [line %i:%i] in xml document '%s': '%s'"),
                          document->ErrorId(), row, column > 0 ? column : 1, file, description);
}

bool KivoXML::Load(const wxString& filename) {
  m_SourceDocument = nullptr;
  Files& own = files();
  delete own.document;
  own.document = nullptr;

  wxFileName name(filename, wxPATH_NATIVE);
  // An empty name would otherwise normalise to the working directory.
  const bool valid = name.IsOk() && name.Normalize(kNormalisation) && name.IsOk();
  own.filename = name.GetFullPath();
  const wxString& file = own.filename;
  wxString refusal;
  detail::ParseInput input;
  // A folder is no file and is reported as missing below; pipes and devices exist
  // but would block or never end.
  if (valid && !wxDirExists(file) && !input.read(file, refusal)) {
    return KIVO_FAIL(false, LevelError,
                     wxString::Format(wxS("Loading file '%s' failed"), file) + wxS("\n") + refusal);
  }
  if (!valid || !name.FileExists()) {
    return KIVO_FAIL(false, LevelError, wxString::Format(wxS("File '%s' does not exist!"), file));
  }
  if (!input.parse(*getDocument(), file.utf8_str())) {
    return KIVO_FAIL(false, LevelError,
                     wxString::Format(wxS("Loading file '%s' failed"), file) + wxS("\n") +
                         GetXmlError());
  }
  detail::checkAfterParse(*own.document, file, input.isPlainAscii());
  m_SourceDocument = own.document;
  return true;
}

bool KivoXML::Save() { return saveDocument(m_SourceDocument); }

bool KivoXML::ownsDocument(const TiXmlDocument* document) const {
  if (document == nullptr) return false;
  if (document == m_SourceDocument) return true;
  if (!m_Files) return false;
  if (document == m_Files->document) return true;
  for (const TiXmlDocument* retired : m_Files->retiredDocuments) {
    if (retired == document) return true;
  }
  return false;
}

bool KivoXML::saveDocument(TiXmlDocument* document) {
  if (m_Files) m_Files->saveFailure.clear();
  if (document == nullptr) return false;
  std::string reason;
  // The document's value is the file it was loaded from; it stays its name.
  if (detail::saveDocumentSafely(*document, document->Value(), reason)) {
    document->ClearError();
    return true;
  }
  files().saveFailure = wxString::FromUTF8(reason.c_str());
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
        wxString::Format(wxS("No XML document association found! Filename '%s'"),
                         filesOrNone().filename));
  }
  return PrintXML(*m_SourceDocument, indent.getUnit());
}

}  // namespace KivoUnit
