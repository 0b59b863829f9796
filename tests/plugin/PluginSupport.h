#pragma once

// The library's exported entry points and small helpers for the plug-in tests.
#include <string>

#include <wx/string.h>

#include "kivo/convert/Indent.h"
#include "kivo/base/KivoBase.h"
#include "kivo/plugin/KivoInit.h"
#include "kivo/plugin/PluginRecords.h"
#include "kivo/plugin/KivoLibrary.h"

extern "C" {
KivoUnit::Kivo* start(KivoUnit::Kivo*);
void stop();
int boot();
}

namespace KivoTest {

inline wxString wx(const std::string& text) { return wxString::FromUTF8(text.c_str()); }

inline const KivoUnit::KivoFunctions& api() { return *KivoUnit::getKivo()->functions; }

// The memory report line of the running base, e.g. allocated="4" ... units="1".
inline wxString memoryLine() {
  KivoUnit::KivoBase* base = KivoUnit::KivoBase::GetInstance();
  if (base == nullptr) return wxString();
  const wxString state = base->State(KivoUnit::Indent(), wxString());
  const int from = state.Find(wxS("<memory "));
  return from == wxNOT_FOUND ? wxString() : state.Mid(from).BeforeFirst(wxS('>')) + wxS(">");
}

inline wxString memoryOf(int allocated, int freed, int units) {
  return wxString::Format(wxS("<memory allocated=\"%i\" freed=\"%i\" total=\"%i\" units=\"%i\">"),
                          allocated, freed, allocated - freed, units);
}

inline KivoUnit::KivoLibrary* libraryAt(const wxString& path) {
  KivoUnit::KivoBase* base = KivoUnit::KivoBase::GetInstance();
  return base != nullptr ? dynamic_cast<KivoUnit::KivoLibrary*>(base->Search(path)) : nullptr;
}

}  // namespace KivoTest
