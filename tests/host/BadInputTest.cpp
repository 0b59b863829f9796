// Bad input: one clear line on standard error, a non-zero exit, nothing else.
#include <gtest/gtest.h>

#include "host/KivoProgram.h"

namespace KivoTest {
namespace {

class KivoBadInput : public testing::Test {
 protected:
  // One "kivo: " line that contains `part`, and nothing on standard output.
  static void expectOneLineNaming(const ProgramRun& run, const std::string& part) {
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(countLines(run.err, ""), 1u) << run.err;
    EXPECT_EQ(run.err.rfind("kivo: ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find(part), std::string::npos) << run.err;
  }

  HostConfiguration config;
};

TEST_F(KivoBadInput, BadConfigurationsAndUnknownPathsAreNamedOnOneLine) {
  const std::string bad = config.dir().write("bad.xml", "<node name=\"kivo\"><node name=");
  const std::string empty = config.dir().write("empty.xml", "");
  const std::string absent = config.dir().file("absent.xml");
  std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"tree", absent}, "'" + absent + "' not found"},
      {{"tree", bad}, "cannot boot '" + bad + "'"},
      {{"state", empty}, empty},
      {{"info", config.dir().path()}, "is a folder"}};
  for (const char* command : {"tree", "state", "info", "get"}) {
    cases.push_back({{command, config.main(), "/settings/none"}, "no node at '/settings/none'"});
  }
  for (const auto& [arguments, part] : cases) {
    const ProgramRun run = runKivo(arguments);
    EXPECT_EQ(run.status, 1) << part;
    expectOneLineNaming(run, part);
  }
}

TEST_F(KivoBadInput, UsageErrorsExitWithTwoAndPointToTheHelp) {
  const std::vector<std::vector<std::string>> usages = {
      {}, {"frobnicate", config.main()}, {"tree"}, {"tree", config.main(), "/a", "/b"},
      {"get", config.main()}, {"set", config.main(), "/settings"},
      {"--log-level", "7", "tree", config.main()}, {"--colour", "tree", config.main()}};
  for (const auto& arguments : usages) {
    const ProgramRun run = runKivo(arguments);
    EXPECT_EQ(run.status, 2) << (arguments.empty() ? "" : arguments[0]);
    EXPECT_EQ(countLines(run.err, "--help"), 1u) << run.err;
    EXPECT_EQ(countLines(run.err, "kivo: "), 1u) << run.err;
  }
}

TEST_F(KivoBadInput, NoStackTraceOrAbortOnAnyFailureAndAMalformedFileIsLeftAsItWas) {
  const std::string text = "<node name=\"kivo\"><node name=\"a\" x=\"1\"></nod></node>";
  const std::string file = config.dir().write("bad.xml", text);
  for (const auto& arguments : std::vector<std::vector<std::string>>{
           {"tree", file}, {"set", file, "/a", "x=2"}, {"exec", config.main(), "/nowhere"},
           {"set", config.main(), "/locked", "a=1"}}) {
    const ProgramRun run = runKivo(arguments);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.find("terminate"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("Abort"), std::string::npos) << run.err;
  }
  EXPECT_EQ(config.dir().read("bad.xml"), text);
}

}  // namespace
}  // namespace KivoTest
