// The user's files through the kivo program and the library together: only the
// changed values reach the files, from any working directory, and nothing the
// library adds at run time ever does.
#include <gtest/gtest.h>


#include <array>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "host/KivoProgram.h"
#include "kivo/app/Application.h"
#include "kivo/base/KivoBase.h"
#include "kivo/plugin/KivoInit.h"
#include "support/LogCapture.h"

extern "C" {
KivoUnit::Kivo* start(KivoUnit::Kivo*);
void stop();
}

namespace KivoTest {
namespace {

namespace fs = std::filesystem;

// Files are written as TinyXML prints them, so a saved file differs from its
// original in exactly the changes made.
const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n";

// The tree outline without the boot stamps, whose times change with every boot.
std::string withoutStamps(const std::string& outline) {
  std::istringstream lines(outline);
  std::string kept;
  for (std::string line; std::getline(lines, line);) {
    if (line.find("brief=\"20") == std::string::npos) kept += line + "\n";
  }
  return kept;
}

wxString wx(const std::string& text) { return wxString::FromUTF8(text.c_str()); }

TEST(ConfigurationSafety, SavingTheRootWritesNoRunTimeNodeAndAddOnsAreRefused) {
  TempDir dir;
  fs::create_directory(dir.file("addons"));
  fs::copy_file(KIVO_EXAMPLE_ADDON, dir.file("addons/libX.so"));
  for (const std::string root : {"player", "kivo"}) {
    SCOPED_TRACE(root);
    const std::string main = kDeclaration + "<node name=\"" + root + "\">\n" +
                             "    <library name=\"example\" filename=\"" KIVO_EXAMPLE_PLUGIN "\" />\n"
                             "    <greeting name=\"hi\" />\n"
                             "    <addons name=\"addons\" />\n"
                             "</node>\n";
    const std::string file = dir.write("main.xml", main);
    ProgramRun run = runKivo({"set", file, "/", "foo=1"}, "", dir.path());
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string expected = replaced(main, "\">\n", "\" foo=\"1\">\n");
    EXPECT_EQ(dir.read("main.xml"), expected);

    const auto before = filesBelow(dir.path());
    run = runKivo({"set", "main.xml", "/kivo/lib/libX.so", "x=1"}, "", dir.path());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(countLines(run.err, "'/kivo/lib/libX.so'"), 1u) << run.err;
    EXPECT_EQ(filesBelow(dir.path()), before);
    run = runKivo({"tree", "main.xml"}, "", dir.path());
    EXPECT_EQ(countLines(run.out, "unnamed"), 0u) << run.out;
    EXPECT_EQ(run.err, "");
  }
}

TEST(ConfigurationSafety, AFailedSaveExitsWithOneMessageAndChangesNoFile) {
  TempDir dir;
  const std::string longName = std::string(248, 'l') + ".xml";
  dir.write("main.xml", kDeclaration + "<node name=\"kivo\">\n    <include filename=\"" + longName +
                            "\" />\n</node>\n");
  dir.write(longName, kDeclaration + "<node name=\"library\">\n"
                                     "    <node name=\"favourites\" tracks=\"1\" />\n</node>\n");
  const auto before = filesBelow(dir.path());
  const ProgramRun run =
      runKivo({"set", "main.xml", "/library/favourites", "tracks=2"}, "", dir.path());
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(countLines(run.err, "SAVE FAILED"), 1u) << run.err;
  EXPECT_EQ(countLines(run.err, "'" + dir.file(longName) + "' File name too long"), 1u) << run.err;
  EXPECT_EQ(filesBelow(dir.path()), before);
}

// A configuration with a node-level include, a file-level include holding a nested
// one, a plug-in and add-ons: changed through the library and through kivo set,
// then booted afresh from another folder.
TEST(ConfigurationSafety, ChangesReachExactlyTheirFilesAndSurviveARebootFromElsewhere) {
  TempDir top;
  const std::string conf = top.file("conf");
  for (const char* folder : {"conf", "conf/parts", "conf/plugins", "conf/addons", "other"}) {
    fs::create_directory(top.file(folder));
  }
  fs::copy_file(KIVO_EXAMPLE_PLUGIN, top.file("conf/plugins/libexample.so"));
  fs::copy_file(KIVO_EXAMPLE_ADDON, top.file("conf/addons/libaddon.so"));
  top.write("conf/notes.txt", "left alone\n");
  std::map<std::string, std::string> files = {
      {"main.xml", kDeclaration + "<!-- written by hand -->\n"
                                  "<node name=\"app\" version=\"1\">\n"
                                  "    <node name=\"settings\" theme=\"dark\" width=\"800\" />\n"
                                  "    <node name=\"host\" include=\"parts/host.xml\">\n"
                                  "        <node name=\"own\" size=\"1\" />\n"
                                  "    </node>\n"
                                  "    <include filename=\"parts/library.xml\" />\n"
                                  "    <library name=\"example\" filename=\"plugins/libexample.so\" />\n"
                                  "    <greeting name=\"hi\" />\n"
                                  "    <addons name=\"addons\" />\n"
                                  "    <welcome name=\"guest\" />\n"
                                  "</node>\n"},
      {"parts/host.xml", kDeclaration + "<node name=\"host\" colour=\"red\" shape=\"round\" />\n"},
      {"parts/library.xml", kDeclaration + "<node name=\"library\" folder=\"Music\" sort=\"name\">\n"
                                           "    <include filename=\"nested.xml\" />\n"
                                           "</node>\n"},
      {"parts/nested.xml", kDeclaration + "<node name=\"deep\" level=\"3\" mode=\"on\" />\n"}};
  for (const auto& [name, content] : files) top.write("conf/" + name, content);
  const auto untouched = filesBelow(conf);
  const ProgramRun first = runKivo({"tree", "--plugins", "main.xml"}, "", conf);
  ASSERT_EQ(first.status, 0) << first.err;

  // Through the library, in this process: one attribute in each document.
  const std::vector<std::array<std::string, 5>> changes = {
      {"/settings", "theme", "light", "main.xml", "theme=\"dark\""},
      {"/host/own", "size", "2", "main.xml", "size=\"1\""},
      {"/host", "colour", "blue", "parts/host.xml", "colour=\"red\""},
      {"/library", "sort", "date", "parts/library.xml", "sort=\"name\""},
      {"/library/deep", "level", "4", "parts/nested.xml", "level=\"3\""}};
  {
    LogCapture log;
    KivoUnit::Application::getApp().setAddonsFolder(wx(top.file("conf/addons")));
    ASSERT_NE(start(nullptr), nullptr);
    KivoUnit::KivoBase* base = KivoUnit::KivoBase::GetInstance();
    ASSERT_TRUE(base->Boot(wx(top.file("conf/main.xml"))));
    for (const auto& [path, attribute, value, file, before] : changes) {
      KivoUnit::iNode* node = base->Search(wx(path));
      ASSERT_NE(node, nullptr) << path;
      node->setAttribute(wx(attribute), wx(value));
      EXPECT_TRUE(node->Save()) << path;
    }
    stop();
    KivoUnit::Application::getApp().setAddonsFolder(wxString());
  }
  // Through kivo set, from another folder: another attribute in each document.
  const std::vector<std::array<std::string, 5>> sets = {
      {"/settings", "width", "1024", "main.xml", "width=\"800\""},
      {"/host", "shape", "square", "parts/host.xml", "shape=\"round\""},
      {"/library", "folder", "Songs", "parts/library.xml", "folder=\"Music\""},
      {"/library/deep", "mode", "off", "parts/nested.xml", "mode=\"on\""}};
  for (const auto& [path, attribute, value, file, before] : sets) {
    const ProgramRun run =
        runKivo({"set", "../conf/main.xml", path, attribute + "=" + value}, "", top.file("other"));
    EXPECT_EQ(run.status, 0) << path << run.err;
  }

  std::map<std::string, std::string> expected = untouched;
  std::string tree = withoutStamps(first.out);
  for (const auto* list : {&changes, &sets}) {
    for (const auto& [path, attribute, value, file, before] : *list) {
      expected[file] = replaced(expected[file], before, attribute + "=\"" + value + "\"");
      const std::string shown = before.substr(0, before.find('=') + 1) +
                                before.substr(before.find('"') + 1, before.rfind('"') - before.find('"') - 1);
      tree = replaced(tree, shown, attribute + "=" + value);
    }
  }
  EXPECT_EQ(filesBelow(conf), expected) << "exactly the changed values, in their own files";
  EXPECT_TRUE(fs::is_empty(top.file("other")));

  const ProgramRun again = runKivo({"tree", "--plugins", "../conf/main.xml"}, "", top.file("other"));
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(withoutStamps(again.out), tree);
  for (const char* part : {"own [node] size=2", "deep [node] level=4 mode=off", "libaddon.so [library]",
                           "hi [greeting]", "guest [welcome]", "Greetings [factory]", "Welcomes [factory]"}) {
    EXPECT_EQ(countLines(again.out, part), 1u) << part << "\n" << again.out;
  }
}

}  // namespace
}  // namespace KivoTest
