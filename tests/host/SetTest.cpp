// "kivo set": the node's own file changes, every other file stays byte for byte.
#include <gtest/gtest.h>

#include "host/KivoProgram.h"

namespace KivoTest {
namespace {

class KivoSet : public testing::Test {
 protected:
  // The names of the files whose content differs from `before`.
  std::vector<std::string> changedSince(
      const std::vector<std::pair<std::string, std::string>>& before) const {
    std::vector<std::string> changed;
    const auto after = config.snapshot();
    EXPECT_EQ(after.size(), before.size()) << "no file may appear or vanish";
    for (size_t i = 0; i < before.size() && i < after.size(); ++i) {
      if (after[i] != before[i]) changed.push_back(after[i].first);
    }
    return changed;
  }

  std::string get(const std::string& path, const std::string& attribute) const {
    return runKivo({"get", config.main(), path, attribute}).out;
  }

  HostConfiguration config;
};

TEST_F(KivoSet, ANodeFromAnIncludeFileChangesOnlyThatFile) {
  const auto before = config.snapshot();
  const ProgramRun run = runKivo({"set", config.main(), "/library/favourites", "tracks=43"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(changedSince(before), std::vector<std::string>{"library.xml"});
  EXPECT_EQ(get("/library/favourites", "tracks"), "43\n");
}

TEST_F(KivoSet, ANodeOfTheMainFileChangesOnlyTheMainFile) {
  const auto before = config.snapshot();
  const ProgramRun run = runKivo({"set", config.main(), "settings/window", "width=1024"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(changedSince(before), std::vector<std::string>{"main.xml"});
  EXPECT_EQ(get("/settings/window", "width"), "1024\n");
  EXPECT_EQ(get("/settings/window", "height"), "600\n");
}

TEST_F(KivoSet, TheLibrarysRunTimeNodesNeverReachTheSavedFileWhateverTheRootsName) {
  runKivo({"set", config.main(), "/settings/window", "width=1"});
  const std::string once = config.dir().read("main.xml");
  runKivo({"set", config.main(), "/settings/window", "width=2"});
  EXPECT_EQ(once.find("registered_elements"), std::string::npos) << once;
  EXPECT_EQ(countLines(config.dir().read("main.xml"), "<node"), countLines(once, "<node"));
  const std::string file =
      config.dir().write("player.xml", "<node name=\"player\"><node name=\"a\" x=\"1\"/></node>\n");
  runKivo({"set", file, "/a", "x=2"});
  runKivo({"set", file, "/a", "x=3"});
  EXPECT_EQ(countLines(config.dir().read("player.xml"), "<node"), 2u);
  EXPECT_EQ(runKivo({"get", file, "/a", "x"}).out, "3\n");
  const ProgramRun tree = runKivo({"tree", file});
  EXPECT_EQ(countLines(tree.out, "current [node]"), 1u) << tree.out;
  EXPECT_EQ(tree.err, "");
}

TEST_F(KivoSet, SeveralAssignmentsAtOnceKeepSpacesAndEqualSigns) {
  const ProgramRun run = runKivo(
      {"set", config.main(), "/settings/audio", "volume=0.75", "title=Main out", "expr=a=b"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(get("/settings/audio", "volume"), "0.75\n");
  EXPECT_EQ(get("/settings/audio", "title"), "Main out\n");
  EXPECT_EQ(get("/settings/audio", "expr"), "a=b\n");
}

TEST_F(KivoSet, RefusedAssignmentsAreNamedAndChangeNothing) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"/settings/window", "width=5", "height"}, "kivo: 'height' is not ATTRIBUTE=VALUE\n"},
      {{"/settings/window", "=5"}, "'=5'"},
      {{"/locked", "mode=loose"}, "'/locked'"},
      {{"/settings/nothing", "a=1"}, "kivo: no node at '/settings/nothing'\n"},
      // A node made at run time is not stored anywhere.
      {{"/kivo/current/boot/start", "a=1"}, "'/kivo/current/boot/start'"}};
  const auto before = config.snapshot();
  for (const auto& [arguments, part] : cases) {
    std::vector<std::string> command = {"set", config.main()};
    command.insert(command.end(), arguments.begin(), arguments.end());
    const ProgramRun run = runKivo(command);
    EXPECT_NE(run.status, 0) << part;
    if (part.back() == '\n') {
      EXPECT_EQ(run.err, part);
    } else {
      EXPECT_EQ(countLines(run.err, part), 1u) << run.err;
    }
  }
  EXPECT_TRUE(changedSince(before).empty());
}

}  // namespace
}  // namespace KivoTest
