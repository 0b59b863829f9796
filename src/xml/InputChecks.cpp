// Checks on configuration and include files around the parser: what may be opened
// and parsed at all, and what the parser read that the tree could not show.
#include "xml/InputChecks.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <new>

#include <tinyxml.h>

#include "convert/NarrowText.h"
#include "log/Report.h"
#include "kivo/xml/XmlLimits.h"

namespace KivoUnit {
namespace {

constexpr const char* kSourcePath = "include/kivo/xml/KivoXML";

std::atomic<int> s_MaxDepth{XmlLimits::DefaultMaxDepth};
std::atomic<int> s_MaxAttributes{XmlLimits::DefaultMaxAttributes};
thread_local int t_NestingOffset = 0;
thread_local wxString t_LastRefusal;

bool refuse(wxString& reason, const wxString& text) {
  reason = text;
  t_LastRefusal = text;
  return false;
}

// Follows the element nesting of XML text byte by byte, without building anything:
// comments, CDATA sections, processing instructions, declarations and quoted
// attribute values are skipped, so markup inside them does not count.
class NestingScanner {
 public:
  void feed(const char* data, size_t size) {
    const char* end = data + size;
    for (const char* p = data; p < end;) {
      // Text and quoted values are most of a file: skip to the byte that ends them.
      const char* stop = skipTo(p, end);
      if (stop == end) break;
      step(*stop);
      p = stop + 1;
    }
  }
  int maxDepth() const { return m_MaxDepth; }
  int deepLine() const { return m_DeepLine; }
  int maxAttributes() const { return m_MaxAttributes; }
  int wideLine() const { return m_WideLine; }
  void watch(int depthLimit, int attributeLimit) {
    m_DepthLimit = depthLimit;
    m_AttributeLimit = attributeLimit;
  }

 private:
  enum class State { Text, Open, Bang, Comment, CData, Declaration, Instruction, EndTag, Tag, Quoted };

  // The first byte from `p` on that step must see, counting the lines passed on the way.
  const char* skipTo(const char* p, const char* end) {
    char wanted = 0;
    if (m_State == State::Text) {
      wanted = '<';
    } else if (m_State == State::Quoted) {
      wanted = m_Quote;
    } else {
      return p;
    }
    const auto* found = static_cast<const char*>(memchr(p, wanted, static_cast<size_t>(end - p)));
    const char* stop = found != nullptr ? found : end;
    m_Line += static_cast<int>(std::count(p, stop, '\n'));
    return stop;
  }

  void step(char c) {
    if (c == '\n') ++m_Line;
    switch (m_State) {
      case State::Text:
        if (c == '<') m_State = State::Open;
        break;
      case State::Open: open(c); break;
      case State::Bang: bang(c); break;
      case State::Comment: closeAfter(c, "-->"); break;
      case State::CData: closeAfter(c, "]]>"); break;
      case State::Instruction: closeAfter(c, "?>"); break;
      case State::Declaration: declaration(c); break;
      case State::EndTag:
        if (c == '>') {
          if (m_Depth > 0) --m_Depth;
          m_State = State::Text;
        }
        break;
      case State::Tag: tag(c); break;
      case State::Quoted:
        if (c == m_Quote) m_State = State::Tag;
        break;
    }
  }

  void open(char c) {
    m_Recent.clear();
    if (c == '/') {
      m_State = State::EndTag;
    } else if (c == '!') {
      m_State = State::Bang;
    } else if (c == '?') {
      m_State = State::Instruction;
    } else {
      enterElement();
      m_State = State::Tag;
      m_Previous = c;
    }
  }

  void bang(char c) {
    m_Recent += c;
    static const std::string kComment = "--";
    static const std::string kCData = "[CDATA[";
    if (m_Recent == kComment) {
      m_State = State::Comment;
      m_Recent.clear();
    } else if (m_Recent == kCData) {
      m_State = State::CData;
      m_Recent.clear();
    } else if (kComment.compare(0, m_Recent.size(), m_Recent) != 0 &&
               kCData.compare(0, m_Recent.size(), m_Recent) != 0) {
      m_State = State::Declaration;
      m_Brackets = 0;
      m_Quote = 0;
      declaration(c);
    }
  }

