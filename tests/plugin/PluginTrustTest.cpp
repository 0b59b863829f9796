// Plug-in libraries that someone else could have replaced are refused; a host may
// opt out of the check, or run no plug-in code at all.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "kivo/app/Application.h"
#include "kivo/base/KivoBoot.h"
#include "plugin/PluginSupport.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

using namespace KivoUnit;
using KivoTest::libraryAt;
using KivoTest::wx;
namespace fs = std::filesystem;

namespace {

constexpr uid_t kNobody = 65534;

class PluginTrustTest : public ::testing::Test {
 protected:
  void TearDown() override {
    Application::getApp().setLoadUntrustedPlugins(false);
    Application::getApp().setRunConfigurationCode(true);
    Application::getApp().setAddonsFolder(wxString());
  }
  std::string folder(const std::string& name, mode_t mode) {
    const std::string path = dir.file(name);
    fs::create_directories(path);
    chmod(path.c_str(), mode);  // exactly this mode, whatever the umask
    return path;
  }
  std::string plugin(const std::string& name, mode_t mode,
                     const char* source = KIVO_NOSTART_PLUGIN) {
    const std::string path = dir.file(name);
    fs::copy_file(source, path, fs::copy_options::overwrite_existing);
    chmod(path.c_str(), mode);
    return path;
  }
  std::string link(const std::string& name, const std::string& target) {
    const std::string path = dir.file(name);
    fs::create_symlink(target, path);
    return path;
  }
  bool bootWith(const std::string& children) {
    const std::string config =
        dir.write("config.xml", "<kivo name='kivo'>" + children + "<node name='after'/></kivo>");
    return loader.Boot(wxS(KIVO_LIBRARY_DIR "/kivo"), wx(config));
  }
  static std::string library(const std::string& name, const std::string& file) {
    return "<library name='" + name + "' filename='" + file + "'/>";
  }
  size_t refusals() const {
    size_t count = 0;
    for (const wxString& text : log.texts())
      count += text.StartsWith(wxS("Refused to load library"));
    return count;
  }

  KivoTest::LogCapture log;
  KivoTest::TempDir dir;
  KivoBoot loader;
};

TEST_F(PluginTrustTest, RefusesFilesAndFoldersOthersCouldWriteAndLoadsTheRest) {
  const std::string good = folder("good", 0755);
  const std::string open = folder("open", 0777);
  const std::string team = folder("team", 0775);
  const std::string sticky = folder("sticky", 01777);
  struct Case {
    std::string file;     // as configured
    std::string refusal;  // "" when it loads, "-" when there is nothing to load
  };
  std::vector<Case> cases = {
      {plugin("good/libplain.so", 0755), ""},
      {plugin("sticky/libsticky.so", 0755), ""},
      {link("good/liblinked.so", "libplain.so"), ""},
      {plugin("good/libgroup.so", 0775), "'" + good + "/libgroup.so' is writable by its group"},
      {plugin("good/libother.so", 0757), "'" + good + "/libother.so' is writable by others"},
      {plugin("open/libplain.so", 0755), "'" + open + "' is writable by others"},
      {plugin("team/libplain.so", 0755), "'" + team + "' is writable by its group"},
      {link("good/libtowritable.so", "libother.so"),
       "'" + good + "/libother.so' is writable by others"},
      {link("good/libintoopen.so", "../open/libplain.so"), "'" + open + "' is writable by others"},
      {link("open/libback.so", "../good/libplain.so"), "'" + open + "' is writable by others"},
      {link("good/libdangling.so", "../sticky/libnothing.so"), "-"},
  };
  if (geteuid() == 0) {  // only root can make files that belong to someone else
    const std::string theirs = plugin("good/libtheirs.so", 0755);
    const std::string theirFolder = folder("theirs", 0755);
    plugin("theirs/libplain.so", 0755);
    EXPECT_EQ(chown(theirs.c_str(), kNobody, kNobody), 0);
    EXPECT_EQ(chown(theirFolder.c_str(), kNobody, kNobody), 0);
    const std::string owned = " is owned by user 65534, neither this process's user nor root";
    cases.push_back({theirs, "'" + theirs + "'" + owned});
    cases.push_back({theirFolder + "/libplain.so", "'" + theirFolder + "'" + owned});
    // A link someone else owns in a sticky folder is theirs to replace.
    const std::string theirLink = link("sticky/libtheirlink.so", "../good/libplain.so");
    EXPECT_EQ(lchown(theirLink.c_str(), kNobody, kNobody), 0);
    cases.push_back({theirLink, "'" + theirLink + "'" + owned});
  }
  std::string children;
  for (size_t i = 0; i < cases.size(); ++i)
    children += library("lib" + std::to_string(i), cases[i].file);
  ASSERT_TRUE(bootWith(children));

  size_t refused = 0;
  for (size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    KivoLibrary* node = libraryAt(wx("/lib" + std::to_string(i)));
    const wxString message = wx("Refused to load library '" + c.file + "': " + c.refusal);
    if (c.refusal.empty()) {
      ASSERT_NE(node, nullptr) << c.file;
      EXPECT_TRUE(node->isStarted()) << c.file;
    } else if (c.refusal == "-") {
      EXPECT_EQ(node, nullptr) << c.file;
      EXPECT_TRUE(log.contains(
          wx("Could not load dynamic library '" + c.file + "' @ '") + wx(dir.path()) + wxS("'"), 5));
    } else {
      ++refused;
      EXPECT_EQ(node, nullptr) << c.file;  // a library that fails while it is read is dropped
      EXPECT_TRUE(log.contains(message, 5)) << message;
      EXPECT_FALSE(log.contains(wx("Could not load dynamic library '" + c.file + "' @ '") +
                                wx(dir.path()) + wxS("'")));
    }
  }
  EXPECT_EQ(refusals(), refused);
  EXPECT_NE(KivoBase::GetInstance()->Search(wxS("/after")), nullptr);
}

TEST_F(PluginTrustTest, HostMayOptOutAndLoadWhatOthersCouldWrite) {
  folder("open", 0777);
  const std::string file = plugin("open/libgood.so", 0777, KIVO_EXAMPLE_PLUGIN);
  Application::getApp().setLoadUntrustedPlugins(true);
  ASSERT_TRUE(bootWith(library("lib", file)));
  KivoLibrary* node = libraryAt(wxS("/lib"));
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->Execute(wxS("Echo"), wxS("loaded anyway")), wxS("loaded anyway"));
  EXPECT_EQ(refusals(), 0u);
}

