// "kivo exec": a node's own commands, a library's plug-in methods, and exit codes
// that follow the answer.
#include <gtest/gtest.h>

#include "host/KivoProgram.h"

namespace KivoTest {
namespace {

class KivoExec : public testing::Test {
 protected:
  KivoExec() {
    file = dir.write("plugins.xml",
                     "<kivo name=\"kivo\">\n"
                     "  <library name=\"example\" filename=\"" KIVO_EXAMPLE_PLUGIN "\"/>\n"
                     "  <library name=\"idle\" filename=\"" + dir.file("absent") +
                         "\" autostart=\"false\"/>\n"
                         "  <node name=\"plain\"/>\n"
                         "</kivo>\n");
  }

  TempDir dir;
  std::string file;
};

TEST_F(KivoExec, TheNodeRunsTheCommandAndTheExitFollowsTheAnswer) {
  struct Case {
    std::vector<std::string> words;  // after "exec FILE"
    int status;
    std::string out;
    std::string err;  // "" or a part of the one line on standard error
  };
  const std::string exception = "<exception><message>boom</message></exception>";
  const std::vector<Case> cases = {
      {{"/example", "Upper", "héllo wörld"}, 0, "HéLLO WöRLD\n", ""},
      {{"/example?abc", "Upper"}, 0, "ABC\n", ""},
      {{"/example", "Greet"}, 0, "greetings from the example\n", ""},
      {{"/example", "stop"}, 0, "<ok/>\n", ""},
      {{"/example", "Echo", "<failure/>"}, 1, "<failure/>\n", "'/example' answered 'Echo' with a failure"},
      {{"/example", "Echo", exception}, 1, exception + "\n", "'/example' answered 'Echo' with an exception"},
      {{"/idle", "start"}, 1, "<failure/>\n", "'/idle' answered 'start' with a failure"},
      {{"/example", "Upper"}, 0, "", "'/example' ran 'Upper' and answered nothing"},
      {{"/example", "Lower", "x"}, 1, "", "'/example' does not know the command 'Lower'"},
      {{"/plain", "open"}, 1, "", "'/plain' does not know the command 'open'"},
      {{"/example?x"}, 1, "", "'/example' does not know the command 'example'"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> arguments = {"-q", "exec", file};
    arguments.insert(arguments.end(), c.words.begin(), c.words.end());
    const ProgramRun run = runKivo(arguments);
    const std::string shown = c.words[0] + " " + (c.words.size() > 1 ? c.words[1] : "");
    EXPECT_EQ(run.status, c.status) << shown << "\n" << run.err;
    EXPECT_EQ(run.out, c.out) << shown;
    if (c.err.empty()) {
      EXPECT_EQ(run.err, "") << shown;
    } else {
      EXPECT_EQ(countLines(run.err, ""), 1u) << shown << "\n" << run.err;
      EXPECT_EQ(countLines(run.err, "kivo: " + c.err), 1u) << shown << "\n" << run.err;
    }
  }
}

TEST_F(KivoExec, ParametersGoEitherAfterTheQuestionMarkOrAsTheLastWord) {
  const ProgramRun both = runKivo({"exec", file, "/example?a", "Upper", "b"});
  const ProgramRun extra = runKivo({"exec", file, "/example", "Upper", "b", "c"});
  EXPECT_EQ(both.status, 2);
  EXPECT_EQ(extra.status, 2);
  EXPECT_EQ(both.out + extra.out, "");
}

TEST_F(KivoExec, TheShellPassesTheRestOfTheLineAsParameters) {
  const ProgramRun run =
      runKivo({"-q", "shell", file}, "exec example Upper two words\nexec plain open\n");
  EXPECT_EQ(run.status, 1) << "the unknown command fails the script";
  EXPECT_EQ(run.out, "TWO WORDS\n");
  EXPECT_EQ(run.err, "kivo: '/plain' does not know the command 'open'\n");
}

}  // namespace
}  // namespace KivoTest
