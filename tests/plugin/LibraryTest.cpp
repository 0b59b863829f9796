// Real plug-in libraries loaded through the boot loader, "library" elements and the
// add-ons folder; their code is never unloaded under live nodes nor called after a stop.
#include <atomic>
#include <chrono>
#include <thread>
#include <utility>

#include <wx/filefn.h>

#include "kivo/thread/KivoLocker.h"
#include "plugin/PluginSupport.h"

using namespace KivoUnit;
using namespace KivoTest;

namespace {

using LibraryTest = PluginTest;
const std::string kExample = KIVO_EXAMPLE_PLUGIN;
wxString run(iNode* node, const char* command, const char* parameters = "") {
  return node->Execute(wx(command), wx(parameters));
}
using Texts = std::vector<wxString>;  // braces evaluate in order
bool has(const wxString& text, const wxString& part) { return text.Find(part) != wxNOT_FOUND; }

TEST_F(LibraryTest, BootLoaderNamesAMissingLibraryAndStartsEvenWhenTheConfigurationFails) {
  EXPECT_FALSE(loader.Boot(wxS("kivo_missing"), wxS("config.xml")) || loader.Stop());
  EXPECT_TRUE(log.contains(wxS("Kivo library 'libkivo_missing.so' not found!"), 5));
  EXPECT_TRUE(loader.Boot(wxS(KIVO_LIBRARY_DIR "/kivo"), wx(dir.file("missing.xml"))));
  EXPECT_EQ(loader.getPlugin(), getKivo()->asPlugin());
  EXPECT_TRUE(log.contains(wxS("Kivo bootup failed"), 5) && loader.Stop() && KivoBase::GetInstance() == nullptr);
}

TEST_F(LibraryTest, MethodsByNameThroughTheNodeAndKivoExecuteAndTheReports) {
  ASSERT_TRUE(bootWith(library("lib", kExample) + "<greeting name='world'/>"));
  KivoLibrary* lib = libraryAt(wxS("/lib"));
  ASSERT_TRUE(lib != nullptr && lib->isStarted() && lib->getPlugin() != nullptr);
  EXPECT_EQ(run(lib, "Echo", "hi") + run(lib, "Upper", "abc") + run(lib, "Greet") + run(lib, "Nothing", "x"),
            wxS("hiABCgreetings from the example"));
  EXPECT_TRUE(lib->CanExecute(wxS("Echo")) && lib->CanExecute(wxS("Greet")));
  EXPECT_FALSE(lib->CanExecute(wxS("start_missing")) || lib->CanExecute(wxS("boot")));
  _Plugin* self = getKivo()->asPlugin();
  KivoBlock* argument = api().KivoReturn(self, "through the table");
  KivoBlock* reply = api().KivoExecute(self, lib->getPlugin()->methods, "Echo", argument);
  EXPECT_STREQ(api().KivoCStr(self, reply), "through the table");
  for (KivoBlock* block : {reply, argument}) api().KivoFree(nullptr, block);
  EXPECT_TRUE(memoryLine().Contains(wxS("total=\"0\" units=\"0\""))) << memoryLine();
  // The plug-in's factory made the greeting node; it registered once only.
  EXPECT_EQ(run(node(wxS("/world")), ""), wxS("hello world"));
  const size_t logged = log.count();
  EXPECT_TRUE(log.contains(wxS("Registering plugin: Example"), 0) &&
              log.contains(wxS("KivoPlug 'Example' v2.1.0.7 'Release' constructed"), 3));
  EXPECT_TRUE(lib->Register() && lib->isRegistered() && log.count() == logged);
  const wxString brief = wxS("<plugin name=\"Example\" version=\"2.1.0.7\" api=\"1005\" />\n");
  EXPECT_EQ(iPlugin::Brief(lib->getPlugin(), Indent()), brief);
  const wxString details = iPlugin::Details(lib->getPlugin(), Indent(), false, true);
  EXPECT_TRUE(details.StartsWith(wxS("<plugin name=\"Example\" version=\"2.1.0.7\" api=\"1005\">\n"
                                     " <type>0x20000000</type>\n <date>2024-05-01</date>\n"
                                     " <author>Kivo developers</author>\n <company>Kivo</company>\n"
                                     " <description>An example plug-in</description>\n"
                                     " <methods count=\"2\">\n  <method name=\"Echo\" address=\"")) &&
              details.EndsWith(wxS(" </methods>\n</plugin>\n"))) << details;
  const wxString state = lib->State(Indent(), wxS("ignored"));
  EXPECT_TRUE(has(state, brief + wxS("<library loaded=\"true\" />\n")) && !has(state, wxS("ignored"))) << state;
}

TEST_F(LibraryTest, StartByCommandWhenAutostartIsOffAndNeverStopUnderLiveNodes) {
  ASSERT_TRUE(bootWith(library("lib", kExample, "autostart='false'") +
                       library("gone", "/nowhere/libgone.so", "autostart='false'") + "<node name='box'/>"));
  KivoBase* base = KivoBase::GetInstance();
  KivoLibrary* lib = libraryAt(wxS("/lib"));
  ASSERT_TRUE(lib != nullptr && !lib->isStarted() && !lib->getAutoStart());
  EXPECT_EQ(run(lib, "start") + run(lib, "start"), wxS("<ok/><ok/>"));
  EXPECT_TRUE(log.contains(wxS("Ignored restart of 'library' 'lib' @ /kivo/lib"), 0));
  const auto greeting = [&](iNode* parent, const char* name) {
    iNode* made = base->CreateNode(wxS("greeting"), nullptr, nullptr);
    made->setName(wx(name));
    return parent->AppendChild(made, nullptr, false);
  };
  ASSERT_TRUE(greeting(node(wxS("/box")), "hi") && greeting(base, "top"));
  EXPECT_EQ(run(node(wxS("/box/hi")), "any"), wxS("hello hi"));
  EXPECT_TRUE(run(lib, "stop") == wxS("<failure/>") && lib->isStarted());
  EXPECT_TRUE(log.contains(wxS("Library '" KIVO_EXAMPLE_PLUGIN "' not stopped: 2 nodes made by it are "
                               "in the tree: '/kivo/box/hi', '/kivo/top'"), 5));
  node(wxS("/box"))->RemoveChild(wxS("hi"));
  base->RemoveChild(wxS("top"));
  EXPECT_EQ(run(lib, "stop"), wxS("<ok/>"));
  EXPECT_FALSE(lib->isStarted() || lib->CanExecute(wxS("Echo")) || base->GetFactories().CanCreate(wxS("greeting")));
  EXPECT_TRUE(lib->getPlugin() == nullptr && node(wxS("/kivo/current/factories/Greetings")) == nullptr);
  const wxString stopped = lib->State(Indent(), wxString());
  EXPECT_TRUE(has(stopped, wxS("<plugin unavailable=\"true\" />")) && !has(stopped, wxS("<library loaded")));
  EXPECT_EQ((Texts{run(lib, "Echo", "x"), run(lib, "start"), run(lib, "Echo", "again")}), (Texts{"", "<ok/>", "again"}));
  // A library that goes takes its nodes first: the shutdown report calls into no unloaded code.
  ASSERT_TRUE(greeting(base, "again"));
  base->RemoveChild(wxS("lib"));
  EXPECT_TRUE(node(wxS("/again")) == nullptr && node(wxS("/box")) != nullptr);
  base->ReportShutdown();
  KivoLibrary* gone = libraryAt(wxS("/gone"));
  EXPECT_EQ((Texts{run(gone, "start"), run(gone, "stop")}), (Texts{"<failure/>", "<ok/>"}));
  EXPECT_FALSE(gone->isStarted());
}

TEST_F(LibraryTest, BrokenLibrariesAreReportedAndLeaveTheTreeIntact) {
  const std::string folder = kExample.substr(0, kExample.rfind('/'));
  const wxString previous = wxGetCwd();
  ASSERT_TRUE(bootWith(library("gone", "/nowhere/libgone.so") + library("nostart", KIVO_NOSTART_PLUGIN) +
                       library("nullstart", KIVO_NULLSTART_PLUGIN) + "<library name='empty'/>" +
                       library("formed", folder + "/kivo_example") + "<node name='after'/>"));
  // Read with the configuration's folder as the working directory, which comes back.
  EXPECT_TRUE(log.contains(wxS("Could not load library '/nowhere/libgone.so' (nor '/nowhere/liblibgone.so.so')"), 5) &&
              log.contains(wxS("Could not load dynamic library '/nowhere/libgone.so' @ '") + wx(dir.path()) + wxS("'"), 5));
  EXPECT_EQ(wxGetCwd(), previous);
  EXPECT_EQ(node(wxS("/gone")), nullptr) << "a library that fails while it is read is dropped";
  // "dir/kivo_example" gets its prefix and extension.
  ASSERT_NE(libraryAt(wxS("/formed")), nullptr);
  EXPECT_EQ(run(libraryAt(wxS("/formed")), "Echo", "formed"), wxS("formed"));
  for (const wxString path : {wxS("/nostart"), wxS("/nullstart")}) {
    ASSERT_NE(libraryAt(path), nullptr);
    EXPECT_TRUE(libraryAt(path)->isStarted() && libraryAt(path)->getPlugin() == nullptr) << path;
  }
  KivoLibrary* nostart = libraryAt(wxS("/nostart"));
  EXPECT_TRUE(log.contains(wxS("Library '" KIVO_NOSTART_PLUGIN "' has no start function"), 5) && !nostart->Register() &&
              nostart->CanExecute(wxS("brokenMarker")));
  EXPECT_TRUE(has(nostart->State(Indent(), wxString()), wxS("<plugin unavailable=\"true\" />\n<library loaded=\"true\" />")));
  EXPECT_EQ(run(libraryAt(wxS("/empty")), "start"), wxS("<failure/>"));
  EXPECT_TRUE(log.contains(wxS("Filename empty of 'library' 'empty' @ /kivo/empty"), 5));
  EXPECT_TRUE(node(wxS("/after")) && node(wxS("/kivo/current/boot/stop")));
}

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
  EXPECT_EQ(good->getFilename() + run(good, "Echo", " from the folder"), folder + wxS("/libgood.so from the folder"));
  EXPECT_TRUE(logged("Addon started '%s' @ '%s'", "libgood.so", 0) && logged("Addon registered '%s' @ '%s'", "libgood.so", 0));
  // Loaded without a record: started, then refused registration.
  EXPECT_TRUE(libraryAt(wxS("/kivo/lib/libnostart.so"))->isStarted() && logged("Addon started '%s' @ '%s'", "libnostart.so", 0) &&
              logged("Addon could not be registered '%s' @ '%s'", "libnostart.so", 5) &&
              logged("Addon could not be started '%s' @ '%s'", "libgarbage.so", 5));

