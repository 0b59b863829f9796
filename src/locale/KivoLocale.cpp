#include "kivo/locale/KivoLocale.h"

#include <deque>

#include <wx/filename.h>
#include <wx/log.h>

#include "locale/LanguageTable.h"
#include "log/Report.h"
#include "kivo/locale/KivoTranslator.h"

namespace KivoUnit {

namespace {

constexpr const char* kSourcePath = "include/kivo/locale/KivoLocale";

// Debug texts are handed out as characters, so they live as long as the process.
std::deque<wxString>& debugTexts() {
  static auto* texts = new std::deque<wxString>();
  return *texts;
}

// Folders searched for catalog files by name, in the order they were added.
wxArrayString& lookupFolders() {
  static auto* folders = new wxArrayString();
  return *folders;
}

wxString domainText(const wchar_t* domain) {
  return domain == nullptr ? wxString() : wxString(domain);
}

}  // namespace

KivoLocale::KivoLocale() : m_InitDone(false), m_InitOk(false) {}

KivoLocale::~KivoLocale() = default;

wxCriticalSection& KivoLocale::theLock() {
  static auto* lock = new wxCriticalSection();
  return *lock;
}

TranslationMaps& KivoLocale::theTranslationMaps() {
  static auto* maps = new TranslationMaps();
  return *maps;
}

TranslationMaps& KivoLocale::theCustomMaps() {
  static auto* maps = new TranslationMaps();
  return *maps;
}

bool& KivoLocale::useCustomTranslationStrings() {
  static bool use = false;
  return use;
}

bool& KivoLocale::useDebugTranslationString() {
  static bool use = false;
  return use;
}

wxString& KivoLocale::getDebugTranslationString() {
  static auto* format = new wxString(wxS("'%s'\n''%s''\n"));
  return *format;
}

const wchar_t* KivoLocale::GetString(const wchar_t* text, const wchar_t* domain) const {
  if (text == nullptr) return nullptr;
  const wxString source(text);
  const wxString language = KivoTranslator::getSingleton().getPrevLanguageCode();
  if (const wchar_t* custom = customString(language, source)) return custom;
  if (const wchar_t* cached = m_Cache.get(language, source)) return cached;
  return catalogString(language, source, domain);
}

const wchar_t* KivoLocale::GetString(const wchar_t* text, const wchar_t* plural, unsigned int n,
                                     const wchar_t* domain) const {
  if (text == nullptr || plural == nullptr) return text;
  return wxLocale::GetString(wxString(text), wxString(plural), n, domainText(domain)).wc_str();
}

// A non-empty replacement from the language's custom map, when they are switched on.
const wchar_t* KivoLocale::customString(const wxString& language, const wxString& text) const {
  wxCriticalSectionLocker lock(theLock());
  if (!useCustomTranslationStrings()) return nullptr;
  const TranslationMap& map = theCustomMaps()[language];
  const auto found = map.find(text);
  return found == map.end() || found->second.empty() ? nullptr : found->second.wc_str();
}

// First request of `text` in `language`: asks the catalogs, records the result and
// keeps it in the cache, whose copy is what later requests get.
const wchar_t* KivoLocale::catalogString(const wxString& language, const wxString& text,
                                         const wchar_t* domain) const {
  KivoTranslator& translator = KivoTranslator::getSingleton();
  const bool log = translator.getLogUntranslated();
  const wxString catalogDomain = domainText(domain);
  wxString found;
  const size_t cut = text.find(wxS("] "));
  const bool bracketForm = text.StartsWith(wxS("[")) && translator.getBackwardsCompatibility();
  if (bracketForm && cut != wxString::npos && wxLocale::GetString(text, catalogDomain) == text) {
    // No translation of the whole "[Context] text": the text alone is translated.
    found = wxLocale::GetString(text.substr(cut + 2), catalogDomain);
  } else {
    found = wxLocale::GetString(text, catalogDomain);
  }
  const wchar_t* translation = found.wc_str();
  if (log) translation = setTranslationMapEntry(text, translation, language);
  if (translation != nullptr) translation = m_Cache.set(language, text, translation);
  KIVO_REPORT(LevelMessage,
              wxString::Format(wxS("[%s] First translation of '%s' to '%s'"), language, text,
                               translation != nullptr ? translation : L"NIL"));
  return translation;
}

const wchar_t* KivoLocale::setTranslationMapEntry(const wxString& text, const wchar_t* translation,
                                                  const wxString& language) {
  if (translation == nullptr) return nullptr;
  wxCriticalSectionLocker lock(theLock());
  theTranslationMaps()[language][text] = translation;
  if (!useDebugTranslationString()) return translation;
  wxString escaped = text;
  escaped.Replace(wxS("%"), wxS("%%"));
  debugTexts().push_back(
      wxString::Format(getDebugTranslationString(), wxString(translation), escaped, language));
  return debugTexts().back().wc_str();
}

TranslationMap KivoLocale::getTranslationMap(const wxString& language) {
  wxCriticalSectionLocker lock(theLock());
  return theTranslationMaps()[language];
}

TranslationMaps KivoLocale::getTranslationMaps() {
  wxCriticalSectionLocker lock(theLock());
  return theTranslationMaps();
}

void KivoLocale::clearTranslationMaps() {
  wxCriticalSectionLocker lock(theLock());
  theTranslationMaps().clear();
}

TranslationMap KivoLocale::getCustomMap(const wxString& language) {
  wxCriticalSectionLocker lock(theLock());
  return theCustomMaps()[language];
}

void KivoLocale::setCustomMap(const wxString& language, const TranslationMap& map) {
  wxCriticalSectionLocker lock(theLock());
  theCustomMaps()[language] = map;
}

TranslationMaps KivoLocale::getCustomMaps() {
  wxCriticalSectionLocker lock(theLock());
  return theCustomMaps();
}

void KivoLocale::setCustomMaps(const TranslationMaps& maps) {
  wxCriticalSectionLocker lock(theLock());
  if (&maps != &theCustomMaps()) theCustomMaps() = maps;
}

void KivoLocale::clearCustomMaps() {
  wxCriticalSectionLocker lock(theLock());
  theCustomMaps().clear();
}

bool KivoLocale::InitOnce() {
  if (m_InitDone) return m_InitOk;
  m_InitDone = true;
  {
    wxLogNull quiet;  // the toolkit's own warning would go to standard error
    m_InitOk = Init(LanguageTable::kInitLanguage, 0);
  }
  if (!m_InitOk) {
    KIVO_REPORT(LevelWarning,
                wxString::Format(wxS("Cannot set the system locale to '%s' (%s): generate it "
                                     "(locale-gen); translations from catalogs still work"),
                                 LanguageTable::kInitSystemLocale,
                                 wxLocale::GetLanguageName(LanguageTable::kInitLanguage)));
  }
  return m_InitOk;
}

void KivoLocale::AddCatalogLookupPathPrefix(const wxString& folder) {
  wxLocale::AddCatalogLookupPathPrefix(folder);
  wxFileName absolute = wxFileName::DirName(folder);
  absolute.MakeAbsolute();  // later working folders must not move it
  const wxString path = absolute.GetPath();
  wxCriticalSectionLocker lock(theLock());
  if (lookupFolders().Index(path) == wxNOT_FOUND) lookupFolders().Add(path);
}

wxString KivoLocale::FindCatalogFile(const wxString& fileName) {
  wxCriticalSectionLocker lock(theLock());
  for (const wxString& folder : lookupFolders()) {
    const wxFileName candidate(folder, fileName);
    if (candidate.FileExists()) return candidate.GetAbsolutePath();
  }
  return wxString();
}

bool KivoLocale::AddCatalog(const wxString& catalog) {
  InitOnce();
  const wxFileName name(catalog);
  if (name.GetExt() != wxS("mo")) {
    wxLogNull quiet;
    return wxLocale::AddCatalog(catalog);
  }
  if (name.IsAbsolute()) return addCatalogFile(catalog);
  const wxString file = FindCatalogFile(catalog);
  return !file.empty() && addCatalogFile(file);
}

// The toolkit loads a catalog by its full path only when given without ".mo".
bool KivoLocale::addCatalogFile(const wxString& file) {
  wxFileName withoutExtension(file);
  if (!withoutExtension.FileExists()) return false;
  withoutExtension.ClearExt();
  wxLogNull quiet;  // a broken file is reported by the caller
  return wxLocale::AddCatalog(withoutExtension.GetFullPath());
}

}  // namespace KivoUnit
