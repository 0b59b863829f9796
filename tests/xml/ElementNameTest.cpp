#include <gtest/gtest.h>
#include <tinyxml.h>

#include "kivo/KivoElement.h"
#include "support/LogCapture.h"
#include "xml/XmlTestDocuments.h"

using KivoUnit::KivoElement;
using KivoTest::LogCapture;
using KivoTest::parseXml;
using KivoTest::utf8;

TEST(ElementNames, EncodeKeepsSafeCharactersAndEscapesEveryOtherByte) {
  EXPECT_EQ(KivoElement::encode(wxS("Main Window")), wxS("Main$20Window"));
  EXPECT_EQ(KivoElement::encode(wxS("50$ off")), wxS("50$24$20off"));
  EXPECT_EQ(KivoElement::encode(utf8("\xC3\xA4")), wxS("$C3$A4"));
  EXPECT_EQ(KivoElement::encode(wxS("a.b_c-D9")), wxS("a.b_c-D9"));
  EXPECT_EQ(KivoElement::encode(wxS("<&\"'>")), wxS("$3C$26$22$27$3E"));
  EXPECT_EQ(KivoElement::encode(wxS("")), wxS(""));
}

TEST(ElementNames, EncodingTwiceIsHarmless) {
  const wxString once = KivoElement::encode(wxS("Main Window"));
  EXPECT_EQ(KivoElement::encode(once), once);
}

TEST(ElementNames, DecodeRestoresMultiByteText) {
  EXPECT_EQ(KivoElement::decode(wxS("Main$20Window")), wxS("Main Window"));
  const wxString text = utf8("\xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80 K\xC3\xB6ln");
  EXPECT_EQ(KivoElement::decode(KivoElement::encode(text)), text);
  EXPECT_EQ(KivoElement::decode(wxS("$c3$a4")), utf8("\xC3\xA4"));
}

TEST(ElementNames, DecodeCopiesBrokenEscapes) {
  EXPECT_EQ(KivoElement::decode(wxS("a$4")), wxS("a$4"));
  EXPECT_EQ(KivoElement::decode(wxS("a$zz")), wxS("a$zz"));
  EXPECT_EQ(KivoElement::decode(wxS("$")), wxS("$"));
  EXPECT_EQ(KivoElement::decode(wxS("plain")), wxS("plain"));
}

TEST(ElementNames, IsEncodedNeedsADollarAndOnlySafeBytes) {
  EXPECT_TRUE(KivoElement::isEncoded(wxS("Main$20Window")));
  EXPECT_FALSE(KivoElement::isEncoded(wxS("Main")));
  EXPECT_FALSE(KivoElement::isEncoded(wxS("a b")));
  EXPECT_FALSE(KivoElement::isEncoded(wxS("")));
  EXPECT_FALSE(KivoElement::isEncoded(utf8("$\xC3\xA4")));
}

TEST(ElementNames, SetNameEncodesAndKeepsTheTextAsLabel) {
  KivoElement e(wxS("node"));
  e.setName(wxS("a/b"));
  EXPECT_EQ(e.getName(), wxS("a_b"));
  EXPECT_EQ(e.getLabel(), wxS("a/b"));
  e.setName(wxS("Main Window"));
  EXPECT_EQ(e.getEncodedName(), wxS("Main$20Window"));
  EXPECT_EQ(e.getDecodedName(), wxS("Main Window"));
  e.setName(wxS(""));
  EXPECT_EQ(e.getName(), wxS("Main$20Window"));
}

TEST(ElementNames, EmptyLabelIsDerivedFromTheName) {
  KivoElement e(wxS("node"));
  e.setRawName(wxS("Main$20Window"));
  e.setLabel(wxS(""));
  EXPECT_EQ(e.getLabel(), wxS("Main Window"));
  e.setRawName(wxS("plain"));
  e.setLabel(wxS(""));
  EXPECT_EQ(e.getLabel(), wxS("plain"));
}

TEST(ElementNames, ConstructorKeepsTheNameUnencoded) {
  KivoElement e(wxS("node"), nullptr, nullptr, wxS("a b"));
  EXPECT_EQ(e.getName(), wxS("a b"));
  EXPECT_EQ(e.getLabel(), wxS("a b"));
  EXPECT_EQ(e.getClassTag(), wxS("xml.element"));
}

