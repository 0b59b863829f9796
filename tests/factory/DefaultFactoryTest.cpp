#include <wx/filefn.h>

#include <tinyxml.h>

#include "kivo/factory/KivoNodeFactory.h"
#include "kivo/node/KivoNode.h"
#include "kivo/node/SymLinkNode.h"
#include "support/NodeFixture.h"
#include "support/TempDir.h"

using namespace KivoUnit;

namespace {

// Makes plain nodes for the root elements the include files use.
class SettingsFactory : public KivoTest::TestFactory {
 public:
  SettingsFactory() : TestFactory(wxS("Settings"), {wxS("settings")}) {}
};

class DefaultFactoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    base = new KivoBase();
    base->setName(wxS("kivo"));
    KivoBase::s_Instance = base;
    kivo = new KivoNodeFactory(nullptr, wxS("factory"));
    settings = new SettingsFactory();
    cwd = wxGetCwd();
  }
  void TearDown() override {
    EXPECT_EQ(wxGetCwd(), cwd) << "the working directory is restored";
    base->RemoveAllChildren();
    for (iNodeFactory* f : {static_cast<iNodeFactory*>(kivo), static_cast<iNodeFactory*>(settings)}) {
      f->destroy();
      delete f;
    }
    KivoBase::s_Instance = nullptr;
    delete base;
  }

  // Runs an include element through the factory and attaches the result.
  iNode* include(const std::string& includeXml) {
    TiXmlDocument doc;
    doc.Parse(includeXml.c_str());
    iNode* node = kivo->Create(wxS("include"), doc.RootElement(), nullptr);
    if (node != nullptr && node->getName().empty()) node->setName(wxS("included"));
    if (node != nullptr) base->AppendChild(node, nullptr, false);
    return node;
  }

  KivoTest::LogCapture log;
  KivoTest::TempDir dir;
  KivoBase* base = nullptr;
  KivoNodeFactory* kivo = nullptr;
  SettingsFactory* settings = nullptr;
  wxString cwd;
};

}  // namespace

TEST_F(DefaultFactoryTest, MissingIncludeIsCreatedWithItsRootElement) {
  const std::string file = dir.file("conf/settings.xml");
  iNode* node = include("<include filename='" + file +
                        "' create_file='true' create_node='settings' create_node_name='main'"
                        " colour='red'/>");
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(dir.read("conf/settings.xml"), "<settings name=\"main\"/>\n");
  EXPECT_EQ(node->getElement(), wxS("settings"));
  EXPECT_EQ(node->getName(), wxS("main"));
  EXPECT_EQ(node->getFilename(), wxString::FromUTF8(file.c_str()));
  EXPECT_FALSE(node->hasAttribute(wxS("colour"))) << "the include element is not read";
  EXPECT_TRUE(log.contains(wxString::Format(wxS("No include file '%s' (%s) found from '%s'"),
                                            file, file, cwd),
                           4));
}

TEST_F(DefaultFactoryTest, UnreadableIncludeIsSetAsideAndRecreated) {
  dir.write("settings.xml", "<settings name='broken'><unclosed></settings>");
  dir.write("settings_1.xml", "<settings name='older copy'/>");
  iNode* node = include("<include filename='" + dir.file("settings.xml") +
                        "' create_file='true' create_node='settings' create_node_name='main'/>");
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->getName(), wxS("main"));
  EXPECT_EQ(dir.read("settings_2.xml"), "<settings name='broken'><unclosed></settings>");
  EXPECT_EQ(dir.read("settings_1.xml"), "<settings name='older copy'/>") << "never overwritten";
  EXPECT_EQ(dir.read("settings.xml"), "<settings name=\"main\"/>\n");
}

