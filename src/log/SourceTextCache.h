#pragma once

#include <string>

#include <wx/string.h>

namespace KivoUnit {

// The wide form of the source paths and function names that come with log
// messages. Callers pass the same few literals again and again, so each text is
// converted from UTF-8 once and kept by its address; the bytes are compared on
// every use, so a reused buffer with new content is converted afresh. Not
// thread-safe: the owner serialises the calls.
class SourceTextCache {
 public:
  // The text converted as wxString::FromUTF8 would; null gives an empty text.
  const wxString& wide(const char* text);

 private:
  struct Entry {
    const char* address = nullptr;
    std::string bytes;
    wxString wide;
  };

  static constexpr size_t kEntries = 256;

  const wxString m_Empty;
  Entry m_Entries[kEntries];
};

}  // namespace KivoUnit
