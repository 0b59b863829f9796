// Booting a base from configuration files: the fixed paths, hostile and broken files,
// shutdown order, and boots that replace an earlier one.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <set>

#include <wx/filefn.h>
#include <wx/regex.h>

#include "kivo/convert/Indent.h"
#include "support/NodeFixture.h"
#include "support/TempDir.h"

using namespace KivoUnit;

namespace {

wxString wx(const std::string& text) { return wxString::FromUTF8(text.c_str()); }

std::string nested(int levels) {
  std::string open, close;
  for (int i = 0; i < levels; ++i) open += "<node name='n'>", close += "</node>";
  return open + close;
}

// Every path of the tree below `node`, one a line.
std::string outline(const iNode& node) {
  std::string text;
  for (const iNode* child : node.getChildren())
    if (child != nullptr) text += child->GetFullPath().utf8_str().data() + ("\n" + outline(*child));
  return text;
}

class BootTest : public KivoTest::BaseTest {
 protected:
  void TearDown() override {
    base->Shutdown();
    if (items != nullptr) items->destroy(), delete items;  // after the nodes it made, before the base
    BaseTest::TearDown();
  }
  wxString file(const std::string& name, const std::string& content) { return wx(dir.write(name, content)); }
  bool logged(const wxString& part) const {
    const auto texts = log.texts();
    return std::any_of(texts.begin(), texts.end(), [&](const wxString& text) { return text.Contains(part); });
  }
  iNode* at(const wxString& path) { return base->Search(path); }

