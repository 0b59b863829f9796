// Reading elements from XML, writing them back to documents and files, and reports.
#include <gtest/gtest.h>

#include "kivo/convert/Indent.h"
#include "kivo/element/KivoElement.h"
#include "support/TempDir.h"
#include "xml/XmlTestDocuments.h"

using KivoUnit::Indent;
using KivoUnit::KivoElement;
using namespace KivoTest;

namespace {

// Writes `e` into a saved UTF-8 file and reads it back into `back`.
void roundTrip(KivoElement& e, KivoElement& back) {
  TempDir dir;
  TiXmlDocument doc(dir.file("rt.xml").c_str());
  doc.Parse("<?xml version=\"1.0\" encoding=\"UTF-8\" ?>");
  TiXmlNode* child = doc.LinkEndChild(new TiXmlElement(e.getElement().utf8_str()));
  ASSERT_TRUE(e.Write(child->ToElement()) && doc.SaveFile());
  ASSERT_TRUE(back.Load(utf8(dir.file("rt.xml"))));
  ASSERT_TRUE(back.Read(back.getDocument()->RootElement()));
}

// An override that forgets to call the parent's readAttributes.
struct Sloppy : KivoElement {
  Sloppy() : KivoElement(wxS("sloppy")) {}
  void readAttributes() override {}
};

}  // namespace

TEST(ElementRead, FieldsAndAttributesComeFromTheElement) {
  KivoElement e(wxS("node"));
  EXPECT_FALSE(e.Read(nullptr));
  auto doc = parseXml("<widget name=\"a/b\" type=\"t\" brief=\"b\" version=\"1.2\" "
                      "description=\"d\" extra=\"e\"/>");
  ASSERT_TRUE(e.Read(doc->RootElement()));
  EXPECT_EQ(e.getTie(), doc->RootElement());
  EXPECT_EQ(e.getElement(), wxS("widget"));
  EXPECT_EQ(e.getName(), wxS("a_b"));
  EXPECT_EQ(e.getLabel(), wxS("a/b"));
  EXPECT_EQ(e.getType() + e.getBrief() + e.getVersion() + e.getDescription(), wxS("tb1.2d"));
  // A second read replaces what the new element has and keeps the rest; the label
  // attribute wins over the name.
  auto second = parseXml("<widget name=\"x\" label=\"Y\" extra=\"f\"/>");
  ASSERT_TRUE(e.Read(second->RootElement()));
  EXPECT_EQ(e.getLabel(), wxS("Y"));
  EXPECT_EQ(e.getAttribute(wxS("extra"), wxS("")), wxS("f"));
  EXPECT_EQ(e.getAttribute(wxS("brief"), wxS("")), wxS("b"));
}

TEST(ElementRead, OverrideThatSkipsTheParentIsReportedAndRepaired) {
  auto doc = parseXml("<sloppy name=\"Main Window\" label=\"L\"/>");
  LogCapture log;
  Sloppy sloppy;
  ASSERT_TRUE(sloppy.Read(doc->RootElement()));
  EXPECT_EQ(sloppy.getName(), wxS("Main$20Window"));
  EXPECT_EQ(logged(log), Lines{wxS("5 include/kivo/KivoElement Read(): Element 'sloppy' named "
                                   "'Main Window' did not call parent's readAttributes")});
}

TEST(ElementWrite, FieldsGoOutAndEmptyValuesRemoveAttributes) {
  auto doc = parseXml("<node name=\"n\" brief=\"old\" version=\"1\" keep=\"k\"/>");
  KivoElement e(wxS("node"));
  e.Read(doc->RootElement());
  e.setBrief(wxS(""));
  e.setType(wxS("kind"));
  e.clearAttribute(wxS("keep"));
  e.setAttribute(wxS("added"), wxS("a"));
  ASSERT_TRUE(e.Write(doc->RootElement()));
  EXPECT_EQ(printed(*doc),
            "<node name=\"n\" version=\"1\" added=\"a\" label=\"n\" type=\"kind\" />");
}

TEST(ElementWrite, WriteCreatesTheTieInTheSourceDocumentAndRenamesIt) {
  EXPECT_FALSE(KivoElement(wxS("node")).Write());  // neither tie nor document
  TiXmlDocument doc;
  doc.LinkEndChild(new TiXmlElement("first"));
  EXPECT_FALSE(KivoElement(wxS(""), &doc).Write());  // never an element without a tag
  KivoElement e(wxS("node"), &doc, nullptr, wxS("n"));
  ASSERT_TRUE(e.Write());
  e.setElement(wxS("renamed"));
  ASSERT_TRUE(e.Write());
  EXPECT_EQ(doc.LastChild(), e.getTie());
  EXPECT_EQ(printed(doc), "<first /><renamed label=\"n\" name=\"n\" />");
}

