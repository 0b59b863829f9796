// Installs and packs this build with the README's command lines and uses the result
// the ways the README shows: the installed tree on its own and moved elsewhere, a
// project outside this tree with a C plug-in and a C++ host (CMake and pkg-config),
// and a Debian package read back with dpkg-deb.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "support/Shell.h"
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
    "cc -std=c99 -shared -fPIC -fvisibility=hidden -o libhello.so hello.c $(pkg-config --cflags --libs kivo)";
const char* const kRun = "~/.local/bin/kivo exec hello.xml /hello Hello";
const char* const kPack = "cpack -G DEB --config build/CPackConfig.cmake -B packages";
const char* const kInfo = "dpkg-deb --info packages/kivo_" KIVO_VERSION "_amd64.deb";
const std::string kVersion = KIVO_VERSION;
const std::string kHello = "<kivo name=\"kivo\">\n  <library name=\"hello\" filename=\"./libhello.so\"/>\n</kivo>\n";

// Runs `commands` (lines, stopping at the first that fails) in `folder`; `out` holds
// standard output and standard error together.
ProgramRun runScript(const std::string& folder, const std::string& commands) {
  return runShell("exec 2>&1\nset -e\n" + commands, folder);
}

// A home folder holding a link "build" to this build, where the README's lines run
// with HOME pointing at it and nothing of this tree on the search paths.
class Packaging : public ::testing::Test {
 protected:
  void SetUp() override {
#ifdef KIVO_SANITIZED
    GTEST_SKIP() << "outside programs cannot load a sanitized libkivo, packages come from release builds";
#endif
    ::setenv("HOME", home.path().c_str(), 1);
    for (const char* name : {"CMAKE_PREFIX_PATH", "PKG_CONFIG_PATH", "CPATH", "LIBRARY_PATH", "LD_LIBRARY_PATH"}) {
      ::unsetenv(name);
    }
    fs::create_directory_symlink(KIVO_BUILD_DIR, home.file("build"));
  }
  void install() {
    const ProgramRun run = runScript(home.path(), kInstall);
    ASSERT_EQ(run.status, 0) << run.out;
  }
  // Fails when a file under `folder` names this project's source or build folder.
  void expectNoTraceOfThisTree(const std::string& folder) {
    const ProgramRun grep =
        runScript(folder, "! grep -rlF -e '" KIVO_SOURCE_DIR "' -e '" KIVO_BUILD_DIR "' .");
    EXPECT_EQ(grep.status, 0) << "files naming this tree:\n" << grep.out;
  }
  TempDir home;
  const std::string prefix = home.file(".local");
};

TEST_F(Packaging, InstalledTreeHoldsEverythingAndWorksWhenMoved) {
  install();
  for (const std::string file :
       {"bin/kivo", "lib/libkivo.so." KIVO_VERSION, "include/kivo/kivo.h", "include/kivo/plugin/kivo_plugin.h",
        "lib/cmake/Kivo/KivoConfig.cmake", "lib/cmake/Kivo/KivoConfigVersion.cmake", "lib/cmake/Kivo/KivoTargets.cmake",
        "lib/pkgconfig/kivo.pc", "share/man/man1/kivo.1.gz", "share/doc/kivo/examples/hello.c",
        "share/doc/kivo/examples/ExamplePlugin.cpp"}) {
    EXPECT_TRUE(fs::exists(prefix + "/" + file)) << file;
  }
  EXPECT_EQ(fs::read_symlink(prefix + "/lib/libkivo.so"), "libkivo.so.1");
  EXPECT_EQ(fs::read_symlink(prefix + "/lib/libkivo.so.1"), "libkivo.so." + kVersion);
  EXPECT_NE(runScript(prefix, "readelf -d lib/libkivo.so | grep SONAME").out.find("[libkivo.so.1]"), std::string::npos);
  expectNoTraceOfThisTree(prefix);
  // The manual page is the program's help: every line of it, minus signs escaped.
  const std::string page = runScript(prefix, "gzip -dc share/man/man1/kivo.1.gz").out;
  const ProgramRun help = runScript(prefix, "bin/kivo --help | sed -e 's/-/\\\\-/g'");
  ASSERT_EQ(help.status, 0) << help.out;
  EXPECT_NE(page.find(".TH KIVO 1"), std::string::npos);
  EXPECT_NE(page.find(help.out), std::string::npos) << page;

  fs::rename(prefix, home.file("moved"));
  const std::string version = runScript(home.file("moved"), "bin/kivo --version").out;
  EXPECT_EQ(version.rfind("kivo " + kVersion + "\nlibkivo " + kVersion + " (", 0), 0u) << version;
  EXPECT_NE(version.find("/moved/bin/../lib/libkivo.so.1)"), std::string::npos) << "runs the moved library";
}

