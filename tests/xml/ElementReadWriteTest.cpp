#include <gtest/gtest.h>
#include <tinyxml.h>

#include "kivo/KivoElement.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"
#include "xml/XmlTestDocuments.h"

using KivoUnit::KivoElement;
using KivoTest::LogCapture;
using KivoTest::TempDir;
using KivoTest::parseXml;
using KivoTest::utf8;

namespace {

wxString path(const std::string& p) { return wxString::FromUTF8(p.c_str()); }

// Writes `e` into a fresh file-backed document, saves it, and loads it into `back`.
void roundTrip(KivoElement& e, const TempDir& dir, KivoElement& back) {
  const std::string file = dir.write("rt.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<root/>");
  KivoElement holder(wxS("holder"));
  ASSERT_TRUE(holder.Load(path(file)));
  TiXmlElement* child = holder.getDocument()->RootElement()->LinkEndChild(
      new TiXmlElement(e.getElement().utf8_str()))->ToElement();
  ASSERT_TRUE(e.Write(child));
  ASSERT_TRUE(holder.Save());
  ASSERT_TRUE(back.Load(path(file)));
  ASSERT_TRUE(back.Read(back.getDocument()->RootElement()->FirstChildElement()));
}

class Sloppy : public KivoElement {
 public:
  Sloppy() : KivoElement(wxS("sloppy")) {}
  void readAttributes() override { ++reads; }
  int reads = 0;
};

class Careful : public KivoElement {
 public:
  Careful() : KivoElement(wxS("careful")) {}
  void readAttributes() override {
    KivoElement::readAttributes();
    level = getIntAttribute(wxS("level"), -1);
  }
  int level = 0;
};

}  // namespace

TEST(ElementRead, NullElementIsRefused) {
  KivoElement e(wxS("node"));
  EXPECT_FALSE(e.Read(nullptr));
  EXPECT_EQ(e.getTie(), nullptr);
}

TEST(ElementRead, FieldsComeFromAttributesAndLabelAfterName) {
  auto doc = parseXml("<widget name=\"x\" label=\"Y\" type=\"t\" brief=\"b\" version=\"1.2\" "
                      "description=\"d\" extra=\"e\"/>");
  KivoElement e(wxS("node"));
  ASSERT_TRUE(e.Read(doc->RootElement()));
  EXPECT_EQ(e.getTie(), doc->RootElement());
  EXPECT_EQ(e.getElement(), wxS("widget"));
  EXPECT_EQ(e.getName(), wxS("x"));
  EXPECT_EQ(e.getLabel(), wxS("Y"));
  EXPECT_EQ(e.getType(), wxS("t"));
  EXPECT_EQ(e.getBrief(), wxS("b"));
  EXPECT_EQ(e.getVersion(), wxS("1.2"));
  EXPECT_EQ(e.getDescription(), wxS("d"));
  EXPECT_EQ(e.getAttribute(wxS("extra"), wxS("")), wxS("e"));
}

TEST(ElementRead, NameWithSlashIsEncodedAndLabelled) {
  auto doc = parseXml("<node name=\"a/b\"/>");
  KivoElement e(wxS("node"));
  e.Read(doc->RootElement());
  EXPECT_EQ(e.getName(), wxS("a_b"));
  EXPECT_EQ(e.getLabel(), wxS("a/b"));
}

TEST(ElementRead, RereadingKeepsEntriesTheElementLacks) {
  auto first = parseXml("<node a=\"1\" b=\"2\"/>");
  auto second = parseXml("<node a=\"3\"/>");
  KivoElement e(wxS("node"));
  e.Read(first->RootElement());
  e.Read(second->RootElement());
  EXPECT_EQ(e.getAttribute(wxS("a"), wxS("")), wxS("3"));
  EXPECT_EQ(e.getAttribute(wxS("b"), wxS("")), wxS("2"));
}

TEST(ElementRead, OverrideThatForgetsTheParentIsReportedAndRepaired) {
  auto doc = parseXml("<sloppy name=\"Main Window\" label=\"L\"/>");
  LogCapture log;
  Sloppy e;
  EXPECT_TRUE(e.Read(doc->RootElement()));
  EXPECT_EQ(e.reads, 1);
  EXPECT_TRUE(log.contains(
      wxS("Element 'sloppy' named 'Main Window' did not call parent's readAttributes"), 5));
  EXPECT_EQ(e.getName(), wxS("Main$20Window"));
  EXPECT_EQ(e.getLabel(), wxS("L"));
}

TEST(ElementRead, OverrideThatCallsTheParentIsQuiet) {
  auto doc = parseXml("<careful name=\"c\" level=\"4\"/>");
  LogCapture log;
  Careful e;
  EXPECT_TRUE(e.Read(doc->RootElement()));
  EXPECT_EQ(e.level, 4);
  EXPECT_EQ(log.count(), 0u);
}

TEST(ElementWrite, FieldsGoOutAndEmptyOnesRemoveAttributes) {
  auto doc = parseXml("<node name=\"n\" brief=\"old\" version=\"1\" keep=\"k\"/>");
  KivoElement e(wxS("node"));
  e.Read(doc->RootElement());
  e.setBrief(wxS(""));
  e.setType(wxS("kind"));
  ASSERT_TRUE(e.Write(doc->RootElement()));
  const TiXmlElement* out = doc->RootElement();
  EXPECT_EQ(out->Attribute("brief"), nullptr);
  EXPECT_STREQ(out->Attribute("type"), "kind");
  EXPECT_STREQ(out->Attribute("keep"), "k");
  EXPECT_STREQ(out->Attribute("label"), "n");
  EXPECT_EQ(out->Attribute("description"), nullptr);
}

