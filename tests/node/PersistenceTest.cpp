#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include <tinyxml.h>

#include <wx/filefn.h>
#include <wx/filename.h>

#include "support/NodeFixture.h"
#include "support/TempDir.h"

using KivoUnit::iNode;
using KivoTest::NodeTest;
using KivoTest::TempDir;

namespace {

wxString wx(const std::string& text) { return wxString::FromUTF8(text.c_str()); }

std::vector<wxString> childNames(const iNode* node) {
  std::vector<wxString> names;
  for (const iNode* child : node->getChildren()) {
    if (child != nullptr) names.push_back(child->getName());
  }
  return names;
}

std::set<std::string> filesIn(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

// A node whose factory keeps the "name" attribute as it stands, "/" included.
class RawNameNode : public iNode {
 public:
  RawNameNode() : iNode(nullptr, wxS("rawname")) {}
  void readAttributes() override {
    iNode::readAttributes();
    setRawName(getAttribute(wxS("name"), wxString()));
  }
};

class RawNameFactory : public KivoUnit::iNodeFactory {
 public:
  RawNameFactory() : iNodeFactory(nullptr, wxS("factory")) {
    setName(wxS("RawNameFactory"));
    Register(wxS("rawname"));
    RegisterElements();
  }
  iNode* Create(const wxString& element, TiXmlElement* xml, iNode*) override {
    iNode* node = new RawNameNode();
    return xml != nullptr ? Read(element, node, xml) : node;
  }
};

// Sets an environment variable for one test and restores it afterwards.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : m_Name(name) {
    const char* old = std::getenv(name);
    m_Had = old != nullptr;
    if (m_Had) m_Old = old;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (m_Had) {
      setenv(m_Name, m_Old.c_str(), 1);
    } else {
      unsetenv(m_Name);
    }
  }

 private:
  const char* m_Name;
  bool m_Had = false;
  std::string m_Old;
};

class PersistenceTest : public NodeTest {
 protected:
  void SetUp() override {
    NodeTest::SetUp();
    rawFactory = new RawNameFactory();
  }
  void TearDown() override {
    base->RemoveAllChildren();
    rawFactory->destroy();
    delete rawFactory;
    NodeTest::TearDown();
  }

  // A node "top" under the base that loaded `file` and read its root element.
  iNode* loadTop(const std::string& file) {
    iNode* top = add(base, wxS("top"));
    EXPECT_TRUE(top->Load(wx(file)));
    EXPECT_TRUE(top->Read(top->getDocument()->RootElement()));
    return top;
  }

  TempDir dir;
  RawNameFactory* rawFactory = nullptr;
};

const char* const kReadPrefix = "include/kivo/node/iNode::Read(node)";

}  // namespace

// --- reading a tree ----------------------------------------------------------

TEST_F(PersistenceTest, ReadBuildsTheTreeAndSkipsElementsNoFactoryMakes) {
  const std::string file = dir.write("tree.xml",
                                     "<node name=\"top\">"
                                     "<item name=\"a\"/><mystery name=\"m\"/>"
                                     "<item name=\"b\"><other name=\"c\" colour=\"red\"/></item>"
                                     "<broken name=\"x\"/><item name=\"d\"/>"
                                     "</node>");
  iNode* top = loadTop(file);

  EXPECT_EQ(childNames(top), (std::vector<wxString>{wxS("a"), wxS("b"), wxS("d")}));
  iNode* c = top->Search(wxS("b/c"));
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->getAttribute(wxS("colour"), wxS("")), wxS("red"));
  EXPECT_EQ(c->getTie()->Attribute("colour"), std::string("red"));
  EXPECT_TRUE(c->isInitialized());
  EXPECT_TRUE(log->contains(wxString::Format(wxS("Creation of 'mystery' from '%s' under "
                                                 "'/kivo/top' failed"),
                                             wx(file)),
                            4));
  EXPECT_TRUE(log->contains(
      wxString::Format(wxS("Creation of 'broken' from '%s' under '/kivo/top' failed"), wx(file)),
      4));
}

