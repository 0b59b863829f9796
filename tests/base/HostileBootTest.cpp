// Boots of files that once crashed, hid nodes or failed without a reason.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "kivo/base/KivoBase.h"
#include "kivo/xml/XmlLimits.h"
#include "support/NodeFixture.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

using namespace KivoUnit;

namespace {

std::string nested(int levels, const std::string& inner = "") {
  std::string text;
  for (int i = 0; i < levels; ++i) text += "<node name='n'>";
  text += inner;
  for (int i = 0; i < levels; ++i) text += "</node>";
  return text;
}

class HostileBoot : public KivoTest::BaseTest {
 protected:
  wxString file(const std::string& name, const std::string& content) {
    return wxString::FromUTF8(dir.write(name, content).c_str());
  }
  bool logged(const wxString& part) const {
    for (const wxString& text : log.texts()) {
      if (text.Contains(part)) return true;
    }
    return false;
  }

  KivoTest::LogCapture log;
  KivoTest::TempDir dir;
};

TEST_F(HostileBoot, DeepFilesAreRefusedWithTheirDepthAndIncludesCountFromWhereTheyHang) {
  const wxString deep = file("deep.xml", "<kivo name='kivo'>" + nested(5000) + "</kivo>");
  EXPECT_FALSE(base->Boot(deep));
  EXPECT_EQ(base->GetError(), wxString::Format(wxS("File '%s' nests elements 5001 levels deep "
                                                   "(line 1); the limit is 1000 levels"),
                                               deep));
  // 998 levels hang at level 3 of the tree: the include file is refused, the rest is read.
  dir.write("inner.xml", nested(998));
  base->AddResourceLocation(wxString::FromUTF8(dir.path().c_str()));
  ASSERT_TRUE(base->Boot(file("outer.xml", "<kivo name='kivo'><node name='a'><node name='b'>"
                                           "<include filename='inner.xml'/></node></node>"
                                           "<node name='after'/></kivo>")));
  EXPECT_NE(base->Search(wxS("/after")), nullptr);
  EXPECT_TRUE(logged(wxS("nests elements 1001 levels deep (line 1); the limit is 1000 levels")));
  ASSERT_TRUE(base->Boot(file("fits.xml", "<kivo name='kivo'>" + nested(990) + "</kivo>")));
}

TEST_F(HostileBoot, DocumentsWithoutAnElementSayNoRootElement) {
  for (const std::string& text : {std::string("<?xml version='1.0'?>"), std::string("<!-- only -->"),
                                  std::string("<!DOCTYPE kivo>\n<!-- c -->")}) {
    const wxString path = file("bare.xml", text);
    EXPECT_FALSE(base->Boot(path));
    EXPECT_EQ(base->GetError(), wxString::Format(wxS("Kivo read failure on '%s': 'no root element'"), path));
  }
}

TEST_F(HostileBoot, IncludesOfFoldersAndDevicesSayWhatTheyAre) {
  ASSERT_EQ(mkdir(dir.file("folder.xml").c_str(), 0700), 0);
  base->AddResourceLocation(wxString::FromUTF8(dir.path().c_str()));
  ASSERT_TRUE(base->Boot(file("boot.xml", "<kivo name='kivo'><include filename='folder.xml'/>"
                                          "<include filename='/dev/zero'/>"
                                          "<node name='x' include='folder.xml'/></kivo>")));
  EXPECT_TRUE(logged(wxString::Format(wxS("Include file 'folder.xml' (%s) is a folder"),
                                      wxString::FromUTF8(dir.file("folder.xml").c_str()))));
  EXPECT_TRUE(logged(wxS("Include file '/dev/zero' (/dev/zero) is not a regular file")));
  EXPECT_TRUE(logged(wxString::Format(wxS("Include file 'folder.xml' [%s] is a folder"),
                                      wxString::FromUTF8(dir.file("folder.xml").c_str()))));
  EXPECT_FALSE(logged(wxS("not found")));
}

TEST_F(HostileBoot, SameNamedSiblingsAreKeptNamedAndShutDownAsThemselves) {
  const wxString path = file("twins.xml", "<kivo name='kivo'>\n<node name='a b'/>\n"
                                          "<node name='a b'><node/></node></kivo>");
  ASSERT_TRUE(base->Boot(path));
  EXPECT_EQ(base->getChildren().size(), 3u);  // both twins and "current"
  EXPECT_TRUE(log.contains(wxString::Format(wxS("Node 'a$20b' in '%s' line 3 has the name of an "
                                                "earlier sibling; no path reaches it"),
                                            path),
                           LevelWarning));
  log.clear();
  base->Shutdown();
  EXPECT_FALSE(logged(wxS("No '")));
}

}  // namespace
