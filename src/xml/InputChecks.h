#pragma once

#include <memory>
#include <string>

#include <wx/string.h>

class TiXmlDocument;
class TiXmlElement;

namespace KivoUnit::detail {

// A file read once for both the checks and the parser: what was checked is what
// gets parsed, even when the file changes in between.
class ParseInput {
 public:
  // Reads `path` when it may be parsed at all: a regular file (or a link to one)
  // whose nesting and attribute counts stay within XmlLimits. Never blocks: a pipe
  // or a device is refused by its type, not opened for reading. False with
  // `reason` for a refused file; true otherwise, also for a file that cannot be
  // opened or read, which parse() then reports.
  bool read(const wxString& path, wxString& reason);
  // Parses what was read into `document` as TinyXML's LoadFile parses a file: line
  // ends normalised, the text up to the first zero byte, the document named
  // `path`. False when the document holds an error.
  bool parse(TiXmlDocument& document, const char* path);
  // No byte above 0x7F and no character reference: no parsed text needs repair.
  bool isPlainAscii() const { return m_PlainAscii; }

 private:
  std::unique_ptr<char[]> m_Bytes;
  size_t m_Size = 0;
  bool m_Read = false;
  bool m_PlainAscii = false;
};
// The reason of the last refusal by ParseInput::read on this thread, "" after a pass.
wxString lastRefusal();

// "is a folder", "is not a regular file" or "" for a regular file or a missing one.
wxString describeNonRegularFile(const wxString& path);

// Makes every text of a parsed document UTF-8 and reports what the parser set
// aside: text that is not UTF-8 (or a document declared ISO-8859-1) is read as
// Latin-1 with one warning naming the file and the first line, and markup TinyXML
// keeps as "unknown" is named with its line. A document parsed from plain ASCII
// has no text to repair: `plainAscii` spares reading each one.
void checkAfterParse(TiXmlDocument& document, const wxString& path, bool plainAscii);

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
