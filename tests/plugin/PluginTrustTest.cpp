// Plug-in libraries that someone else could have replaced are refused; a host may
// opt out of the check, or run no plug-in code at all.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "plugin/PluginSupport.h"

using namespace KivoUnit;
using namespace KivoTest;
namespace fs = std::filesystem;

namespace {

constexpr uid_t kNobody = 65534;
const char* const kPlain = KIVO_NOSTART_PLUGIN;

class PluginTrustTest : public PluginTest {
 protected:
  // A folder (without a source) or a copy of a plug-in, with exactly this mode whatever the umask.
  std::string make(const std::string& name, mode_t mode, const char* source = nullptr) {
    if (source != nullptr) fs::copy_file(source, dir.file(name), fs::copy_options::overwrite_existing);
    else fs::create_directories(dir.file(name));
    chmod(dir.file(name).c_str(), mode);
    return dir.file(name);
  }
  std::string link(const std::string& name, const std::string& target) {
    fs::create_symlink(target, dir.file(name));
    return dir.file(name);
  }
  size_t refusals() const {
    const auto texts = log.texts();
    return std::count_if(texts.begin(), texts.end(), [](const wxString& t) { return t.StartsWith(wxS("Refused to load library")); });
  }
  std::string useAddons(mode_t mode) {
    make("addons", mode);
    make("addons/libgood.so", 0755, KIVO_EXAMPLE_PLUGIN);
    Application::getApp().setAddonsFolder(wx(dir.file("addons")));
    return dir.file("addons");
  }
};

TEST_F(PluginTrustTest, RefusesFilesAndFoldersOthersCouldWriteAndLoadsTheRest) {
  const std::string good = make("good", 0755), open = make("open", 0777), team = make("team", 0775);
  make("sticky", 01777);
  const std::string addons = useAddons(0777);
  struct Case { std::string file, refusal; };  // refusal "" when it loads, "-" when there is nothing to load
  std::vector<Case> cases = {
      {make("good/libplain.so", 0755, kPlain), ""},
      {make("sticky/libsticky.so", 0755, kPlain), ""},
      {link("good/liblinked.so", "libplain.so"), ""},
      {make("good/libgroup.so", 0775, kPlain), "'" + good + "/libgroup.so' is writable by its group"},
      {make("good/libother.so", 0757, kPlain), "'" + good + "/libother.so' is writable by others"},
      {make("open/libplain.so", 0755, kPlain), "'" + open + "' is writable by others"},
      {make("team/libplain.so", 0755, kPlain), "'" + team + "' is writable by its group"},
      {link("good/libtowritable.so", "libother.so"), "'" + good + "/libother.so' is writable by others"},
      {link("good/libintoopen.so", "../open/libplain.so"), "'" + open + "' is writable by others"},
      {link("open/libback.so", "../good/libplain.so"), "'" + open + "' is writable by others"},
      {link("good/libdangling.so", "../sticky/libnothing.so"), "-"},
  };
  if (geteuid() == 0) {  // only root can make files that belong to someone else
    const std::string owned = " is owned by user 65534, neither this process's user nor root";
    const std::string theirs = make("good/libtheirs.so", 0755, kPlain), theirFolder = make("theirs", 0755);
    make("theirs/libplain.so", 0755, kPlain);
    // A link someone else owns in a sticky folder is theirs to replace.
    const std::string theirLink = link("sticky/libtheirlink.so", "../good/libplain.so");
    EXPECT_EQ(chown(theirs.c_str(), kNobody, kNobody) + chown(theirFolder.c_str(), kNobody, kNobody) +
                  lchown(theirLink.c_str(), kNobody, kNobody), 0);
    cases.push_back({theirs, "'" + theirs + "'" + owned});
    cases.push_back({theirFolder + "/libplain.so", "'" + theirFolder + "'" + owned});
    cases.push_back({theirLink, "'" + theirLink + "'" + owned});
  }
  std::string children = "<addons name='addons'/>";
  for (size_t i = 0; i < cases.size(); ++i) children += library("lib" + std::to_string(i), cases[i].file);
  ASSERT_TRUE(bootWith(children + "<node name='after'/>"));

  size_t refused = 1;  // the add-on
  for (size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.file);
    KivoLibrary* lib = libraryAt(wx("/lib" + std::to_string(i)));
    EXPECT_EQ(lib != nullptr && lib->isStarted(), c.refusal.empty());  // one that fails while read is dropped
    const wxString couldNotLoad = wx("Could not load dynamic library '" + c.file + "' @ '" + dir.path() + "'");
    EXPECT_EQ(log.contains(couldNotLoad, c.refusal == "-" ? 5 : -1), c.refusal == "-");
    if (c.refusal.empty() || c.refusal == "-") continue;
    ++refused;
    EXPECT_TRUE(log.contains(wx("Refused to load library '" + c.file + "': " + c.refusal), 5));
  }
  EXPECT_TRUE(refusals() == refused && node(wxS("/after")) != nullptr) << refusals();
  // An add-ons folder others could write starts no add-on.
  EXPECT_TRUE(log.contains(
      wx("Refused to load library '" + addons + "/libgood.so': '" + addons + "' is writable by others"), 5));
  EXPECT_TRUE(log.contains(wxS("Addon could not be started 'libgood.so' @ '/kivo/lib/libgood.so'"), 5) &&
              !libraryAt(wxS("/kivo/lib/libgood.so"))->isStarted());
}

TEST_F(PluginTrustTest, HostMayOptOutAndLoadWhatOthersCouldWrite) {
  make("open", 0777);
  Application::getApp().setLoadUntrustedPlugins(true);
  ASSERT_TRUE(bootWith(library("lib", make("open/libgood.so", 0777, KIVO_EXAMPLE_PLUGIN))));
  ASSERT_NE(libraryAt(wxS("/lib")), nullptr);
  EXPECT_EQ(libraryAt(wxS("/lib"))->Execute(wxS("Echo"), wxS("loaded anyway")) << refusals(), wxS("loaded anyway0"));
}

TEST_F(PluginTrustTest, HostThatRunsNoConfigurationCodeLoadsNothing) {
  const std::string addons = useAddons(0755);
  Application::getApp().setRunConfigurationCode(false);
  ASSERT_TRUE(bootWith(library("lib", KIVO_EXAMPLE_PLUGIN) + "<addons name='addons'/>"));
  // The library node stays in the tree, as configured, but unloaded.
  KivoLibrary* lib = libraryAt(wxS("/lib"));
  ASSERT_TRUE(lib != nullptr && !lib->isStarted() && lib->getFilename() == wxS(KIVO_EXAMPLE_PLUGIN));
  const wxString skipped = wxS("Did not load library '" KIVO_EXAMPLE_PLUGIN "': the host runs no plug-in code");
  EXPECT_TRUE(log.contains(skipped, 4) &&
              log.contains(wx("Did not scan addons folder '" + addons + "': the host runs no plug-in code"), 4));
  EXPECT_TRUE(node(wxS("/kivo/lib/libgood.so")) == nullptr && node(wxS("/kivo/current/factories/Greetings")) == nullptr);
  // Asked to start, it still refuses.
  log.clear();
  EXPECT_EQ(lib->Execute(wxS("start"), wxString()), wxS("<failure/>"));
  EXPECT_TRUE(log.contains(skipped, 4) && !lib->isStarted());
}

}  // namespace
