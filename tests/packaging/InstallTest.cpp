// Installs this build into a temporary prefix and uses it the ways the README
// shows: the installed tree on its own, moved elsewhere, and a project outside
// this tree with a C plug-in and a C++ host, built with CMake and with pkg-config.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "packaging/Shell.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace KivoTest {
namespace {

// The README's command lines, run here exactly as written.
const char* const kInstall = "cmake --install build --prefix ~/.local";
const char* const kConfigure = "cmake -S . -B build -DCMAKE_PREFIX_PATH=$HOME/.local";
const char* const kBuild = "cmake --build build";
const char* const kPkgConfigPath = "export PKG_CONFIG_PATH=$HOME/.local/lib/pkgconfig";
const char* const kCompile =
    "cc -std=c99 -shared -fPIC -fvisibility=hidden -o libhello.so hello.c "
    "$(pkg-config --cflags --libs kivo)";
const char* const kRun = "~/.local/bin/kivo exec hello.xml /hello Hello";

const std::string kVersion = KIVO_VERSION;
// What the plug-in's method answers.
const char* const kAnswer = "hello from C";

std::string configurationLoading(const std::string& plugin) {
  return "<kivo name=\"kivo\">\n  <library name=\"hello\" filename=\"" + plugin + "\"/>\n</kivo>\n";
}

// A home folder holding nothing but a link "build" to this build, where the
// README's install line is run with HOME pointing at it.
class Installed : public ::testing::Test {
 protected:
  void SetUp() override {
#ifdef KIVO_SANITIZED
    GTEST_SKIP() << "outside programs cannot load a sanitized libkivo";
#endif
    ::setenv("HOME", home.path().c_str(), 1);
    for (const char* name : {"CMAKE_PREFIX_PATH", "PKG_CONFIG_PATH", "CPATH", "LIBRARY_PATH",
                             "LD_LIBRARY_PATH"}) {
      ::unsetenv(name);
    }
    fs::create_directory_symlink(KIVO_BUILD_DIR, home.file("build"));
    const ProgramRun install = runScript(home.path(), kInstall);
    ASSERT_EQ(install.status, 0) << install.out;
    prefix = home.file(".local");
  }

  // Fails when a file under `folder` names this project's source or build folder.
  void expectNoTraceOfThisTree(const std::string& folder) {
    const ProgramRun grep = runScript(
        folder, std::string("! grep -rlF -e '") + KIVO_SOURCE_DIR + "' -e '" + KIVO_BUILD_DIR + "' .");
    EXPECT_EQ(grep.status, 0) << "files naming this tree:\n" << grep.out;
  }

