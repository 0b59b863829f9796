// kivo set killed at any moment of a save of a few megabytes leaves the old file or
// the new one, and no stray file beside it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "host/KivoProgram.h"

namespace KivoTest {
namespace {

// Starts "kivo set FILE /target v=VALUE" with its output thrown away.
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

int finish(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(HostileHost, ASaveKilledAtAnyMomentLeavesTheOldOrTheNewFile) {
  TempDir dir;
  // Few nodes with long values: the save has megabytes to write, the boot little to build.
  std::string text = "<kivo name=\"kivo\">\n  <node name=\"target\" v=\"0\"/>\n";
  for (int i = 0; i < 2000; ++i) text += "  <node name=\"n" + std::to_string(i) + "\" label=\"" + std::string(1500, 'x') + "\"/>\n";
  const std::string file = dir.write("cfg.xml", text + "</kivo>\n");
  // One whole run gives the file the printer's layout and the time a run takes.
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(finish(startSet(file, 0)), 0);
  const auto runTime = std::chrono::steady_clock::now() - start;
  int value = 0;
  for (int kill = 1; kill <= 30; ++kill) {
    const std::string before = dir.read("cfg.xml");
    const pid_t pid = startSet(file, kill);
    std::this_thread::sleep_for(runTime * (kill + 10) / 40);
    ::kill(pid, SIGKILL);
    finish(pid);
    const std::string after = dir.read("cfg.xml");
    const std::string old = "name=\"target\" v=\"" + std::to_string(value) + "\"";
    const std::string changed = replaced(before, old, "name=\"target\" v=\"" + std::to_string(kill) + "\"");
    ASSERT_TRUE(after == before || after == changed) << "kill " << kill;
    if (after == changed) value = kill;
  }
  ASSERT_EQ(finish(startSet(file, 99)), 0);
  EXPECT_EQ(runKivo({"get", file, "/target", "v"}).out, "99\n");
  EXPECT_EQ(filesBelow(dir.path()).size(), 1u) << "no stray file beside the configuration";
}

}  // namespace
}  // namespace KivoTest
