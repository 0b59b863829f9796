// A parse error is shown with its line and column when TinyXML knows them, and as
// of unknown position when it does not, never with an invented place.
#include <gtest/gtest.h>

#include <string>

#include "kivo/element/KivoElement.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

using KivoUnit::KivoElement;

namespace KivoTest {
namespace {

TEST(XmlParseError, ThePositionIsGivenOnlyWhenItIsKnown) {
  struct Case {
    const char* content;
    const char* shown;
  };
  const Case cases[] = {
      {"<root>\n  <a/>\n\n  <!-- never closed\n  <b/>\n</root>\n", "#5 [position unknown] in"},
      {"<root>\n  <a></b>\n</root>", "#8 [line 2:6] in"},
      {"", "#12 [line 1:1] in"}};  // an empty document's error is at its start
  LogCapture log;
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.content);
    const std::string file = dir.write("doc.xml", c.content);
    KivoElement element(wxS("node"));
    EXPECT_FALSE(element.Load(wxString::FromUTF8(file.c_str())));
    const wxString error = element.GetXmlError();
    EXPECT_TRUE(error.Contains(wxS("Error ") + wxString::FromUTF8(c.shown) + wxS(" xml document '") +
                               wxString::FromUTF8(file.c_str()) + wxS("'")))
        << error;
  }
}

}  // namespace
}  // namespace KivoTest
