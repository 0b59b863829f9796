// Plug-in code is never unloaded under live nodes, and the nodes that libraries and
// add-ons bring at run time never enter the configuration.
#include <gtest/gtest.h>

#include <string>

#include <wx/filefn.h>

#include "kivo/app/Application.h"
#include "kivo/base/KivoBoot.h"
#include "kivo/thread/KivoLocker.h"
#include "plugin/PluginSupport.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

using namespace KivoUnit;
using KivoTest::libraryAt;
using KivoTest::wx;

namespace {

const char* const kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n";

class PluginSafetyTest : public ::testing::Test {
 protected:
  void TearDown() override { Application::getApp().setAddonsFolder(wxString()); }
  bool boot(const std::string& configuration) {
    file = dir.write("config.xml", configuration);
    return loader.Boot(wxS(KIVO_LIBRARY_DIR "/kivo"), wx(file)) && loader.isBooted();
  }
  bool anyNodeNamed(const iNode& node, const wxString& part) const {
    for (const iNode* child : node.getChildren()) {
      if (child != nullptr && (child->getName().Contains(part) || anyNodeNamed(*child, part))) return true;
    }
    return false;
  }

  KivoTest::LogCapture log;
  KivoTest::TempDir dir;
  std::string file;
  KivoBoot loader;
};

TEST_F(PluginSafetyTest, ALibraryIsNotStoppedWhileNodesMadeByItLive) {
  ASSERT_TRUE(boot("<kivo name='kivo'><library name='example' filename='" KIVO_EXAMPLE_PLUGIN
                   "'/><node name='box'><greeting name='hi'/></node></kivo>"));
  KivoLocker guard(__LINE__, __FILE__, __func__, wxS("test"));
  KivoBase* base = guard.Write();
  ASSERT_NE(base, nullptr);
  KivoLibrary* library = libraryAt(wxS("/example"));
  ASSERT_NE(library, nullptr);

  EXPECT_EQ(library->Execute(wxS("stop"), wxString()), wxS("<failure/>"));
  EXPECT_TRUE(log.contains(wxS("Library '" KIVO_EXAMPLE_PLUGIN
                               "' not stopped: 1 nodes made by it are in the tree: '/kivo/box/hi'"),
                           5));
  EXPECT_TRUE(library->isStarted());
  ASSERT_NE(base->Search(wxS("/box/hi")), nullptr);
  EXPECT_EQ(base->Search(wxS("/box/hi"))->Execute(wxS("any"), wxString()), wxS("hello hi"));

  base->Search(wxS("/box"))->RemoveChild(wxS("hi"));
  EXPECT_EQ(library->Execute(wxS("stop"), wxString()), wxS("<ok/>"));
  EXPECT_FALSE(library->isStarted());
  EXPECT_EQ(base->Search(wxS("/kivo/current/factories/Greetings")), nullptr);
  EXPECT_EQ(library->Execute(wxS("start"), wxString()), wxS("<ok/>"));
  EXPECT_NE(base->Search(wxS("/kivo/current/factories/Greetings")), nullptr);
}

TEST_F(PluginSafetyTest, ALibraryThatGoesTakesTheNodesMadeByItFirst) {
  ASSERT_TRUE(boot("<kivo name='kivo'><library name='example' filename='" KIVO_EXAMPLE_PLUGIN
                   "'/><greeting name='hi'/><node name='after'/></kivo>"));
  {
    KivoLocker guard(__LINE__, __FILE__, __func__, wxS("test"));
    KivoBase* base = guard.Write();
    ASSERT_NE(base, nullptr);
    base->RemoveChild(wxS("example"));
    EXPECT_EQ(base->Search(wxS("/hi")), nullptr);
    EXPECT_NE(base->Search(wxS("/after")), nullptr);
    base->ReportShutdown();  // would call into unloaded code for a node left behind
  }
  EXPECT_TRUE(loader.Stop());
}

TEST_F(PluginSafetyTest, AddOnsAreRunTimeNodesAndNeverEnterTheConfiguration) {
  KivoTest::TempDir addons;
  ASSERT_TRUE(wxCopyFile(wxS(KIVO_EXAMPLE_PLUGIN), wx(addons.file("libaddon.so"))));
  Application::getApp().setAddonsFolder(wx(addons.path()));
  const std::string configuration = std::string(kDeclaration) +
                                    "<kivo name=\"kivo\">\n"
                                    "    <node name=\"a\" x=\"1\" />\n"
                                    "    <addons name=\"addons\" />\n"
                                    "    <node name=\"b\" />\n"
                                    "</kivo>\n";
  ASSERT_TRUE(boot(configuration));
  KivoLocker guard(__LINE__, __FILE__, __func__, wxS("test"));
  KivoBase* base = guard.Write();
  ASSERT_NE(base, nullptr);
  iNode* addon = base->Search(wxS("/kivo/lib/libaddon.so"));
  ASSERT_NE(addon, nullptr);
  EXPECT_TRUE(addon->isRunTime());
  EXPECT_FALSE(anyNodeNamed(*base, wxS("unnamed")));
  EXPECT_EQ(base->getChildren().size(), 5u) << "a, addons, b, current and lib";

  EXPECT_FALSE(addon->Save());
  EXPECT_EQ(dir.read("config.xml"), configuration);
  base->Search(wxS("/a"))->setAttribute(wxS("x"), wxS("2"));
  for (int save = 0; save < 2; ++save) ASSERT_TRUE(base->Save());
  std::string expected = configuration;
  expected.replace(expected.find("x=\"1\""), 5, "x=\"2\"");
  EXPECT_EQ(dir.read("config.xml"), expected);
}

}  // namespace