TEST_F(PluginTrustTest, AddonsFolderOthersCouldWriteStartsNoAddon) {
  const std::string addons = folder("addons", 0777);
  plugin("addons/libgood.so", 0755, KIVO_EXAMPLE_PLUGIN);
  Application::getApp().setAddonsFolder(wx(addons));
  ASSERT_TRUE(bootWith("<addons name='addons'/>"));
  EXPECT_TRUE(log.contains(wx("Refused to load library '" + addons + "/libgood.so': '" + addons +
                              "' is writable by others"),
                           5));
  EXPECT_TRUE(
      log.contains(wx("Addon could not be started 'libgood.so' @ '/kivo/lib/libgood.so'"), 5));
  KivoLibrary* node = libraryAt(wxS("/kivo/lib/libgood.so"));
  ASSERT_NE(node, nullptr);
  EXPECT_FALSE(node->isStarted());
  EXPECT_EQ(refusals(), 1u);
  EXPECT_NE(KivoBase::GetInstance()->Search(wxS("/after")), nullptr);
}

TEST_F(PluginTrustTest, HostThatRunsNoConfigurationCodeLoadsNothing) {
  const std::string addons = folder("addons", 0755);
  plugin("addons/libgood.so", 0755, KIVO_EXAMPLE_PLUGIN);
  Application::getApp().setAddonsFolder(wx(addons));
  Application::getApp().setRunConfigurationCode(false);
  ASSERT_TRUE(bootWith(library("lib", KIVO_EXAMPLE_PLUGIN) + "<addons name='addons'/>"));
  // The library node stays in the tree, as configured, but unloaded.
  KivoLibrary* node = libraryAt(wxS("/lib"));
  ASSERT_NE(node, nullptr);
  EXPECT_FALSE(node->isStarted());
  EXPECT_EQ(node->getFilename(), wxS(KIVO_EXAMPLE_PLUGIN));
  const wxString skipped =
      wxS("Did not load library '" KIVO_EXAMPLE_PLUGIN "': the host runs no plug-in code");
  EXPECT_TRUE(log.contains(skipped, 4));
  EXPECT_TRUE(log.contains(
      wx("Did not scan addons folder '" + addons + "': the host runs no plug-in code"), 4));
  EXPECT_EQ(KivoBase::GetInstance()->Search(wxS("/kivo/lib/libgood.so")), nullptr);
  EXPECT_EQ(KivoBase::GetInstance()->Search(wxS("/kivo/current/factories/Greetings")), nullptr);
  // Asked to start, it still refuses.
  log.clear();
  EXPECT_EQ(node->Execute(wxS("start"), wxString()), wxS("<failure/>"));
  EXPECT_TRUE(log.contains(skipped, 4));
  EXPECT_FALSE(node->isStarted());
}

}  // namespace