  KivoTest::LogCapture log;
  KivoTest::TempDir dir;
  KivoTest::TestFactory* items = nullptr;
};

TEST_F(BootTest, ConfigurationGetsTheFixedPathsTheRegistryAndExecuteByPath) {
  ASSERT_TRUE(base->Boot(file("boot.xml", "<kivo name='kivo'><node name='a'/></kivo>")));
  ASSERT_TRUE(at(wxS("/kivo/current/boot/start")) && at(wxS("/kivo/current/boot/stop")) &&
              at(wxS("/current/factories/Kivo")));
  const wxString start = at(wxS("/kivo/current/boot/start"))->getBrief();
  EXPECT_TRUE(wxRegEx(wxS("^[0-9]{4}\\.[0-9]{2}\\.[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}$")).Matches(start)) << start;
  EXPECT_LE(start, at(wxS("/kivo/current/boot/stop"))->getBrief());
  const wxString state = base->State(Indent(), wxString());
  EXPECT_TRUE(state.Contains(wxS("<base>\n <memory allocated=\"0\" freed=\"0\" total=\"0\" units=\"0\">\n </memory>\n"
                                 " <factories count=\"9\">")) &&
              state.Contains(wxS("<element name=\"SymLink\" factory=\"Kivo\" />"))) << state;

  items = new KivoTest::TestFactory(wxS("Items"), {wxS("item")});
  EXPECT_TRUE(base->RegisterFactory(items) && base->RegisterFactory(items) && !base->RegisterFactory(nullptr));
  EXPECT_TRUE(log.contains(wxS("Factory 'factory:Items@/kivo/current/factories/Items' already has a parent"), 4));
  KivoTest::RecordingListener listener;
  at(wxS("/a"))->RegisterListener(&listener);
  EXPECT_TRUE(base->Execute(wxS("/kivo/a?x=1"), wxS("&y=2")).empty() && base->CanExecute(wxS("/anything")));
  EXPECT_EQ(listener.events.back(), wxS("execute a a?x=1&y=2"));
  at(wxS("/a"))->RemoveListener(&listener);
  testing::internal::CaptureStdout();
  EXPECT_EQ(base->Execute(wxS("/nothing/here"), wxS("go")), wxS(""));
  EXPECT_NE(testing::internal::GetCapturedStdout().find("No node found '/nothing/here'\n"), std::string::npos);

  // The clock runs and the libraries list names each loaded library once.
  const unsigned int before = KivoBase::getMicroseconds();
  EXPECT_TRUE(base->Update(false) && base->Update(false));
  EXPECT_GT(KivoBase::getMicroseconds(), before);
  std::set<wxString> paths;
  for (const iNode* library : at(wxS("/kivo/current/libraries"))->getChildren())  // each once, with its address
    EXPECT_TRUE(paths.insert(library->getBrief()).second && library->getBrief().StartsWith(wxS("/")) &&
                library->getDescription().StartsWith(wxS("Address=0x"))) << library->getBrief();
  EXPECT_TRUE(std::any_of(paths.begin(), paths.end(), [](const wxString& p) { return p.Contains(wxS("libkivo")); }));
}

TEST_F(BootTest, OtherRootNamesLinksAndSameNamedSiblingsShutDownAsThemselves) {
  const wxString path = file("app.xml", "<app name='app'><node name='settings'><node name='audio'/></node>"
                                        "<SymLink name='sound' symlink_target_path='/settings/audio'/>\n"
                                        "<node name='a b'/>\n<node name='a b'><node/></node></app>");
  ASSERT_TRUE(base->Boot(path));
  EXPECT_TRUE(base->getName() == wxS("app") && at(wxS("/app/kivo/current/boot/start")) && at(wxS("/kivo/current/boot/stop")));
  EXPECT_EQ(at(wxS("/sound")), at(wxS("/settings/audio")));
  EXPECT_EQ(base->getChildren().size(), 5u) << "settings, sound, both twins and kivo";
  EXPECT_TRUE(log.contains(wxString::Format(wxS("Node 'a$20b' in '%s' line 3 has the name of an earlier "
                                                "sibling; no path reaches it"), path), LevelWarning));
  log.clear();
  EXPECT_TRUE(base->Shutdown());
  EXPECT_EQ(log.count(), 0u) << "every node found and destroyed as itself";
}

TEST_F(BootTest, BadFilesFailWithTheirMessageAndTheBaseStaysUsable) {
  EXPECT_FALSE(base->Boot(dir.file("missing.xml")));
  EXPECT_TRUE(log.contains(wxString::Format(wxS("Loading file '%s' failed"), dir.file("missing.xml")), 5));
  EXPECT_EQ(at(wxS("/kivo/current/factories")), nullptr) << "no default factory";
  EXPECT_FALSE(base->Boot(file("broken.xml", "<kivo name='kivo'><node></kivo>")) || base->Boot(file("bare.xml", "<!-- c -->")));
  EXPECT_EQ(base->GetError(), wxString::Format(wxS("Kivo read failure on '%s': 'no root element'"), dir.file("bare.xml")));
  std::string many = "<kivo name='kivo'>" + nested(990);
  for (int i = 0; i < 2000; ++i) many += "<unknown" + std::to_string(i) + "/>";
  EXPECT_TRUE(base->Boot(file("many.xml", many + "</kivo>"))) << "unknown elements are skipped";
  ASSERT_TRUE(base->Boot(file("good.xml", "<kivo name='kivo'><node name='a'/></kivo>")) && at(wxS("/a")));
  EXPECT_EQ(at(wxS("/current/boot"))->getChildren().size(), 2u) << "stamps replaced";
}

TEST_F(BootTest, IncludesThatCycleNestTooDeepOrAreNoFilesAreSkippedAndTheRestIsRead) {
  dir.write("a.xml", "<node name='a'><include filename='b.xml'/></node>");
  dir.write("b.xml", "<node name='b'><include filename='a.xml'/></node>");
  dir.write("inner.xml", nested(998));  // hangs at level 3: one level too deep
  ASSERT_EQ(mkdir(dir.file("folder.xml").c_str(), 0700), 0);
  base->AddResourceLocation(wx(dir.path()));  // as the boot loader does
  ASSERT_TRUE(base->Boot(file("boot.xml", "<kivo name='kivo'><include filename='a.xml'/>"
                                          "<node name='x'><node name='y'><include filename='inner.xml'/></node></node>"
                                          "<include filename='/dev/zero'/>"
                                          "<node name='z' include='folder.xml'/><node name='after'/></kivo>")));
  EXPECT_TRUE(at(wxS("/after")) && at(wxS("/a/b/a/b")));
  const wxString folder = wx(dir.file("folder.xml"));
  for (const wxString& part : {wxString(wxS("recursion counter limit 100 hit with file")),
                               wxString(wxS("nests elements 1001 levels deep (line 1); the limit is 1000 levels")),
                               wxString(wxS("Include file '/dev/zero' (/dev/zero) is not a regular file")),
                               wxS("Include file 'folder.xml' [") + folder + wxS("] is a folder")})
    EXPECT_TRUE(logged(part)) << part;
  EXPECT_FALSE(logged(wxS("not found")));
}

TEST_F(BootTest, ShutdownDestroysNewestFirstAndReportsMovedNodes) {
  items = new KivoTest::TestFactory(wxS("Items"), {wxS("item")});
  const std::string configuration = "<kivo name='kivo'><item name='first'><item name='inner'/></item>"
                                    "<item name='second'/><item name='third'/></kivo>";
  KivoTest::TestNode::destroyed().clear();
  ASSERT_TRUE(base->Boot(file("boot.xml", configuration)) && base->Shutdown());
  EXPECT_EQ(KivoTest::TestNode::destroyed(),
            (std::vector<wxString>{wxS("third"), wxS("second"), wxS("inner"), wxS("first")}));
  KivoTest::TestNode::destroyed().clear();
  ASSERT_TRUE(base->Boot(file("boot.xml", configuration)));
  // An older node placed under a newer one goes with it and is reported.
  iNode* older = base->CreateNode(wxS("item"), nullptr, nullptr);
  older->setName(wxS("older"));
  iNode* newer = base->CreateNode(wxS("item"), nullptr, nullptr);
  newer->setName(wxS("newer"));
  ASSERT_TRUE(base->AppendChild(newer, nullptr, false) && newer->AppendChild(older, nullptr, false));
  log.clear();
  EXPECT_TRUE(base->Shutdown());
  EXPECT_EQ(KivoTest::TestNode::destroyed(),
            (std::vector<wxString>{wxS("older"), wxS("newer"), wxS("third"), wxS("second"), wxS("inner"),
                                   wxS("first")}));
  EXPECT_TRUE(log.contains(wxS("No '/kivo/newer/older'\n"), 4) && !base->hasChildren() && !at(wxS("/current/factories")));
}

TEST_F(BootTest, EachBootReplacesTheTreeAndTakesRelativeNamesFromTheConfigurationsFolder) {
  // The file also holds what an earlier, careless save wrote: boot stamps.
  const std::string part = "<node name=\"host\" p=\"1\"/>\n";
  dir.write("part.xml", part);
  dir.write("library.xml", "<node name=\"library\"><node name=\"favourites\" tracks=\"1\"/></node>\n");
  const wxString main = file("main.xml",
      "<node name=\"kivo\" colour=\"red\">\n  <node name=\"settings\"><node name=\"audio\" volume=\"5\"/></node>\n"
      "  <node name=\"host\" include=\"part.xml\"><node name=\"own\"/></node>\n  <include filename=\"library.xml\"/>\n"
      "  <include filename=\"made.xml\" create_file=\"true\" create_node=\"node\" create_node_name=\"made\"/>\n"
      "  <node name=\"current\"><node name=\"boot\"><node name=\"start\" brief=\"old\"/><node name=\"stop\" brief=\"old\"/>"
      "</node></node>\n</node>\n");
  KivoTest::TempDir elsewhere;
  const std::string previous = wxGetCwd().utf8_str().data();
  ASSERT_EQ(chdir(elsewhere.path().c_str()), 0);
  const bool booted = base->Boot(main);
  const std::string during = wxGetCwd().utf8_str().data();
  ASSERT_EQ(chdir(previous.c_str()), 0);
  ASSERT_TRUE(booted);
  EXPECT_EQ(during, elsewhere.path()) << "the working directory comes back";
  EXPECT_FALSE(wxFileExists(wx(elsewhere.file("made.xml"))));
  EXPECT_EQ(dir.read("made.xml"), "<node name=\"made\"/>\n");
  EXPECT_EQ(at(wxS("/made"))->getFilename(), wx(dir.file("made.xml")));
  const std::string first = outline(*base);
  for (int boot = 2; boot <= 3; ++boot) {
    SCOPED_TRACE(boot);
    ASSERT_TRUE(base->Boot(main));
    EXPECT_EQ(outline(*base), first);
    EXPECT_TRUE(at(wxS("/kivo/current/boot"))->getChildren().size() == 2u &&
                at(wxS("/kivo/current/boot/start"))->getBrief() != wxS("old"));
  }
  EXPECT_EQ(base->getAttribute(wxS("colour"), wxS("")) + at(wxS("/host"))->getAttribute(wxS("p"), wxS("")), wxS("red1"));
  // The nodes of the last boot are tied to the documents that are there now.
  for (const char* path : {"/settings/audio", "/library/favourites"}) {
    ASSERT_NE(at(wx(path)), nullptr);
    at(wx(path))->setAttribute(wxS("v"), wxS("9"));
    ASSERT_TRUE(at(wx(path))->Save());
  }
  EXPECT_TRUE(dir.read("main.xml").find("volume=\"5\" v=\"9\"") != std::string::npos &&
              dir.read("library.xml").find("tracks=\"1\" v=\"9\"") != std::string::npos);
  EXPECT_EQ(dir.read("part.xml"), part);
}

}  // namespace