TEST_F(PersistenceTest, ReadOfALeafHasNoChildrenAndFailsWithoutElementOrBase) {
  TiXmlElement leaf("node");
  leaf.SetAttribute("name", "leaf");
  iNode* node = add(base, wxS("n"));
  EXPECT_TRUE(node->Read(&leaf));
  EXPECT_FALSE(node->hasChildren());
  EXPECT_FALSE(node->Read(nullptr));

  KivoUnit::KivoBase::s_Instance = nullptr;
  KivoTest::TestNode orphan(wxS("node"));
  EXPECT_FALSE(orphan.Read(&leaf));
  KivoUnit::KivoBase::s_Instance = base;
  node->setTie(nullptr);  // the element ends with the test
}

TEST_F(PersistenceTest, UnnamedElementsGetGeneratedUniqueNames) {
  const std::string file = dir.write(
      "unnamed.xml", "<node name=\"top\"><item/><item/><item label=\"Fancy\"/></node>");
  iNode* top = loadTop(file);

  EXPECT_EQ(childNames(top),
            (std::vector<wxString>{wxS("unnamed"), wxS("unnamed$20$281$29"), wxS("Fancy")}));
  EXPECT_EQ(top->getChildren()[1]->getLabel(), wxS("unnamed (1)"));
  EXPECT_TRUE(log->contains(wxS("Autogenerated node name 'unnamed' @ [node] '/kivo/top'"), 4));
  EXPECT_TRUE(log->contains(wxS("Autogenerated node name 'Fancy' @ [node] '/kivo/top'"), 4));
  for (const auto& message : log->messages()) {
    if (message.message.StartsWith(wxS("Autogenerated"))) {
      EXPECT_EQ(message.file, wxS("include/kivo/node/iNode"));
      EXPECT_EQ(message.function, wxS("Read"));
    }
  }
}

TEST_F(PersistenceTest, NamesThatArePathsGoUnderTheNodeTheyName) {
  const std::string file = dir.write("paths.xml",
                                     "<node name=\"top\">"
                                     "<item name=\"a\"/>"
                                     "<item name=\"s/t\"/>"
                                     "<rawname name=\"a/b\"/>"
                                     "<rawname name=\"nowhere/z\"/>"
                                     "</node>");
  iNode* top = loadTop(file);

  // An ordinary name with "/" is only stored safely.
  iNode* st = top->GetChild(wxS("s_t"));
  ASSERT_NE(st, nullptr);
  EXPECT_EQ(st->getLabel(), wxS("s/t"));
  // A raw path goes under the node found, named by its last component.
  iNode* b = top->Search(wxS("a/b"));
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->getElement(), wxS("rawname"));
  EXPECT_TRUE(log->contains(wxString::Format(wxS("\n\nODD NODE 'a/b' UNDER '/kivo/top/a' "
                                                 "FROM '%s'"),
                                             wx(file)),
                            4));
  // A path to nowhere leaves the node under the reader.
  EXPECT_EQ(childNames(top),
            (std::vector<wxString>{wxS("a"), wxS("s_t"), wxS("nowhere/z")}));
  EXPECT_TRUE(log->contains(wxString(kReadPrefix) +
                                wxS(" Path '/kivo/top/nowhere' not found from '/kivo/top'"),
                            5));
  EXPECT_EQ(base->GetError(),
            wxString(kReadPrefix) + wxS(" Path '/kivo/top/nowhere' not found from '/kivo/top'"));
}

// --- include files -----------------------------------------------------------

