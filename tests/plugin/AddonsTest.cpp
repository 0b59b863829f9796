// Scanning the application's add-ons folder for plug-in libraries.
#include <gtest/gtest.h>

#include <wx/filefn.h>

#include "kivo/base/KivoBoot.h"
#include "kivo/app/Application.h"
#include "kivo/plugin/KivoAddons.h"
#include "plugin/PluginSupport.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

using namespace KivoUnit;
using KivoTest::libraryAt;
using KivoTest::wx;

namespace {

class AddonsTest : public ::testing::Test {
 protected:
  void TearDown() override { Application::getApp().setAddonsFolder(wxString()); }
  // Boots a configuration that holds one add-ons node.
  void boot(const wxString& addonsFolder) {
    Application::getApp().setAddonsFolder(addonsFolder);
    const std::string config = configDir.write("config.xml", "<kivo name='kivo'><addons name='addons'/></kivo>");
    ASSERT_TRUE(loader.Boot(wxS(KIVO_LIBRARY_DIR "/kivo"), wx(config)));
  }
  wxString addon(const char* source, const wxString& name) {
    const wxString target = wx(addons.file(name.utf8_str().data()));
    EXPECT_TRUE(wxCopyFile(wxS("") + wx(source), target));
    return target;
  }
  bool logged(const wxString& format, const wxString& file, const wxString& where, int level) {
    return log.contains(wxString::Format(format, file, where), level);
  }

  KivoTest::LogCapture log;
  KivoTest::TempDir configDir;
  KivoTest::TempDir addons;
  KivoBoot loader;
};

TEST_F(AddonsTest, GoodAndBrokenLibrariesGetNodesAndMessages) {
  addon(KIVO_EXAMPLE_PLUGIN, wxS("libgood.so"));
  addon(KIVO_NOSTART_PLUGIN, wxS("libnostart.so"));
  addons.write("libgarbage.so", "not a library");
  addons.write("readme.txt", "ignored");
  const wxString previous = wxGetCwd();
  testing::internal::CaptureStdout();
  boot(wx(addons.path()));
  EXPECT_NE(testing::internal::GetCapturedStdout().find("KivoAddons created\n"), std::string::npos);
  EXPECT_EQ(wxGetCwd(), previous);
  const wxString folder = wx(addons.path());

  for (const wxString file : {wxS("libgood.so"), wxS("libnostart.so"), wxS("libgarbage.so")}) {
    EXPECT_TRUE(logged(wxS("Found addon file '%s' @ '%s'"), file, folder, 0)) << file;
  }
  EXPECT_FALSE(log.contains(wxS("Found addon file 'readme.txt' @ '") + folder + wxS("'")));

  KivoLibrary* good = libraryAt(wxS("/kivo/lib/libgood.so"));
  ASSERT_NE(good, nullptr);
  EXPECT_EQ(good->getFilename(), folder + wxS("/libgood.so"));
  EXPECT_EQ(good->Execute(wxS("Echo"), wxS("from the folder")), wxS("from the folder"));
  EXPECT_TRUE(logged(wxS("Addon started '%s' @ '%s'"), wxS("libgood.so"), wxS("/kivo/lib/libgood.so"), 0));
  EXPECT_TRUE(logged(wxS("Addon registered '%s' @ '%s'"), wxS("libgood.so"), wxS("/kivo/lib/libgood.so"), 0));

  // Loaded without a record: started, then refused registration.
  KivoLibrary* nostart = libraryAt(wxS("/kivo/lib/libnostart.so"));
  ASSERT_NE(nostart, nullptr);
  EXPECT_TRUE(nostart->isStarted());
  EXPECT_TRUE(logged(wxS("Addon started '%s' @ '%s'"), wxS("libnostart.so"), wxS("/kivo/lib/libnostart.so"), 0));
  EXPECT_TRUE(logged(wxS("Addon could not be registered '%s' @ '%s'"), wxS("libnostart.so"),
                     wxS("/kivo/lib/libnostart.so"), 5));

  EXPECT_TRUE(logged(wxS("Addon could not be started '%s' @ '%s'"), wxS("libgarbage.so"),
                     wxS("/kivo/lib/libgarbage.so"), 5));

  // A second scan finds everything in place and only warns.
  log.clear();
  iNode* scanner = KivoBase::GetInstance()->Search(wxS("/addons"));
  ASSERT_NE(scanner, nullptr);
  EXPECT_TRUE(scanner->Init());
  EXPECT_TRUE(logged(wxS("Addon appears to be started already '%s' @ '%s'"), wxS("libgood.so"),
                     wxS("/kivo/lib/libgood.so"), 4));
  EXPECT_TRUE(logged(wxS("Addon appears to be registered already '%s' @ '%s'"), wxS("libgood.so"),
                     wxS("/kivo/lib/libgood.so"), 4));
  // Restarting a node made by the scan works from any working directory.
  EXPECT_EQ(good->Execute(wxS("stop"), wxString()), wxS("<ok/>"));
  EXPECT_EQ(good->Execute(wxS("start"), wxString()), wxS("<ok/>"));
  EXPECT_EQ(good->Execute(wxS("Upper"), wxS("back")), wxS("BACK"));
}

TEST_F(AddonsTest, EmptyOrMissingFoldersCreateNothingAndAreReported) {
  addons.write("notes.txt", "nothing to load");
  boot(wx(addons.path()));
  EXPECT_EQ(KivoBase::GetInstance()->Search(wxS("/kivo/lib")), nullptr);
  auto* scanner = dynamic_cast<KivoAddons*>(KivoBase::GetInstance()->Search(wxS("/addons")));
  ASSERT_NE(scanner, nullptr);
  Application::getApp().setAddonsFolder(wxString());
  EXPECT_TRUE(scanner->Init());
  EXPECT_TRUE(log.contains(wxS("No addons folder defined"), 5));
  Application::getApp().setAddonsFolder(wxS("/no/such/addons"));
  EXPECT_TRUE(scanner->Init());
  EXPECT_TRUE(log.contains(wxS("Could not open addons folder '/no/such/addons'"), 5));
  for (const wxString& text : log.texts()) EXPECT_FALSE(text.StartsWith(wxS("Found addon"))) << text;
}

}  // namespace
