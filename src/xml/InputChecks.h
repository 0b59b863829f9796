#pragma once

#include <string>

#include <wx/string.h>

class TiXmlDocument;
class TiXmlElement;

namespace KivoUnit::detail {

// True when `path` can be handed to the parser: a regular file (or a link to one)
// whose nesting and attribute counts stay within XmlLimits. Never blocks: a pipe or
// a device is refused by its type, not opened for reading. `reason` says why not.
bool checkBeforeParse(const wxString& path, wxString& reason);
// The reason of the last refusal by checkBeforeParse on this thread, "" after a pass.
wxString lastRefusal();

// "is a folder", "is not a regular file" or "" for a regular file or a missing one.
wxString describeNonRegularFile(const wxString& path);

// Makes every text of a parsed document UTF-8 and reports what the parser set
// aside: text that is not UTF-8 (or a document declared ISO-8859-1) is read as
// Latin-1 with one warning naming the file and the first line, and markup TinyXML
// keeps as "unknown" is named with its line.
void checkAfterParse(TiXmlDocument& document, const wxString& path);

// True for strict UTF-8: no overlong forms, no surrogates, nothing beyond U+10FFFF.
bool isStrictUtf8(const std::string& bytes);
// Every byte taken as a Latin-1 character.
std::string latin1ToUtf8(const std::string& bytes);

// Elements an include file adds below the node that includes it: the file's own
// nesting counts from there while an object of this class lives.
class NestingOffset {
 public:
  explicit NestingOffset(int levels);
  ~NestingOffset();
  NestingOffset(const NestingOffset&) = delete;
  NestingOffset& operator=(const NestingOffset&) = delete;
  static int current();

 private:
  int m_Levels;
};

// The number of elements that hold `element` in its document, 0 for null. An
// included file's root takes the place of the element that names it, so its
// nesting counts from there.
int enclosingElements(const TiXmlElement* element);

}  // namespace KivoUnit::detail