TEST_F(DefaultFactoryTest, MissingIncludeWithoutRemedyGivesNoNode) {
  const std::string file = dir.file("absent.xml");
  EXPECT_EQ(include("<include filename='" + file + "'/>"), nullptr);
  const wxString notFound = wxString::Format(
      wxS("KivoNodeFactory::IncludeNode('NULL',include') File 'absent.xml' not found, normalized "
          "to '%s'!"), file);
  EXPECT_TRUE(log.contains(notFound, 5));
  EXPECT_EQ(base->GetError(), notFound);

  // A template that is missing too is reported; one that exists is copied.
  EXPECT_EQ(include("<include filename='" + file + "' copy_if_not_found='" +
                    dir.file("nothing.xml") + "'/>"),
            nullptr);
  EXPECT_TRUE(log.contains(wxString::Format(
      wxS("Source of copy include file '%s' not found (target file '%s')"),
      dir.file("nothing.xml"), file), 5));
  dir.write("template.xml", "<settings name='from template'/>");
  iNode* copied = include("<include filename='" + dir.file("copies/copy.xml") +
                          "' copy_if_not_found='" + dir.file("template.xml") + "'/>");
  ASSERT_NE(copied, nullptr);
  EXPECT_EQ(copied->getLabel(), wxS("from template"));
  EXPECT_EQ(dir.read("copies/copy.xml"), "<settings name='from template'/>");
}

TEST_F(DefaultFactoryTest, UnknownRootAndEmptyFileAreReported) {
  dir.write("odd.xml", "<strange name='x'/>");
  EXPECT_EQ(include("<include filename='" + dir.file("odd.xml") + "'/>"), nullptr);
  EXPECT_TRUE(log.contains(wxString::Format(
      wxS("KivoNodeFactory::IncludeNode('NULL',include') creating node 'strange' from file '%s' "
          "failed!"),
      dir.file("odd.xml")), 5));

  dir.write("empty.xml", "");
  EXPECT_EQ(include("<include filename='" + dir.file("empty.xml") + "'/>"), nullptr);
  EXPECT_TRUE(log.contains(wxString::Format(
      wxS("KivoNodeFactory::IncludeNode('NULL',include') could not load '%s'"),
      dir.file("empty.xml")), 5));
  EXPECT_EQ(dir.read("empty.xml"), "") << "without create_file the file is left alone";
}

TEST_F(DefaultFactoryTest, BuiltInElementsAndUnknownNames) {
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
  EXPECT_TRUE(log.contains(wxS("iNodeFactory::Read('bogus') No node!"), 0));
  EXPECT_EQ(kivo->Create(wxS("Node"), nullptr, nullptr), nullptr) << "names are case-sensitive";
}

TEST_F(DefaultFactoryTest, CreateFileNodeNeverOverwrites) {
  TiXmlElement xml("include");
  xml.SetAttribute("create_node", "root");
  EXPECT_TRUE(kivo->CreateFileNode(wxString::FromUTF8(dir.file("a/b/new.xml").c_str()), &xml));
  EXPECT_EQ(dir.read("a/b/new.xml"), "<root name=\"\"/>\n");
  dir.write("kept.xml", "user's own text");
  EXPECT_FALSE(kivo->CreateFileNode(wxString::FromUTF8(dir.file("kept.xml").c_str()), &xml));
  EXPECT_EQ(dir.read("kept.xml"), "user's own text");
  dir.write("blocker", "a file where a folder should be");
  EXPECT_FALSE(kivo->CreateFileNode(wxString::FromUTF8(dir.file("blocker/x.xml").c_str()), &xml));
}

TEST_F(DefaultFactoryTest, CreateSymLinkMakesALinkOrSaysWhyNot) {
  ASSERT_TRUE(base->GenerateNodePath(wxS("/data"), false, wxS("node")));
  iNode* data = base->Search(wxS("/data"));
  testing::internal::CaptureStdout();
  data->createSymLink(wxS("/links/toData"));
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "Created SymLink: /kivo/links/toData -> /kivo/data\n");
  auto* link = dynamic_cast<SymLinkNode*>(base->Search(wxS("/links"))->GetChild(wxS("toData")));
  ASSERT_NE(link, nullptr);
  EXPECT_EQ(link->getTargetPath(), wxS("/kivo/data"));
  EXPECT_EQ(base->Search(wxS("/links/toData")), data) << "searches pass through the link";

  // An existing node of another kind is not replaced.
  data->createSymLink(wxS("/data"));
  EXPECT_TRUE(log.contains(wxS("Could not create symlink from '/kivo/data:data' to '/data'"), 5));

  KivoNode detached(nullptr, wxS("node"), wxS("alone"));
  log.clear();
  detached.createSymLink(wxS(""));
  EXPECT_EQ(log.texts(),
            (std::vector<wxString>{
                wxS("Root is not base: Could not create symlink from '/alone:alone' to ''"),
                wxS("Path empty: Could not create symlink from '/alone:alone' to ''")}));
}