TEST(ElementNames, SlashOnlyNameBecomesUnderscore) {
  KivoElement e(wxS("node"), nullptr, nullptr, wxS("keep"));
  e.setEncodedName(wxS("/"));
  EXPECT_EQ(e.getName(), wxS("_"));
}

TEST(ElementNames, CutStringEndValueSplitsTrailingNumber) {
  wxString out;
  EXPECT_EQ(KivoElement::CutStringEndValue(wxS("Level (12)"), out), 12);
  EXPECT_EQ(out, wxS("Level"));
  EXPECT_EQ(KivoElement::CutStringEndValue(wxS("  Item(3)"), out), 3);
  EXPECT_EQ(out, wxS("Item"));
  for (const wxString& unchanged :
       {wxString(wxS("Level (x)")), wxString(wxS("Level12)")), wxString(wxS("()")),
        wxString(wxS("a ()")), wxString(wxS("a (-1)")), wxString(wxS("a (99999999999999999999)")),
        wxString(wxS("(1) b"))}) {
    EXPECT_EQ(KivoElement::CutStringEndValue(unchanged, out), 0) << unchanged;
    EXPECT_EQ(out, unchanged);
  }
  EXPECT_EQ(KivoElement::CutStringEndValue(wxS("(7)"), out), 7);
  EXPECT_EQ(out, wxS(""));
}

namespace {
wxString shout(const wxString& text) { return text.Upper(); }
struct TranslatorScope {
  TranslatorScope() { KivoElement::setLabelTranslator(&shout); }
  ~TranslatorScope() { KivoElement::setLabelTranslator(nullptr); }
};
}  // namespace

TEST(ElementLabels, TranslatableNameOverwritesAndKeepsTheNumber) {
  TranslatorScope translator;
  auto doc = parseXml("<a translatable_name=\"Item (3)\" label=\"old\"><b name=\"inner\"/></a>"
                      "<c name=\"next\"/>");
  KivoElement::TranslateNamesToLabels(doc->RootElement());
  EXPECT_STREQ(doc->RootElement()->Attribute("label"), "ITEM (3)");
  EXPECT_STREQ(doc->RootElement()->FirstChildElement("b")->Attribute("label"), "INNER");
  EXPECT_STREQ(doc->RootElement()->NextSiblingElement("c")->Attribute("label"), "NEXT");
}

TEST(ElementLabels, ExistingLabelOfANamedElementIsKeptWithAWarning) {
  LogCapture log;
  auto doc = parseXml("<a name=\"n\" label=\"mine\"/>");
  KivoElement::TranslateNamesToLabels(doc->RootElement());
  EXPECT_STREQ(doc->RootElement()->Attribute("label"), "mine");
  EXPECT_TRUE(log.contains(wxS("Element 'a' with name 'n' already has label 'mine'"), 4));
}

TEST(ElementLabels, UnnamedElementsGetNoLabel) {
  LogCapture log;
  auto doc = parseXml("<r><a/><b label=\"x\"/></r>");
  KivoElement::TranslateNamesToLabels(doc->RootElement());
  EXPECT_EQ(doc->RootElement()->FirstChildElement("a")->Attribute("label"), nullptr);
  EXPECT_TRUE(log.contains(wxS("Element 'b' with name '' already has label 'x'"), 4));
  EXPECT_EQ(log.count(), 1u);
}

TEST(ElementLabels, WalkStaysBelowTheStartingElementsParent) {
  auto doc = parseXml("<r><p><start name=\"s\"><deep name=\"d\"/></start><after name=\"f\"/></p>"
                      "<outside name=\"o\"/></r>");
  TiXmlElement* start = doc->RootElement()->FirstChildElement("p")->FirstChildElement("start");
  KivoElement::TranslateNamesToLabels(start);
  EXPECT_STREQ(start->Attribute("label"), "s");  // no locale: the text itself
  EXPECT_STREQ(start->FirstChildElement("deep")->Attribute("label"), "d");
  EXPECT_STREQ(start->NextSiblingElement("after")->Attribute("label"), "f");
  EXPECT_EQ(doc->RootElement()->FirstChildElement("outside")->Attribute("label"), nullptr);
  KivoElement::TranslateNamesToLabels(nullptr);
}
