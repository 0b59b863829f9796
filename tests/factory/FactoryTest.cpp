// Node factories: which factory makes an element, registrations and their report,
// destroying nodes, and the default factory's built-in elements, includes and links.
#include <wx/filefn.h>

#include <tinyxml.h>

#include "kivo/convert/Indent.h"
#include "kivo/factory/KivoNodeFactory.h"
#include "kivo/node/KivoNode.h"
#include "kivo/node/SymLinkNode.h"
#include "support/NodeFixture.h"
#include "support/TempDir.h"

using namespace KivoUnit;
using namespace KivoTest;

namespace {

// A node that refuses every XML element.
struct Refusing : TestNode {
  Refusing() : TestNode(wxS("refusing")) {}
  bool Read(TiXmlElement*) override { return false; }
};

TEST_F(NodeTest, FactoriesAreFoundByQualifiedOrPlainKeysAndFailuresAreReported) {
  // The registry report lists the keys in order.
  wxString report = wxS("<factories count=\"4\">\n");
  for (const wxChar* name : {wxS("broken"), wxS("item"), wxS("node"), wxS("other")})
    report += wxString::Format(wxS(" <element name=\"%s\" factory=\"TestFactory\" />\n"), name);
  report += wxS("</factories>\n");
  EXPECT_EQ(base->GetFactories().ToXML(Indent(wxS(""), wxS(" "), wxS("\n"))), report);
  // A key qualified by the parent's name wins below that parent.
  TestFactory special(wxS("Special"));
  special.Register(wxS("p"), wxS("x"));
  special.RegisterElements();
  factory->Register(wxS("x"));
  factory->RegisterElements();
  iNode* fromSpecial = base->CreateNode(wxS("x"), nullptr, add(base, wxS("p")));
  iNode* fromPlain = base->CreateNode(wxS("x"), nullptr, add(base, wxS("q")));
  ASSERT_TRUE(fromSpecial != nullptr && fromPlain != nullptr);
  EXPECT_TRUE(fromSpecial->getCreator() == &special && fromPlain->getCreator() == factory);
  EXPECT_TRUE(base->DestroyNode(fromSpecial) && base->DestroyNode(fromPlain)) << "the creator destroys";
  special.destroy();  // withdraws the plain names too: give them back to the fixture's factory
  factory->RegisterElements();

  TestFactory second(wxS("Second"), {wxS("a"), wxS(""), wxS("node")});  // "node" once more
  EXPECT_EQ(base->GetFactories().getMap().at(wxS("node")), &second);
  EXPECT_EQ(second.getAttribute(wxS("registered_elements"), wxS("")), wxS("a, node"));
  second.UnregisterElements();
  EXPECT_FALSE(base->GetFactories().CanCreate(wxS("node"))) << "the first does not come back";

  testing::internal::CaptureStdout();
  delete new TestFactory(wxS("Leftover"));  // leaves with its four elements registered
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "[factory] 'Leftover' 4 unregistered elements remains\n");
  factory->RegisterElements();
  EXPECT_EQ(factory->Execute(wxS("cmd"), wxS("p")), wxS(""));
  EXPECT_TRUE(log->contains(wxS("iNodeFactory::Execute('cmd','p')"), 3));

  const size_t before = TestNode::destroyed().size();
  TiXmlElement xml("refusing");
  EXPECT_EQ(factory->Read(wxS("refusing"), new Refusing(), &xml), nullptr);
  EXPECT_EQ(TestNode::destroyed().size(), before + 1) << "the node is deleted";
  EXPECT_TRUE(log->contains(wxS("iNodeFactory::Read('refusing',/,refusing) Error reading node!"), 5));

  EXPECT_TRUE(!base->GetFactories().Destroy(nullptr) && factory->Destroy(nullptr));
  TestNode orphan(wxS("unregistered"));
  orphan.setName(wxS("orphan"));
  orphan.setLabel(wxS("Orphan"));
  EXPECT_FALSE(base->DestroyNode(&orphan));
  EXPECT_TRUE(log->contains(wxString::Format(
      wxS("NodeFactories::Destroy(%s:unregistered:orphan:Orphan) Could not delete node"),
      wxString::FromUTF8(typeid(iNode*).name()))));
  NodeFactories alone(nullptr);
  testing::internal::CaptureStdout();
  EXPECT_FALSE(alone.Destroy(&orphan));
  EXPECT_NE(testing::internal::GetCapturedStdout().find("Could not delete node\n"), std::string::npos);
}