TEST(ElementWrite, RoundTripThroughAFileKeepsMarkupCharactersAndRawBytes) {
  const wxString name = utf8("Fen\xC3\xAAtre <1> & \"2\" '3' \xE6\x97\xA5");
  const wxString value = utf8("a<b&c\"d'e\tf\ng\rh \xF0\x9F\x98\x80 &#x41; &amp; ]]>");
  KivoElement e(wxS("node"));
  e.setName(name);
  e.setAttribute(wxS("data"), value);
  e.getAttributeSet().set("ctl", "\x01\x1F");
  e.getAttributeSet().set("stray", "a\x80" "b\xFF");  // not UTF-8: read back as Latin-1
  KivoElement back(wxS("other"));
  roundTrip(e, back);
  EXPECT_EQ(back.getDecodedName(), name);
  EXPECT_EQ(back.getLabel(), name);
  EXPECT_EQ(back.getAttribute(wxS("data"), wxS("")), value);
  EXPECT_EQ(back.getAttributeSet().get("ctl", ""), "\x01\x1F");
  EXPECT_EQ(back.getAttributeSet().get("stray", ""), "a\xC2\x80" "b\xC3\xBF");
}

TEST(ElementWrite, UnwritableNamesAndValuesAreReportedAndSkipped) {
  KivoElement e(wxS("node"));
  for (const char* name : {"bad name", "1st", "n\xFF", "good"}) e.getAttributeSet().set(name, "v");
  e.getAttributeSet().set("cut", "ends in a lead byte \xC3");
  LogCapture log;
  KivoElement back(wxS("other"));
  roundTrip(e, back);
  const wxString warning = wxS("4 include/kivo/KivoElement Write(): Attribute '");
  const wxString badName = wxS("' of element 'node' was not written: its name is not an XML name");
  EXPECT_EQ(logged(log),
            (Lines{warning + wxS("1st") + badName, warning + wxS("bad name") + badName,
                   warning + wxS("cut' of element 'node' was not written: its value is not UTF-8"),
                   warning + wxS("n\u00FF") + badName}));
  EXPECT_EQ(back.getAttributes(true), (std::map<wxString, wxString>{{wxS("good"), wxS("v")}}));
}

TEST(ElementWrite, SaveRewritesTheLoadedFileWithLatin1ReadAsUtf8) {
  TempDir dir;
  const wxString file = utf8(dir.write("doc.xml", "<r\xE9 name=\"x\" v=\"caf\xE9\"/>"));
  LogCapture log;
  KivoElement e(wxS("node"));
  ASSERT_TRUE(e.Load(file));
  ASSERT_TRUE(e.Read(e.getDocument()->RootElement()));
  EXPECT_EQ(e.getElement(), utf8("r\xC3\xA9"));
  e.setAttribute(wxS("added"), wxS("yes"));
  ASSERT_TRUE(e.Write());
  ASSERT_TRUE(e.Save());
  EXPECT_EQ(dir.read("doc.xml"),
            "<r\xC3\xA9 name=\"x\" v=\"caf\xC3\xA9\" added=\"yes\" label=\"x\" />\n");
  EXPECT_EQ(logged(log), Lines{"4 include/kivo/xml/KivoXML Load(): File '" + file +
                               "' holds text that is not UTF-8 from line 1 on; it was read as "
                               "ISO-8859-1 (Latin-1)"});
}

TEST(ElementReports, OpeningAndClosingTagsAndThePrintedTie) {
  KivoElement e(wxS("node"), nullptr, nullptr, wxS("n"), wxS(""), wxS(""), wxS("about <it>"));
  const Indent indent(wxS(">>"), wxS("\t"), wxS("|"));
  EXPECT_EQ(e.InitXML(indent, wxS("a=\"1\"")),
            wxS(">><node a=\"1\" >|>>\t<description>about <it></description>|"));
  EXPECT_EQ(e.EndXML(indent), wxS(">></node>|"));
  KivoElement plain(wxS("plain"));
  EXPECT_EQ(plain.TieToXML(Indent(wxS(""), wxS(" "), wxS("\n"))),
            plain.xmlException("No Tie XML element association found in:\n<plain  >\n</plain>\n"));
  TiXmlDocument doc("file.xml");
  doc.Parse("<node a=\"1\"><child/></node>");
  KivoElement tied(wxS("node"), &doc, doc.RootElement());
  EXPECT_EQ(tied.AttrXML(), "source_xml_document=\"file.xml\" is_tied_to_an_element=\"true\" ");
  EXPECT_EQ(tied.TieToXML(Indent(wxS(""), wxS("   "), wxS("\n"))),
            wxS("<node a=\"1\">\n   <child />\n</node>\n"));
}
