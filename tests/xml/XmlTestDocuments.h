#pragma once

#include <memory>
#include <string>

#include <tinyxml.h>

#include <wx/string.h>

namespace KivoTest {

// A document parsed from text, for tests that work on real TinyXML elements.
inline std::unique_ptr<TiXmlDocument> parseXml(const std::string& text) {
  auto document = std::make_unique<TiXmlDocument>();
  document->Parse(text.c_str(), nullptr, TIXML_ENCODING_UTF8);
  return document;
}

inline wxString utf8(const char* text) { return wxString::FromUTF8(text); }

// Counts the child elements of `parent` called `name`.
inline int childCount(const TiXmlElement* parent, const char* name) {
  int count = 0;
  for (const TiXmlElement* c = parent->FirstChildElement(name); c; c = c->NextSiblingElement(name)) {
    ++count;
  }
  return count;
}

}  // namespace KivoTest
