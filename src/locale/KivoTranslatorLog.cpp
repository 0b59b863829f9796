// The logs of untranslated texts: "<folder>/<code>.po" for gettext's tools and
// "<folder>/<code>.csv" for spreadsheets, each text once per language and run.
#include <set>

#include <wx/ffile.h>
#include <wx/filename.h>
#include <wx/intl.h>
#include <wx/log.h>

#include "locale/PathNormalisation.h"
#include "log/Report.h"
#include "kivo/locale/KivoLocale.h"
#include "kivo/locale/KivoTranslator.h"

namespace KivoUnit {

namespace {

constexpr const char* kSourcePath = "include/kivo/locale/KivoTranslator";

// Keys (language code and text) logged since the process started.
std::set<wxString>& loggedTexts() {
  static auto* logged = new std::set<wxString>();
  return *logged;
}

// Appends UTF-8 text to a file; true when all of it was written.
bool appendTo(wxFFile& file, const wxString& text) {
  const wxScopedCharBuffer bytes = text.utf8_str();
  return file.Write(bytes.data(), bytes.length()) == bytes.length();
}

// A log text in gettext's quoting: translators' tools read the file back.
wxString poQuoted(const wxString& text) {
  wxString quoted;
  for (const wxUniChar c : text) {
    switch (c.GetValue()) {
      case '\\':
        quoted += wxS("\\\\");
        break;
      case '"':
        quoted += wxS("\\\"");
        break;
      case '\n':
        quoted += wxS("\\n");
        break;
      case '\t':
        quoted += wxS("\\t");
        break;
      case '\r':
        quoted += wxS("\\r");
        break;
      default:
        quoted += c;
    }
  }
  return quoted;
}

// A new file starts with the header entry msgfmt needs to read UTF-8 texts.
constexpr const wchar_t* kPoHeader =
    L"msgid \"\"\n"
    L"msgstr \"\"\n"
    L"\"Project-Id-Version: untranslated texts\\n\"\n"
    L"\"PO-Revision-Date: \\n\"\n"
    L"\"Last-Translator: \\n\"\n"
    L"\"Language-Team: \\n\"\n"
    L"\"MIME-Version: 1.0\\n\"\n"
    L"\"Content-Type: text/plain; charset=UTF-8\\n\"\n"
    L"\"Content-Transfer-Encoding: 8bit\\n\"\n"
    L"\"Language: %s\\n\"\n\n";

void appendPoEntry(const wxString& path, const wxString& code, const wxString& text) {
  wxFFile file(path, wxS("a"));
  if (!file.IsOpened()) return;
  if (file.Length() == 0 && !appendTo(file, wxString::Format(kPoHeader, code))) return;
  if (appendTo(file, wxString::Format(wxS("msgid \"%s\"\n"), poQuoted(text))) &&
      appendTo(file, wxS("msgstr \"\"\n\n"))) {
    file.Flush();
  }
}

void appendCsvLine(const wxString& path, const wxString& key, bool firstOfRun) {
  wxFFile file(path, wxS("a"));
  if (!file.IsOpened()) return;
  wxString field = key;
  field.Replace(wxS("\""), wxS("\"\""));
  const wxString line = wxString::Format(wxS("\"%s\",\"%s\"\n"), field, wxString());
  if (appendTo(file, (firstOfRun ? wxS("\n") : wxS("")) + line)) file.Flush();
}

}  // namespace

bool KivoTranslator::logUntranslated(const wxString& text, const wxString& key) {
  wxString name = wxS("unknown");
  wxString code = wxS("unknown");
  if (const wxLanguageInfo* info = wxLocale::GetLanguageInfo(m_Locale->GetLanguage())) {
    name = info->Description;
    code = info->CanonicalName;
  }
  static bool s_AnyLogged = false;
  if (!loggedTexts().insert(code + key).second) return true;
  {
    wxLogNull quiet;  // files that cannot be written are skipped without a word
    const wxFileName po(detail::normalized(wxString::Format(wxS("%s/%s.po"), m_LogFolder, code)));
    if (!wxFileName::DirExists(po.GetPath()) &&
        !wxFileName::Mkdir(po.GetPath(), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL)) {
      return false;
    }
    appendPoEntry(po.GetFullPath(), code, text);
    appendCsvLine(detail::normalized(wxString::Format(wxS("%s/%s.csv"), m_LogFolder, code)), key,
                  !s_AnyLogged);
    s_AnyLogged = true;
  }
  KIVO_REPORT(LevelMessage, wxString::Format(wxS("UNTRANSLATED [%s] '%s' '%s'"), name, code, text));
  return true;
}

}  // namespace KivoUnit
