// Scanning the application's add-ons folder for plug-in libraries.
#include <wx/filefn.h>

#include "plugin/PluginSupport.h"

using namespace KivoUnit;
using namespace KivoTest;

using Addons = PluginTest;

TEST_F(Addons, GetNodesAndMessagesForGoodAndBrokenLibraries) {
  TempDir addons;
  const wxString folder = wx(addons.path());
  EXPECT_TRUE(wxCopyFile(wxS(KIVO_EXAMPLE_PLUGIN), wx(addons.file("libgood.so"))) &&
              wxCopyFile(wxS(KIVO_NOSTART_PLUGIN), wx(addons.file("libnostart.so"))));
  addons.write("libgarbage.so", "not a library");
  addons.write("readme.txt", "ignored");
  const auto logged = [&](const char* format, const char* file, int level) {
    return log.contains(wxString::Format(wx(format), wx(file), wxS("/kivo/lib/") + wx(file)), level);
  };
  const wxString previous = wxGetCwd();
  Application::getApp().setAddonsFolder(folder);
  testing::internal::CaptureStdout();
  ASSERT_TRUE(bootWith("<addons name='addons'/>"));
  EXPECT_NE(testing::internal::GetCapturedStdout().find("KivoAddons created\n"), std::string::npos);
  EXPECT_EQ(wxGetCwd(), previous);
  for (const char* file : {"libgood.so", "libnostart.so", "libgarbage.so", "readme.txt"})
    EXPECT_EQ(log.contains(wxString(wxS("Found addon file '")) + file + wxS("' @ '") + folder + wxS("'"), 0),
              file[0] == 'l') << file;
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
  // An unset or missing folder is reported and makes nothing.
  log.clear();
  for (const char* other : {"", "/no/such/addons"}) {
    Application::getApp().setAddonsFolder(wx(other));
    EXPECT_TRUE(node(wxS("/addons"))->Init());
  }
  EXPECT_TRUE(log.contains(wxS("No addons folder defined"), 5));
  EXPECT_TRUE(log.contains(wxS("Could not open addons folder '/no/such/addons'"), 5));
  EXPECT_EQ(log.count(), 2u);
}
