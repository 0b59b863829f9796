#pragma once

// One shape for every report the library makes: the text goes to the tracer with
// the unit's source path, the line and the function, and the caller's failure
// value comes back. Each unit defines `kSourcePath` (for example
// "include/kivo/xml/KivoXML") before using the macros.

#include <wx/string.h>

#include "kivo/log/Tracer.h"

namespace KivoUnit::detail {

inline void report(int level, const wxString& text, unsigned int line, const char* source,
                   const char* function) {
  Tracer::getSingleton()->Log(level, text, line, source, function);
}

template <typename Result>
Result reportFailure(Result result, int level, const wxString& text, unsigned int line,
                     const char* source, const char* function) {
  report(level, text, line, source, function);
  return result;
}

}  // namespace KivoUnit::detail

#define KIVO_REPORT(level, text) \
  ::KivoUnit::detail::report((level), (text), __LINE__, kSourcePath, __func__)
#define KIVO_FAIL(result, level, text) \
  ::KivoUnit::detail::reportFailure((result), (level), (text), __LINE__, kSourcePath, __func__)
