// Booting a base again replaces its configuration; relative names in a
// configuration are taken from its folder, whatever the working directory.
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>

#include <wx/filefn.h>

#include "kivo/base/KivoBase.h"
#include "support/NodeFixture.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

using namespace KivoUnit;

namespace KivoTest {
namespace {

wxString wx(const std::string& text) { return wxString::FromUTF8(text.c_str()); }

// Every path of the tree below `node`, one a line, without the boot stamps' times.
std::string outline(const iNode& node) {
  std::string text;
  for (const iNode* child : node.getChildren()) {
    if (child == nullptr) continue;
    text += child->GetFullPath().utf8_str().data();
    text += "\n" + outline(*child);
  }
  return text;
}

class RebootTest : public KivoTest::BaseTest {
 protected:
  LogCapture log;
  TempDir dir;
};

TEST_F(RebootTest, EachBootReplacesTheTreeOfThePreviousOne) {
  // The file also holds what an earlier, careless save wrote: boot stamps.
  const std::string main =
      "<node name=\"kivo\" colour=\"red\">\n"
      "  <node name=\"settings\" width=\"800\"><node name=\"audio\" volume=\"5\"/></node>\n"
      "  <node name=\"host\" include=\"part.xml\"><node name=\"own\"/></node>\n"
      "  <include filename=\"library.xml\"/>\n"
      "  <node name=\"current\"><node name=\"boot\"><node name=\"start\" brief=\"old\"/>"
      "<node name=\"stop\" brief=\"old\"/></node></node>\n"
      "</node>\n";
  const std::string part = "<node name=\"host\" p=\"1\"/>\n";
  dir.write("part.xml", part);
  dir.write("library.xml", "<node name=\"library\"><node name=\"favourites\" tracks=\"1\"/></node>\n");
  const wxString file = wx(dir.write("main.xml", main));

  ASSERT_TRUE(base->Boot(file));
  const std::string first = outline(*base);
  for (int boot = 2; boot <= 3; ++boot) {
    SCOPED_TRACE(boot);
    ASSERT_TRUE(base->Boot(file));
    EXPECT_EQ(outline(*base), first);
    ASSERT_NE(base->Search(wxS("/kivo/current/boot")), nullptr);
    EXPECT_EQ(base->Search(wxS("/kivo/current/boot"))->getChildren().size(), 2u);
    EXPECT_NE(base->Search(wxS("/kivo/current/boot/start"))->getBrief(), wxS("old"));
  }
  EXPECT_EQ(base->getAttribute(wxS("colour"), wxS("")), wxS("red"));

  // The nodes of the last boot are tied to the document that is there now.
  iNode* audio = base->Search(wxS("/settings/audio"));
  ASSERT_NE(audio, nullptr);
  audio->setAttribute(wxS("volume"), wxS("6"));
  ASSERT_TRUE(audio->Save());
  EXPECT_NE(dir.read("main.xml").find("volume=\"6\""), std::string::npos);
  iNode* favourites = base->Search(wxS("/library/favourites"));
  ASSERT_NE(favourites, nullptr);
  favourites->setAttribute(wxS("tracks"), wxS("2"));
  ASSERT_TRUE(favourites->Save());
  EXPECT_NE(dir.read("library.xml").find("tracks=\"2\""), std::string::npos);
  EXPECT_EQ(dir.read("part.xml"), part);
}

TEST_F(RebootTest, RelativeNamesAreTakenFromTheConfigurationsFolder) {
  TempDir elsewhere;
  const std::string previous = wxGetCwd().utf8_str().data();
  ASSERT_EQ(chdir(elsewhere.path().c_str()), 0);
  dir.write("beside.xml", "<node name=\"beside\" found=\"yes\"/>\n");
  const std::string file = dir.write(
      "main.xml",
      "<node name=\"kivo\">\n"
      "  <node name=\"beside\" include=\"beside.xml\"/>\n"
      "  <include filename=\"made.xml\" create_file=\"true\" create_node=\"node\" "
      "create_node_name=\"made\"/>\n"
      "</node>\n");
  const bool booted = base->Boot(wx(file));
  const std::string during = wxGetCwd().utf8_str().data();
  const bool madeElsewhere = wxFileExists(wx(elsewhere.file("made.xml")));
  ASSERT_EQ(chdir(previous.c_str()), 0);

  ASSERT_TRUE(booted);
  EXPECT_EQ(during, elsewhere.path()) << "the working directory comes back";
  EXPECT_FALSE(madeElsewhere);
  EXPECT_EQ(dir.read("made.xml"), "<node name=\"made\"/>\n");
  ASSERT_NE(base->Search(wxS("/beside")), nullptr);
  EXPECT_EQ(base->Search(wxS("/beside"))->getAttribute(wxS("found"), wxS("")), wxS("yes"));
  ASSERT_NE(base->Search(wxS("/made")), nullptr);
  EXPECT_EQ(base->Search(wxS("/made"))->getFilename(), wx(dir.file("made.xml")));
}

}  // namespace
}  // namespace KivoTest
