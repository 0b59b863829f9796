// The kivo program under faults: special files, crashes during boot, and saves
// killed half-way.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "host/KivoProgram.h"
#include "support/TempDir.h"

namespace KivoTest {
namespace {

namespace fs = std::filesystem;

TEST(HostileHost, SpecialFilesAreRefusedWithoutBlocking) {
  TempDir dir;
  ASSERT_EQ(mkfifo(dir.file("pipe.xml").c_str(), 0600), 0);
  for (const std::string& file : {dir.file("pipe.xml"), std::string("/dev/zero")}) {
    const ProgramRun run = runKivo({"tree", file}, "", "", 60);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "kivo: configuration '" + file + "' is not a regular file\n");
  }
}

TEST(HostileHost, ACrashDuringBootStillReachesTheTerminal) {
  TempDir dir;
  const std::string file = dir.write(
      "crash.xml", "<kivo name='kivo'><library name='crash' filename='" KIVO_CRASH_PLUGIN "'/></kivo>");
  const ProgramRun run = runKivo({"--plugins", "tree", file}, "", "", 60);
  // The shell's status for a process ended by a signal; a sanitizer reports it and exits
  // (AddressSanitizer with 1, ThreadSanitizer with 66).
  EXPECT_TRUE(run.status == 128 + SIGSEGV || run.status == 128 + SIGABRT || run.status == 1 ||
              run.status == 66)
      << run.status;
  EXPECT_NE(run.err.find("crash plug-in starting\n"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("kivo: fatal signal SEGV\n"), std::string::npos) << run.err;
}

// A configuration of a few megabytes, so that a save takes long enough to be hit.
std::string largeConfiguration() {
  std::string text = "<kivo name=\"kivo\">\n  <node name=\"target\" v=\"0\"/>\n";
  // Few nodes with long values: the save has megabytes to write, the boot little to build.
  for (int i = 0; i < 2000; ++i) {
    text += "  <node name=\"n" + std::to_string(i) + "\" label=\"" + std::string(1500, 'x') + "\"/>\n";
  }
  return text + "</kivo>\n";
}

pid_t startSet(const std::string& file, int value) {
  const std::string assignment = "v=" + std::to_string(value);
  const pid_t pid = fork();
  if (pid == 0) {
    freopen("/dev/null", "w", stdout);
    freopen("/dev/null", "w", stderr);
    execl(KIVO_PROGRAM, "kivo", "set", file.c_str(), "/target", assignment.c_str(), nullptr);
    _exit(127);
  }
  return pid;
}

std::string withValue(std::string text, int from, int to) {
  const std::string old = "name=\"target\" v=\"" + std::to_string(from) + "\"";
  const size_t at = text.find(old);
  if (at == std::string::npos) return std::string();
  return text.replace(at, old.size(), "name=\"target\" v=\"" + std::to_string(to) + "\"");
}

TEST(HostileHost, ASaveKilledAtAnyMomentLeavesTheOldOrTheNewFile) {
  TempDir dir;
  const std::string file = dir.write("cfg.xml", largeConfiguration());
  // One whole run gives the file the printer's layout and the time a run takes.
  const auto start = std::chrono::steady_clock::now();
  int status = 0;
  waitpid(startSet(file, 0), &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  const auto runTime = std::chrono::steady_clock::now() - start;
  int value = 0;
  for (int kill = 1; kill <= 30; ++kill) {
    const std::string before = dir.read("cfg.xml");
    const pid_t pid = startSet(file, kill);
    std::this_thread::sleep_for(runTime * (kill + 10) / 40);
    ::kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    const std::string after = dir.read("cfg.xml");
    const std::string changed = withValue(before, value, kill);
    ASSERT_TRUE(after == before || after == changed) << "kill " << kill;
    if (after == changed) value = kill;
  }
  waitpid(startSet(file, 99), &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  const ProgramRun run = runKivo({"get", file, "/target", "v"});
  EXPECT_EQ(run.out, "99\n");
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(dir.path())) left.push_back(entry.path().filename());
  EXPECT_EQ(left, std::vector<std::string>{"cfg.xml"});
}

}  // namespace
}  // namespace KivoTest
