// The auto-updater seen through the kivo program, and the README's example line.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

#include "host/KivoProgram.h"

using KivoTest::runKivo;

namespace {

std::string fileText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

TEST(AutoUpdateHost, CreationLineIsALogLineNotOutput) {
  KivoTest::TempDir dir;
  const std::string file = dir.write(
      "updated.xml",
      "<kivo name='kivo'><AutoUpdater name='AutoUpdater'/><node name='n' auto_update_interval='0.1'/></kivo>");
  const KivoTest::ProgramRun quiet = runKivo({"tree", file});
  EXPECT_EQ(quiet.status, 0) << quiet.err;
  EXPECT_EQ(quiet.out.find("KivoAutoUpdater created"), std::string::npos) << quiet.out;
  EXPECT_NE(quiet.out.find("AutoUpdater [AutoUpdater]"), std::string::npos) << quiet.out;

  const KivoTest::ProgramRun verbose = runKivo({"--log-level", "3", "tree", file});
  EXPECT_EQ(KivoTest::countLines(verbose.err, "Message: KivoAutoUpdater created"), 1u) << verbose.err;
}

// The line is run as the README shows it, from the repository's top folder, which
// only the default build (in build/) fits.
TEST(AutoUpdateHost, ReadmeTickerCountRisesBetweenTwoGets) {
  const std::string program = KIVO_PROGRAM;
  const std::string built = "/build/tools/kivo/kivo";
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

  std::FILE* run = popen(("cd '" + root + "' && " + line).c_str(), "r");
  ASSERT_NE(run, nullptr);
  unsigned long first = 0;
  unsigned long second = 0;
  const int read = std::fscanf(run, "%lu %lu", &first, &second);
  const int status = pclose(run);
  ASSERT_EQ(read, 2);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_GT(second, first);
}