  // Ends the state at the first `end`, looking only at the last bytes seen.
  void closeAfter(char c, const char* end) {
    m_Recent += c;
    const std::string tail(end);
    if (m_Recent.size() > tail.size()) m_Recent.erase(0, m_Recent.size() - tail.size());
    if (m_Recent == tail) {
      m_State = State::Text;
      m_Recent.clear();
    }
  }

  void declaration(char c) {
    if (m_Quote != 0) {
      if (c == m_Quote) m_Quote = 0;
    } else if (c == '"' || c == '\'') {
      m_Quote = c;
    } else if (c == '[') {
      ++m_Brackets;
    } else if (c == ']') {
      if (m_Brackets > 0) --m_Brackets;
    } else if (c == '>' && m_Brackets == 0) {
      m_State = State::Text;
    }
  }

  void tag(char c) {
    if (c == '"' || c == '\'') {
      m_Quote = c;
      m_State = State::Quoted;
    } else if (c == '=') {
      if (++m_Attributes > m_MaxAttributes) m_MaxAttributes = m_Attributes;
      if (m_Attributes == m_AttributeLimit + 1 && m_WideLine == 0) m_WideLine = m_Line;
    } else if (c == '>') {
      if (m_Previous == '/' && m_Depth > 0) --m_Depth;
      m_State = State::Text;
    }
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') m_Previous = c;
  }

  void enterElement() {
    m_Attributes = 0;
    if (++m_Depth > m_MaxDepth) m_MaxDepth = m_Depth;
    if (m_Depth == m_DepthLimit + 1 && m_DeepLine == 0) m_DeepLine = m_Line;
  }