  TempDir home;
  std::string prefix;
};

TEST_F(Installed, TreeHoldsEverythingAndWorksWhenMoved) {
  for (const char* file :
       {"bin/kivo", "lib/libkivo.so", "lib/libkivo.so.1", "lib/libkivo.so." KIVO_VERSION,
        "include/kivo/kivo.h", "include/kivo/plugin/kivo_plugin.h",
        "lib/cmake/Kivo/KivoConfig.cmake", "lib/cmake/Kivo/KivoConfigVersion.cmake",
        "lib/cmake/Kivo/KivoTargets.cmake", "lib/pkgconfig/kivo.pc",
        "share/man/man1/kivo.1.gz", "share/doc/kivo/examples/hello.c",
        "share/doc/kivo/examples/ExamplePlugin.cpp"}) {
    EXPECT_TRUE(fs::exists(prefix + "/" + file)) << file;
  }
  EXPECT_EQ(fs::read_symlink(prefix + "/lib/libkivo.so"), "libkivo.so.1");
  EXPECT_EQ(fs::read_symlink(prefix + "/lib/libkivo.so.1"), "libkivo.so." + kVersion);
  const ProgramRun soname = runScript(prefix, "readelf -d lib/libkivo.so | grep SONAME");
  EXPECT_NE(soname.out.find("[libkivo.so.1]"), std::string::npos) << soname.out;
  expectNoTraceOfThisTree(prefix);

  // The manual page is the program's help: every line of it, minus signs escaped.
  const ProgramRun page = runScript(prefix, "gzip -dc share/man/man1/kivo.1.gz");
  const ProgramRun help = runScript(prefix, "bin/kivo --help | sed -e 's/-/\\\\-/g'");
  ASSERT_EQ(help.status, 0) << help.out;
  EXPECT_NE(page.out.find(".TH KIVO 1"), std::string::npos);
  EXPECT_NE(page.out.find(help.out), std::string::npos) << page.out;

  fs::rename(prefix, home.file("moved"));
  const ProgramRun version = runScript(home.file("moved"), "bin/kivo --version");
  EXPECT_EQ(version.out.rfind("kivo " + kVersion + "\nlibkivo " + kVersion + " (", 0), 0u)
      << version.out;
  EXPECT_NE(version.out.find("/moved/bin/../lib/libkivo.so.1)"), std::string::npos)
      << "the moved program runs with the moved library: " << version.out;
}

TEST_F(Installed, OutsideProjectBuildsACPluginAndAHostThatCallsIt) {
  const std::string project = home.file("project");
  fs::create_directory(project);
  for (const char* file : {"CMakeLists.txt", "host.cpp"}) {
    fs::copy_file(std::string(KIVO_SOURCE_DIR "/tests/data/outside/") + file, project + "/" + file);
  }
  fs::copy_file(prefix + "/share/doc/kivo/examples/hello.c", project + "/hello.c");
  home.write("project/hello.xml", configurationLoading("./libhello.so"));
  // The CMake build's plug-in, by folder and name: the loader adds "lib" and ".so".
  home.write("project/cmake-hello.xml", configurationLoading("build/hello"));

  const ProgramRun cmake = runScript(project, std::string(kConfigure) + "\n" + kBuild);
  ASSERT_EQ(cmake.status, 0) << cmake.out;
  // Another major version is refused by the version file.
  home.write("newer/CMakeLists.txt",
             "cmake_minimum_required(VERSION 3.25)\nproject(newer LANGUAGES NONE)\n"
             "find_package(Kivo 2.0 REQUIRED)\n");
  const ProgramRun newer = runScript(home.file("newer"), "cmake -S . -B build -DCMAKE_PREFIX_PATH=$HOME/.local");
  EXPECT_NE(newer.status, 0);
  EXPECT_NE(newer.out.find("version: " KIVO_VERSION), std::string::npos) << newer.out;
  // The library prints a shutdown note of its own after the answer.
  const ProgramRun host = runScript(project, "build/host \"$PWD/cmake-hello.xml\" /hello Hello");
  EXPECT_EQ(host.status, 0) << host.out;
  EXPECT_EQ(host.out.rfind("hello from C\n", 0), 0u) << host.out;

  const ProgramRun cc = runScript(project, std::string(kPkgConfigPath) + "\n" + kCompile);
  ASSERT_EQ(cc.status, 0) << cc.out;
  const ProgramRun exports = runScript(project, "nm -D --defined-only libhello.so");
  EXPECT_NE(exports.out.find(" T start\n"), std::string::npos) << exports.out;
  EXPECT_EQ(exports.out.find(" hello\n"), std::string::npos) << exports.out;
  const ProgramRun kivo = runScript(project, kRun);
  EXPECT_EQ(kivo.status, 0) << kivo.out;
  EXPECT_EQ(kivo.out, std::string(kAnswer) + "\n");
  // The same flags build the C++ host too.
  const ProgramRun hostByPkgConfig = runScript(project, std::string(kPkgConfigPath) +
      "\nc++ -o host-pc host.cpp $(pkg-config --cflags --libs kivo) -Wl,-rpath,$HOME/.local/lib"
      "\n./host-pc \"$PWD/hello.xml\" /hello Hello");
  EXPECT_EQ(hostByPkgConfig.out.rfind("hello from C\n", 0), 0u) << hostByPkgConfig.out;

  expectNoTraceOfThisTree(project);
}

TEST(Readme, ShowsTheCommandsAndFilesTheInstallTestsUse) {
  const std::string readme = fileText(KIVO_SOURCE_DIR "/README.md");
  for (const char* line : {kInstall, kConfigure, kBuild, kPkgConfigPath, kCompile, kRun}) {
    EXPECT_TRUE(showsBlock(readme, line)) << line;
  }
  EXPECT_TRUE(showsBlock(readme, fileText(KIVO_SOURCE_DIR "/plugins/hello/hello.c")));
  EXPECT_TRUE(showsBlock(readme, fileText(KIVO_SOURCE_DIR "/tests/data/outside/CMakeLists.txt")));
  EXPECT_TRUE(showsBlock(readme, configurationLoading("./libhello.so")));
  EXPECT_TRUE(showsBlock(readme, kAnswer));
}

}  // namespace
}  // namespace KivoTest
