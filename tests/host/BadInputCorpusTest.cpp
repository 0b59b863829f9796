// Every file of the bad-input corpus (bad-input/expected.tsv: file, exit status, a part
// of standard error with "{dir}" for the corpus folder) ends as expected, in a reading
// command and a listing one, within a time limit, and leaves every file as it was.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/KivoProgram.h"

namespace KivoTest {
namespace {

TEST(BadInputCorpus, EveryFileEndsAsExpectedAndStaysAsItWas) {
  TempDir dir;
  const std::string corpus = KIVO_SOURCE_DIR "/tests/host/bad-input";
  std::filesystem::copy(corpus, dir.path(), std::filesystem::copy_options::recursive);
  ASSERT_EQ(mkfifo(dir.file("a-fifo").c_str(), 0600), 0);
  const auto before = filesBelow(dir.path());
  std::ifstream list(corpus + "/expected.tsv");
  size_t files = 0;
  for (std::string line, file, status, message; std::getline(list, line); ++files) {
    std::istringstream fields(line);
    std::getline(std::getline(std::getline(fields, file, '\t'), status, '\t'), message);
    for (size_t at; (at = message.find("{dir}")) != std::string::npos;) message.replace(at, 5, dir.path());
    for (const std::string command : {"tree", "get"}) {
      // The time limit turns a hang into a failure instead of a stuck suite.
      std::vector<std::string> arguments = {"--log-level", "1", command, dir.file(file)};
      if (command == "get") arguments.push_back("/");
      const ProgramRun run = runKivo(arguments, "", "", 60);
      const std::string what = command + " " + file + ": " + run.err;
      EXPECT_EQ(run.status, std::stoi(status)) << what;
      EXPECT_NE(run.err.find(message), std::string::npos) << what;
      EXPECT_EQ(run.err.find("Sanitizer"), std::string::npos) << what;
      EXPECT_EQ(run.err.find("assert"), std::string::npos) << what;
      if (status != "0") {
        EXPECT_EQ(run.out, "") << what;
        EXPECT_EQ(countLines(run.err, "kivo: "), 1u) << what;
      }
    }
  }
  EXPECT_GE(files, 50u);
  EXPECT_TRUE(filesBelow(dir.path()) == before) << "a file of the corpus was changed";
}

}  // namespace
}  // namespace KivoTest
