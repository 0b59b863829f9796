// Real plug-in libraries loaded through the boot loader and "library" elements.
#include <gtest/gtest.h>

#include <wx/filefn.h>

#include "kivo/base/KivoBoot.h"
#include "kivo/thread/KivoLocker.h"
#include "plugin/PluginSupport.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

using namespace KivoUnit;
using namespace KivoTest;

namespace {

const wxString kLibraryName = wxS(KIVO_LIBRARY_DIR "/kivo");

class LibraryTest : public ::testing::Test {
 protected:
  // Boots the library from a configuration whose root holds `children`.
  bool bootWith(const std::string& children) {
    const std::string config = dir.write("config.xml", "<kivo name='kivo'>" + children + "</kivo>");
    return loader.Boot(kLibraryName, wx(config));
  }
  std::string libraryElement(const char* file, const char* extra = "") {
    return std::string("<library name='lib' filename='") + file + "' " + extra + "/>";
  }
  wxString execute(const wxString& path, const wxString& command) {
    KivoLocker guard(__LINE__, __FILE__, __func__, wxString());
    return guard.Write() != nullptr ? guard.Write()->Execute(path, command) : wxS("(no base)");
  }

  KivoTest::LogCapture log;
  KivoTest::TempDir dir;
  KivoBoot loader;
};

TEST_F(LibraryTest, BootLoaderNamesAMissingLibraryAndStartsEvenWhenTheConfigurationFails) {
  EXPECT_FALSE(loader.Boot(wxS("kivo_missing"), wxS("config.xml")));
  EXPECT_TRUE(log.contains(wxS("Kivo library 'libkivo_missing.so' not found!"), 5));
  EXPECT_FALSE(loader.Stop());
  EXPECT_EQ(KivoBase::GetInstance(), nullptr);
  EXPECT_TRUE(loader.Boot(kLibraryName, wx(dir.file("missing.xml"))));
  EXPECT_EQ(loader.getPlugin(), getKivo()->asPlugin());
  EXPECT_TRUE(log.contains(wxS("Kivo bootup failed"), 5));
  EXPECT_TRUE(loader.Stop());
  EXPECT_EQ(KivoBase::GetInstance(), nullptr);
}

TEST_F(LibraryTest, MethodsByNameThroughTheNodeAndKivoExecuteAndTheReports) {
  ASSERT_TRUE(bootWith(libraryElement(KIVO_EXAMPLE_PLUGIN) + "<greeting name='world'/>"));
  KivoLibrary* library = libraryAt(wxS("/lib"));
  ASSERT_NE(library, nullptr);
  ASSERT_TRUE(library->isStarted());
  ASSERT_NE(library->getPlugin(), nullptr);
  EXPECT_EQ(memoryLine(), KivoTest::memoryOf(0, 0, 0));

  EXPECT_EQ(library->Execute(wxS("Echo"), wxS("hi there")), wxS("hi there"));
  EXPECT_EQ(library->Execute(wxS("Upper"), wxS("abc")), wxS("ABC"));
  EXPECT_EQ(library->Execute(wxS("Greet"), wxString()), wxS("greetings from the example"));
  EXPECT_EQ(library->Execute(wxS("Nothing"), wxS("x")), wxS(""));
  EXPECT_TRUE(library->CanExecute(wxS("Echo")));
  EXPECT_TRUE(library->CanExecute(wxS("Greet")));
  EXPECT_FALSE(library->CanExecute(wxS("start_missing")));
  // The framework's own exports are not the plug-in's methods.
  EXPECT_FALSE(library->CanExecute(wxS("boot")));
  // The node's blocks went back: nothing is left allocated.
  const wxString afterCalls = memoryLine();
  EXPECT_TRUE(afterCalls.Contains(wxS("total=\"0\" units=\"0\""))) << afterCalls;

  _Plugin* record = library->getPlugin();
  KivoBlock* argument = api().KivoReturn(getKivo()->asPlugin(), "through the table");
  KivoBlock* reply = api().KivoExecute(getKivo()->asPlugin(), record->methods, "Echo", argument);
  EXPECT_STREQ(api().KivoCStr(getKivo()->asPlugin(), reply), "through the table");
  api().KivoFree(nullptr, reply);
  api().KivoFree(nullptr, argument);
  EXPECT_TRUE(memoryLine().Contains(wxS("total=\"0\" units=\"0\""))) << memoryLine();

  // The plug-in's factory made the greeting node, reachable by path.
  EXPECT_EQ(execute(wxS("/world"), wxString()), wxS("hello world"));
  EXPECT_NE(KivoBase::GetInstance()->Search(wxS("/kivo/current/factories/Greetings")), nullptr);
  EXPECT_TRUE(log.contains(wxS("Registering plugin: Example"), 0));
  const size_t logged = log.count();
  EXPECT_TRUE(library->Register() && library->isRegistered());
  EXPECT_EQ(log.count(), logged) << "registered once only";
  EXPECT_TRUE(log.contains(wxS("KivoPlug 'Example' v2.1.0.7 'Release' constructed"), 3));
  // The reports of the plug-in and of the library node.
  const Indent indent;
  EXPECT_EQ(iPlugin::Brief(library->getPlugin(), indent),
            wxS("<plugin name=\"Example\" version=\"2.1.0.7\" api=\"1005\" />\n"));
  const wxString details = iPlugin::Details(library->getPlugin(), indent, false, true);
  EXPECT_TRUE(details.StartsWith(wxS("<plugin name=\"Example\" version=\"2.1.0.7\" api=\"1005\">\n"
                                     " <type>0x20000000</type>\n <date>2024-05-01</date>\n"
                                     " <author>Kivo developers</author>\n <company>Kivo</company>\n"
                                     " <description>An example plug-in</description>\n"
                                     " <methods count=\"2\">\n  <method name=\"Echo\" address=\"")))
      << details;
  EXPECT_TRUE(details.EndsWith(wxS(" </methods>\n</plugin>\n")));
  const wxString state = library->State(indent, wxS("ignored"));
  EXPECT_NE(state.Find(wxS("<plugin name=\"Example\" version=\"2.1.0.7\" api=\"1005\" />\n"
                           "<library loaded=\"true\" />\n")),
            wxNOT_FOUND)
      << state;
  EXPECT_EQ(state.Find(wxS("ignored")), wxNOT_FOUND);
}

TEST_F(LibraryTest, StartAndStopByCommandOnlyWhenAutostartIsOff) {
  ASSERT_TRUE(bootWith(libraryElement(KIVO_EXAMPLE_PLUGIN, "autostart='false'") +
                       "<library name='gone' filename='/nowhere/libgone.so' autostart='false'/>"));
  KivoLibrary* library = libraryAt(wxS("/lib"));
  ASSERT_NE(library, nullptr);
  EXPECT_FALSE(library->isStarted());
  EXPECT_FALSE(library->getAutoStart());
  EXPECT_EQ(execute(wxS("/lib"), wxString()), wxS(""));
  EXPECT_EQ(library->Execute(wxS("start"), wxString()), wxS("<ok/>"));
  EXPECT_EQ(library->Execute(wxS("start"), wxString()), wxS("<ok/>"));
  EXPECT_TRUE(log.contains(wxS("Ignored restart of 'library' 'lib' @ /kivo/lib"), 0));

  EXPECT_EQ(library->Execute(wxS("stop"), wxString()), wxS("<ok/>"));
  EXPECT_FALSE(library->isStarted());
  EXPECT_EQ(library->getPlugin(), nullptr);
  EXPECT_EQ(library->Execute(wxS("Echo"), wxS("x")), wxS(""));
  EXPECT_FALSE(library->CanExecute(wxS("Echo")));
  EXPECT_EQ(KivoBase::GetInstance()->Search(wxS("/kivo/current/factories/Greetings")), nullptr);
  EXPECT_FALSE(KivoBase::GetInstance()->GetFactories().CanCreate(wxS("greeting")));
  const wxString stopped = library->State(Indent(), wxString());
  EXPECT_NE(stopped.Find(wxS("<plugin unavailable=\"true\" />")), wxNOT_FOUND);
  EXPECT_EQ(stopped.Find(wxS("<library loaded")), wxNOT_FOUND);
  EXPECT_EQ(library->Execute(wxS("start"), wxString()), wxS("<ok/>"));
  EXPECT_EQ(library->Execute(wxS("Echo"), wxS("again")), wxS("again"));
  EXPECT_TRUE(KivoBase::GetInstance()->GetFactories().CanCreate(wxS("greeting")));

  KivoLibrary* gone = libraryAt(wxS("/gone"));
  EXPECT_EQ(gone->Execute(wxS("start"), wxString()), wxS("<failure/>"));
  EXPECT_FALSE(gone->isStarted());
  EXPECT_EQ(gone->Execute(wxS("stop"), wxString()), wxS("<ok/>"));
}

TEST_F(LibraryTest, NameWithoutPrefixAndExtensionIsFormed) {
  const wxString folder = wxString(wxS(KIVO_EXAMPLE_PLUGIN)).BeforeLast(wxS('/'));
  const wxString previous = wxGetCwd();
  ASSERT_TRUE(bootWith(libraryElement((folder + wxS("/kivo_example")).utf8_str().data())));
  KivoLibrary* library = libraryAt(wxS("/lib"));
  ASSERT_NE(library, nullptr);
  // "dir/kivo_example" fails unchanged; "dir/libkivo_example.so" loads.
  EXPECT_TRUE(library->isStarted());
  EXPECT_EQ(library->Execute(wxS("Echo"), wxS("formed")), wxS("formed"));
  EXPECT_EQ(wxGetCwd(), previous);
}

TEST_F(LibraryTest, BrokenLibrariesAreReportedAndLeaveTheTreeIntact) {
  ASSERT_TRUE(bootWith("<library name='gone' filename='/nowhere/libgone.so'/>"
                       "<library name='nostart' filename='" KIVO_NOSTART_PLUGIN "'/>"
                       "<library name='nullstart' filename='" KIVO_NULLSTART_PLUGIN "'/>"
                       "<library name='empty'/><node name='after'/>"));
  EXPECT_TRUE(log.contains(wxS("Could not load library '/nowhere/libgone.so' (nor '/nowhere/liblibgone.so.so')"), 5));
  // Read with the configuration's folder as the working directory.
  EXPECT_TRUE(log.contains(wxS("Could not load dynamic library '/nowhere/libgone.so' @ '") + wx(dir.path()) + wxS("'"), 5));
  // A library that fails to start while it is read fails its read: the factory drops it.
  EXPECT_EQ(KivoBase::GetInstance()->Search(wxS("/gone")), nullptr);

  KivoLibrary* nostart = libraryAt(wxS("/nostart"));
  ASSERT_NE(nostart, nullptr);
  EXPECT_TRUE(nostart->isStarted());
  EXPECT_EQ(nostart->getPlugin(), nullptr);
  EXPECT_TRUE(log.contains(wxS("Library '" KIVO_NOSTART_PLUGIN "' has no start function"), 5));
  EXPECT_FALSE(nostart->Register());
  EXPECT_TRUE(nostart->CanExecute(wxS("brokenMarker")));
  const wxString state = nostart->State(Indent(), wxString());
  EXPECT_NE(state.Find(wxS("<plugin unavailable=\"true\" />\n<library loaded=\"true\" />")), wxNOT_FOUND)
      << state;

  KivoLibrary* nullstart = libraryAt(wxS("/nullstart"));
  ASSERT_NE(nullstart, nullptr);
  EXPECT_TRUE(nullstart->isStarted());
  EXPECT_EQ(nullstart->getPlugin(), nullptr);

  KivoLibrary* empty = libraryAt(wxS("/empty"));
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->Execute(wxS("start"), wxString()), wxS("<failure/>"));
  EXPECT_TRUE(log.contains(wxS("Filename empty of 'library' 'empty' @ /kivo/empty"), 5));
  EXPECT_NE(KivoBase::GetInstance()->Search(wxS("/after")), nullptr);
  EXPECT_NE(KivoBase::GetInstance()->Search(wxS("/kivo/current/boot/stop")), nullptr);
}

}  // namespace
