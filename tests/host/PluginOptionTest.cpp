// A look at a configuration (tree, state, info, get) runs none of its plug-ins
// unless asked with --plugins; exec, set and shell run them unless --no-plugins.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "host/KivoProgram.h"

using KivoTest::runKivo;

namespace {

// A loaded example plug-in registers its "Greetings" factory and says it is loaded.
const char* const kLoadedMarks[] = {"Greetings [factory]", "<library loaded=\"true\" />"};

class PluginOptionTest : public ::testing::Test {
 protected:
  std::string config() const {
    return dir.write("config.xml",
                     std::string("<kivo name=\"kivo\">\n  <library name=\"example\" filename=\"") +
                         KIVO_EXAMPLE_PLUGIN + "\"/>\n</kivo>\n");
  }
  KivoTest::TempDir dir;
};

TEST_F(PluginOptionTest, LooksRunNoPluginCodeUnlessAskedAndActionsRunIt) {
  const std::string file = config();
  struct Case {
    std::vector<std::string> arguments;
    bool loaded;
  };
  const std::vector<Case> cases = {
      {{"tree", file}, false},
      {{"tree", "--plugins", file}, true},
      {{"tree", "--no-plugins", file}, false},
      {{"state", file, "/example"}, false},
      {{"state", file, "/example", "--plugins"}, true},
      {{"exec", file, "/example", "start"}, true},
      {{"exec", "--no-plugins", file, "/example", "start"}, false},
  };
  for (const Case& c : cases) {
    std::vector<std::string> arguments = c.arguments;
    arguments.push_back("--log-level=1");
    // tree and state show what is loaded; every command says what it left alone.
    const KivoTest::ProgramRun run = runKivo(arguments);
    const std::string shown = arguments[0] + " " + arguments[1];
    if (arguments[0] != "exec") {
      EXPECT_EQ(run.status, 0) << shown << run.err;
      bool marked = false;
      for (const char* mark : kLoadedMarks)
        marked = marked || run.out.find(mark) != std::string::npos;
      EXPECT_EQ(marked, c.loaded) << shown << run.out;
    }
    const std::string skipped =
        "Did not load library '" KIVO_EXAMPLE_PLUGIN "': the host runs no plug-in code";
    EXPECT_EQ(KivoTest::countLines(run.err, skipped) > 0, !c.loaded) << shown << run.err;
  }
  // The library element is still there for a look at it.
  const KivoTest::ProgramRun get = runKivo({"get", file, "/example", "filename"});
  EXPECT_EQ(get.status, 0);
  EXPECT_EQ(get.out, std::string(KIVO_EXAMPLE_PLUGIN) + "\n");
}

TEST_F(PluginOptionTest, HelpStatesTheDefaults) {
  const KivoTest::ProgramRun run = runKivo({"tree", "--help"});
  EXPECT_NE(
      run.out.find("--no-plugins   run none of FILE's code, only read it; the default of tree,\n"
                   "                 state, info and get"),
      std::string::npos)
      << run.out;
  EXPECT_NE(
      run.out.find("--plugins      load the plug-in libraries and run the scripts FILE names;\n"
                   "                 the default of exec, set and shell"),
      std::string::npos);
}

// A bare library name is looked up where the loader would find it, in its own
// process: a folder on LD_LIBRARY_PATH that anyone may write is refused.
TEST_F(PluginOptionTest, BareNameFoundInAFolderOthersCanWriteIsRefused) {
  const std::string open = dir.file("open");
  std::filesystem::create_directories(open);
  chmod(open.c_str(), 0777);
  std::filesystem::copy_file(KIVO_EXAMPLE_PLUGIN, open + "/libplanted.so");
  const std::string file = dir.write(
      "bare.xml",
      "<kivo name=\"kivo\"><library name=\"planted\" filename=\"libplanted.so\"/></kivo>\n");
  setenv("LD_LIBRARY_PATH", open.c_str(), 1);
  const KivoTest::ProgramRun run = runKivo({"tree", "--plugins", file});
  unsetenv("LD_LIBRARY_PATH");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(KivoTest::countLines(run.err, "Refused to load library 'libplanted.so': '" + open +
                                              "' is writable by others"),
            1u)
      << run.err;
  EXPECT_EQ(run.out.find("Greetings"), std::string::npos);
  // The same folder closed to others loads it.
  chmod(open.c_str(), 0755);
  setenv("LD_LIBRARY_PATH", open.c_str(), 1);
  const KivoTest::ProgramRun closed = runKivo({"tree", "--plugins", file});
  unsetenv("LD_LIBRARY_PATH");
  EXPECT_NE(closed.out.find("Greetings [factory]"), std::string::npos) << closed.err;
}

}  // namespace

namespace {

// The README's lines, from the repository's top folder as written there. The example
// names the default build's plug-in, which only that build's program may load.
TEST(PluginOptionReadme, TreeOfThePluginExampleLoadsItOnlyWithPlugins) {
  const std::string program = KIVO_PROGRAM;
  const std::string defaultBuild = std::string(KIVO_SOURCE_DIR) + "/build/tools/kivo/kivo";
  if (program != defaultBuild) GTEST_SKIP() << "the README's line runs the default build";
  const KivoTest::ProgramRun plugins =
      runKivo({"tree", "--plugins", "examples/plugin.xml"}, "", KIVO_SOURCE_DIR);
  const KivoTest::ProgramRun look = runKivo({"tree", "examples/plugin.xml"}, "", KIVO_SOURCE_DIR);
  EXPECT_EQ(plugins.status, 0) << plugins.err;
  EXPECT_EQ(look.status, 0) << look.err;
  EXPECT_NE(look.out.find("example [library] autostart=true filename=../build/plugins/kivo_example"),
            std::string::npos)
      << look.out;
  EXPECT_EQ(look.out.find("Greetings"), std::string::npos);
  // The example names the default build's plug-in, which another build may lack.
  const bool built = std::filesystem::exists(std::filesystem::path(KIVO_SOURCE_DIR) /
                                             "build/plugins/libkivo_example.so");
  EXPECT_EQ(
      plugins.out.find("Greetings [factory] registered_elements=\"greeting, counter\"") != std::string::npos,
      built)
      << plugins.out;
}

}  // namespace
