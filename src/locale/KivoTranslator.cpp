#include "kivo/locale/KivoTranslator.h"

#include <clocale>

#include <wx/dir.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/log.h>

#include "locale/LanguageTable.h"
#include "locale/PathNormalisation.h"
#include "log/Report.h"
#include "kivo/locale/KivoLocale.h"

namespace KivoUnit {

namespace {

constexpr const char* kSourcePath = "include/kivo/locale/KivoTranslator";

// "~text~" stands for "text"; "~" alone for nothing.
wxString withoutTildes(const wxString& text) {
  if (!text.StartsWith(wxS("~")) || !text.EndsWith(wxS("~"))) return text;
  return text.length() < 2 ? wxString() : text.substr(1, text.length() - 2);
}

// The text after the first "] " of a "[Context] text", or "" when it is not one.
wxString afterContext(const wxString& text) {
  const size_t cut = text.find(wxS("] "));
  return cut == wxString::npos ? wxString() : text.substr(cut + 2);
}

}  // namespace

KivoTranslator& KivoTranslator::getSingleton() {
  static KivoTranslator translator;
  return translator;
}

KivoTranslator::KivoTranslator()
    : m_Locale(new KivoLocale()),
      m_LanguageId(0),
      m_LogUntranslated(false),
      m_TranslateStrings(true),
      m_BackwardsCompatibility(true) {}

KivoLocale* KivoTranslator::GetLocale() {
  wxCriticalSectionLocker lock(m_Lock);
  return m_Locale;
}

void KivoTranslator::SetLocale(KivoLocale* locale) {
  wxCriticalSectionLocker lock(m_Lock);
  m_Locale = locale;
}

void KivoTranslator::ResetLocale() {
  wxCriticalSectionLocker lock(m_Lock);
  delete m_Locale;
  m_Locale = new KivoLocale();
}

bool KivoTranslator::InitLocale(int language, const wxString& localeName, bool addCatalog,
                                bool listLanguages) {
  wxCriticalSectionLocker lock(m_Lock);
  if (m_Locale == nullptr) return false;
  bool result = true;
  try {
    // Catalogs attach only to an initialised locale, so it is set up before the
    // language folder's catalogs are added.
    if (LanguageTable::isTableNumber(language)) m_Locale->InitOnce();
    if (listLanguages) addLanguages(wxS("locale"));
    result = LanguageTable::isTableNumber(language) ? initKnownLanguage(language, addCatalog)
                                                    : initByRuntime(localeName);
    std::setlocale(LC_NUMERIC, "C");  // numbers always with a decimal point
  } catch (...) {
    KIVO_REPORT(LevelError, wxS("Exception occured while initializing locale"));
    return true;
  }
  return result;
}

bool KivoTranslator::initKnownLanguage(int language, bool addCatalog) {
  const wxLanguageInfo* info = wxLocale::GetLanguageInfo(language);
  if (info == nullptr) return false;
  m_LanguageId = info->Language;
  m_LanguageCode = info->CanonicalName;
  m_LanguageName = info->Description;
  KIVO_REPORT(LevelMessage,
              wxString::Format(wxS("Language set to #%i: '%s'"), m_LanguageId, m_LanguageName));
  if (addCatalog) addCatalogFor(m_LanguageCode);
  return true;
}

void KivoTranslator::addCatalogFor(const wxString& code) {
  const wxString catalog = code + wxS(".mo");
  KIVO_REPORT(LevelMessage, wxString::Format(wxS("Adding catalog '%s'"), catalog));
  if (m_Locale->AddCatalog(catalog)) {
    KIVO_REPORT(LevelMessage, wxString::Format(wxS("Added catalog '%s'"), catalog));
  } else {
    KIVO_REPORT(LevelError, wxString::Format(wxS("Failed to add '%s'"), catalog));
  }
}

bool KivoTranslator::initByRuntime(const wxString& localeName) {
  const char* set = std::setlocale(LC_ALL, localeName.utf8_str().data());
  if (set == nullptr) {
    KIVO_REPORT(LevelMessage, wxString::Format(wxS("setlocale '%s' failed"), localeName));
  } else {
    KIVO_REPORT(LevelMessage, wxString::Format(wxS("setlocale '%s' returned '%s'"), localeName,
                                               wxString::FromUTF8(set)));
  }
  return false;
}

void KivoTranslator::addLanguages(const wxString& folder) {
  wxCriticalSectionLocker lock(m_Lock);
  KivoLocale::AddCatalogLookupPathPrefix(folder);
  const wxString previous = wxGetCwd();
  const wxString full = detail::normalized(folder);
  KIVO_REPORT(LevelMessage, wxS("Searching language files from: ") + full);
  {
    wxLogNull quiet;  // a missing folder lists nothing, without the toolkit's error
    if (!wxSetWorkingDirectory(full)) return;
  }
  for (int language = LanguageTable::kFirstListed; language < LanguageTable::kEnd; ++language) {
    listLanguage(language);
  }
  wxSetWorkingDirectory(previous);
}

// One line of the language list, and the language's catalog when its file is there.
void KivoTranslator::listLanguage(int language) {
  const wxLanguageInfo* info = wxLocale::GetLanguageInfo(language);
  if (info == nullptr) return;
  const wxString file = detail::normalized(info->CanonicalName + wxS(".mo"));
  const bool exists = wxFileName::FileExists(file);
  KIVO_REPORT(LevelMessage,
              wxString::Format(wxS("%s = %i, ///< %s %s"), info->CanonicalName, language,
                               info->Description, exists ? wxS("(file exists)") : wxS("")));
  if (!exists) return;
  m_Languages.push_back(LanguageEntry{language, info->CanonicalName, info->Description, file});
  if (m_Locale == nullptr) {
    KIVO_REPORT(LevelWarning, wxS("No locale object"));
  } else if (!m_Locale->AddCatalog(file)) {
    KIVO_REPORT(LevelError, wxString::Format(wxS("Failed to add '%s'"), file));
  }
}

void KivoTranslator::AddLocaleCatalogs(const wxString& folder) {
  wxCriticalSectionLocker lock(m_Lock);
  if (m_Locale == nullptr) return;
  wxArrayString files;
  wxDir::GetAllFiles(detail::normalized(folder), &files, wxS("*.mo"), wxDIR_FILES);
  for (const wxString& file : files) m_Locale->AddCatalog(file);
}

std::vector<LanguageEntry> KivoTranslator::getLanguages() {
  wxCriticalSectionLocker lock(m_Lock);
  return m_Languages;
}

// The language getters take the lock too: labels are translated outside a
// translation, and a copy of a text being replaced would not be safe.
int KivoTranslator::getPrevLanguageId() {
  wxCriticalSectionLocker lock(m_Lock);
  return m_LanguageId;
}

wxString KivoTranslator::getPrevLanguageCode() {
  wxCriticalSectionLocker lock(m_Lock);
  return m_LanguageCode;
}

wxString KivoTranslator::getPrevLanguageName() {
  wxCriticalSectionLocker lock(m_Lock);
  return m_LanguageName;
}

void KivoTranslator::SetLogUntranslated(bool log, const wxString& folder) {
  wxCriticalSectionLocker lock(m_Lock);
  m_LogUntranslated = log;
  m_LogFolder = folder;
}

bool KivoTranslator::getLogUntranslated() {
  wxCriticalSectionLocker lock(m_Lock);
  return m_LogUntranslated;
}

void KivoTranslator::SetTranslateStrings(bool translate) {
  wxCriticalSectionLocker lock(m_Lock);
  m_TranslateStrings = translate;
}

bool KivoTranslator::getTranslateStrings() {
  wxCriticalSectionLocker lock(m_Lock);
  return m_TranslateStrings;
}

void KivoTranslator::SetBackwardsCompatibility(bool compatible) {
  wxCriticalSectionLocker lock(m_Lock);
  m_BackwardsCompatibility = compatible;
}

bool KivoTranslator::getBackwardsCompatibility() {
  wxCriticalSectionLocker lock(m_Lock);
  return m_BackwardsCompatibility;
}

wxString KivoTranslator::Translate(const wxString& text) {
  if (text.empty()) return wxString();
  const wxString key = withoutTildes(text);
  if (key.empty()) return wxString();
  wxCriticalSectionLocker lock(m_Lock);
  if (!m_TranslateStrings || m_Locale == nullptr) return key;
  const wchar_t* answer = m_Locale->GetString(key.wc_str(), nullptr);
  wxString translation = answer == nullptr ? wxString() : wxString(answer);
  if (m_LogUntranslated && translation == key && !logUntranslated(text, key)) return translation;
  if (m_BackwardsCompatibility && translation.StartsWith(wxS("[")) && translation == key) {
    const wxString rest = afterContext(translation);
    if (!rest.empty()) {
      const wchar_t* retried = m_Locale->GetString(rest.wc_str(), nullptr);
      translation = retried == nullptr ? wxString() : wxString(retried);
    }
  }
  return translation;
}

wxString KivoTranslator::TranslateLabel(const wxString& text) {
  wxCriticalSectionLocker lock(m_Lock);
  wxLocale* current = wxGetLocale();
  if (current == nullptr) return text;
  if (const KivoLocale* locale = dynamic_cast<const KivoLocale*>(current)) {
    const wchar_t* answer = locale->GetString(text.wc_str(), nullptr);
    return answer == nullptr ? text : wxString(answer);
  }
  return current->GetString(text);
}

}  // namespace KivoUnit
