// "kivo set" applies every assignment (attributes, the node's own fields, a rename)
// or refuses the whole command and leaves every file as it was.
#include <gtest/gtest.h>

#include "host/KivoProgram.h"

namespace KivoTest {
namespace {

class KivoSetFields : public testing::Test {
 protected:
  ProgramRun set(std::vector<std::string> assignments, const std::string& path = "/settings/audio") {
    assignments.insert(assignments.begin(), {"set", config.main(), path});
    return runKivo(assignments);
  }
  std::string main() const { return config.dir().read("main.xml"); }

  HostConfiguration config;
};

TEST_F(KivoSetFields, DescriptorsReachTheFileAndTheTree) {
  const ProgramRun run = set({"label=Loud", "brief=b", "description=the sound", "version=2",
                              "type=mixer", "volume=0.25"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out + run.err, "");
  EXPECT_NE(main().find("<node name=\"audio\" label=\"Loud\" volume=\"0.25\" brief=\"b\" "
                        "description=\"the sound\" type=\"mixer\" version=\"2\" />"),
            std::string::npos)
      << main();
  EXPECT_EQ(runKivo({"get", config.main(), "/settings/audio"}).out,
            "brief=b\ndescription=the sound\nlabel=Loud\nname=audio\ntype=mixer\nversion=2\n"
            "volume=0.25\n");
}

TEST_F(KivoSetFields, EmptyValuesRemoveAttributesAndDescriptors) {
  ASSERT_EQ(set({"brief=b", "extra=1"}).status, 0);
  const ProgramRun run = set({"brief=", "extra=", "volume="});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(main().find("<node name=\"audio\" label=\"Sound\" />"), std::string::npos) << main();
}

TEST_F(KivoSetFields, ARenameMovesTheNodeAndKeepsSiblingNamesUnique) {
  const ProgramRun renamed = set({"name=mixer", "label=Mixer"});
  EXPECT_EQ(renamed.status, 0) << renamed.err;
  EXPECT_EQ(renamed.out, "'/kivo/settings/audio' is now '/kivo/settings/mixer'\n");
  EXPECT_EQ(runKivo({"tree", config.main(), "/settings/mixer"}).out,
            "mixer \"Mixer\" [node] volume=0.5\n");

  const ProgramRun clash = set({"name=window"}, "/settings/mixer");
  EXPECT_EQ(clash.status, 0) << clash.err;
  EXPECT_EQ(countLines(clash.out, "is now '/kivo/settings/window"), 1u) << clash.out;
  EXPECT_EQ(runKivo({"get", config.main(), "/settings/window", "width"}).out, "800\n")
      << "the sibling keeps its name";
  EXPECT_EQ(countLines(runKivo({"tree", config.main(), "/settings"}).out, "  window"), 2u);
}

TEST_F(KivoSetFields, AnAssignmentThatCannotBeMadeRefusesTheWholeCommand) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> refusals = {
      {{"label=Loud", "brief=b", "bad name=1"}, "'bad name=1': 'bad name' is not an attribute name"},
      {{"volume=1", "1st=x"}, "'1st=x': '1st' is not an attribute name"},
      {{"volume=1", "volume=2"}, "'volume=2': 'volume' is given twice"},
      {{"volume=1", "name="}, "'name=': a node cannot lose its name"},
      {{"label="}, "'label=': a label cannot be removed"},
      {{"volume=1", "read_only=true"}, "'read_only=true': the node writes 'read_only' itself"},
      {{"volume=1", "include=other.xml"}, "'include=other.xml': the node writes 'include' itself"},
      {{"volume=\xC3("}, "'volume=\xC3(': the value is not UTF-8 text"},
  };
  const auto before = config.snapshot();
  for (const auto& [assignments, message] : refusals) {
    const ProgramRun run = set(assignments);
    EXPECT_EQ(run.status, 2) << message;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("kivo: " + message, 0), 0u) << run.err;
    EXPECT_EQ(countLines(run.err, "nothing was changed"), 1u) << run.err;
  }
  EXPECT_EQ(config.snapshot(), before);
}

TEST_F(KivoSetFields, TheRootKeepsItsName) {
  const auto before = config.snapshot();
  const ProgramRun run = set({"name=player"}, "/");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(countLines(run.err, "the root keeps its name"), 1u) << run.err;
  EXPECT_EQ(config.snapshot(), before);
}

TEST_F(KivoSetFields, TheShellRefusesTheSameWayAndKeepsTheTree) {
  const ProgramRun run = runKivo({"shell", config.main()},
                                 "set settings/audio volume=1 'bad name=2'\n"
                                 "get settings/audio volume\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "0.5\n");
  EXPECT_EQ(countLines(run.err, "'bad name=2'"), 1u) << run.err;
}

}  // namespace
}  // namespace KivoTest
