// --version and --help win wherever they stand; a document without an element is
// named as such.
#include <gtest/gtest.h>

#include "host/KivoProgram.h"

namespace KivoTest {
namespace {

class KivoVersionHelp : public testing::Test {
 protected:
  HostConfiguration config;
};

TEST_F(KivoVersionHelp, VersionNamesTheProgramTheLibraryAndItsRecord) {
  const ProgramRun run = runKivo({"--version"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(countLines(run.out, ""), 3u) << run.out;
  EXPECT_EQ(run.out.rfind("kivo ", 0), 0u) << run.out;
  EXPECT_EQ(countLines(run.out, "libkivo "), 1u) << run.out;
  EXPECT_EQ(countLines(run.out, "libkivo.so"), 1u) << "the library file it runs with";
  EXPECT_EQ(countLines(run.out, "library record: Kivo 1.0.1.2, interface 1005, built "), 1u)
      << run.out;
}

TEST_F(KivoVersionHelp, TheFirstOfHelpAndVersionWinsWhereverItStands) {
  const std::string version = runKivo({"--version"}).out;
  const std::string overview = runKivo({"--help"}).out;
  const std::string treeHelp = runKivo({"tree", "--help"}).out;
  const std::string getHelp = runKivo({"get", "--help"}).out;
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"--version", "tree", config.main()}, version},
      {{"tree", config.main(), "--version"}, version},
      {{"--version", "--bogus", "frobnicate"}, version},
      {{"--version", "--help"}, version},
      {{"--help", "--version"}, overview},
      {{"--help", "frobnicate"}, overview},
      {{"tree", config.main(), "/a", "/b", "/c", "--help"}, treeHelp},
      {{"--help", "--log-level", "9", "get"}, getHelp},
      {{"-h", "get", "--json", "--colour"}, getHelp},
  };
  for (const auto& [arguments, expected] : cases) {
    const ProgramRun run = runKivo(arguments);
    EXPECT_EQ(run.status, 0) << arguments[0] << " " << arguments[1] << "\n" << run.err;
    EXPECT_EQ(run.out, expected) << arguments[0] << " " << arguments[1];
    EXPECT_EQ(run.err, "");
  }
  EXPECT_EQ(runKivo({"--bogus", "--version"}).status, 2) << "an error before them still counts";
}

TEST_F(KivoVersionHelp, ADocumentWithoutAnElementSaysSo) {
  const std::string doctype = " (a DOCTYPE with declarations in brackets ends the reading)";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"<?xml version=\"1.0\"?>\n", ""},
      {"<!-- only a comment -->\n", ""},
      {"<!DOCTYPE kivo [\n<!ELEMENT kivo ANY>\n]>\n<node name=\"kivo\"/>\n", doctype},
  };
  for (const auto& [text, why] : cases) {
    const std::string file = config.dir().write("bare.xml", text);
    const ProgramRun run = runKivo({"tree", file});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "kivo: cannot boot '" + file + "': no root element" + why + "\n");
  }
}

}  // namespace
}  // namespace KivoTest