TEST(ElementWrite, NullElementStillSucceeds) {
  KivoElement e(wxS("node"), nullptr, nullptr, wxS("n"));
  EXPECT_TRUE(e.Write(nullptr));
  EXPECT_EQ(e.getAttribute(wxS("name"), wxS("")), wxS("n"));
}

TEST(ElementWrite, WithoutTieOrDocumentFails) {
  KivoElement e(wxS("node"));
  EXPECT_FALSE(e.Write());
}

TEST(ElementWrite, CreatesTheTieInTheSourceDocumentAndRenamesIt) {
  TiXmlDocument doc;
  doc.LinkEndChild(new TiXmlElement("first"));
  KivoElement e(wxS("node"), &doc, nullptr, wxS("n"));
  ASSERT_TRUE(e.Write());
  ASSERT_NE(e.getTie(), nullptr);
  EXPECT_EQ(doc.LastChild(), e.getTie());
  EXPECT_STREQ(e.getTie()->Attribute("name"), "n");
  e.setElement(wxS("renamed"));
  ASSERT_TRUE(e.Write());
  EXPECT_STREQ(e.getTie()->Value(), "renamed");
  EXPECT_EQ(doc.LastChild(), e.getTie());
}

TEST(ElementWrite, RoundTripThroughAFileKeepsHostileText) {
  TempDir dir;
  const wxString name = utf8("Fen\xC3\xAAtre <1> & \"2\" '3' \xE6\x97\xA5");
  const wxString value = utf8("a<b&c\"d'e\tf\ng\rh \xF0\x9F\x98\x80 &#x41; &amp; ]]>");
  KivoElement e(wxS("node"));
  e.setName(name);
  e.setAttribute(wxS("data"), value);
  e.setAttribute(wxS("ctl"), wxString::FromUTF8("\x01\x1F"));
  KivoElement back(wxS("other"));
  roundTrip(e, dir, back);
  EXPECT_EQ(back.getElement(), wxS("node"));
  EXPECT_EQ(back.getDecodedName(), name);
  EXPECT_EQ(back.getLabel(), name);
  EXPECT_EQ(back.getAttribute(wxS("data"), wxS("")), value);
  EXPECT_EQ(back.getAttributeSet().get("ctl", ""), "\x01\x1F");
}

TEST(ElementWrite, BytesThatAreNotUtf8ButComplete) {
  TempDir dir;
  KivoElement e(wxS("node"));
  e.getAttributeSet().set("stray", "a\x80" "b\xFF");
  KivoElement back(wxS("other"));
  roundTrip(e, dir, back);
  EXPECT_EQ(back.getAttributeSet().get("stray", ""), "a\x80" "b\xFF");
}

TEST(ElementWrite, UnwritableNamesAndValuesAreReportedAndSkipped) {
  TempDir dir;
  KivoElement e(wxS("node"));
  e.getAttributeSet().set("bad name", "v");
  e.getAttributeSet().set("1st", "v");
  e.getAttributeSet().set("cut", "ends in a lead byte \xC3");
  e.getAttributeSet().set("good", "v");
  LogCapture log;
  KivoElement back(wxS("other"));
  roundTrip(e, dir, back);
  EXPECT_TRUE(log.contains(
      wxS("Attribute 'bad name' of element 'node' was not written: its name is not an XML name"), 4));
  EXPECT_TRUE(log.contains(
      wxS("Attribute '1st' of element 'node' was not written: its name is not an XML name"), 4));
  EXPECT_TRUE(log.contains(
      wxS("Attribute 'cut' of element 'node' was not written: its value is not UTF-8"), 4));
  EXPECT_EQ(back.getAttribute(wxS("good"), wxS("")), wxS("v"));
  EXPECT_FALSE(back.hasAttribute(wxS("cut")));
}

TEST(ElementWrite, SaveWritesTheLoadedDocument) {
  TempDir dir;
  const std::string file = dir.write("doc.xml", "<node name=\"n\"/>");
  KivoElement e(wxS("node"));
  ASSERT_TRUE(e.Load(path(file)));
  ASSERT_TRUE(e.Read(e.getDocument()->RootElement()));
  e.setAttribute(wxS("added"), wxS("yes"));
  ASSERT_TRUE(e.Write());
  ASSERT_TRUE(e.Save());
  EXPECT_NE(dir.read("doc.xml").find("added=\"yes\""), std::string::npos);
}

TEST(ElementWrite, TagThatIsNotUtf8IsKeptOnRewrite) {
  TempDir dir;
  const std::string file = dir.write("latin.xml", "<r\xE9 name=\"x\" v=\"caf\xE9\"/>");
  KivoElement e(wxS("node"));
  ASSERT_TRUE(e.Load(path(file)));
  ASSERT_TRUE(e.Read(e.getDocument()->RootElement()));
  EXPECT_EQ(e.getElement(), wxS(""));
  EXPECT_TRUE(e.Write());
  ASSERT_TRUE(e.Save());
  KivoElement again(wxS("node"));
  ASSERT_TRUE(again.Load(path(file)));
  EXPECT_STREQ(again.getDocument()->RootElement()->Value(), "r\xE9");
  EXPECT_STREQ(again.getDocument()->RootElement()->Attribute("v"), "caf\xE9");
}
