// "kivo set": the node's own file changes, every other file stays byte for byte.
#include <gtest/gtest.h>

#include "host/KivoProgram.h"

namespace KivoTest {
namespace {

class KivoSet : public testing::Test {
 protected:
  // The names of the files whose content differs from `before`.
  std::vector<std::string> changedSince(const std::map<std::string, std::string>& before) const {
    std::vector<std::string> changed;
    const auto after = config.snapshot();
    EXPECT_EQ(after.size(), before.size()) << "no file may appear or vanish";
    for (const auto& [name, content] : after) {
      if (before.count(name) == 0 || before.at(name) != content) changed.push_back(name);
    }
    return changed;
  }
  std::string get(const std::string& path, const std::string& attribute) const {
    return runKivo({"get", config.main(), path, attribute}).out;
  }

  HostConfiguration config;
};

TEST_F(KivoSet, ANodeChangesOnlyTheFileHoldingIt) {
  const struct {
    std::vector<std::string> set;
    std::string file;
  } cases[] = {{{"/library/favourites", "tracks=43"}, "library.xml"},
               {{"settings/window", "width=1024"}, "main.xml"},
               {{"/settings/audio", "volume=0.75", "title=Main out", "expr=a=b"}, "main.xml"}};
  for (const auto& c : cases) {
    const auto before = config.snapshot();
    std::vector<std::string> arguments = {"set", config.main()};
    arguments.insert(arguments.end(), c.set.begin(), c.set.end());
    const ProgramRun run = runKivo(arguments);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(changedSince(before), std::vector<std::string>{c.file});
  }
  EXPECT_EQ(get("/library/favourites", "tracks"), "43\n");
  EXPECT_EQ(get("/settings/window", "width"), "1024\n");
  EXPECT_EQ(get("/settings/window", "height"), "600\n");
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