TEST_F(PersistenceTest, IncludeFileIsReadIntoTheSameNodeAfterItsOwnChildren) {
  dir.write("part.xml", "<node name=\"inc\" colour=\"green\"><item name=\"fromfile\"/></node>");
  const std::string file =
      dir.write("main.xml",
                "<node name=\"top\"><node name=\"inc\" include=\"part.xml\"><item name=\"own\"/>"
                "</node></node>");
  iNode* top = loadTop(file);

  iNode* inc = top->GetChild(wxS("inc"));
  ASSERT_NE(inc, nullptr);
  EXPECT_EQ(childNames(inc), (std::vector<wxString>{wxS("own"), wxS("fromfile")}));
  EXPECT_EQ(inc->getAttribute(wxS("colour"), wxS("")), wxS("green"));
  EXPECT_EQ(inc->getIncludePath(), wx(dir.file("part.xml")));
  ASSERT_NE(inc->getSourceDocument(), nullptr);
  EXPECT_EQ(std::string(inc->getSourceDocument()->Value()), dir.file("part.xml"));
}

TEST_F(PersistenceTest, IncludedRootOfAnotherElementIsReported) {
  dir.write("other.xml", "<other name=\"inc\"/>");
  const std::string file =
      dir.write("main.xml", "<node name=\"top\"><node name=\"inc\" include=\"other.xml\"/></node>");
  iNode* top = loadTop(file);

  EXPECT_EQ(top->GetChild(wxS("inc"))->getElement(), wxS("other"));
  EXPECT_TRUE(log->contains(
      wxString(kReadPrefix) + wxS(" Included node type changed from 'node' to 'other'"), 4));
}

TEST_F(PersistenceTest, MissingIncludeIsReportedAndTheNodeKeepsWhatItRead) {
  const std::string file = dir.write(
      "main.xml", "<node name=\"top\" include=\"missing.xml\"><item name=\"own\"/></node>");
  iNode* top = loadTop(file);

  EXPECT_EQ(childNames(top), std::vector<wxString>{wxS("own")});
  EXPECT_EQ(std::string(top->getSourceDocument()->Value()), file);
  const wxString expectedPath = wxGetCwd() + wxS("/missing.xml");
  EXPECT_TRUE(log->contains(wxS("File 'missing.xml' not found"), 5));
  EXPECT_TRUE(log->contains(wxString(kReadPrefix) + wxS(" Include file 'missing.xml' [") +
                                expectedPath + wxS("] not found"),
                            5));
}

TEST_F(PersistenceTest, BrokenIncludesAreReportedAndTheirSiblingsStillRead) {
  dir.write("bad.xml", "<node name=\"x\"><unclosed></node>");
  dir.write("empty.xml", "");
  const std::string file = dir.write("main.xml",
                                     "<node name=\"top\">"
                                     "<node name=\"one\" include=\"bad.xml\"/>"
                                     "<node name=\"two\" include=\"empty.xml\"/>"
                                     "<item name=\"three\"/>"
                                     "</node>");
  iNode* top = loadTop(file);

  EXPECT_EQ(childNames(top), (std::vector<wxString>{wxS("one"), wxS("two"), wxS("three")}));
  EXPECT_TRUE(log->contains(
      wxString(kReadPrefix) + wxS(" Error while loading include file 'bad.xml'!"), 5));
  EXPECT_TRUE(log->contains(
      wxString(kReadPrefix) + wxS(" Error while loading include file 'empty.xml'!"), 5));
  EXPECT_EQ(top->GetChild(wxS("one"))->getSourceDocument(), nullptr);
}

TEST_F(PersistenceTest, SelfIncludeStopsWithAnErrorAndLeavesValidTies) {
  dir.write("self.xml", "<node name=\"self\" include=\"self.xml\"><item name=\"x\"/></node>");
  const std::string file =
      dir.write("main.xml", "<node name=\"top\"><node name=\"self\" include=\"self.xml\"/></node>");
  iNode* top = loadTop(file);

  iNode* self = top->GetChild(wxS("self"));
  ASSERT_NE(self, nullptr);
  EXPECT_TRUE(self->hasChildren());
  EXPECT_TRUE(log->contains(
      wxString(kReadPrefix) + wxS(" Error while loading include file 'self.xml'!"), 5));
  // Every child read on the way is still tied to a live element.
  EXPECT_TRUE(top->Write());
}

