// Scanning the application's add-ons folder for plug-in libraries; the nodes it makes
// live at run time only and never enter the configuration.
#include <wx/filefn.h>

#include "kivo/plugin/KivoAddons.h"
#include "plugin/PluginSupport.h"

using namespace KivoUnit;
using namespace KivoTest;

namespace {

class AddonsTest : public PluginTest {
 protected:
  void bootAddons(const std::string& configuration = "<kivo name='kivo'><addons name='addons'/></kivo>") {
    Application::getApp().setAddonsFolder(folder);
    ASSERT_TRUE(bootFile(configuration));
  }
  void addon(const char* source, const char* name) {
    EXPECT_TRUE(wxCopyFile(wx(source), wx(addons.file(name))));
  }
  bool logged(const char* format, const char* file, int level, bool inFolder = false) {
    const wxString where = inFolder ? folder : wxS("/kivo/lib/") + wx(file);
    return log.contains(wxString::Format(wx(format), wx(file), where), level);
  }

  TempDir addons;
  const wxString folder = wx(addons.path());
};

TEST_F(AddonsTest, GoodAndBrokenLibrariesGetNodesAndMessages) {
  addon(KIVO_EXAMPLE_PLUGIN, "libgood.so");
  addon(KIVO_NOSTART_PLUGIN, "libnostart.so");
  addons.write("libgarbage.so", "not a library");
  addons.write("readme.txt", "ignored");
  const wxString previous = wxGetCwd();
  testing::internal::CaptureStdout();
  bootAddons();
  EXPECT_NE(testing::internal::GetCapturedStdout().find("KivoAddons created\n"), std::string::npos);
  EXPECT_EQ(wxGetCwd(), previous);
  for (const char* file : {"libgood.so", "libnostart.so", "libgarbage.so"})
    EXPECT_TRUE(logged("Found addon file '%s' @ '%s'", file, 0, true)) << file;
  EXPECT_FALSE(logged("Found addon file '%s' @ '%s'", "readme.txt", 0, true));
  KivoLibrary* good = libraryAt(wxS("/kivo/lib/libgood.so"));
  ASSERT_NE(good, nullptr);
  EXPECT_EQ(good->getFilename(), folder + wxS("/libgood.so"));
  EXPECT_EQ(good->Execute(wxS("Echo"), wxS("from the folder")), wxS("from the folder"));
  EXPECT_TRUE(logged("Addon started '%s' @ '%s'", "libgood.so", 0));
  EXPECT_TRUE(logged("Addon registered '%s' @ '%s'", "libgood.so", 0));
  // Loaded without a record: started, then refused registration.
  EXPECT_TRUE(libraryAt(wxS("/kivo/lib/libnostart.so"))->isStarted());
  EXPECT_TRUE(logged("Addon started '%s' @ '%s'", "libnostart.so", 0));
  EXPECT_TRUE(logged("Addon could not be registered '%s' @ '%s'", "libnostart.so", 5));
  EXPECT_TRUE(logged("Addon could not be started '%s' @ '%s'", "libgarbage.so", 5));

  // A second scan finds everything in place and only warns.
  log.clear();
  EXPECT_TRUE(node(wxS("/addons"))->Init());
  EXPECT_TRUE(logged("Addon appears to be started already '%s' @ '%s'", "libgood.so", 4));
  EXPECT_TRUE(logged("Addon appears to be registered already '%s' @ '%s'", "libgood.so", 4));
  // Restarting a node made by the scan works from any working directory.
  EXPECT_EQ(good->Execute(wxS("stop"), wxString()), wxS("<ok/>"));
  EXPECT_EQ(good->Execute(wxS("start"), wxString()), wxS("<ok/>"));
  EXPECT_EQ(good->Execute(wxS("Upper"), wxS("back")), wxS("BACK"));

  // An empty, unset or missing folder creates nothing and is reported.
  for (const char* other : {"", "/no/such/addons"}) {
    Application::getApp().setAddonsFolder(wx(other));
    EXPECT_TRUE(node(wxS("/addons"))->Init());
  }
  EXPECT_TRUE(log.contains(wxS("No addons folder defined"), 5));
  EXPECT_TRUE(log.contains(wxS("Could not open addons folder '/no/such/addons'"), 5));
}

TEST_F(AddonsTest, FolderWithoutLibrariesCreatesNothing) {
  addons.write("notes.txt", "nothing to load");
  bootAddons();
  EXPECT_EQ(node(wxS("/kivo/lib")), nullptr);
  for (const wxString& text : log.texts()) EXPECT_FALSE(text.StartsWith(wxS("Found addon"))) << text;
}

TEST_F(AddonsTest, AddOnsAreRunTimeNodesAndNeverEnterTheConfiguration) {
  addon(KIVO_EXAMPLE_PLUGIN, "libaddon.so");
  const std::string configuration =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<kivo name=\"kivo\">\n    <node name=\"a\" x=\"1\" />\n"
      "    <addons name=\"addons\" />\n    <node name=\"b\" />\n</kivo>\n";
  bootAddons(configuration);
  KivoBase* base = KivoBase::GetInstance();
  iNode* added = node(wxS("/kivo/lib/libaddon.so"));
  ASSERT_NE(added, nullptr);
  EXPECT_TRUE(added->isRunTime());
  EXPECT_EQ(base->getChildren().size(), 5u) << "a, addons, b, current and lib";
  EXPECT_FALSE(added->Save());
  EXPECT_EQ(dir.read("config.xml"), configuration);
  node(wxS("/a"))->setAttribute(wxS("x"), wxS("2"));
  for (int save = 0; save < 2; ++save) ASSERT_TRUE(base->Save());
  std::string expected = configuration;
  expected.replace(expected.find("x=\"1\""), 5, "x=\"2\"");
  EXPECT_EQ(dir.read("config.xml"), expected);
}

}  // namespace
