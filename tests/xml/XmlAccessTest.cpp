#include <gtest/gtest.h>
#include <tinyxml.h>

#include "kivo/xml/KivoXML.h"
#include "xml/XmlTestDocuments.h"

using KivoUnit::KivoXML;
using KivoTest::childCount;
using KivoTest::parseXml;
using KivoTest::utf8;

TEST(XmlAccess, NullElementGivesDefaultsAndIgnoresWrites) {
  EXPECT_EQ(KivoXML::GetValue(nullptr), wxString());
  EXPECT_FALSE(KivoXML::HasAttr(nullptr, wxS("a")));
  EXPECT_EQ(KivoXML::GetAttr(nullptr, wxS("a"), wxS("d")), wxS("d"));
  EXPECT_TRUE(KivoXML::GetBoolAttr(nullptr, wxS("a"), true));
  EXPECT_EQ(KivoXML::GetIntAttr(nullptr, wxS("a"), 7), 7);
  EXPECT_EQ(KivoXML::GetDoubleAttr(nullptr, wxS("a"), 1.5), 1.5);
  EXPECT_EQ(KivoXML::GetChild(nullptr, wxS("a"), wxS("d")), wxS("d"));
  EXPECT_EQ(KivoXML::GetCombined(nullptr, wxS("a"), wxS("d")), wxS("d"));
  KivoXML::SetValue(nullptr, wxS("x"));
  KivoXML::SetAttr(nullptr, wxS("a"), wxS("b"));
  KivoXML::SetBoolAttr(nullptr, wxS("a"), true);
  KivoXML::SetIntAttr(nullptr, wxS("a"), 1);
  KivoXML::SetDoubleAttr(nullptr, wxS("a"), 1.0);
  KivoXML::SetChild(nullptr, wxS("a"), wxS("b"));
  KivoXML::SetCombined(nullptr, wxS("a"), wxS("b\nc"));
}

TEST(XmlAccess, AttributesRoundTripAsUtf8) {
  TiXmlElement e("node");
  const wxString value = utf8("Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC <&\"'>");
  KivoXML::SetAttr(&e, utf8("n\xC3\xA4me"), value);
  EXPECT_STREQ(e.Attribute("n\xC3\xA4me"), "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC <&\"'>");
  EXPECT_TRUE(KivoXML::HasAttr(&e, utf8("n\xC3\xA4me")));
  EXPECT_EQ(KivoXML::GetAttr(&e, utf8("n\xC3\xA4me"), wxS("")), value);
  EXPECT_EQ(KivoXML::GetAttr(&e, wxS("other"), wxS("def")), wxS("def"));
}

TEST(XmlAccess, EmptyValueIsWrittenNotRemoved) {
  TiXmlElement e("node");
  KivoXML::SetAttr(&e, wxS("a"), wxS(""));
  EXPECT_TRUE(KivoXML::HasAttr(&e, wxS("a")));
  EXPECT_EQ(KivoXML::GetAttr(&e, wxS("a"), wxS("def")), wxS(""));
}

TEST(XmlAccess, ValueRenamesTheElement) {
  TiXmlElement e("old");
  KivoXML::SetValue(&e, utf8("n\xC3\xA4"));
  EXPECT_STREQ(e.Value(), "n\xC3\xA4");
  EXPECT_EQ(KivoXML::GetValue(&e), utf8("n\xC3\xA4"));
}

TEST(XmlAccess, BooleanIsTrueOnlyForTrueInAnyCase) {
  auto doc = parseXml("<e a=\"TrUe\" b=\"1\" c=\"yes\" d=\"true \" f=\"\"/>");
  const TiXmlElement* e = doc->RootElement();
  EXPECT_TRUE(KivoXML::GetBoolAttr(e, wxS("a"), false));
  EXPECT_FALSE(KivoXML::GetBoolAttr(e, wxS("b"), true));
  EXPECT_FALSE(KivoXML::GetBoolAttr(e, wxS("c"), true));
  EXPECT_FALSE(KivoXML::GetBoolAttr(e, wxS("d"), true));
  EXPECT_FALSE(KivoXML::GetBoolAttr(e, wxS("f"), true));
  EXPECT_TRUE(KivoXML::GetBoolAttr(e, wxS("missing"), true));
  TiXmlElement w("w");
  KivoXML::SetBoolAttr(&w, wxS("x"), true);
  KivoXML::SetBoolAttr(&w, wxS("y"), false);
  EXPECT_STREQ(w.Attribute("x"), "true");
  EXPECT_STREQ(w.Attribute("y"), "false");
}