TEST_F(PersistenceTest, NestedIncludesKeepEveryLevelsChildrenTied) {
  dir.write("c.xml", "<node name=\"inc\"><item name=\"fromC\"/></node>");
  dir.write("b.xml", "<node name=\"inc\" include=\"c.xml\"><item name=\"fromB\"/></node>");
  const std::string file =
      dir.write("main.xml", "<node name=\"top\"><node name=\"inc\" include=\"b.xml\"/></node>");
  iNode* top = loadTop(file);

  iNode* inc = top->GetChild(wxS("inc"));
  EXPECT_EQ(childNames(inc), (std::vector<wxString>{wxS("fromB"), wxS("fromC")}));
  inc->GetChild(wxS("fromB"))->setAttribute(wxS("touched"), wxS("yes"));
  EXPECT_TRUE(inc->Write());
  EXPECT_EQ(inc->GetChild(wxS("fromB"))->getTie()->Attribute("touched"), std::string("yes"));
  // The innermost file is the one the node saves to.
  EXPECT_EQ(std::string(inc->getSourceDocument()->Value()), dir.file("c.xml"));
}

// --- read-only ---------------------------------------------------------------

TEST_F(PersistenceTest, ReadOnlyIsSetOnlyByTrueAndWrittenBack) {
  const std::string file = dir.write("ro.xml",
                                     "<node name=\"top\">"
                                     "<item name=\"yes\" read_only=\"yes\"/>"
                                     "<item name=\"true\" read_only=\"true\"/>"
                                     "</node>");
  iNode* top = loadTop(file);
  iNode* yes = top->GetChild(wxS("yes"));
  iNode* truly = top->GetChild(wxS("true"));
  EXPECT_FALSE(yes->isReadOnly());
  EXPECT_TRUE(truly->isReadOnly());

  truly->setReadOnly(false);
  yes->setReadOnly(true);
  EXPECT_TRUE(top->Write());
  EXPECT_EQ(yes->getTie()->Attribute("read_only"), std::string("true"));
  EXPECT_EQ(truly->getTie()->Attribute("read_only"), nullptr);
}

TEST_F(PersistenceTest, ReadRecursiveAttributesReReadsSubtreeAndAncestors) {
  iNode* a = add(base, wxS("a"));
  iNode* b = add(a, wxS("b"));
  iNode* c = add(b, wxS("c"));
  a->setAttribute(wxS("read_only"), wxS("true"));
  b->setAttribute(wxS("label"), wxS("Bee"));
  c->setAttribute(wxS("label"), wxS("Sea"));
  b->readRecursiveAttributes();
  EXPECT_EQ(b->getLabel(), wxS("Bee"));
  EXPECT_EQ(c->getLabel(), wxS("Sea"));
  EXPECT_TRUE(c->isReadOnly());
}

// --- saving ------------------------------------------------------------------

TEST_F(PersistenceTest, SaveOfANodeWithoutDocumentWritesAndSavesTheNearestAncestorWithOne) {
  const std::string file =
      dir.write("save.xml", "<node name=\"top\"><item name=\"a\"><item name=\"b\"/></item></node>");
  iNode* top = loadTop(file);
  iNode* b = top->Search(wxS("a/b"));
  b->setAttribute(wxS("colour"), wxS("red"));
  iNode* fresh = b->CreateChild(wxS("fresh"), wxS("other"), wxS(""), false);
  ASSERT_NE(fresh, nullptr);

  EXPECT_TRUE(b->Save());
  EXPECT_TRUE(log->contains(
      wxString::Format(wxS("SAVED [node:/kivo/top] 'top' TO '%s'"), wx(file)), 3));

  TiXmlDocument saved;
  ASSERT_TRUE(saved.LoadFile(file.c_str()));
  const TiXmlElement* savedB =
      saved.RootElement()->FirstChildElement("item")->FirstChildElement("item");
  ASSERT_NE(savedB, nullptr);
  EXPECT_EQ(savedB->Attribute("colour"), std::string("red"));
  const TiXmlElement* savedFresh = savedB->FirstChildElement("other");
  ASSERT_NE(savedFresh, nullptr);
  EXPECT_EQ(savedFresh->Attribute("name"), std::string("fresh"));
}

