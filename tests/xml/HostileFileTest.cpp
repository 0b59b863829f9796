// Files that must be refused before parsing, texts that must reach the tree, and
// temporary files that dead saves left behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "kivo/node/KivoNode.h"
#include "kivo/xml/XmlLimits.h"
#include "support/TempDir.h"
#include "xml/XmlTestDocuments.h"

using namespace KivoUnit;
using KivoTest::utf8;

namespace {

std::string nested(int levels) {
  std::string text;
  for (int i = 0; i < levels; ++i) text += "<node>";
  for (int i = 0; i < levels; ++i) text += "</node>";
  return text;
}

class HostileFile : public ::testing::Test {
 protected:
  KivoTest::LogCapture log;
  KivoTest::TempDir dir;
  KivoNode node{nullptr, wxS("node")};
};

TEST_F(HostileFile, RefusedBeforeParsingWithTheReason) {
  const std::string fifo = dir.file("pipe.xml");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::string wide = "\n<node";
  for (int i = 0; i <= XmlLimits::DefaultMaxAttributes; ++i) wide += " a" + std::to_string(i) + "=\"1\"";
  const std::pair<std::string, std::string> cases[] = {
      {dir.path(), "File '" + dir.path() + "' does not exist!"},  // Load knows files only
      {fifo, "'" + fifo + "' is not a regular file"},
      {"/dev/null", "'/dev/null' is not a regular file"},
      {dir.write("deep.xml", "<?xml version=\"1.0\"?>\n<!-- <a> -->\n" + nested(1001)),
       "File '" + dir.file("deep.xml") + "' nests elements 1001 levels deep (line 3); the limit is 1000 levels"},
      {dir.write("wide.xml", wide + "/>"),
       "File '" + dir.file("wide.xml") + "' has an element with 10001 attributes (line 2); the limit is 10000 attributes"},
  };
  for (const auto& [path, reason] : cases) {
    log.clear();
    EXPECT_FALSE(node.Load(utf8(path))) << path;
    ASSERT_EQ(log.count(), 1u) << path;
    EXPECT_EQ(log.messages()[0].level, LevelError);
    EXPECT_TRUE(log.texts()[0].EndsWith(utf8(reason))) << log.texts()[0];
  }
  // Markup inside comments, CDATA, quotes, instructions and DOCTYPE does not nest.
  const std::string tricky = dir.write(
      "tricky.xml", "<?xml version=\"1.0\"?><!DOCTYPE a [<!ENTITY x \"<b>\">]>" + nested(999).insert(6 * 999,
          "<x a=\"<y>\" b='<z>'/><!-- <c><c> --><![CDATA[<d><d>]]><?pi <e>?>"));
  EXPECT_TRUE(node.Load(utf8(tricky)));
  XmlLimits::setMaxDepth(10);  // the host's own limit
  EXPECT_FALSE(node.Load(utf8(tricky)));
  XmlLimits::setMaxDepth(XmlLimits::DefaultMaxDepth);
  EXPECT_EQ(XmlLimits::getMaxDepth(), 1000);
}

TEST_F(HostileFile, EveryTextReachesTheDocumentAsUtf8WithOneWarning) {
  const std::pair<std::string, int> cases[] = {  // the file, the line of the first Latin-1 text
      {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<node x=\"caf\xE9\" y=\"\xE9\"/>", 2},
      {"<node>\n<node x=\"caf\xE9\" y=\"\xE9\"/></node>", 2},
      {"<node>\n\n<n\xF4\x90\x80\x80 x=\"caf\xC3\xA9\"/></node>", 3},
      {"<node x=\"caf\xC3\xA9\"/>", 0},
  };
  for (const auto& [text, line] : cases) {
    log.clear();
    ASSERT_TRUE(node.Load(utf8(dir.write("text.xml", text))));
    const TiXmlElement* root = node.getDocument()->RootElement();
    const TiXmlElement* element = root->FirstChildElement() ? root->FirstChildElement() : root;
    EXPECT_STREQ(element->Attribute("x"), "caf\xC3\xA9");
    EXPECT_FALSE(utf8(element->Value()).empty());
    const wxString warning = wxString::Format(
        "File '%s' holds text that is not UTF-8 from line %i on; it was read as ISO-8859-1 (Latin-1)",
        utf8(dir.file("text.xml")), line);
    EXPECT_EQ(log.count(), line > 0 ? 1u : 0u) << text;
    EXPECT_EQ(log.contains(warning, LevelWarning), line > 0) << text;
  }
  // The declaration follows the text, so the saved file reads back the same.
  ASSERT_TRUE(node.Load(utf8(dir.write("latin.xml", cases[0].first))));
  ASSERT_TRUE(node.KivoXML::Save());  // the document as loaded
  EXPECT_EQ(dir.read("latin.xml"),
            "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<node x=\"caf\xC3\xA9\" y=\"\xC3\xA9\" />\n");

  log.clear();
  const std::string path = dir.write("unknown.xml", "<!DOCTYPE node>\n<node>\n  <1node name=\"a\"/>\n</node>");
  ASSERT_TRUE(node.Load(utf8(path)));
  EXPECT_EQ(log.texts(), std::vector<wxString>{wxString::Format(
                             "Unreadable markup '<1node name=\"a\"/>' in '%s' line 3 is ignored", utf8(path))});
  EXPECT_EQ(log.messages()[0].level, LevelWarning);
}

TEST_F(HostileFile, SavesRemoveOnlyTheTemporariesOfDeadProcesses) {
  const std::string target = dir.write("cfg.xml", "<node/>");
  // A child that has ended is a process that no longer exists.
  const pid_t gone = fork();
  if (gone == 0) _exit(0);
  waitpid(gone, nullptr, 0);
  const std::string dead = "cfg.xml.tmp-" + std::to_string(gone) + "-3";
  const std::vector<std::string> kept = {"cfg.xml.tmp-" + std::to_string(getpid()) + "-7",
                                         "cfg.xml.tmp-1-0",  // init never ends
                                         "cfg.xml.tmp-x-1", "other.xml.tmp-" + std::to_string(gone) + "-1"};
  dir.write(dead, "partial");
  for (const std::string& name : kept) dir.write(name, "partial");
  ASSERT_TRUE(node.Load(utf8(target)));
  ASSERT_TRUE(node.KivoXML::Save());  // the document as loaded
  EXPECT_EQ(dir.read(dead), "");
  for (const std::string& name : kept) EXPECT_EQ(dir.read(name), "partial") << name;
  EXPECT_EQ(dir.read("cfg.xml"), "<node />\n");
}

}  // namespace
