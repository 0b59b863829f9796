// Files that must be refused before parsing, texts that must reach the tree, and
// temporary files that dead saves left behind.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <tinyxml.h>

#include "kivo/node/KivoNode.h"
#include "kivo/xml/XmlLimits.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

using namespace KivoUnit;

namespace {

std::string nested(int levels) {
  std::string text;
  for (int i = 0; i < levels; ++i) text += "<node>";
  for (int i = 0; i < levels; ++i) text += "</node>";
  return text;
}

wxString wx(const std::string& text) { return wxString::FromUTF8(text.c_str()); }

// The text of the one error Load reported, "" when there was none.
wxString loadError(const std::string& path, KivoTest::LogCapture& log) {
  log.clear();
  KivoNode node(nullptr, wxS("node"));
  EXPECT_FALSE(node.Load(wx(path))) << path;
  for (const PoolMessage& message : log.messages()) {
    if (message.level == LevelError) return message.message;
  }
  return wxString();
}

TEST(HostileFile, RefusedBeforeParsingWithTheReason) {
  KivoTest::LogCapture log;
  KivoTest::TempDir dir;
  const std::string fifo = dir.file("pipe.xml");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string wide = [] {
    std::string text = "<node";
    for (int i = 0; i <= XmlLimits::DefaultMaxAttributes; ++i) text += " a" + std::to_string(i) + "=\"1\"";
    return text + "/>";
  }();
  const struct {
    std::string path;
    std::string reason;
  } cases[] = {
      {dir.path(), "File '" + dir.path() + "' does not exist!"},  // Load knows files only
      {fifo, "'" + fifo + "' is not a regular file"},
      {"/dev/null", "'/dev/null' is not a regular file"},
      {dir.write("deep.xml", "<?xml version=\"1.0\"?>\n<!-- <a> -->\n" + nested(1001)),
       "File '" + dir.file("deep.xml") + "' nests elements 1001 levels deep (line 3); the limit is 1000 levels"},
      {dir.write("wide.xml", "\n" + wide),
       "File '" + dir.file("wide.xml") + "' has an element with 10001 attributes (line 2); the limit is 10000 attributes"},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(loadError(c.path, log).EndsWith(wx(c.reason))) << loadError(c.path, log);
  }
}

TEST(HostileFile, DepthCountsOnlyElementsAndFollowsTheHostsLimit) {
  KivoTest::LogCapture log;
  KivoTest::TempDir dir;
  // Markup inside comments, CDATA, quotes, instructions and DOCTYPE does not nest.
  const std::string path = dir.write(
      "tricky.xml", "<?xml version=\"1.0\"?><!DOCTYPE a [<!ENTITY x \"<b>\">]>" + nested(999).insert(6 * 999,
          "<x a=\"<y>\" b='<z>'/><!-- <c><c> --><![CDATA[<d><d>]]><?pi <e>?>"));
  KivoNode node(nullptr, wxS("node"));
  EXPECT_TRUE(node.Load(wx(path)));
  XmlLimits::setMaxDepth(10);
  EXPECT_FALSE(node.Load(wx(path)));
  XmlLimits::setMaxDepth(XmlLimits::DefaultMaxDepth);
  EXPECT_EQ(XmlLimits::getMaxDepth(), 1000);
}

TEST(HostileFile, EveryTextReachesTheDocumentAsUtf8WithOneWarning) {
  KivoTest::LogCapture log;
  KivoTest::TempDir dir;
  const struct {
    std::string text;
    std::string attribute;  // UTF-8 of what the document must hold
    int line;
  } cases[] = {
      {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<node x=\"caf\xE9\" y=\"\xE9\"/>", "caf\xC3\xA9", 2},
      {"<node>\n<node x=\"caf\xE9\" y=\"\xE9\"/></node>", "caf\xC3\xA9", 2},
      {"<node>\n\n<n\xF4\x90\x80\x80 x=\"caf\xC3\xA9\"/></node>", "caf\xC3\xA9", 3},
      {"<node x=\"caf\xC3\xA9\"/>", "caf\xC3\xA9", 0},
  };
  for (const auto& c : cases) {
    log.clear();
    KivoNode node(nullptr, wxS("node"));
    ASSERT_TRUE(node.Load(wx(dir.write("text.xml", c.text))));
    const TiXmlElement* root = node.getDocument()->RootElement();
    const TiXmlElement* element = root->FirstChildElement() ? root->FirstChildElement() : root;
    EXPECT_EQ(element->Attribute("x") ? std::string(element->Attribute("x")) : "", c.attribute);
    EXPECT_FALSE(wx(element->Value()).empty());
    const wxString warning = wxString::Format(
        "File '%s' holds text that is not UTF-8 from line %i on; it was read as ISO-8859-1 (Latin-1)",
        wx(dir.file("text.xml")), c.line);
    EXPECT_EQ(log.contains(warning, LevelWarning) ? 1u : 0u, c.line > 0 ? 1u : 0u) << c.text;
    for (const wxString& text : log.texts()) EXPECT_FALSE(text.empty());
  }
  // The declaration follows the text, so the saved file reads back the same.
  KivoNode node(nullptr, wxS("node"));
  ASSERT_TRUE(node.Load(wx(dir.write("latin.xml", cases[0].text))));
  ASSERT_TRUE(node.KivoXML::Save());  // the document as loaded
  EXPECT_EQ(dir.read("latin.xml"),
            "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<node x=\"caf\xC3\xA9\" y=\"\xC3\xA9\" />\n");
}

TEST(HostileFile, UnknownMarkupIsNamedWithItsLine) {
  KivoTest::LogCapture log;
  KivoTest::TempDir dir;
  const std::string path = dir.write("unknown.xml", "<!DOCTYPE node>\n<node>\n  <1node name=\"a\"/>\n</node>");
  KivoNode node(nullptr, wxS("node"));
  ASSERT_TRUE(node.Load(wx(path)));
  EXPECT_TRUE(log.contains(wxString::Format("Unreadable markup '<1node name=\"a\"/>' in '%s' line 3 is ignored",
                                            wx(path)),
                           LevelWarning));
  EXPECT_EQ(log.count(), 1u);
}

TEST(HostileFile, SavesRemoveOnlyTheTemporariesOfDeadProcesses) {
  KivoTest::TempDir dir;
  const std::string target = dir.write("cfg.xml", "<node/>");
  // A child that has ended is a process that no longer exists.
  const pid_t gone = fork();
  if (gone == 0) _exit(0);
  waitpid(gone, nullptr, 0);
  const std::string dead = "cfg.xml.tmp-" + std::to_string(gone) + "-3";
  const std::string own = "cfg.xml.tmp-" + std::to_string(getpid()) + "-7";
  const std::string live = "cfg.xml.tmp-1-0";  // init never ends
  for (const std::string& name : {dead, own, live, std::string("cfg.xml.tmp-x-1"),
                                  std::string("other.xml.tmp-" + std::to_string(gone) + "-1")}) {
    dir.write(name, "partial");
  }
  KivoNode node(nullptr, wxS("node"));
  ASSERT_TRUE(node.Load(wx(target)));
  ASSERT_TRUE(node.KivoXML::Save());  // the document as loaded
  EXPECT_EQ(dir.read(dead), "");
  for (const std::string& name : {own, live, std::string("cfg.xml.tmp-x-1")}) {
    EXPECT_EQ(dir.read(name), "partial") << name;
  }
  EXPECT_EQ(dir.read("cfg.xml"), "<node />\n");
}

}  // namespace