TEST_F(PersistenceTest, SaveWithoutAnyDocumentFails) {
  iNode* lone = add(base, wxS("lone"));
  EXPECT_FALSE(lone->Save());
  EXPECT_TRUE(log->contains(wxS("SAVE FAILED [node:/kivo/lone] 'lone' "), 5));
}

TEST_F(PersistenceTest, ReadOnlyAncestorBlocksSavingUntilAnIncludeBoundary) {
  dir.write("part.xml", "<node name=\"inc\"><item name=\"inner\"/></node>");
  const std::string file = dir.write("main.xml",
                                     "<node name=\"top\">"
                                     "<node name=\"locked\" read_only=\"true\">"
                                     "<item name=\"plain\"/>"
                                     "<node name=\"inc\" include=\"part.xml\"/>"
                                     "</node></node>");
  iNode* top = loadTop(file);
  const std::string mainBefore = dir.read("main.xml");

  iNode* plain = top->Search(wxS("locked/plain"));
  EXPECT_FALSE(plain->Save());
  EXPECT_TRUE(log->contains(wxS("Could not save read only node '/kivo/top/locked/plain'"), 4));
  EXPECT_EQ(dir.read("main.xml"), mainBefore);

  iNode* inner = top->Search(wxS("locked/inc/inner"));
  ASSERT_NE(inner, nullptr);
  inner->setAttribute(wxS("colour"), wxS("blue"));
  EXPECT_TRUE(inner->Save());
  EXPECT_NE(dir.read("part.xml").find("colour=\"blue\""), std::string::npos);
  EXPECT_EQ(dir.read("main.xml"), mainBefore);
}

// --- data safety of saving -----------------------------------------------------

TEST_F(PersistenceTest, SaveReplacesTheFileKeepsItsPermissionsAndLeavesNoTemporaryFile) {
  const std::string file = dir.write("perm.xml", "<node name=\"top\"/>");
  ASSERT_EQ(chmod(file.c_str(), 0640), 0);
  iNode* top = loadTop(file);
  top->setAttribute(wxS("colour"), wxS("red"));

  EXPECT_TRUE(top->Write());
  EXPECT_TRUE(top->Save());
  struct stat info {};
  ASSERT_EQ(stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_NE(dir.read("perm.xml").find("colour=\"red\""), std::string::npos);
  EXPECT_EQ(filesIn(dir.path()), std::set<std::string>{"perm.xml"});
  EXPECT_EQ(std::string(top->getSourceDocument()->Value()), file);
}

TEST_F(PersistenceTest, SaveThatRunsOutOfSpaceLeavesTheOriginalByteForByte) {
  const std::string original = "<node name=\"top\">\n    <item name=\"a\" />\n</node>\n";
  const std::string file = dir.write("full.xml", original);
  iNode* top = loadTop(file);
  top->setAttribute(wxS("padding"), wxString(wxS('x'), 4096));
  ASSERT_TRUE(top->Write());

  // A file size limit fails the write part-way, as a full disk does, even for root.
  rlimit before{};
  getrlimit(RLIMIT_FSIZE, &before);
  rlimit tight = before;
  tight.rlim_cur = 100;
  const auto previousHandler = signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &tight);
  const bool saved = top->Save();
  setrlimit(RLIMIT_FSIZE, &before);
  signal(SIGXFSZ, previousHandler);

  EXPECT_FALSE(saved);
  EXPECT_EQ(dir.read("full.xml"), original);
  EXPECT_EQ(filesIn(dir.path()), std::set<std::string>{"full.xml"});
  EXPECT_TRUE(log->contains(
      wxString::Format(wxS("SAVE FAILED [node:/kivo/top] 'top' '%s' File too large"),
                       wx(file)),
      5));
  // Once there is room again the same document saves.
  EXPECT_TRUE(top->Save());
  EXPECT_NE(dir.read("full.xml").find("padding"), std::string::npos);
}