  // A second scan finds everything in place and only warns.
  log.clear();
  EXPECT_TRUE(node(wxS("/addons"))->Init() && logged("Addon appears to be started already '%s' @ '%s'", "libgood.so", 4) &&
              logged("Addon appears to be registered already '%s' @ '%s'", "libgood.so", 4));
  // Restarting a node made by the scan works from any working directory.
  EXPECT_EQ((Texts{run(good, "stop"), run(good, "start"), run(good, "Upper", "back")}), (Texts{"<ok/>", "<ok/>", "BACK"}));
  // An unset or missing folder is reported and makes nothing.
  log.clear();
  for (const char* other : {"", "/no/such/addons"})
    EXPECT_TRUE((Application::getApp().setAddonsFolder(wx(other)), node(wxS("/addons"))->Init()));
  EXPECT_TRUE(log.contains(wxS("No addons folder defined"), 5) &&
              log.contains(wxS("Could not open addons folder '/no/such/addons'"), 5) && log.count() == 2u);
}

using Concurrency = PluginTest;

TEST_F(Concurrency, StopWhileOtherThreadsCallTheInterface) {
  Application::getApp().setLogLevel(AppLogErrors);
  ASSERT_TRUE(bootWith(library("lib", KIVO_EXAMPLE_PLUGIN)));
  ASSERT_NE(libraryAt(wxS("/lib"))->getPlugin(), nullptr);
  MethodList* methods = libraryAt(wxS("/lib"))->getPlugin()->methods;
  std::atomic<bool> stopped{false};
  std::atomic<int> answering{0}, answeredAfterStop{0};  // callers that got a first answer; answers after the stop
  // Each caller runs a mix of interface functions until the library has been stopped for a while.
  const auto caller = [&] {
    _Plugin* self = getKivo()->asPlugin();
    bool answeredOnce = false;
    for (int afterStop = 0; afterStop < 200;) {
      const bool wasStopped = stopped.load();
      afterStop += wasStopped;
      KivoBlock* argument = api().KivoReturn(self, "ping");
      KivoBlock* reply = api().KivoExecute(self, methods, "Echo", argument);
      KivoBlock* binary = api().KivoAlloc(self, 64);
      const bool answered = argument || reply || binary || api().KivoApiGetBase();
      if (answered && !std::exchange(answeredOnce, true)) ++answering;
      answeredAfterStop += answered && wasStopped;
      for (KivoBlock* block : {binary, reply, argument}) api().KivoFree(self, block);
    }
  };
  std::vector<std::thread> callers;
  for (int i = 0; i < 4; ++i) callers.emplace_back(caller);
  // Stop only once every caller is in full swing.
  while (answering.load() < 4) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_TRUE(loader.Stop());
  stopped = true;
  for (auto& thread : callers) thread.join();
  EXPECT_EQ(answeredAfterStop.load(), 0);
  EXPECT_TRUE(KivoBase::GetInstance() == nullptr && KivoBase::s_Locked == 0);
  KivoLocker afterwards(__LINE__, __FILE__, __func__, wxString());
  EXPECT_EQ(afterwards.Write(), nullptr);
}

}  // namespace
