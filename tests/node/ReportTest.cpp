#include <tinyxml.h>

#include "kivo/convert/Indent.h"
#include "support/NodeFixture.h"
#include "support/TempDir.h"

using KivoUnit::Indent;
using KivoUnit::iNode;
using KivoTest::NodeTest;
using KivoTest::TempDir;

namespace {

wxString wx(const std::string& text) { return wxString::FromUTF8(text.c_str()); }

}  // namespace

// --- State ---------------------------------------------------------------------

TEST_F(NodeTest, StateNestsOneElementPerNodeWithSortedEscapedAttributes) {
  iNode* n = add(base, wxS("n"));
  add(n, wxS("c"));
  n->setAttribute(wxS("zeta"), wxS("last"));
  n->setAttribute(wxS("note"), wxS("a&b<c>d\"e'f%g"));
  n->setAttribute(wxS("empty"), wxS(""));

  const wxString expected =
      wxS("<node kivo_state_full_node_path=\"/kivo/n\" "
          "note=\"a&amp;b&lt;c&gt;d&quot;e&apos;f&#37;g\" zeta=\"last\"  >\n"
          "<!-- extra -->"
          " <node kivo_state_full_node_path=\"/kivo/n/c\"  >\n"
          " </node>\n"
          "</node>\n");
  EXPECT_EQ(n->State(Indent(), wxS("<!-- extra -->")), expected);
}

TEST_F(NodeTest, StateShowsTheIncludedFileTheDocumentAndTheDescription) {
  TempDir dir;
  const std::string part = dir.write("part.xml", "<node name=\"inc\"/>");
  TiXmlElement element("node");
  element.SetAttribute("name", "inc");
  element.SetAttribute("include", part.c_str());
  iNode* inc = add(base, wxS("inc"));
  ASSERT_TRUE(inc->Read(&element));
  inc->setDescription(wxS("Included"));

  const wxString state = inc->State(Indent(wxS(""), wxS("\t")), wxS(""));
  EXPECT_NE(state.find(wxS(" kivo_state_included_filename=\"") + wx(part) + wxS("\" ")),
            wxString::npos);
  EXPECT_NE(state.find(wxS("source_xml_document=\"") + wx(part) + wxS("\" ")), wxString::npos);
  EXPECT_NE(state.find(wxS("\t<description>Included</description>\n")), wxString::npos);
}

// --- Info ----------------------------------------------------------------------

TEST_F(NodeTest, InfoOfANodeWithNeitherTieNorDocumentSaysSo) {
  iNode* n = add(base, wxS("my node"));
  add(n, wxS("c"));
  const wxString expected =
      wxS("<info>\n"
          "<!-- element=\"node\" name=\"my node\" -->\n"
          "  <!-- no tie nor document -->\n"
          "  <!-- children of element=\"node\" name=\"my node\" -->\n"
          "   <!-- element=\"node\" name=\"c\" -->\n"
          "     <!-- no tie nor document -->\n"
          "   <!-- end of element=\"node\" name=\"c\" -->\n"
          "  <!-- end of children of element=\"node\" name=\"my node\" -->\n"
          "<!-- end of element=\"node\" name=\"my node\" -->\n"
          "</info>\n");
  EXPECT_EQ(n->Info(Indent()), expected);
}

TEST_F(NodeTest, InfoPrintsTheTiedElementInsideComments) {
  TiXmlElement element("node");
  element.SetAttribute("name", "t");
  element.LinkEndChild(new TiXmlElement("inner"));
  iNode* n = add(base, wxS("t"));
  n->setTie(&element);

  const wxString expected =
      wxS("<info>\n"
          "<!-- element=\"node\" name=\"t\" -->\n"
          "  <!-- tie=\"node\" -->\n"
          "<node name=\"t\">\n"
          "     <inner />\n"
          "</node>\n"
          "  <!-- end of tie=\"node\" -->\n"
          "<!-- end of element=\"node\" name=\"t\" -->\n"
          "</info>\n");
  EXPECT_EQ(n->Info(Indent()), expected);
  n->setTie(nullptr);  // the element ends with the test
}

TEST_F(NodeTest, InfoTurnsTheDocumentsDeclarationIntoAComment) {
  TempDir dir;
  const std::string file =
      dir.write("doc.xml", "<?xml version=\"1.0\" ?>\n<node name=\"d\"/>\n");
  iNode* n = add(base, wxS("d"));
  ASSERT_TRUE(n->Load(wx(file)));

  const wxString info = n->Info(Indent(wxS(" ")));
  EXPECT_FALSE(info.StartsWith(wxS("<info>"))) << "only a report at the top is wrapped";
  EXPECT_NE(info.find(wxS("   <!-- document=\"") + wx(file) + wxS("\" -->\n")), wxString::npos);
  EXPECT_NE(info.find(wxS("<!--?xml version=\"1.0\" ?-->\n<node name=\"d\" />\n")),
            wxString::npos);
  EXPECT_EQ(info.find(wxS("<?")), wxString::npos);
  EXPECT_NE(info.find(wxS("   <!-- end of document=\"") + wx(file) + wxS("\" -->\n")),
            wxString::npos);
}
