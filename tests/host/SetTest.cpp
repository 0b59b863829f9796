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

TEST_F(KivoSet, TheLibrarysRunTimeNodesNeverReachTheSavedFile) {
  runKivo({"set", config.main(), "/settings/window", "width=1"});
  const std::string once = config.dir().read("main.xml");
  runKivo({"set", config.main(), "/settings/window", "width=2"});
  const std::string twice = config.dir().read("main.xml");
  EXPECT_EQ(once.find("registered_elements"), std::string::npos) << once;
  EXPECT_EQ(countLines(twice, "<node"), countLines(once, "<node")) << twice;
  const ProgramRun tree = runKivo({"tree", config.main()});
  EXPECT_EQ(countLines(tree.out, "current [node]"), 1u) << tree.out;
  EXPECT_EQ(tree.err, "");
}

TEST_F(KivoSet, RunTimeNodesStayOutAlsoWhenTheRootHasAnotherName) {
  const std::string file =
      config.dir().write("player.xml", "<node name=\"player\"><node name=\"a\" x=\"1\"/></node>\n");
  runKivo({"set", file, "/a", "x=2"});
  runKivo({"set", file, "/a", "x=3"});
  const std::string saved = config.dir().read("player.xml");
  EXPECT_EQ(countLines(saved, "<node"), 2u) << saved;
  EXPECT_EQ(runKivo({"get", file, "/a", "x"}).out, "3\n");
  EXPECT_EQ(countLines(runKivo({"tree", file}).out, "current [node]"), 1u);
}

TEST_F(KivoSet, SeveralAssignmentsAtOnceKeepSpacesAndEqualSigns) {
  const ProgramRun run = runKivo(
      {"set", config.main(), "/settings/audio", "volume=0.75", "title=Main out", "expr=a=b"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(get("/settings/audio", "volume"), "0.75\n");
  EXPECT_EQ(get("/settings/audio", "title"), "Main out\n");
  EXPECT_EQ(get("/settings/audio", "expr"), "a=b\n");
}

TEST_F(KivoSet, AnAssignmentWithoutEqualsChangesNothing) {
  const auto before = config.snapshot();
  const ProgramRun run = runKivo({"set", config.main(), "/settings/window", "width=5", "height"});
  EXPECT_NE(run.status, 0);
  EXPECT_EQ(run.err, "kivo: 'height' is not ATTRIBUTE=VALUE\n");
  EXPECT_TRUE(changedSince(before).empty());
}

TEST_F(KivoSet, AnAssignmentWithoutANameChangesNothing) {
  const auto before = config.snapshot();
  const ProgramRun run = runKivo({"set", config.main(), "/settings/window", "=5"});
  EXPECT_NE(run.status, 0);
  EXPECT_EQ(countLines(run.err, "'=5'"), 1u);
  EXPECT_TRUE(changedSince(before).empty());
}

TEST_F(KivoSet, AReadOnlyNodeIsRefusedAndNothingChanges) {
  const auto before = config.snapshot();
  const ProgramRun run = runKivo({"set", config.main(), "/locked", "mode=loose"});
  EXPECT_NE(run.status, 0);
  EXPECT_EQ(countLines(run.err, "'/locked'"), 1u) << run.err;
  EXPECT_TRUE(changedSince(before).empty());
}

TEST_F(KivoSet, AnUnknownPathIsNamedAndNothingChanges) {
  const auto before = config.snapshot();
  const ProgramRun run = runKivo({"set", config.main(), "/settings/nothing", "a=1"});
  EXPECT_NE(run.status, 0);
  EXPECT_EQ(run.err, "kivo: no node at '/settings/nothing'\n");
  EXPECT_TRUE(changedSince(before).empty());
}

TEST_F(KivoSet, ANodeMadeAtRunTimeIsNotStoredAnywhere) {
  const auto before = config.snapshot();
  const ProgramRun run = runKivo({"set", config.main(), "/kivo/current/boot/start", "a=1"});
  EXPECT_NE(run.status, 0);
  EXPECT_EQ(countLines(run.err, "'/kivo/current/boot/start'"), 1u) << run.err;
  EXPECT_TRUE(changedSince(before).empty());
}

}  // namespace
}  // namespace KivoTest