// The default factory beside the test factory, whose "item" roots the include files.
TEST_F(NodeTest, DefaultFactoryIncludesFilesAndMakesBuiltInElementsAndSymLinks) {
  TempDir dir;
  const wxString cwd = wxGetCwd();
  auto* kivo = new KivoNodeFactory(nullptr, wxS("factory"));
  // Runs <include filename='`file`' `more`/> through the default factory and attaches the result.
  const auto include = [&](const std::string& file, const std::string& more) {
    TiXmlDocument doc;
    doc.Parse(("<include filename='" + file + "'" + more + "/>").c_str());
    iNode* node = kivo->Create(wxS("include"), doc.RootElement(), nullptr);
    if (node != nullptr) base->AppendChild(node, nullptr, false);
    return node;
  };
  const std::string file = dir.file("conf/settings.xml");
  const std::string create = " create_file='true' create_node='item' create_node_name='main'";
  iNode* node = include(file, create + " colour='red'");
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(dir.read("conf/settings.xml"), "<item name=\"main\"/>\n");
  EXPECT_EQ(node->getElement() + wxS(" ") + node->getName(), wxS("item main"));
  EXPECT_EQ(node->getFilename(), wxString::FromUTF8(file));
  EXPECT_FALSE(node->hasAttribute(wxS("colour"))) << "the include element is not read";
  EXPECT_TRUE(log->contains(
      wxString::Format(wxS("No include file '%s' (%s) found from '%s'"), file, file, cwd), 4));

  // An unreadable file is set aside under the first free numbered name.
  dir.write("settings.xml", "<item name='broken'><unclosed></item>");
  dir.write("settings_1.xml", "<item name='older copy'/>");
  ASSERT_NE(include(dir.file("settings.xml"), create), nullptr);
  EXPECT_EQ(dir.read("settings_2.xml"), "<item name='broken'><unclosed></item>");
  EXPECT_EQ(dir.read("settings_1.xml"), "<item name='older copy'/>") << "never overwritten";
  EXPECT_EQ(dir.read("settings.xml"), "<item name=\"main\"/>\n");

  dir.write("template.xml", "<item name='from template'/>");
  iNode* copied = include(dir.file("copies/copy.xml"), " copy_if_not_found='" + dir.file("template.xml") + "'");
  ASSERT_NE(copied, nullptr);
  EXPECT_EQ(copied->getLabel(), wxS("from template"));
  EXPECT_EQ(dir.read("copies/copy.xml"), "<item name='from template'/>");

  TiXmlElement xml("include");
  xml.SetAttribute("create_node", "root");
  EXPECT_FALSE(kivo->CreateFileNode(wxString::FromUTF8(dir.write("kept.xml", "user's own text")), &xml));
  EXPECT_EQ(dir.read("kept.xml"), "user's own text");
  dir.write("blocker", "a file where a folder should be");
  EXPECT_FALSE(kivo->CreateFileNode(wxString::FromUTF8(dir.file("blocker/x.xml")), &xml));

  // Includes that give no node say why.
  const std::string absent = dir.file("absent.xml"), nothing = dir.file("nothing.xml");
  const std::string odd = dir.write("odd.xml", "<strange name='x'/>"), empty = dir.write("empty.xml", "");
  const wxString where = wxS("KivoNodeFactory::IncludeNode('NULL',include') ");
  const std::vector<std::tuple<std::string, std::string, wxString>> cases = {
      {absent, "", where + wxString::Format(wxS("File 'absent.xml' not found, normalized to '%s'!"), absent)},
      {absent, " copy_if_not_found='" + nothing + "'",
       wxString::Format(wxS("Source of copy include file '%s' not found (target file '%s')"), nothing, absent)},
      {odd, "", where + wxString::Format(wxS("creating node 'strange' from file '%s' failed!"), odd)},
      {empty, "", where + wxString::Format(wxS("could not load '%s'"), empty)}};
  for (const auto& [target, more, message] : cases) {
    SCOPED_TRACE(target + more);
    log->clear();
    EXPECT_EQ(include(target, more), nullptr);
    EXPECT_TRUE(log->contains(message, 5));
    if (message.StartsWith(where)) {
      EXPECT_EQ(base->GetError(), message) << "failures of the include itself are the base's error";
    }
  }
  EXPECT_EQ(dir.read("empty.xml"), "") << "without create_file the file is left alone";
  EXPECT_EQ(wxGetCwd(), cwd) << "the working directory is restored";

  for (const wxChar* element : {wxS("node"), wxS("interface"), wxS("SymLink"), wxS("Controls")}) {
    iNode* node = base->CreateNode(element, nullptr, nullptr);
    ASSERT_NE(node, nullptr) << element;
    EXPECT_EQ(node->getCreator(), kivo);
    EXPECT_TRUE(base->DestroyNode(node));
  }
  EXPECT_EQ(kivo->getAttribute(wxS("registered_elements"), wxS("")),
            wxS("node, interface, include, SymLink, Controls, addons, library, Lua, AutoUpdater"));
  TiXmlElement bogus("bogus");
  EXPECT_EQ(kivo->Create(wxS("bogus"), &bogus, nullptr), nullptr);
  EXPECT_TRUE(log->contains(wxS("iNodeFactory::Read('bogus') No node!"), 0));

  // createSymLink makes a link or says why not.
  ASSERT_TRUE(base->GenerateNodePath(wxS("/data"), false, wxS("node")));
  iNode* data = base->Search(wxS("/data"));
  testing::internal::CaptureStdout();
  data->createSymLink(wxS("/links/toData"));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Created SymLink: /kivo/links/toData -> /kivo/data\n");
  auto* link = dynamic_cast<SymLinkNode*>(base->Search(wxS("/links"))->GetChild(wxS("toData")));
  ASSERT_NE(link, nullptr);
  EXPECT_EQ(link->getTargetPath(), wxS("/kivo/data"));
  EXPECT_EQ(base->Search(wxS("/links/toData")), data) << "searches pass through the link";
  data->createSymLink(wxS("/data"));  // an existing node of another kind is not replaced
  EXPECT_TRUE(log->contains(wxS("Could not create symlink from '/kivo/data:data' to '/data'"), 5));
  KivoNode detached(nullptr, wxS("node"), wxS("alone"));
  log->clear();
  detached.createSymLink(wxS(""));
  EXPECT_EQ(log->texts(), (std::vector<wxString>{
                              wxS("Root is not base: Could not create symlink from '/alone:alone' to ''"),
                              wxS("Path empty: Could not create symlink from '/alone:alone' to ''")}));
  base->RemoveAllChildren();
  kivo->destroy();
  delete kivo;
}

}  // namespace