  State m_State = State::Text;
  std::string m_Recent;
  char m_Quote = 0;
  char m_Previous = 0;
  int m_Brackets = 0;
  int m_Line = 1;
  int m_Depth = 0;
  int m_MaxDepth = 0;
  int m_DeepLine = 0;
  int m_DepthLimit = 0;
  int m_Attributes = 0;
  int m_MaxAttributes = 0;
  int m_WideLine = 0;
  int m_AttributeLimit = 0;
};

// Up to `size` bytes of `fd` into `buffer`; false when fewer were there.
bool readFully(int fd, char* buffer, size_t size) {
  size_t done = 0;
  while (done < size) {
    const ssize_t got = ::read(fd, buffer + done, size - done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    done += static_cast<size_t>(got);
  }
  return true;
}

// No byte above 0x7F and no "&#", which the parser would turn into other bytes.
bool isPlainAsciiText(const char* text, size_t size) {
  if (!detail::isAscii(text, size)) return false;
  const char* end = text + size;
  for (const char* p = text; p < end; ++p) {
    p = static_cast<const char*>(memchr(p, '&', static_cast<size_t>(end - p)));
    if (p == nullptr) return true;
    if (p + 1 < end && p[1] == '#') return false;
  }
  return true;
}

// CR LF and lone CR become LF, in place and up to the first zero byte, as
// TinyXML's LoadFile does before it parses.
void normaliseLineEnds(char* text) {
  char* read = std::strchr(text, '\r');
  if (read == nullptr) return;
  char* write = read;
  while (*read != '\0') {
    if (*read == '\r') {
      *write++ = '\n';
      if (*++read == '\n') ++read;
    } else {
      *write++ = *read++;
    }
  }
  *write = '\0';
}

// Invalid bytes would make wx stop the conversion; the report shows them as "?".
wxString printable(const std::string& bytes) {
  std::string clean = detail::isStrictUtf8(bytes) ? bytes : detail::latin1ToUtf8(bytes);
  return wxString::FromUTF8(clean.data(), clean.size());
}

bool isLatin1Name(std::string encoding) {
  for (char& c : encoding) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return encoding == "iso-8859-1" || encoding == "iso8859-1" || encoding == "latin1" ||
         encoding == "latin-1" || encoding == "l1" || encoding == "iso_8859-1";
}

// Rewrites the texts of one document that are not UTF-8.
class TextRepair {
 public:
  explicit TextRepair(bool declaredLatin1) : m_AllLatin1(declaredLatin1) {}

  void node(TiXmlNode& node) {
    if (TiXmlElement* element = node.ToElement()) {
      fix(node, element->ValueStr(), [&](const std::string& v) { element->SetValue(v); });
      for (TiXmlAttribute* a = element->FirstAttribute(); a != nullptr; a = a->Next()) {
        fix(node, a->NameTStr(), [&](const std::string& v) { a->SetName(v); });
        fix(node, a->ValueStr(), [&](const std::string& v) { a->SetValue(v); });
      }
    } else if (node.ToText() != nullptr || node.ToComment() != nullptr || node.ToUnknown() != nullptr) {
      fix(node, node.ValueStr(), [&](const std::string& v) { node.SetValue(v); });
    }
  }
  int firstLine() const { return m_FirstLine; }

 private:
  template <typename Setter>
  void fix(const TiXmlNode& node, const std::string& text, Setter set) {
    const bool latin1 =
        m_AllLatin1 ? !detail::isAscii(text.data(), text.size()) : !detail::isStrictUtf8(text);
    if (!latin1) return;
    set(detail::latin1ToUtf8(text));
    if (m_FirstLine == 0) m_FirstLine = node.Row() > 0 ? node.Row() : 1;
  }

  bool m_AllLatin1;
  int m_FirstLine = 0;
};

// A file declared Latin-1 is written back as UTF-8, so its declaration says so.
void declareUtf8(TiXmlDocument& document, TiXmlDeclaration& declaration) {
  TiXmlDeclaration replacement(declaration.Version(), "UTF-8", declaration.Standalone());
  document.ReplaceChild(&declaration, replacement);
}

}  // namespace

int XmlLimits::getMaxDepth() { return s_MaxDepth; }
void XmlLimits::setMaxDepth(int levels) { s_MaxDepth = levels > 0 ? levels : 1; }
int XmlLimits::getMaxAttributes() { return s_MaxAttributes; }
void XmlLimits::setMaxAttributes(int count) { s_MaxAttributes = count > 0 ? count : 1; }

namespace detail {

NestingOffset::NestingOffset(int levels) : m_Levels(levels > 0 ? levels : 0) {
  t_NestingOffset += m_Levels;
}
NestingOffset::~NestingOffset() { t_NestingOffset -= m_Levels; }
int NestingOffset::current() { return t_NestingOffset; }

wxString describeNonRegularFile(const wxString& path) {
  struct stat info {};
  if (stat(path.utf8_str(), &info) != 0 || S_ISREG(info.st_mode)) return wxString();
  return S_ISDIR(info.st_mode) ? wxS("is a folder") : wxS("is not a regular file");
}

int enclosingElements(const TiXmlElement* element) {
  int count = 0;
  for (const TiXmlNode* node = element != nullptr ? element->Parent() : nullptr;
       node != nullptr && node->ToElement() != nullptr; node = node->Parent()) {
    ++count;
  }
  return count;
}

wxString lastRefusal() { return t_LastRefusal; }

bool ParseInput::read(const wxString& path, wxString& reason) {
  t_LastRefusal.clear();
  m_Bytes.reset();
  m_Size = 0;
  m_Read = m_PlainAscii = false;
  const wxString kind = describeNonRegularFile(path);
  if (!kind.empty()) {
    return refuse(reason, wxString::Format(wxS("'%s' %s"), path, kind));
  }
  // Non-blocking, so a file swapped for a pipe after the check cannot hang the open.
  const int fd = open(path.utf8_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return true;  // the parse reports what could not be opened
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return refuse(reason, wxString::Format(wxS("'%s' is not a regular file"), path));
  }
  // The size when opened, as TinyXML reads a file; what grows later is not read.
  m_Size = static_cast<size_t>(info.st_size);
  // A file larger than memory cannot be read: the parse says so, nothing throws.
  m_Bytes.reset(new (std::nothrow) char[m_Size + 1]);
  m_Read = m_Bytes != nullptr && readFully(fd, m_Bytes.get(), m_Size);
  close(fd);
  if (!m_Read) return true;
  m_Bytes[m_Size] = '\0';
  m_PlainAscii = isPlainAsciiText(m_Bytes.get(), m_Size);
  const int offset = NestingOffset::current();
  const int depthLimit = XmlLimits::getMaxDepth() - offset;
  const int attributeLimit = XmlLimits::getMaxAttributes();
  NestingScanner scanner;
  scanner.watch(depthLimit, attributeLimit);
  scanner.feed(m_Bytes.get(), m_Size);
  if (scanner.maxDepth() > depthLimit) {
    return refuse(reason, wxString::Format(
        wxS("File '%s' nests elements %i levels deep (line %i); the limit is %i levels"), path,
        scanner.maxDepth() + offset, scanner.deepLine(), XmlLimits::getMaxDepth()));
  }
  if (scanner.maxAttributes() > attributeLimit) {
    return refuse(reason, wxString::Format(
        wxS("File '%s' has an element with %i attributes (line %i); the limit is %i attributes"),
        path, scanner.maxAttributes(), scanner.wideLine(), attributeLimit));
  }
  return true;
}

bool ParseInput::parse(TiXmlDocument& document, const char* path) {
  document.SetValue(path);
  document.Clear();
  if (!m_Read || m_Size == 0) {
    const int error = m_Read ? TiXmlBase::TIXML_ERROR_DOCUMENT_EMPTY
                             : TiXmlBase::TIXML_ERROR_OPENING_FILE;
    document.SetError(error, nullptr, nullptr, TIXML_ENCODING_UNKNOWN);
    return false;
  }
  normaliseLineEnds(m_Bytes.get());
  document.Parse(m_Bytes.get(), nullptr, TIXML_DEFAULT_ENCODING);
  return !document.Error();
}

void checkAfterParse(TiXmlDocument& document, const wxString& path, bool plainAscii) {
  TiXmlDeclaration* declaration = nullptr;
  for (TiXmlNode* node = document.FirstChild(); node != nullptr; node = node->NextSibling()) {
    if ((declaration = node->ToDeclaration()) != nullptr) break;
  }
  const bool declaredLatin1 = declaration != nullptr && isLatin1Name(declaration->Encoding());
  TextRepair repair(declaredLatin1);
  // Depth-first without recursion: the walk follows the sibling and parent links.
  TiXmlNode* node = document.FirstChild();
  while (node != nullptr) {
    if (!plainAscii) repair.node(*node);
    const TiXmlUnknown* unknown = node->ToUnknown();
    const bool doctype = unknown != nullptr && node->Parent() == &document &&
                         node->ValueStr().rfind("!", 0) == 0;
    if (unknown != nullptr && !doctype) {
      report(LevelWarning,
                  wxString::Format(wxS("Unreadable markup '<%s>' in '%s' line %i is ignored"),
                                   printable(node->ValueStr()), path, node->Row()),
             __LINE__, kSourcePath, "Load");
    }
    if (node->FirstChild() != nullptr) {
      node = node->FirstChild();
      continue;
    }
    while (node != nullptr && node->NextSibling() == nullptr) {
      node = node->Parent();
      if (node == &document) node = nullptr;
    }
    if (node != nullptr) node = node->NextSibling();
  }
  if (repair.firstLine() == 0) return;
  if (declaredLatin1) declareUtf8(document, *declaration);
  report(LevelWarning,
              wxString::Format(wxS("File '%s' holds text that is not UTF-8 from line %i on; "
                                   "it was read as ISO-8859-1 (Latin-1)"),
                               path, repair.firstLine()),
         __LINE__, kSourcePath, "Load");
}

bool isStrictUtf8(const std::string& bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* end = p + bytes.size();
  while (p < end) {
    const unsigned char c = *p;
    int extra = 0;
    unsigned int code = 0;
    unsigned int lowest = 0;
    if (c < 0x80) {
      ++p;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      extra = 1, code = c & 0x1F, lowest = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2, code = c & 0x0F, lowest = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
      extra = 3, code = c & 0x07, lowest = 0x10000;
    } else {
      return false;
    }
    if (end - p <= extra) return false;
    for (int i = 1; i <= extra; ++i) {
      if ((p[i] & 0xC0) != 0x80) return false;
      code = (code << 6) | (p[i] & 0x3F);
    }
    if (code < lowest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    p += extra + 1;
  }
  return true;
}

std::string latin1ToUtf8(const std::string& bytes) {
  std::string result;
  result.reserve(bytes.size() + bytes.size() / 4);
  for (const char byte : bytes) {
    const auto c = static_cast<unsigned char>(byte);
    if (c < 0x80) {
      result += byte;
    } else {
      result += static_cast<char>(0xC0 | (c >> 6));
      result += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return result;
}

}  // namespace detail
}  // namespace KivoUnit
