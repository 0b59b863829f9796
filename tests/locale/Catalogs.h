#pragma once
// Real message catalogs for the locale tests: .po text compiled with msgfmt, and a
// translator brought back to its first state around each test.
#include <string>

#include <gtest/gtest.h>

#include <wx/language.h>

#include "kivo/app/Toolkit.h"
#include "support/Shell.h"
#include "support/TempDir.h"

namespace KivoTest {

// Entries of the German and Finnish catalogs the tests load.
extern const char* const kGermanEntries;
extern const char* const kFinnishEntries;

// Writes <folder>/<code>.po (a UTF-8 header with two plural forms, then `entries`)
// and compiles it to <folder>/<code>.mo; returns the .mo path, "" when msgfmt failed.
std::string compileCatalog(const std::string& folder, const std::string& code,
                           const std::string& entries);

// A translator with a fresh locale and default switches, no maps, and the German
// and Finnish catalogs compiled into dir()/locale.
class TranslatorTest : public testing::Test {
 protected:
  TranslatorTest();
  ~TranslatorTest() override;
  const TempDir& dir() const { return m_Dir; }
  std::string localeFolder() const { return m_Dir.file("locale"); }
  // Lists the languages of localeFolder() and sets `language` with its catalog.
  bool useLanguage(int language);

 private:
  KivoUnit::Toolkit::Scope m_Toolkit;
  TempDir m_Dir;
};

}  // namespace KivoTest
