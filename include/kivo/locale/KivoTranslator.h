#pragma once

#include <vector>

#include <wx/string.h>
#include <wx/thread.h>

#include "kivo/KivoExport.h"
#include "kivo/locale/LanguageEntry.h"

namespace KivoUnit {

class KivoLocale;

// The process's translator of user-visible texts. It owns the current KivoLocale,
// sets the language, adds catalogs from a folder, lists the languages that have a
// catalog file and translates single texts, optionally logging every untranslated
// text to "<folder>/<language>.po" and ".csv" for translators.
//
// One re-entrant lock guards everything and is held for a whole translation: the
// locale reads the switches back through the locking getters on the same thread.
// Lock order: this lock, then KivoLocale's class lock, then its cache lock.
class KIVO_API KivoTranslator {
 public:
  static KivoTranslator& getSingleton();

  KivoLocale* GetLocale();
  // The previous locale is left to the caller.
  void SetLocale(KivoLocale* locale);
  // Destroys the locale (and with it its cache) and starts a new, empty one.
  void ResetLocale();

  bool InitLocale(int language, const wxString& localeName, bool addCatalog, bool listLanguages);
  void AddLocaleCatalogs(const wxString& folder);
  void addLanguages(const wxString& folder);
  std::vector<LanguageEntry> getLanguages();

  int getPrevLanguageId();
  wxString getPrevLanguageCode();
  wxString getPrevLanguageName();

  void SetLogUntranslated(bool log, const wxString& folder);
  bool getLogUntranslated();
  void SetTranslateStrings(bool translate);
  bool getTranslateStrings();
  void SetBackwardsCompatibility(bool compatible);
  bool getBackwardsCompatibility();

  wxString Translate(const wxString& text);
  // `text` looked up in the toolkit's current locale, as element labels are: a
  // KivoLocale is asked as itself, another locale through the toolkit, and without
  // a locale the text comes back. Serialised with catalog changes by the lock.
  wxString TranslateLabel(const wxString& text);

 private:
  KivoTranslator();
  KivoTranslator(const KivoTranslator&) = delete;
  KivoTranslator& operator=(const KivoTranslator&) = delete;

  bool initKnownLanguage(int language, bool addCatalog);
  bool initByRuntime(const wxString& localeName);
  void addCatalogFor(const wxString& code);
  void listLanguage(int language);
  // False when the log folder cannot be made: the translation is then returned as it is.
  bool logUntranslated(const wxString& text, const wxString& key);

  wxCriticalSection m_Lock;
  KivoLocale* m_Locale;
  int m_LanguageId;
  wxString m_LanguageCode;
  wxString m_LanguageName;
  bool m_LogUntranslated;
  bool m_TranslateStrings;
  bool m_BackwardsCompatibility;
  wxString m_LogFolder;
  std::vector<LanguageEntry> m_Languages;
};

}  // namespace KivoUnit
