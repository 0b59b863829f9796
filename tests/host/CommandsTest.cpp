// The one-shot subcommands: what they print and how they exit.
#include <gtest/gtest.h>

#include <sstream>
#include <tuple>

#include "host/KivoProgram.h"

namespace KivoTest {
namespace {

class KivoCommands : public testing::Test {
 protected:
  HostConfiguration config;
};

TEST_F(KivoCommands, TreePrintsEveryNodeIndentedWithLabelElementAndAttributes) {
  const ProgramRun run = runKivo({"tree", config.main()});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out.rfind("kivo \"Test host\" [node]\n", 0), 0u) << run.out;
  EXPECT_NE(run.out.find("\n  settings \"Settings\" [node]\n"
                         "    window [node] height=600 visible=true width=800\n"
                         "    audio \"Sound\" [node] volume=0.5\n"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("\n  library \"Music\" [node] folder=~/Music\n"
                         "    favourites [node] shuffle=true tracks=42\n"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(countLines(run.out, "  sound [SymLink] symlink_target_path=/settings/audio"), 1u);
  EXPECT_EQ(countLines(run.out, "    boot [node]"), 1u)
      << "the library's run-time nodes belong to the tree";
}

TEST_F(KivoCommands, ReadingCommandsPrintExactlyTheirAnswer) {
  const std::string window = "window [node] height=600 visible=true width=800\n";
  const std::vector<std::tuple<std::vector<std::string>, int, std::string, std::string>> cases = {
      {{"tree", config.main(), "/settings"}, 0,
       "settings \"Settings\" [node]\n  " + window + "  audio \"Sound\" [node] volume=0.5\n", ""},
      // Paths without a leading slash or with dots start at the root.
      {{"tree", config.main(), "settings/window"}, 0, window, ""},
      {{"tree", config.main(), "/library/../settings/./window"}, 0, window, ""},
      {{"get", config.main(), "/settings/window"}, 0,
       "height=600\nname=window\nvisible=true\nwidth=800\n", ""},
      {{"get", config.main(), "/settings/window", "width"}, 0, "800\n", ""},
      // The shutdown's developer lines must not show on a good run.
      {{"get", config.main(), "/library/favourites", "tracks"}, 0, "42\n", ""},
      {{"get", config.main(), "/settings/window", "depth"}, 1, "",
       "kivo: '/settings/window' has no attribute 'depth'\n"},
      {{"exec", config.main(), "/nowhere", "open"}, 1, "", "kivo: no node at '/nowhere'\n"},
      {{"--addons", config.dir().path(), "get", config.main(), "/settings/window", "width"}, 0,
       "800\n", ""}};
  for (const auto& [arguments, status, out, err] : cases) {
    const ProgramRun run = runKivo(arguments);
    EXPECT_EQ(run.status, status) << arguments[1];
    EXPECT_EQ(run.out, out);
    EXPECT_EQ(run.err, err);
  }
}

TEST_F(KivoCommands, StateReportsTheNodeWithItsFullPathAndNestsItsChildren) {
  const ProgramRun run = runKivo({"state", config.main(), "/settings/window"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.rfind("<node kivo_state_full_node_path=\"/kivo/settings/window\"", 0), 0u)
      << run.out;
  EXPECT_NE(run.out.find("width=\"800\""), std::string::npos);
  const ProgramRun subtree = runKivo({"state", config.main(), "/settings"});
  EXPECT_EQ(countLines(subtree.out, "kivo_state_full_node_path="), 3u) << subtree.out;
}

TEST_F(KivoCommands, InfoOfAnIncludedNodeShowsItsDocument) {
  const ProgramRun run = runKivo({"info", config.main(), "/library"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.rfind("<info>\n", 0), 0u) << run.out;
  EXPECT_NE(run.out.find("<!-- document=\"" + config.dir().file("library.xml") + "\" -->"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("</info>\n"), std::string::npos);
}

TEST_F(KivoCommands, ExecOnANodeThatDoesNotKnowTheCommandOrOnTheRootFails) {
  const ProgramRun run = runKivo({"exec", config.main(), "/settings/window?x=1", "open"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(countLines(run.err, "'/settings/window'"), 1u) << run.err;
  EXPECT_EQ(countLines(run.err, "'open'"), 1u) << run.err;
  const ProgramRun root = runKivo({"exec", config.main(), "/", "open"});  // refused, no loop
  EXPECT_EQ(root.status, 1);
  EXPECT_EQ(countLines(root.err, "kivo: "), 1u);
}

TEST_F(KivoCommands, HelpListsEverySubcommandAndEachHasItsOwn) {
  const ProgramRun overview = runKivo({"--help"});
  EXPECT_EQ(overview.status, 0);
  EXPECT_EQ(overview.err, "");
  for (const char* name : {"tree", "state", "info", "exec", "get", "set", "shell"}) {
    EXPECT_EQ(countLines(overview.out, std::string("  ") + name + " "), 1u) << name;
    const ProgramRun own = runKivo({name, "--help"});
    EXPECT_EQ(own.status, 0) << name;
    EXPECT_EQ(own.out.rfind(std::string("Usage: kivo ") + name + " ", 0), 0u) << own.out;
    EXPECT_EQ(own.err, "") << name;
  }
}

TEST_F(KivoCommands, LogLinesShowLevelTextAndSourceOneLineEachUnlessQuiet) {
  config.dir().write(
      "broken.xml",
      "<node name=\"kivo\"><include filename=\"absent.xml\"/><node name=\"a\"/></node>");
  const ProgramRun run = runKivo({"--log-level", "1", "tree", config.dir().file("broken.xml")});
  EXPECT_EQ(run.status, 0) << "a missing include is reported, not fatal";
  EXPECT_GE(countLines(run.err, "absent.xml"), 1u) << run.err;
  std::istringstream lines(run.err);
  for (std::string line; std::getline(lines, line);) {
    EXPECT_TRUE(line.rfind("Error: ", 0) == 0 || line.rfind("Warning: ", 0) == 0) << line;
    EXPECT_EQ(line.back(), ']') << "the source closes the line: " << line;
    EXPECT_EQ(line.find('\033'), std::string::npos) << "no colour when stderr is no terminal";
  }
  EXPECT_EQ(countLines(run.out, "  a [node]"), 1u);
  const ProgramRun quiet =
      runKivo({"tree", config.dir().file("broken.xml"), "--quiet", "--log-level", "1"});
  EXPECT_EQ(quiet.err, "");
  EXPECT_EQ(quiet.out, run.out);
}

TEST_F(KivoCommands, AddonsOptionNeedsAFolder) {
  const ProgramRun without = runKivo({"get", config.main(), "/settings/window", "--addons"});
  EXPECT_EQ(without.status, 2);
  EXPECT_EQ(countLines(without.err, "--addons"), 1u);
}

}  // namespace
}  // namespace KivoTest
