// Packs this build as a Debian package with the README's cpack line and reads the
// package back with dpkg-deb: files under /usr, the run-time dependencies, and a
// program that runs from the unpacked tree.
#include <gtest/gtest.h>

#include <filesystem>

#include "packaging/Shell.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace KivoTest {
namespace {

// The README's command lines, run here exactly as written.
const char* const kPack = "cpack -G DEB --config build/CPackConfig.cmake -B packages";
const char* const kInfo = "dpkg-deb --info packages/kivo_" KIVO_VERSION "_amd64.deb";

TEST(DebianPackage, HoldsTheInstalledTreeUnderUsrAndNamesItsRunTimeDependencies) {
#ifdef KIVO_SANITIZED
  GTEST_SKIP() << "packages are made from release builds";
#endif
  TempDir folder;
  fs::create_directory_symlink(KIVO_BUILD_DIR, folder.file("build"));
  const std::string package = "packages/kivo_" KIVO_VERSION "_amd64.deb";
  const ProgramRun pack = runScript(folder.path(), kPack);
  ASSERT_EQ(pack.status, 0) << pack.out;
  ASSERT_TRUE(fs::exists(folder.file(package))) << pack.out;

  const ProgramRun info = runScript(folder.path(), kInfo);
  ASSERT_EQ(info.status, 0) << info.out;
  EXPECT_NE(info.out.find(" Package: kivo\n"), std::string::npos) << info.out;
  EXPECT_NE(info.out.find(" Version: " KIVO_VERSION "\n"), std::string::npos) << info.out;
  const size_t depends = info.out.find(" Depends: ");
  ASSERT_NE(depends, std::string::npos) << info.out;
  const std::string dependencies = info.out.substr(depends, info.out.find('\n', depends) - depends);
  for (const char* runtime : {"libwxbase3.2-1", "libtinyxml2.6.2v5", "liblua5.2-0", "libreadline8"}) {
    EXPECT_NE(dependencies.find(runtime), std::string::npos) << dependencies;
  }
  EXPECT_EQ(dependencies.find("-dev"), std::string::npos) << dependencies;

  const ProgramRun contents = runScript(folder.path(), "dpkg-deb --contents " + package);
  ASSERT_EQ(contents.status, 0) << contents.out;
  for (const char* file :
       {"./usr/bin/kivo", "./usr/lib/libkivo.so -> libkivo.so.1", "./usr/lib/libkivo.so.1 -> ",
        "./usr/include/kivo/plugin/kivo_plugin.h", "./usr/lib/cmake/Kivo/KivoConfig.cmake",
        "./usr/lib/pkgconfig/kivo.pc", "./usr/share/man/man1/kivo.1.gz",
        "./usr/share/doc/kivo/examples/hello.c"}) {
    EXPECT_NE(contents.out.find(file), std::string::npos) << file << "\n" << contents.out;
  }
  const ProgramRun outside = runScript(folder.path(),
      "dpkg-deb --contents " + package + " | awk '{print $6}' | grep -v '^\\./usr/' | grep -vx '\\./'");
  EXPECT_EQ(outside.out, "") << "files outside /usr";

  const ProgramRun unpacked = runScript(folder.path(), "dpkg-deb -x " + package + " root\nroot/usr/bin/kivo --version");
  EXPECT_EQ(unpacked.out.rfind("kivo " KIVO_VERSION "\nlibkivo " KIVO_VERSION " (", 0), 0u)
      << unpacked.out;
  EXPECT_NE(unpacked.out.find("/root/usr/bin/../lib/libkivo.so.1)"), std::string::npos)
      << "the unpacked program runs with the unpacked library: " << unpacked.out;
}

TEST(Readme, ShowsTheCommandsTheDebianPackageTestUses) {
  const std::string readme = fileText(KIVO_SOURCE_DIR "/README.md");
  EXPECT_TRUE(showsBlock(readme, std::string(kPack) + "\n" + kInfo));
}

}  // namespace
}  // namespace KivoTest