TEST(XmlAccess, IntegerTakesTheLeadingNumberOrTheDefault) {
  auto doc = parseXml("<e a=\"42\" b=\"-7xyz\" c=\"abc\" d=\"\"/>");
  const TiXmlElement* e = doc->RootElement();
  EXPECT_EQ(KivoXML::GetIntAttr(e, wxS("a"), 0), 42);
  EXPECT_EQ(KivoXML::GetIntAttr(e, wxS("b"), 0), -7);
  EXPECT_EQ(KivoXML::GetIntAttr(e, wxS("c"), 9), 9);
  EXPECT_EQ(KivoXML::GetIntAttr(e, wxS("d"), 9), 9);
  EXPECT_EQ(KivoXML::GetIntAttr(e, wxS("missing"), 9), 9);
  TiXmlElement w("w");
  KivoXML::SetIntAttr(&w, wxS("n"), -123);
  EXPECT_STREQ(w.Attribute("n"), "-123");
}

TEST(XmlAccess, DoubleUsesTheDotWhateverTheLocale) {
  auto doc = parseXml("<e a=\"2.5\" b=\"1e3x\" c=\"x\"/>");
  const TiXmlElement* e = doc->RootElement();
  EXPECT_DOUBLE_EQ(KivoXML::GetDoubleAttr(e, wxS("a"), 0), 2.5);
  EXPECT_DOUBLE_EQ(KivoXML::GetDoubleAttr(e, wxS("b"), 0), 1000.0);
  EXPECT_DOUBLE_EQ(KivoXML::GetDoubleAttr(e, wxS("c"), -1), -1.0);
  TiXmlElement w("w");
  KivoXML::SetDoubleAttr(&w, wxS("d"), 0.25);
  EXPECT_DOUBLE_EQ(KivoXML::GetDoubleAttr(&w, wxS("d"), 0), 0.25);
}

TEST(XmlAccess, ChildTextOfTheFirstMatchingChild) {
  auto doc = parseXml("<e><a>first</a><a>second</a><b/></e>");
  const TiXmlElement* e = doc->RootElement();
  EXPECT_EQ(KivoXML::GetChild(e, wxS("a"), wxS("d")), wxS("first"));
  EXPECT_EQ(KivoXML::GetChild(e, wxS("b"), wxS("d")), wxS(""));
  EXPECT_EQ(KivoXML::GetChild(e, wxS("c"), wxS("d")), wxS("d"));
}

TEST(XmlAccess, SetChildReplacesTheContentInPlace) {
  auto doc = parseXml("<e><x/><a k=\"v\">old<i/></a><y/></e>");
  TiXmlElement* e = doc->RootElement();
  KivoXML::SetChild(e, wxS("a"), wxS("new <text>"));
  EXPECT_EQ(childCount(e, "a"), 1);
  const TiXmlElement* a = e->FirstChildElement()->NextSiblingElement();
  ASSERT_STREQ(a->Value(), "a");
  EXPECT_STREQ(a->Attribute("k"), "v");
  EXPECT_EQ(a->FirstChildElement(), nullptr);
  ASSERT_NE(a->FirstChild()->ToText(), nullptr);
  EXPECT_FALSE(a->FirstChild()->ToText()->CDATA());
  EXPECT_STREQ(a->GetText(), "new <text>");
}

