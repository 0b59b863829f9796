#include <gtest/gtest.h>
#include <tinyxml.h>

#include "kivo/Convert.h"
#include "kivo/Indent.h"
#include "kivo/KivoElement.h"
#include "support/LogCapture.h"
#include "xml/XmlTestDocuments.h"

using KivoUnit::Indent;
using KivoUnit::KivoElement;
using KivoTest::LogCapture;
using KivoTest::parseXml;

TEST(ElementReports, OpeningTagWithoutTieOrDocument) {
  KivoElement e(wxS("node"));
  const Indent indent(wxS(">>"), wxS("  "), wxS("|"));
  EXPECT_EQ(e.AttrXML(), wxS(""));
  EXPECT_EQ(e.InitXML(indent, wxS("a=\"1\"")), wxS(">><node a=\"1\" >|"));
  EXPECT_EQ(e.EndXML(indent), wxS(">></node>|"));
}

TEST(ElementReports, DescriptionLineIsOneLevelDeeper) {
  KivoElement e(wxS("node"), nullptr, nullptr, wxS("n"), wxS(""), wxS(""), wxS("about <it>"));
  const Indent indent(wxS(""), wxS("\t"), wxS("\n"));
  EXPECT_EQ(e.InitXML(indent, wxS("")),
            wxS("<node  >\n\t<description>about <it></description>\n"));
}

TEST(ElementReports, AttrXmlNamesTheDocumentAndTheTie) {
  TiXmlDocument doc("file.xml");
  doc.LinkEndChild(new TiXmlElement("node"));
  KivoElement e(wxS("node"), &doc, doc.RootElement());
  EXPECT_EQ(e.AttrXML(), wxS("source_xml_document=\"file.xml\" is_tied_to_an_element=\"true\" "));
}

TEST(ElementReports, TieToXmlPrintsTheTiedElement) {
  auto doc = parseXml("<node a=\"1\"><child/></node>");
  KivoElement e(wxS("node"));
  e.Read(doc->RootElement());
  EXPECT_EQ(e.TieToXML(Indent(wxS(""), wxS("   "), wxS("\n"))),
            wxS("<node a=\"1\">\n   <child />\n</node>\n"));
}

TEST(ElementReports, TieToXmlWithoutTieGivesTheErrorDocument) {
  LogCapture log;
  KivoElement e(wxS("node"));
  const Indent indent(wxS(""), wxS(" "), wxS("\n"));
  EXPECT_EQ(e.TieToXML(indent),
            e.xmlException(wxS("No Tie XML element association found in:\n<node  >\n</node>\n")));
  EXPECT_EQ(log.count(), 0u);
}

TEST(ElementUtf8, StrictCheckAcceptsXmlUsableSequences) {
  EXPECT_TRUE(KivoElement::is_utf8(""));
  EXPECT_TRUE(KivoElement::is_utf8("tab\there\r\n ~"));
  EXPECT_TRUE(KivoElement::is_utf8("\xC2\x80\xDF\xBF"));
  EXPECT_TRUE(KivoElement::is_utf8("\xE0\xA0\x80\xED\x9F\xBF\xEF\xBF\xBF"));
  EXPECT_TRUE(KivoElement::is_utf8("\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"));
}

TEST(ElementUtf8, StrictCheckRejectsControlsOverlongsSurrogatesAndTruncation) {
  EXPECT_FALSE(KivoElement::is_utf8(nullptr));
  EXPECT_FALSE(KivoElement::is_utf8("\x01"));
  EXPECT_FALSE(KivoElement::is_utf8("\x7F"));
  EXPECT_FALSE(KivoElement::is_utf8("\xC0\x80"));
  EXPECT_FALSE(KivoElement::is_utf8("\xED\xA0\x80"));
  EXPECT_FALSE(KivoElement::is_utf8("\xE0\x9F\xBF"));
  EXPECT_FALSE(KivoElement::is_utf8("\xF4\x90\x80\x80"));
  EXPECT_FALSE(KivoElement::is_utf8("\xF5\x80\x80\x80"));
  EXPECT_FALSE(KivoElement::is_utf8("ok\xE2\x82"));
  EXPECT_FALSE(KivoElement::is_utf8("\x80"));
}

TEST(ElementUtf8, LooseCheckOnlyWantsContinuationBytes) {
  EXPECT_FALSE(KivoElement::is_valid_utf8(nullptr));
  EXPECT_TRUE(KivoElement::is_valid_utf8("\xED\xA0\x80"));
  EXPECT_TRUE(KivoElement::is_valid_utf8("\xC0\x80"));
  EXPECT_TRUE(KivoElement::is_valid_utf8("\x01\x7F"));
  EXPECT_TRUE(KivoElement::is_valid_utf8("\x80\xBF\xF8\xFF"));
  EXPECT_FALSE(KivoElement::is_valid_utf8("\xC3"));
  EXPECT_FALSE(KivoElement::is_valid_utf8("\xE2\x82x"));
  EXPECT_FALSE(KivoElement::is_valid_utf8("\xF0\x9F\x98"));
}

TEST(ElementUtf8, ToValidUtf8ReportsButNeverRepairs) {
  LogCapture log;
  EXPECT_EQ(KivoUnit::Convert::ToValidUTF8("fine \xC3\xA4"), "fine \xC3\xA4");
  EXPECT_EQ(log.count(), 0u);
  EXPECT_EQ(KivoUnit::Convert::ToValidUTF8("bad \xC3"), "bad \xC3");
  EXPECT_TRUE(log.contains(wxS("Non-UTF8()"), 4));
  log.clear();
  EXPECT_EQ(KivoUnit::Convert::ToValidUTF8("ctl \x01"), "ctl \x01");
  EXPECT_TRUE(log.contains(wxS("Non-UTF8(ctl \x01)"), 4));
  const auto messages = log.messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].file, wxS("include/kivo/KivoTypes"));
  EXPECT_EQ(messages[0].function, wxS("ToValidUTF8"));
}

TEST(ElementReports, LabelWarningNamesThePublicOperation) {
  LogCapture log;
  auto doc = parseXml("<a name=\"n\" label=\"l\"/>");
  KivoElement::TranslateNamesToLabels(doc->RootElement());
  const auto messages = log.messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].file, wxS("include/kivo/KivoElement"));
  EXPECT_EQ(messages[0].function, wxS("TranslateNamesToLabels"));
}

TEST(ElementReports, SkippedAttributeWarningNamesWrite) {
  LogCapture log;
  KivoElement e(wxS("node"));
  e.getAttributeSet().set("a b", "v");
  TiXmlElement out("out");
  e.Write(&out);
  const auto messages = log.messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].file, wxS("include/kivo/KivoElement"));
  EXPECT_EQ(messages[0].function, wxS("Write"));
}

TEST(ElementReports, ReadWarningNamesRead) {
  class Forgetful : public KivoElement {
   public:
    Forgetful() : KivoElement(wxS("f")) {}
    void readAttributes() override {}
  };
  LogCapture log;
  auto doc = parseXml("<f/>");
  Forgetful e;
  e.Read(doc->RootElement());
  const auto messages = log.messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].message, wxS("Element 'f' named '' did not call parent's readAttributes"));
  EXPECT_EQ(messages[0].function, wxS("Read"));
}