TEST_F(PersistenceTest, SaveIntoAFolderThatBecameAFileChangesNothing) {
  const std::string file = dir.write("sub/config.xml", "<node name=\"top\"/>");
  iNode* top = loadTop(file);
  std::filesystem::rename(dir.file("sub"), dir.file("moved"));
  dir.write("sub", "plain text");

  EXPECT_FALSE(top->Save());
  EXPECT_EQ(dir.read("sub"), "plain text");
  EXPECT_EQ(dir.read("moved/config.xml"), "<node name=\"top\"/>");
  EXPECT_EQ(filesIn(dir.path()), (std::set<std::string>{"moved", "sub"}));
  EXPECT_EQ(std::string(top->getSourceDocument()->Value()), file);
}

// --- building children from XML ---------------------------------------------

TEST_F(PersistenceTest, ParseBuildsANamedChildAndLinksItsElement) {
  const std::string file = dir.write("parse.xml", "<node name=\"top\"/>");
  iNode* top = loadTop(file);

  iNode* parsed = top->Parse(
      wxS("<item name=\"p\" colour=\"blue\"><other name=\"q\"/></item>"), wxS("fresh"));
  ASSERT_NE(parsed, nullptr);
  EXPECT_EQ(parsed->getParent(), top);
  EXPECT_EQ(parsed->getName(), wxS("fresh"));
  EXPECT_EQ(childNames(parsed), std::vector<wxString>{wxS("q")});
  EXPECT_EQ(parsed->getTie()->Parent(), top->getTie());
  EXPECT_EQ(parsed->getTie()->Attribute("colour"), std::string("blue"));

  iNode* unnamed = top->Parse(wxS("<item/>"), wxS(""));
  ASSERT_NE(unnamed, nullptr);
  EXPECT_FALSE(unnamed->getName().empty());

  EXPECT_EQ(top->Parse(wxS("<item name=\"x\">"), wxS("bad")), nullptr);
  EXPECT_EQ(top->Parse(wxS("no element"), wxS("bad")), nullptr);
  EXPECT_EQ(top->Parse(wxS("<broken name=\"x\"/>"), wxS("bad")), nullptr);
  EXPECT_EQ(add(base, wxS("untied"))->Parse(wxS("<item/>"), wxS("bad")), nullptr);
  EXPECT_EQ(childNames(top).size(), 2u);
  int linked = 0;
  for (const TiXmlElement* e = top->getTie()->FirstChildElement(); e; e = e->NextSiblingElement())
    ++linked;
  EXPECT_EQ(linked, 2);
}

TEST_F(PersistenceTest, CopyChildCopiesTheSubtreeUnderAUniqueNameAndTranslatesLabels) {
  const std::string file =
      dir.write("copy.xml",
                "<node name=\"top\">"
                "<item name=\"src\"><other translatable_name=\"Level (2)\" name=\"deep\"/></item>"
                "<node name=\"dest\"><item name=\"src\"/></node>"
                "</node>");
  iNode* top = loadTop(file);
  iNode* source = top->GetChild(wxS("src"));
  iNode* destination = top->GetChild(wxS("dest"));

  iNode* copy = top->CopyChild(source, destination, true);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->getParent(), destination);
  EXPECT_EQ(copy->getLabel(), wxS("src (1)"));
  EXPECT_EQ(childNames(copy), std::vector<wxString>{wxS("deep")});
  EXPECT_EQ(copy->GetChild(wxS("deep"))->getLabel(), wxS("Level (2)"));
  EXPECT_EQ(copy->getTie()->Parent(), destination->getTie());
  EXPECT_NE(copy->getTie(), source->getTie());
  EXPECT_TRUE(log->contains(wxS("Created node name 'src' label 'src'"), 3));
  EXPECT_TRUE(log->contains(
      wxS("Appended node 'src$20$281$29' label 'src (1)' to '/kivo/top/dest'"), 3));
  // Without translation the copy carries no label of its own.
  iNode* plain = top->CopyChild(source, nullptr, false);
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(plain->getParent(), top);
  EXPECT_EQ(plain->GetChild(wxS("deep"))->getTie()->Attribute("label"), nullptr);
}

