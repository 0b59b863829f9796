// The auto-updater seen through the kivo program, and the README's example line.
#include <gtest/gtest.h>

#include "host/KivoProgram.h"

namespace KivoTest {
namespace {

TEST(AutoUpdateHost, CreationLineIsALogLineNotOutput) {
  TempDir dir;
  const std::string file = dir.write(
      "updated.xml",
      "<kivo name='kivo'><AutoUpdater name='AutoUpdater'/><node name='n' auto_update_interval='0.1'/></kivo>");
  const ProgramRun quiet = runKivo({"tree", file});
  EXPECT_EQ(quiet.status, 0) << quiet.err;
  EXPECT_EQ(countLines(quiet.out, "KivoAutoUpdater created"), 0u) << quiet.out;
  EXPECT_EQ(countLines(quiet.out, "AutoUpdater [AutoUpdater]"), 1u) << quiet.out;
  const ProgramRun verbose = runKivo({"--log-level", "3", "tree", file});
  EXPECT_EQ(countLines(verbose.err, "Message: KivoAutoUpdater created"), 1u) << verbose.err;
}

// The line is run as the README shows it, from the repository's top folder, which
// only the default build (in build/) fits.
TEST(AutoUpdateHost, ReadmeTickerCountRisesBetweenTwoGets) {
  const std::string program = KIVO_PROGRAM, built = "/build/tools/kivo/kivo";
  if (program.size() <= built.size() || program.substr(program.size() - built.size()) != built) {
    GTEST_SKIP() << "the README's line runs the default build";
  }
  const std::string root = program.substr(0, program.size() - built.size());
  const std::string line =
      "(sleep 1; echo 'get /ticks count'; sleep 1; echo 'get /ticks count') | "
      "./build/tools/kivo/kivo shell examples/ticker.xml";
  for (const char* readme : {"/README.md", "/examples/README.md"}) {
    ASSERT_NE(fileText(root + readme).find("    $ " + line + "\n"), std::string::npos) << readme;
  }
  const ProgramRun run = runShell(line, root);
  unsigned long first = 0, second = 0;
  ASSERT_EQ(std::sscanf(run.out.c_str(), "%lu %lu", &first, &second), 2) << run.out;
  EXPECT_EQ(run.status, 0);
  EXPECT_GT(second, first);
}

}  // namespace
}  // namespace KivoTest
