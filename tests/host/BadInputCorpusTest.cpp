// Every file of the bad-input corpus ends with its expected exit status and message
// in both a reading command and a listing one, within a time limit, and no file of
// the corpus is changed by it.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "host/KivoProgram.h"
#include "support/TempDir.h"

namespace KivoTest {
namespace {

namespace fs = std::filesystem;

struct Expectation {
  std::string file;
  int status;
  std::string message;  // with "{dir}" for the corpus folder; "" for a clean run
};

std::vector<Expectation> readExpectations(const fs::path& list) {
  std::vector<Expectation> expectations;
  std::ifstream in(list);
  for (std::string line; std::getline(in, line);) {
    std::istringstream fields(line);
    Expectation e;
    std::string status;
    std::getline(fields, e.file, '\t');
    std::getline(fields, status, '\t');
    std::getline(fields, e.message);
    e.status = std::atoi(status.c_str());
    expectations.push_back(e);
  }
  return expectations;
}

std::map<std::string, std::string> snapshot(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    files[entry.path().string()] = std::string(std::istreambuf_iterator<char>(in), {});
  }
  return files;
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

TEST(BadInputCorpus, EveryFileEndsAsExpectedAndStaysAsItWas) {
  TempDir dir;
  const fs::path corpus = fs::path(KIVO_SOURCE_DIR) / "tests/host/bad-input";
  fs::copy(corpus, dir.path(), fs::copy_options::recursive);
  ASSERT_EQ(mkfifo(dir.file("a-fifo").c_str(), 0600), 0);
  const auto before = snapshot(dir.path());
  const std::vector<Expectation> expectations = readExpectations(corpus / "expected.tsv");
  ASSERT_GE(expectations.size(), 50u);
  for (const Expectation& e : expectations) {
    const std::string file = dir.file(e.file);
    const std::string message = replaced(e.message, "{dir}", dir.path());
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--log-level", "1", "tree", file},
          std::vector<std::string>{"--log-level", "1", "get", file, "/"}}) {
      // The time limit turns a hang into a failure instead of a stuck suite.
      const ProgramRun run = runKivo(arguments, "", "", 60);
      const std::string what = arguments[2] + " " + e.file + ": " + run.err;
      EXPECT_EQ(run.status, e.status) << what;
      EXPECT_NE(run.err.find(message), std::string::npos) << what;
      EXPECT_EQ(run.err.find("Sanitizer"), std::string::npos) << what;
      EXPECT_EQ(run.err.find("assert"), std::string::npos) << what;
      if (e.status != 0) {
        EXPECT_EQ(run.out, "") << what;
        EXPECT_EQ(countLines(run.err, "kivo: "), 1u) << what;
      }
    }
  }
  EXPECT_TRUE(snapshot(dir.path()) == before) << "a file of the corpus was changed";
}

}  // namespace
}  // namespace KivoTest
