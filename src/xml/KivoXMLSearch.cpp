// The wildcard matchers that the searches use.
#include <wx/arrstr.h>
#include <wx/tokenzr.h>

#include "kivo/xml/KivoXML.h"

namespace KivoUnit {

namespace {

// The toolkit's default tokenizer mode gives the empty piece before a leading
// delimiter and between two delimiters, but none after a trailing one.
wxArrayString splitPieces(const wxString& text, const wxString& delimiters) {
  return wxStringTokenize(text, delimiters);
}

// Finds `piece` in `text` from `start`; an anchored piece must stand right at `start`.
bool matchPiece(const wxString& text, const wxString& piece, bool anchored, size_t& start) {
  if (anchored) {
    if (text.compare(start, piece.length(), piece) != 0) return false;
    start += piece.length();
    return true;
  }
  const size_t found = text.find(piece, start);
  if (found == wxString::npos) return false;
  start = found + piece.length();
  return true;
}

}  // namespace

bool KivoXML::WildSearch(const wxString& text, const wxString& pattern, const wxString& wildcard) {
  if (pattern.find(wildcard) == wxString::npos) return text == pattern;
  const wxArrayString pieces = splitPieces(pattern, wildcard);
  bool anchored = !pattern.StartsWith(wildcard);
  size_t start = 0;
  for (const wxString& piece : pieces) {
    if (!matchPiece(text, piece, anchored, start)) return false;
    anchored = false;
  }
  return true;
}

bool KivoXML::CommaSearch(const wxString& list, const wxString& pattern) {
  const wxString lowerPattern = pattern.Lower();
  const wxArrayString items = splitPieces(list.Lower(), wxS(","));
  for (const wxString& item : items) {
    if (WildSearch(item, lowerPattern, wxS("*"))) return true;
  }
  return false;
}

}  // namespace KivoUnit
