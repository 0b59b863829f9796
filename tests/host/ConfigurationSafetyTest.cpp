// The user's files through the kivo program and the library together: only the
// changed values reach the files, from any working directory, and nothing the
// library adds at run time ever does.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <sstream>

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
                             "    <greeting name=\"hi\" />\n    <addons name=\"addons\" />\n</node>\n";
    const std::string file = dir.write("main.xml", main);
    ProgramRun run = runKivo({"set", file, "/", "foo=1"}, "", dir.path());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(dir.read("main.xml"), replaced(main, "\">\n", "\" foo=\"1\">\n"));
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
  dir.write("main.xml", kDeclaration + "<node name=\"kivo\">\n    <include filename=\"" + longName + "\" />\n</node>\n");
  dir.write(longName, kDeclaration + "<node name=\"library\">\n    <node name=\"favourites\" tracks=\"1\" />\n</node>\n");
  const auto before = filesBelow(dir.path());
  const ProgramRun run = runKivo({"set", "main.xml", "/library/favourites", "tracks=2"}, "", dir.path());
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
  top.write("conf/main.xml", kDeclaration + R"(<!-- written by hand -->
<node name="app" version="1">
    <node name="settings" theme="dark" width="800" />
    <node name="host" include="parts/host.xml">
        <node name="own" size="1" />
    </node>
    <include filename="parts/library.xml" />
    <library name="example" filename="plugins/libexample.so" />
    <greeting name="hi" />
    <addons name="addons" />
    <welcome name="guest" />
</node>
)");
  top.write("conf/parts/host.xml", kDeclaration + "<node name=\"host\" colour=\"red\" shape=\"round\" />\n");
  top.write("conf/parts/library.xml", kDeclaration + "<node name=\"library\" folder=\"Music\" sort=\"name\">\n"
                                                     "    <include filename=\"nested.xml\" />\n</node>\n");
  top.write("conf/parts/nested.xml", kDeclaration + "<node name=\"deep\" level=\"3\" mode=\"on\" />\n");
  const auto untouched = filesBelow(conf);
  const ProgramRun first = runKivo({"tree", "--plugins", "main.xml"}, "", conf);
  ASSERT_EQ(first.status, 0) << first.err;

  // {path, attribute, old value, new value, file}: the first five through the library in
  // this process, the others through kivo set from another folder; one of each per document.
  const std::vector<std::array<std::string, 5>> changes = {
      {"/settings", "theme", "dark", "light", "main.xml"}, {"/host/own", "size", "1", "2", "main.xml"},
      {"/host", "colour", "red", "blue", "parts/host.xml"}, {"/library", "sort", "name", "date", "parts/library.xml"},
      {"/library/deep", "level", "3", "4", "parts/nested.xml"}, {"/settings", "width", "800", "1024", "main.xml"},
      {"/host", "shape", "round", "square", "parts/host.xml"},
      {"/library", "folder", "Music", "Songs", "parts/library.xml"},
      {"/library/deep", "mode", "on", "off", "parts/nested.xml"}};
  {
    LogCapture log;
    KivoUnit::Application::getApp().setAddonsFolder(wx(top.file("conf/addons")));
    ASSERT_NE(start(nullptr), nullptr);
    KivoUnit::KivoBase* base = KivoUnit::KivoBase::GetInstance();
    ASSERT_TRUE(base->Boot(wx(top.file("conf/main.xml"))));
    for (size_t i = 0; i < 5; ++i) {
      KivoUnit::iNode* node = base->Search(wx(changes[i][0]));
      ASSERT_NE(node, nullptr) << changes[i][0];
      node->setAttribute(wx(changes[i][1]), wx(changes[i][3]));
      EXPECT_TRUE(node->Save()) << changes[i][0];
    }
    stop();
    KivoUnit::Application::getApp().setAddonsFolder(wxString());
  }
  for (size_t i = 5; i < changes.size(); ++i) {
    const auto& [path, attribute, old, value, file] = changes[i];
    const ProgramRun run = runKivo({"set", "../conf/main.xml", path, attribute + "=" + value}, "", top.file("other"));
    EXPECT_EQ(run.status, 0) << path << run.err;
  }

  std::map<std::string, std::string> expected = untouched;
  std::string tree = withoutStamps(first.out);
  for (const auto& [path, attribute, old, value, file] : changes) {
    expected[file] = replaced(expected[file], attribute + "=\"" + old + "\"", attribute + "=\"" + value + "\"");
    tree = replaced(tree, attribute + "=" + old, attribute + "=" + value);
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
