#pragma once
// Small helpers for tests on real TinyXML documents and exact log lines.
#include <tinyxml.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include <wx/string.h>

#include "support/LogCapture.h"

// Failure messages show texts rather than character codes.
inline void PrintTo(const wxString& text, std::ostream* out) { *out << '"' << text.utf8_string() << '"'; }

namespace KivoTest {

using Lines = std::vector<wxString>;

inline std::unique_ptr<TiXmlDocument> parseXml(const std::string& text) {
  auto document = std::make_unique<TiXmlDocument>();
  document->Parse(text.c_str(), nullptr, TIXML_ENCODING_UTF8);
  return document;
}

inline wxString utf8(const std::string& text) { return wxString::FromUTF8(text.data(), text.size()); }

// `node` printed on one line, as TinyXML writes it.
inline std::string printed(const TiXmlNode& node) {
  TiXmlPrinter printer;
  printer.SetStreamPrinting();
  node.Accept(&printer);
  return printer.CStr();
}

// Every logged message as "level source function(): text".
inline Lines logged(const LogCapture& log) {
  Lines lines;
  for (const auto& m : log.messages()) {
    lines.push_back(wxString::Format("%i %s %s(): %s", m.level, m.file, m.function, m.message));
  }
  return lines;
}

}  // namespace KivoTest
