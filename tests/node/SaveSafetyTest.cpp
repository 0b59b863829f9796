// A save writes the one document that holds the node's element, nothing of what the
// library adds at run time, and on failure leaves every file byte for byte.
#include <gtest/gtest.h>

#include <string>

#include "kivo/base/KivoBase.h"
#include "support/NodeFixture.h"
#include "support/LogCapture.h"
#include "support/Shell.h"
#include "support/TempDir.h"

using namespace KivoUnit;

namespace KivoTest {
namespace {

// Files are written as TinyXML prints them, so a saved file differs from its
// original in exactly the change made.
const char* const kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n";

wxString wx(const std::string& text) { return wxString::FromUTF8(text.c_str()); }

class SaveSafetyTest : public KivoTest::BaseTest {
 protected:
  iNode* node(const char* path) {
    iNode* found = base->Search(wxString::FromUTF8(path));
    EXPECT_NE(found, nullptr) << path;
    return found;
  }
  size_t logged(const wxString& part) const {
    size_t count = 0;
    for (const wxString& text : log.texts()) count += text.Contains(part);
    return count;
  }

  LogCapture log;
  TempDir dir;
};

TEST_F(SaveSafetyTest, AFailedSaveTouchesNoFileAndIsReportedOnceWithItsReason) {
  // Readable, but the temporary file beside it would have a name longer than the
  // system allows: the save fails even for root.
  const std::string longName = std::string(248, 'l') + ".xml";
  const std::string main = std::string(kDeclaration) + "<node name=\"app\" colour=\"red\">\n" +
                           "    <include filename=\"" + longName + "\" />\n" + "</node>\n";
  const std::string library = std::string(kDeclaration) +
                              "<node name=\"library\">\n"
                              "    <node name=\"favourites\" tracks=\"1\" />\n"
                              "</node>\n";
  dir.write(longName, library);
  ASSERT_TRUE(base->Boot(wx(dir.write("main.xml", main))));
  const auto files = filesBelow(dir.path());
  log.clear();

  node("/library/favourites")->setAttribute(wxS("tracks"), wxS("2"));
  EXPECT_FALSE(node("/library/favourites")->Save());
  EXPECT_EQ(dir.read(longName), library);
  EXPECT_EQ(dir.read("main.xml"), main) << "no other document stands in for it";
  EXPECT_EQ(filesBelow(dir.path()), files);
  EXPECT_EQ(logged(wxS("SAVE")), 1u);
  EXPECT_EQ(logged(wxS("SAVE FAILED [node:/app/library/favourites] 'favourites' '") +
                   wx(dir.file(longName)) + wxS("' File name too long")),
            1u);

  // The document that did load still saves.
  base->setAttribute(wxS("colour"), wxS("blue"));
  EXPECT_TRUE(base->Save());
  EXPECT_EQ(dir.read("main.xml"), replaced(main, "red", "blue"));
}

TEST_F(SaveSafetyTest, RunTimeNodesNeverReachAFileAndCannotBeSaved) {
  for (const char* root : {"kivo", "app"}) {
    SCOPED_TRACE(root);
    const std::string main = std::string(kDeclaration) + "<node name=\"" + root + "\">\n" +
                             "    <node name=\"settings\" width=\"800\" />\n" + "</node>\n";
    ASSERT_TRUE(base->Boot(wx(dir.write("main.xml", main))));
    ASSERT_NE(base->Search(wxS("/kivo/current/boot/start")), nullptr);
    ASSERT_NE(base->Search(wxS("/kivo/current/factories/Kivo")), nullptr);
    for (const char* path : {"/kivo/current/boot/start", "/kivo/current/factories/Kivo",
                             "/kivo/current"}) {
      EXPECT_TRUE(node(path)->isRunTime());
      EXPECT_FALSE(node(path)->Save());
      EXPECT_EQ(logged(wxS("Could not save run-time node '") + node(path)->GetFullPath() + wxS("'")), 1u);
    }
    iNode* added = node("/kivo/current")->CreateChild(wxS("extra"), wxS("node"), wxS(""), false);
    ASSERT_NE(added, nullptr);
    EXPECT_TRUE(added->isRunTime()) << "a child of a run-time node is one too";
    EXPECT_EQ(dir.read("main.xml"), main);
    EXPECT_FALSE(node("/settings")->isRunTime());

    // Saving the whole tree writes the configuration as it was, plus the change.
    base->setAttribute(wxS("theme"), wxS("dark"));
    EXPECT_TRUE(base->Save());
    EXPECT_TRUE(base->Save());
    const std::string expected =
        replaced(main, std::string("name=\"") + root + "\"", std::string("name=\"") + root + "\" theme=\"dark\"");
    EXPECT_EQ(dir.read("main.xml"), expected);
    log.clear();
  }
}

}  // namespace
}  // namespace KivoTest