TEST(XmlAccess, SetChildAppendsAMissingChildLast) {
  auto doc = parseXml("<e><x/></e>");
  TiXmlElement* e = doc->RootElement();
  KivoXML::SetChild(e, wxS("a"), wxS("v"));
  EXPECT_STREQ(e->LastChild()->Value(), "a");
  EXPECT_EQ(KivoXML::GetChild(e, wxS("a"), wxS("")), wxS("v"));
}

TEST(XmlCombined, AttributeThenChildText) {
  auto both = parseXml("<e a=\"x\"><a>y</a></e>");
  auto child = parseXml("<e><a>y</a></e>");
  auto attr = parseXml("<e a=\"x\"/>");
  auto none = parseXml("<e/>");
  EXPECT_EQ(KivoXML::GetCombined(both->RootElement(), wxS("a"), wxS("d")), wxS("xy"));
  EXPECT_EQ(KivoXML::GetCombined(child->RootElement(), wxS("a"), wxS("d")), wxS("y"));
  EXPECT_EQ(KivoXML::GetCombined(attr->RootElement(), wxS("a"), wxS("d")), wxS("x"));
  EXPECT_EQ(KivoXML::GetCombined(none->RootElement(), wxS("a"), wxS("d")), wxS("d"));
}

TEST(XmlCombined, ValueEqualToTheDefaultCountsAsAbsent) {
  auto doc = parseXml("<e a=\"d\"><a>y</a><b>d</b></e>");
  EXPECT_EQ(KivoXML::GetCombined(doc->RootElement(), wxS("a"), wxS("d")), wxS("y"));
  auto doc2 = parseXml("<e b=\"x\"><b>d</b></e>");
  EXPECT_EQ(KivoXML::GetCombined(doc2->RootElement(), wxS("b"), wxS("d")), wxS("x"));
}

TEST(XmlCombined, MultiLineValueMovesToOneChild) {
  auto doc = parseXml("<e a=\"old\"/>");
  TiXmlElement* e = doc->RootElement();
  KivoXML::SetCombined(e, wxS("a"), wxS("one\ntwo"));
  KivoXML::SetCombined(e, wxS("a"), wxS("three\nfour"));
  EXPECT_FALSE(KivoXML::HasAttr(e, wxS("a")));
  EXPECT_EQ(childCount(e, "a"), 1);
  EXPECT_EQ(KivoXML::GetCombined(e, wxS("a"), wxS("")), wxS("three\nfour"));
}

TEST(XmlCombined, SingleLineValueGoesToTheAttributeAndLeavesTheChild) {
  auto doc = parseXml("<e><a>keep</a></e>");
  TiXmlElement* e = doc->RootElement();
  KivoXML::SetCombined(e, wxS("a"), wxS("v"));
  EXPECT_EQ(KivoXML::GetAttr(e, wxS("a"), wxS("")), wxS("v"));
  EXPECT_EQ(KivoXML::GetChild(e, wxS("a"), wxS("")), wxS("keep"));
}

TEST(XmlCombined, EmptyValueRemovesOnlyTheAttribute) {
  auto doc = parseXml("<e a=\"x\"><a>keep</a></e>");
  TiXmlElement* e = doc->RootElement();
  KivoXML::SetCombined(e, wxS("a"), wxS(""));
  EXPECT_FALSE(KivoXML::HasAttr(e, wxS("a")));
  EXPECT_EQ(KivoXML::GetChild(e, wxS("a"), wxS("")), wxS("keep"));
}

TEST(XmlCombined, MultiLineTextSurvivesPrintingAndParsing) {
  TiXmlElement e("e");
  // TinyXML condenses runs of blanks in text on parsing; line feeds are kept as entities.
  KivoXML::SetCombined(&e, wxS("script"), wxS("line 1\nline 2 & <3>"));
  TiXmlPrinter printer;
  e.Accept(&printer);
  auto doc = parseXml(printer.CStr());
  EXPECT_EQ(KivoXML::GetCombined(doc->RootElement(), wxS("script"), wxS("")),
            wxS("line 1\nline 2 & <3>"));
}
