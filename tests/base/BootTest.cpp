#include <set>

#include <wx/regex.h>

#include "kivo/convert/Indent.h"
#include "kivo/factory/KivoNodeFactory.h"
#include "support/NodeFixture.h"
#include "support/TempDir.h"

using namespace KivoUnit;

namespace {

// Items record their destruction order by name.
class ItemFactory : public KivoTest::TestFactory {
 public:
  ItemFactory() : TestFactory(wxS("Items"), {wxS("item")}) {}
};

class BootTest : public ::testing::Test {
 protected:
  void SetUp() override {
    base = new KivoBase();
    KivoBase::s_Instance = base;
    KivoTest::TestNode::destroyed().clear();
  }
  void TearDown() override {
    base->Shutdown();
    EXPECT_FALSE(base->hasChildren());
    if (items != nullptr) {
      items->destroy();
      delete items;
    }
    KivoBase::s_Instance = nullptr;
    delete base;
  }
  wxString file(const std::string& name, const std::string& content) {
    return wxString::FromUTF8(dir.write(name, content).c_str());
  }

  KivoTest::LogCapture log;
  KivoTest::TempDir dir;
  KivoBase* base = nullptr;
  ItemFactory* items = nullptr;
};

bool isStamp(const wxString& text) {
  static const wxRegEx pattern(wxS("^[0-9]{4}\\.[0-9]{2}\\.[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}$"));
  return pattern.Matches(text);
}

}  // namespace

TEST_F(BootTest, EmptyConfigurationGetsTheFixedPaths) {
  ASSERT_TRUE(base->Boot(file("boot.xml", "<kivo name='kivo'/>")));
  iNode* start = base->Search(wxS("/kivo/current/boot/start"));
  iNode* stop = base->Search(wxS("/kivo/current/boot/stop"));
  ASSERT_NE(start, nullptr);
  ASSERT_NE(stop, nullptr);
  EXPECT_TRUE(isStamp(start->getBrief())) << start->getBrief();
  EXPECT_LE(start->getBrief(), stop->getBrief());
  iNode* factories = base->Search(wxS("/current/factories"));
  ASSERT_NE(factories, nullptr);
  ASSERT_NE(factories->GetChild(wxS("Kivo")), nullptr);
  EXPECT_EQ(base->GetChild(wxS("current")), base->Search(wxS("/kivo/current")));

  // The state report carries the base block with the registry.
  const wxString state = base->State(Indent(), wxString());
  EXPECT_NE(state.Find(wxS("<base>\n <memory allocated=\"0\" freed=\"0\" total=\"0\" units=\"0\">\n </memory>\n <factories count=\"9\">")), wxNOT_FOUND) << state;
  EXPECT_NE(state.Find(wxS("<element name=\"SymLink\" factory=\"Kivo\" />")), wxNOT_FOUND);

  items = new ItemFactory();
  EXPECT_TRUE(base->RegisterFactory(items));
  EXPECT_TRUE(base->RegisterFactory(items));
  EXPECT_TRUE(log.contains(
      wxS("Factory 'factory:Items@/kivo/current/factories/Items' already has a parent"), 4));
  EXPECT_FALSE(base->RegisterFactory(nullptr));
  items->destroy();  // detaches it before the tree goes
  delete items;
  items = nullptr;
}

TEST_F(BootTest, RootWithAnotherNameGetsAKivoChildAndLinksLeadToTheirTarget) {
  ASSERT_TRUE(base->Boot(file("app.xml", "<app name='app'><node name='settings'><node name='audio'/>"
                                         "</node><SymLink name='sound' symlink_target_path="
                                         "'/settings/audio'/></app>")));
  EXPECT_EQ(base->getName(), wxS("app"));
  ASSERT_NE(base->GetChild(wxS("kivo")), nullptr);
  EXPECT_NE(base->Search(wxS("/app/kivo/current/boot/start")), nullptr);
  EXPECT_NE(base->Search(wxS("/kivo/current/boot/stop")), nullptr);
  EXPECT_EQ(base->Search(wxS("/sound")), base->Search(wxS("/settings/audio")));
  log.clear();
  EXPECT_TRUE(base->Shutdown());
  EXPECT_EQ(log.count(), 0u) << "every node found and destroyed as itself";
}

TEST_F(BootTest, BadFilesFailWithTheirMessageAndTheBaseStaysUsable) {
  EXPECT_FALSE(base->Boot(dir.file("missing.xml")));
  EXPECT_TRUE(log.contains(
      wxString::Format(wxS("Loading file '%s' failed"), dir.file("missing.xml")), 5));
  EXPECT_EQ(base->Search(wxS("/kivo/current/factories")), nullptr) << "no default factory";

  const wxString broken = file("broken.xml", "<kivo name='kivo'><node></kivo>");
  EXPECT_FALSE(base->Boot(broken));
  EXPECT_TRUE(base->GetError().StartsWith(
      wxString::Format(wxS("Kivo read failure on '%s': 'Error #"), broken)))
      << base->GetError();

  EXPECT_FALSE(base->Boot(file("empty.xml", "")));
  EXPECT_FALSE(base->Boot(file("text.xml", "just words")));

  std::string many = "<kivo name='kivo'>";
  for (int i = 0; i < 2000; ++i) many += "<unknown" + std::to_string(i) + "/>";
  many += "</kivo>";
  EXPECT_TRUE(base->Boot(file("many.xml", many))) << "unknown elements are skipped";

  ASSERT_TRUE(base->Boot(file("good.xml", "<kivo name='kivo'><node name='a'/></kivo>")));
  EXPECT_NE(base->Search(wxS("/a")), nullptr);
  EXPECT_EQ(base->Search(wxS("/current/boot"))->getChildren().size(), 2u) << "stamps replaced";
}