TEST_F(Packaging, OutsideProjectBuildsACPluginAndAHostThatCallsIt) {
  install();
  const std::string project = home.file("project");
  fs::create_directory(project);
  for (const char* file : {"CMakeLists.txt", "host.cpp"}) {
    fs::copy_file(std::string(KIVO_SOURCE_DIR "/tests/data/outside/") + file, project + "/" + file);
  }
  fs::copy_file(prefix + "/share/doc/kivo/examples/hello.c", project + "/hello.c");
  home.write("project/hello.xml", kHello);
  // The CMake build's plug-in, by folder and name: the loader adds "lib" and ".so".
  home.write("project/cmake-hello.xml", replaced(kHello, "./libhello.so", "build/hello"));
  const ProgramRun cmake = runScript(project, std::string(kConfigure) + "\n" + kBuild);
  ASSERT_EQ(cmake.status, 0) << cmake.out;
  // Another major version is refused by the version file.
  home.write("newer/CMakeLists.txt",
             "cmake_minimum_required(VERSION 3.25)\nproject(newer LANGUAGES NONE)\nfind_package(Kivo 2.0 REQUIRED)\n");
  const ProgramRun newer = runScript(home.file("newer"), kConfigure);
  EXPECT_NE(newer.status, 0);
  EXPECT_NE(newer.out.find("version: " KIVO_VERSION), std::string::npos) << newer.out;
  // The library prints a shutdown note of its own after the answer.
  const ProgramRun host = runScript(project, "build/host \"$PWD/cmake-hello.xml\" /hello Hello");
  EXPECT_EQ(host.status, 0) << host.out;
  EXPECT_EQ(host.out.rfind("hello from C\n", 0), 0u) << host.out;

  const ProgramRun cc = runScript(project, std::string(kPkgConfigPath) + "\n" + kCompile);
  ASSERT_EQ(cc.status, 0) << cc.out;
  const std::string exports = runScript(project, "nm -D --defined-only libhello.so").out;
  EXPECT_NE(exports.find(" T start\n"), std::string::npos) << exports;
  EXPECT_EQ(exports.find(" hello\n"), std::string::npos) << exports;
  const ProgramRun kivo = runScript(project, kRun);
  EXPECT_EQ(kivo.status, 0) << kivo.out;
  EXPECT_EQ(kivo.out, "hello from C\n");
  // The same flags build the C++ host too.
  const ProgramRun byPkgConfig = runScript(project, std::string(kPkgConfigPath) +
      "\nc++ -o host-pc host.cpp $(pkg-config --cflags --libs kivo) -Wl,-rpath,$HOME/.local/lib"
      "\n./host-pc \"$PWD/hello.xml\" /hello Hello");
  EXPECT_EQ(byPkgConfig.out.rfind("hello from C\n", 0), 0u) << byPkgConfig.out;
  expectNoTraceOfThisTree(project);
}

TEST_F(Packaging, DebianPackageHoldsTheTreeUnderUsrAndNamesItsRunTimeDependencies) {
  const std::string package = "packages/kivo_" KIVO_VERSION "_amd64.deb";
  const ProgramRun pack = runScript(home.path(), kPack);
  ASSERT_EQ(pack.status, 0) << pack.out;
  const ProgramRun info = runScript(home.path(), kInfo);
  ASSERT_EQ(info.status, 0) << info.out;
  for (const char* field : {" Package: kivo\n", " Version: " KIVO_VERSION "\n"}) {
    EXPECT_NE(info.out.find(field), std::string::npos) << info.out;
  }
  const size_t depends = info.out.find(" Depends: ");
  const std::string dependencies = info.out.substr(depends, info.out.find('\n', depends) - depends);
  for (const char* runtime : {"libwxbase3.2-1", "libtinyxml2.6.2v5", "liblua5.2-0", "libreadline8"}) {
    EXPECT_NE(dependencies.find(runtime), std::string::npos) << dependencies;
  }
  EXPECT_EQ(dependencies.find("-dev"), std::string::npos) << dependencies;

  const std::string contents = runScript(home.path(), "dpkg-deb --contents " + package).out;
  for (const char* file : {"./usr/bin/kivo", "./usr/lib/libkivo.so -> libkivo.so.1", "./usr/lib/libkivo.so.1 -> ",
                           "./usr/include/kivo/plugin/kivo_plugin.h", "./usr/lib/cmake/Kivo/KivoConfig.cmake",
                           "./usr/lib/pkgconfig/kivo.pc", "./usr/share/man/man1/kivo.1.gz",
                           "./usr/share/doc/kivo/examples/hello.c"}) {
    EXPECT_NE(contents.find(file), std::string::npos) << file << "\n" << contents;
  }
  EXPECT_EQ(runScript(home.path(), "dpkg-deb --contents " + package +
                                       " | awk '{print $6}' | grep -v '^\\./usr/' | grep -vx '\\./'").out, "")
      << "files outside /usr";
  const std::string unpacked = runScript(home.path(), "dpkg-deb -x " + package + " root\nroot/usr/bin/kivo --version").out;
  EXPECT_EQ(unpacked.rfind("kivo " + kVersion + "\nlibkivo " + kVersion + " (", 0), 0u) << unpacked;
  EXPECT_NE(unpacked.find("/root/usr/bin/../lib/libkivo.so.1)"), std::string::npos) << "runs the unpacked library";
}

// True when `text` holds `block` as a README block: every line indented by four spaces.
bool showsBlock(const std::string& text, const std::string& block) {
  std::istringstream lines(block);
  std::string indented;
  for (std::string line; std::getline(lines, line);) indented += line.empty() ? "\n" : "    " + line + "\n";
  return text.find("\n" + indented) != std::string::npos;
}

TEST(Readme, ShowsTheCommandsAndFilesThePackagingTestsUse) {
  const std::string readme = fileText(KIVO_SOURCE_DIR "/README.md");
  for (const std::string& block : {std::string(kInstall), std::string(kConfigure), std::string(kBuild),
                                   std::string(kPkgConfigPath), std::string(kCompile), std::string(kRun),
                                   kPack + std::string("\n") + kInfo, kHello, std::string("hello from C"),
                                   fileText(KIVO_SOURCE_DIR "/plugins/hello/hello.c"),
                                   fileText(KIVO_SOURCE_DIR "/tests/data/outside/CMakeLists.txt")}) {
    EXPECT_TRUE(showsBlock(readme, block)) << block;
  }
}

}  // namespace
}  // namespace KivoTest