TEST_F(PersistenceTest, CopyChildRefusesUntiedOrUnbuildableSources) {
  const std::string file = dir.write("copy.xml", "<node name=\"top\"/>");
  iNode* top = loadTop(file);
  iNode* untied = add(base, wxS("untied"));

  EXPECT_EQ(top->CopyChild(untied, nullptr, false), nullptr);
  EXPECT_TRUE(log->contains(wxS("iNode::CopyChild no ties error"), 5));

  iNode* odd = new KivoTest::TestNode(wxS("broken"));
  odd->setName(wxS("odd"));
  odd->setTie(top->getTie()->LinkEndChild(new TiXmlElement("broken"))->ToElement());
  ASSERT_TRUE(top->AppendChild(odd, nullptr, false));
  EXPECT_EQ(top->CopyChild(odd, top, false), nullptr);
  EXPECT_TRUE(log->contains(wxString::Format(wxS("Copying of 'broken' named 'odd' from '%s' "
                                                 "under '/kivo/top' failed"),
                                             wx(file)),
                            5));
  int linked = 0;
  for (const TiXmlElement* e = top->getTie()->FirstChildElement(); e; e = e->NextSiblingElement())
    ++linked;
  EXPECT_EQ(linked, 1);

  // A source outside the base's tree has no factories to rebuild it from.
  TiXmlElement element("item");
  KivoTest::TestNode outside(wxS("item"));
  outside.setTie(&element);
  EXPECT_EQ(top->CopyChild(&outside, top, false), nullptr);
  EXPECT_EQ(childNames(top), std::vector<wxString>{wxS("odd")});
}

// --- locating files ------------------------------------------------------------

TEST_F(PersistenceTest, FindFilenameSearchesItsPlacesInOrder) {
  const std::string docFile = dir.write("docs/main.xml", "<node name=\"top\"/>");
  iNode* top = loadTop(docFile);
  dir.write("resources/data.txt", "r");
  dir.write("kivobase/data.txt", "k");
  dir.write("docs/data.txt", "d");
  dir.write("kivobase/kivo/data2.txt", "p");
  base->AddResourceLocation(wx(dir.file("resources")));
  const ScopedEnv kivoBase("KIVO_BASE", dir.file("kivobase"));

  EXPECT_EQ(top->FindFilename(wxS("data.txt")).GetFullPath(), wx(dir.file("resources/data.txt")));
  std::filesystem::remove(dir.file("resources/data.txt"));
  EXPECT_EQ(top->FindFilename(wxS("data.txt")).GetFullPath(), wx(dir.file("kivobase/data.txt")));
  std::filesystem::remove(dir.file("kivobase/data.txt"));
  EXPECT_EQ(top->FindFilename(wxS("data.txt")).GetFullPath(), wx(dir.file("docs/data.txt")));
  // KIVO_BASE followed by the node's path: the tree mirrored as folders.
  EXPECT_EQ(top->FindFilename(wxS("data2.txt")).GetFullPath(),
            wx(dir.file("kivobase/kivo/data2.txt")));
  // The name itself comes first of all.
  EXPECT_EQ(top->FindFilename(wx(docFile)).GetFullPath(), wx(docFile));

  EXPECT_EQ(top->FindFilename(wxS("nowhere.txt")).GetFullPath(), wxS("nowhere.txt"));
  EXPECT_TRUE(log->contains(wxS("File 'nowhere.txt' not found"), 5));
}
