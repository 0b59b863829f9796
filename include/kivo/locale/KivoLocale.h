#pragma once

#include <map>

#include <wx/arrstr.h>
#include <wx/intl.h>
#include <wx/string.h>
#include <wx/thread.h>

#include "kivo/KivoExport.h"
#include "kivo/locale/Internationalization.h"

namespace KivoUnit {

using TranslationMap = std::map<wxString, wxString>;
using TranslationMaps = std::map<wxString, TranslationMap>;

// The catalog locale the translator works through: a toolkit locale whose lookup
// adds custom maps (replacements that win over the catalogs), a per-language cache
// of every translation given, translation maps (what each text became) and a debug
// form showing translation and source together. The maps, their lock and the
// switches are shared by all KivoLocale objects.
//
// wxLocale::GetString is not virtual in wxWidgets 3.2 (it forwards to
// wxGetTranslation), so the GetString operations below are NOT reached through a
// wxLocale pointer: callers must call them on a KivoLocale. The same holds for
// AddCatalog and AddCatalogLookupPathPrefix, which hide the toolkit's own so that
// "de_DE.mo"-style files load from the language folders (the toolkit looks in
// <folder>/<language>/LC_MESSAGES only, and loads a full path only without ".mo").
class KIVO_API KivoLocale : public wxLocale {
 public:
  KivoLocale();
  ~KivoLocale() override;
  KivoLocale(const KivoLocale&) = delete;
  KivoLocale& operator=(const KivoLocale&) = delete;

  // The translation of `text` (null for a null text), through custom maps, cache
  // and catalogs; the characters stay valid as long as the locale.
  virtual const wchar_t* GetString(const wchar_t* text, const wchar_t* domain = nullptr) const;
  // The catalogs' plural form, without maps, cache or logging.
  virtual const wchar_t* GetString(const wchar_t* text, const wchar_t* plural, unsigned int n,
                                   const wchar_t* domain = nullptr) const;

  // Sets the toolkit locale the catalogs are served under. The toolkit allows one
  // Init per object, so later calls only answer whether the first one succeeded.
  // A missing system locale is reported once; catalogs still work without it.
  bool InitOnce();
  // Adds a catalog: a full path of a ".mo" file, a file name such as "de_DE.mo"
  // looked for in the lookup folders, or a toolkit domain name. Initialises the
  // locale first when needed, since catalogs only work on an initialised locale.
  bool AddCatalog(const wxString& catalog);
  // Adds a folder searched for catalog files by name, here and by the toolkit.
  static void AddCatalogLookupPathPrefix(const wxString& folder);
  // The full path of `fileName` in the first lookup folder that holds it, or "".
  static wxString FindCatalogFile(const wxString& fileName);

  const Internationalization& getCache() const { return m_Cache; }

  static wxCriticalSection& theLock();
  static TranslationMaps& theTranslationMaps();
  static TranslationMaps& theCustomMaps();
  static bool& useCustomTranslationStrings();
  static bool& useDebugTranslationString();
  static wxString& getDebugTranslationString();

  static TranslationMap getTranslationMap(const wxString& language);
  static TranslationMaps getTranslationMaps();
  static void clearTranslationMaps();
  static TranslationMap getCustomMap(const wxString& language);
  static void setCustomMap(const wxString& language, const TranslationMap& map);
  static TranslationMaps getCustomMaps();
  static void setCustomMaps(const TranslationMaps& maps);
  static void clearCustomMaps();
  // Records what `text` became; returns the translation to use (the debug form
  // when that is switched on), or null for a null translation.
  static const wchar_t* setTranslationMapEntry(const wxString& text, const wchar_t* translation,
                                               const wxString& language);

 private:
  const wchar_t* customString(const wxString& language, const wxString& text) const;
  const wchar_t* catalogString(const wxString& language, const wxString& text,
                               const wchar_t* domain) const;
  bool addCatalogFile(const wxString& file);

  mutable Internationalization m_Cache;
  bool m_InitDone;
  bool m_InitOk;
};

}  // namespace KivoUnit
