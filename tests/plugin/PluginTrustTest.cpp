// Plug-in libraries that someone else could have replaced are refused; a host may
// opt out of the check, or run no plug-in code at all.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "plugin/PluginSupport.h"

using namespace KivoUnit;
using namespace KivoTest;
namespace fs = std::filesystem;

namespace {

constexpr uid_t kNobody = 65534;

class PluginTrustTest : public PluginTest {
 protected:
  std::string folder(const std::string& name, mode_t mode) {
    fs::create_directories(dir.file(name));
    return withMode(name, mode);
  }
  std::string plugin(const std::string& name, mode_t mode, const char* source = KIVO_NOSTART_PLUGIN) {
    fs::copy_file(source, dir.file(name), fs::copy_options::overwrite_existing);
    return withMode(name, mode);
  }
  std::string withMode(const std::string& name, mode_t mode) {
    chmod(dir.file(name).c_str(), mode);  // exactly this mode, whatever the umask
    return dir.file(name);
  }
  std::string link(const std::string& name, const std::string& target) {
    fs::create_symlink(target, dir.file(name));
    return dir.file(name);
  }
  size_t refusals() const {
    size_t count = 0;
    for (const wxString& text : log.texts()) count += text.StartsWith(wxS("Refused to load library"));
    return count;
  }
  void useAddons(const std::string& addons) {
    plugin("addons/libgood.so", 0755, KIVO_EXAMPLE_PLUGIN);
    Application::getApp().setAddonsFolder(wx(addons));
  }
};

TEST_F(PluginTrustTest, RefusesFilesAndFoldersOthersCouldWriteAndLoadsTheRest) {
  const std::string good = folder("good", 0755), open = folder("open", 0777), team = folder("team", 0775);
  folder("sticky", 01777);
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
      {link("good/libtowritable.so", "libother.so"), "'" + good + "/libother.so' is writable by others"},
      {link("good/libintoopen.so", "../open/libplain.so"), "'" + open + "' is writable by others"},
      {link("open/libback.so", "../good/libplain.so"), "'" + open + "' is writable by others"},
      {link("good/libdangling.so", "../sticky/libnothing.so"), "-"},
  };
  if (geteuid() == 0) {  // only root can make files that belong to someone else
    const std::string owned = " is owned by user 65534, neither this process's user nor root";
    const std::string theirs = plugin("good/libtheirs.so", 0755), theirFolder = folder("theirs", 0755);
    plugin("theirs/libplain.so", 0755);
    // A link someone else owns in a sticky folder is theirs to replace.
    const std::string theirLink = link("sticky/libtheirlink.so", "../good/libplain.so");
    EXPECT_EQ(chown(theirs.c_str(), kNobody, kNobody) + chown(theirFolder.c_str(), kNobody, kNobody) +
                  lchown(theirLink.c_str(), kNobody, kNobody), 0);
    cases.push_back({theirs, "'" + theirs + "'" + owned});
    cases.push_back({theirFolder + "/libplain.so", "'" + theirFolder + "'" + owned});
    cases.push_back({theirLink, "'" + theirLink + "'" + owned});
  }
  std::string children;
  for (size_t i = 0; i < cases.size(); ++i) children += library("lib" + std::to_string(i), cases[i].file);
  ASSERT_TRUE(bootWith(children + "<node name='after'/>"));

  size_t refused = 0;
  for (size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.file);
    KivoLibrary* lib = libraryAt(wx("/lib" + std::to_string(i)));
    if (c.refusal.empty()) {
      ASSERT_NE(lib, nullptr);
      EXPECT_TRUE(lib->isStarted());
      continue;
    }
    EXPECT_EQ(lib, nullptr);  // a library that fails while it is read is dropped
    const wxString couldNotLoad = wx("Could not load dynamic library '" + c.file + "' @ '" + dir.path() + "'");
    EXPECT_EQ(log.contains(couldNotLoad, c.refusal == "-" ? 5 : -1), c.refusal == "-");
    if (c.refusal == "-") continue;
    ++refused;
    EXPECT_TRUE(log.contains(wx("Refused to load library '" + c.file + "': " + c.refusal), 5));
  }
  EXPECT_EQ(refusals(), refused);
  EXPECT_NE(node(wxS("/after")), nullptr);
}

TEST_F(PluginTrustTest, AddonsFolderOthersCouldWriteStartsNoAddon) {
  const std::string addons = folder("addons", 0777);
  useAddons(addons);
  ASSERT_TRUE(bootWith("<addons name='addons'/><node name='after'/>"));
  EXPECT_TRUE(log.contains(
      wx("Refused to load library '" + addons + "/libgood.so': '" + addons + "' is writable by others"), 5));
  EXPECT_TRUE(log.contains(wxS("Addon could not be started 'libgood.so' @ '/kivo/lib/libgood.so'"), 5));
  ASSERT_NE(libraryAt(wxS("/kivo/lib/libgood.so")), nullptr);
  EXPECT_FALSE(libraryAt(wxS("/kivo/lib/libgood.so"))->isStarted());
  EXPECT_NE(node(wxS("/after")), nullptr);
  EXPECT_EQ(refusals(), 1u);
}

TEST_F(PluginTrustTest, HostMayOptOutAndLoadWhatOthersCouldWrite) {
  folder("open", 0777);
  Application::getApp().setLoadUntrustedPlugins(true);
  ASSERT_TRUE(bootWith(library("lib", plugin("open/libgood.so", 0777, KIVO_EXAMPLE_PLUGIN))));
  ASSERT_NE(libraryAt(wxS("/lib")), nullptr);
  EXPECT_EQ(libraryAt(wxS("/lib"))->Execute(wxS("Echo"), wxS("loaded anyway")), wxS("loaded anyway"));
  EXPECT_EQ(refusals(), 0u);
}

TEST_F(PluginTrustTest, HostThatRunsNoConfigurationCodeLoadsNothing) {
  const std::string addons = folder("addons", 0755);
  useAddons(addons);
  Application::getApp().setRunConfigurationCode(false);
  ASSERT_TRUE(bootWith(library("lib", KIVO_EXAMPLE_PLUGIN) + "<addons name='addons'/>"));
  // The library node stays in the tree, as configured, but unloaded.
  KivoLibrary* lib = libraryAt(wxS("/lib"));
  ASSERT_TRUE(lib != nullptr && !lib->isStarted());
  EXPECT_EQ(lib->getFilename(), wxS(KIVO_EXAMPLE_PLUGIN));
  const wxString skipped = wxS("Did not load library '" KIVO_EXAMPLE_PLUGIN "': the host runs no plug-in code");
  EXPECT_TRUE(log.contains(skipped, 4));
  EXPECT_TRUE(log.contains(wx("Did not scan addons folder '" + addons + "': the host runs no plug-in code"), 4));
  EXPECT_EQ(node(wxS("/kivo/lib/libgood.so")), nullptr);
  EXPECT_EQ(node(wxS("/kivo/current/factories/Greetings")), nullptr);
  // Asked to start, it still refuses.
  log.clear();
  EXPECT_EQ(lib->Execute(wxS("start"), wxString()), wxS("<failure/>"));
  EXPECT_TRUE(log.contains(skipped, 4) && !lib->isStarted());
}

}  // namespace
