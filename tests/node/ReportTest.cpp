// The State and Info reports of a node, compared as whole texts.
#include <tinyxml.h>

#include "kivo/convert/Indent.h"
#include "support/NodeFixture.h"
#include "support/TempDir.h"
#include "xml/XmlTestDocuments.h"

using KivoUnit::Indent;
using KivoUnit::iNode;
using namespace KivoTest;

TEST_F(NodeTest, StateAndInfoReportTheNodesTheirAttributesTiesAndDocuments) {
  iNode* n = add(base, wxS("n"));
  add(n, wxS("c"));
  n->setAttribute(wxS("zeta"), wxS("last")), n->setAttribute(wxS("note"), wxS("a&b<c>d\"e'f%g"));
  n->setAttribute(wxS("empty"), wxS(""));
  EXPECT_EQ(n->State(Indent(), wxS("<!-- extra -->")),
            wxS("<node kivo_state_full_node_path=\"/kivo/n\" note=\"a&amp;b&lt;c&gt;d&quot;e&apos;f&#37;g\" "
                "zeta=\"last\"  >\n<!-- extra --> <node kivo_state_full_node_path=\"/kivo/n/c\"  >\n </node>\n</node>\n"));
  TempDir dir;
  const wxString part = wxString::FromUTF8(dir.write("part.xml", "<node name=\"inc\"/>").c_str());
  auto element = parseXml("<node name=\"inc\" include=\"" + part.utf8_string() + "\"/>");
  iNode* inc = add(base, wxS("inc"));
  ASSERT_TRUE(inc->Read(element->RootElement()));
  inc->setDescription(wxS("Included"));
  const wxString state = inc->State(Indent(wxS(""), wxS("\t")), wxS(""));
  for (const wxString& part : {wxS(" kivo_state_included_filename=\"") + part + wxS("\" "),
                               wxS("source_xml_document=\"") + part + wxS("\" "),
                               wxString(wxS("\t<description>Included</description>\n"))}) {
    EXPECT_NE(state.find(part), wxString::npos) << part;
  }
  iNode* m = add(base, wxS("my node"));
  add(m, wxS("c"));
  EXPECT_EQ(m->Info(Indent()),
            wxS("<info>\n<!-- element=\"node\" name=\"my node\" -->\n  <!-- no tie nor document -->\n"
                "  <!-- children of element=\"node\" name=\"my node\" -->\n   <!-- element=\"node\" name=\"c\" -->\n"
                "     <!-- no tie nor document -->\n   <!-- end of element=\"node\" name=\"c\" -->\n"
                "  <!-- end of children of element=\"node\" name=\"my node\" -->\n"
                "<!-- end of element=\"node\" name=\"my node\" -->\n</info>\n"));
  auto tied = parseXml(R"(<node name="t"><inner/></node>)");
  iNode* t = add(base, wxS("t"));
  t->setTie(tied->RootElement());
  EXPECT_EQ(t->Info(Indent()),
            wxS("<info>\n<!-- element=\"node\" name=\"t\" -->\n  <!-- tie=\"node\" -->\n<node name=\"t\">\n"
                "     <inner />\n</node>\n  <!-- end of tie=\"node\" -->\n<!-- end of element=\"node\" name=\"t\" -->\n"
                "</info>\n"));
  t->setTie(nullptr);  // the element ends with the test
  // Below the top the report is not wrapped; the document's declaration becomes a comment.
  const std::string file = dir.write("doc.xml", "<?xml version=\"1.0\" ?>\n<node name=\"d\"/>\n");
  const wxString doc = wxString::FromUTF8(file.c_str());
  iNode* d = add(base, wxS("d"));
  ASSERT_TRUE(d->Load(doc));
  EXPECT_EQ(d->Info(Indent(wxS(" "))), wxS(" <!-- element=\"node\" name=\"d\" -->\n   <!-- document=\"") + doc +
                                           wxS("\" -->\n<!--?xml version=\"1.0\" ?-->\n<node name=\"d\" />\n"
                                               "   <!-- end of document=\"") + doc +
                                           wxS("\" -->\n <!-- end of element=\"node\" name=\"d\" -->\n"));
}
