// The line a refusal names counts every line break before the offending element:
// those in text, in quoted values, in comments and inside tags alike.
#include <gtest/gtest.h>

#include "kivo/node/KivoNode.h"
#include "kivo/xml/XmlLimits.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

using namespace KivoUnit;

TEST(RefusalLine, CountsLineBreaksWhereverTheyStand) {
  KivoTest::LogCapture log;
  KivoTest::TempDir dir;
  XmlLimits::setMaxDepth(3);
  XmlLimits::setMaxAttributes(2);
  const std::string lead =
      "<root a='one\ntwo' b=\"x>\n<y\">\n"  // line breaks and markup inside quoted values
      "  text\n  more text <!-- a\n<b> -->\n"  // in text and in a comment
      "<c\n  d='1'\n>";                       // inside a tag
  const struct {
    std::string text;
    std::string reason;
  } cases[] = {
      {lead + "<e><f/></e></c></root>", "nests elements 4 levels deep (line 9); the limit is 3 levels"},
      {lead + "<e g='1' h='2'\n i='3'/></c></root>",
       "has an element with 3 attributes (line 10); the limit is 2 attributes"},
  };
  for (const auto& c : cases) {
    const std::string path = dir.write("refused.xml", c.text);
    log.clear();
    KivoNode node(nullptr, wxS("node"));
    EXPECT_FALSE(node.Load(wxString::FromUTF8(path.c_str())));
    wxString error;
    for (const PoolMessage& message : log.messages()) {
      if (message.level == LevelError) error = message.message;
    }
    EXPECT_TRUE(error.EndsWith(wxString::FromUTF8(c.reason.c_str()))) << error;
  }
  XmlLimits::setMaxDepth(XmlLimits::DefaultMaxDepth);
  XmlLimits::setMaxAttributes(XmlLimits::DefaultMaxAttributes);
}