TEST_F(BootTest, IncludeCyclesEndAndTheRestIsRead) {
  dir.write("a.xml", "<node name='a'><include filename='b.xml'/></node>");
  dir.write("b.xml", "<node name='b'><include filename='a.xml'/></node>");
  base->AddResourceLocation(wxString::FromUTF8(dir.path().c_str()));  // as the boot loader does
  ASSERT_TRUE(base->Boot(file("boot.xml",
                              "<kivo name='kivo'><include filename='a.xml'/><node name='after'/></kivo>")));
  EXPECT_NE(base->Search(wxS("/after")), nullptr);
  EXPECT_NE(base->Search(wxS("/a/b/a/b")), nullptr);
  bool limitHit = false;
  for (const wxString& text : log.texts()) {
    if (text.Contains(wxS("recursion counter limit 100 hit with file"))) limitHit = true;
  }
  EXPECT_TRUE(limitHit);
}

TEST_F(BootTest, ExecuteByPathPassesNameAndParameters) {
  ASSERT_TRUE(base->Boot(file("boot.xml", "<kivo name='kivo'><node name='a'/></kivo>")));
  KivoTest::RecordingListener listener;
  iNode* a = base->Search(wxS("/a"));
  a->RegisterListener(&listener);
  EXPECT_EQ(base->Execute(wxS("/kivo/a?x=1"), wxS("&y=2")), wxS(""));
  EXPECT_EQ(listener.events.back(), wxS("execute a a?x=1&y=2"));
  EXPECT_TRUE(base->CanExecute(wxS("/anything")));

  testing::internal::CaptureStdout();
  EXPECT_EQ(base->Execute(wxS("/nothing/here"), wxS("go")), wxS(""));
  const std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_NE(printed.find("No node found '/nothing/here'\n"), std::string::npos) << printed;
  a->RemoveListener(&listener);
}

TEST_F(BootTest, ShutdownDestroysNewestFirstAndReportsMovedNodes) {
  items = new ItemFactory();
  ASSERT_TRUE(base->Boot(file("boot.xml",
                              "<kivo name='kivo'><item name='first'><item name='inner'/></item>"
                              "<item name='second'/></kivo>")));
  // An older node placed under a newer one goes with it and is reported.
  iNode* older = base->CreateNode(wxS("item"), nullptr, nullptr);
  older->setName(wxS("older"));
  iNode* newer = base->CreateNode(wxS("item"), nullptr, nullptr);
  newer->setName(wxS("newer"));
  ASSERT_TRUE(base->AppendChild(newer, nullptr, false));
  ASSERT_TRUE(newer->AppendChild(older, nullptr, false));

  log.clear();
  EXPECT_TRUE(base->Shutdown());
  EXPECT_EQ(KivoTest::TestNode::destroyed(),
            (std::vector<wxString>{wxS("older"), wxS("newer"), wxS("second"), wxS("inner"),
                                   wxS("first")}));
  EXPECT_TRUE(log.contains(wxS("No '/kivo/newer/older'\n"), 4));
  EXPECT_FALSE(base->hasChildren());
  EXPECT_EQ(base->Search(wxS("/current/factories")), nullptr);
}

TEST_F(BootTest, UpdateListsEachLoadedLibraryOnceAndTheClockRuns) {
  const unsigned int first = KivoBase::getMicroseconds();
  ASSERT_TRUE(base->Boot(file("boot.xml", "<kivo name='kivo'/>")));
  EXPECT_GT(KivoBase::getMicroseconds(), first);
  EXPECT_TRUE(base->Update(false));
  EXPECT_TRUE(base->Update(false));
  iNode* libraries = base->Search(wxS("/kivo/current/libraries"));
  ASSERT_NE(libraries, nullptr);
  std::set<wxString> paths;
  bool kivoListed = false;
  for (const iNode* library : libraries->getChildren()) {
    EXPECT_TRUE(paths.insert(library->getBrief()).second) << "listed twice: " << library->getBrief();
    EXPECT_TRUE(library->getBrief().StartsWith(wxS("/")));
    EXPECT_TRUE(library->getDescription().StartsWith(wxS("Address=0x")));
    if (library->getBrief().Contains(wxS("libkivo"))) kivoListed = true;
  }
  EXPECT_TRUE(kivoListed);
}
