// Element names and labels, typed attributes and their class-wide tables, UTF-8 checks,
// reading from and writing to documents and files, and reports.
#include <gtest/gtest.h>

#include <limits>
#include <thread>

#include "kivo/convert/Indent.h"
#include "kivo/element/KivoElement.h"
#include "support/TempDir.h"
#include "xml/XmlTestDocuments.h"

using namespace KivoUnit;
using namespace KivoTest;

namespace {

// The attributes that a Write puts on a fresh element, printed.
std::string written(KivoElement& e) {
  TiXmlElement out("out");
  return e.Write(&out), printed(out);
}

// Writes `e` into a saved UTF-8 file and reads it back into `back`.
void roundTrip(KivoElement& e, KivoElement& back) {
  TempDir dir;
  TiXmlDocument doc(dir.file("rt.xml").c_str());
  doc.Parse("<?xml version=\"1.0\" encoding=\"UTF-8\" ?>");
  ASSERT_TRUE(e.Write(doc.LinkEndChild(new TiXmlElement(e.getElement().utf8_str()))->ToElement()) && doc.SaveFile());
  ASSERT_TRUE(back.Load(utf8(dir.file("rt.xml"))) && back.Read(back.getDocument()->RootElement()));
}

// An override that forgets to call the parent's readAttributes.
struct Sloppy : KivoElement { Sloppy() : KivoElement(wxS("sloppy")) {} void readAttributes() override {} };

}  // namespace

TEST(ElementNames, EncodeDecodeSetNameAndLabelNumbers) {
  const wxString text = utf8("\xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80 K\xC3\xB6ln");
  EXPECT_EQ(KivoElement::encode(wxS("50$ off <&\"'>")) + KivoElement::encode(wxS("a.b_c-D9")) +
                KivoElement::encode(utf8("\xC3\xA4")) + KivoElement::encode(wxS("Main$20Window")),  // already encoded
            wxS("50$24$20off$20$3C$26$22$27$3E") wxS("a.b_c-D9") wxS("$C3$A4") wxS("Main$20Window"));
  EXPECT_EQ(KivoElement::decode(KivoElement::encode(text)) + KivoElement::decode(wxS("$c3$a4")), text + utf8("\xC3\xA4"));
  for (const char* broken : {"a$4", "a$zz", "$", "plain"}) EXPECT_EQ(KivoElement::decode(broken), utf8(broken));
  for (const char* plain : {"a", "a b$", "", "$\xC3\xA4"}) EXPECT_FALSE(KivoElement::isEncoded(utf8(plain))) << plain;
  KivoElement e(wxS("node"), nullptr, nullptr, wxS("a b"));
  const wxString built = e.getName() + e.getLabel();  // the constructor does not encode
  e.setName(wxS("a/b"));
  EXPECT_EQ(built + wxS(",") + e.getName() + e.getLabel(), wxS("a ba b,a_ba/b"));
  e.setName(wxS("Main Window")), e.setName(wxS("")), e.setLabel(wxS(""));  // empty names are ignored
  EXPECT_EQ(e.getEncodedName() + e.getDecodedName() + e.getLabel(), wxS("Main$20WindowMain WindowMain Window"));
  e.setName(wxS("plain")), e.setRawName(wxS("other"));  // the raw name leaves the label
  EXPECT_EQ(e.getName() + e.getLabel() + e.getStoredLabel(), wxS("otherplainplain"));
  for (const auto& [text, number, rest] : std::vector<std::tuple<const wchar_t*, long, const wchar_t*>>{
           {wxS("  Item (12)"), 12, wxS("Item")}, {wxS("(7)"), 7, wxS("")}, {wxS("Level (x)"), 0, wxS("Level (x)")},
           {wxS("Level12)"), 0, wxS("Level12)")}, {wxS("()"), 0, wxS("()")}, {wxS("a (-1)"), 0, wxS("a (-1)")},
           {wxS("a (99999999999999999999)"), 0, wxS("a (99999999999999999999)")}, {wxS("(1) b"), 0, wxS("(1) b")}}) {
    wxString out;
    EXPECT_TRUE(KivoElement::CutStringEndValue(text, out) == number && out == rest) << text;
  }
}

TEST(ElementLabels, TranslateNamesWalksTheSubtreeAndFollowingSiblingsOnly) {
  auto doc = parseXml(R"~(<r><p><a translatable_name="Item (3)" label="old"><b name="inner"/><u/>)~"
                      R"~(<v label="x"/><w translatable_name="" label="y"/></a>)~"
                      R"~(<c name="n" label="mine"/></p><outside name="o"/></r>)~");
  LogCapture log;
  KivoElement::TranslateNamesToLabels(doc->RootElement()->FirstChildElement("p")->FirstChildElement("a"));
  EXPECT_EQ(printed(*doc),  // no locale: the names as they are
            R"~(<r><p><a translatable_name="Item (3)" label="Item (3)"><b name="inner" )~"
            R"~(label="inner" /><u /><v label="x" /><w translatable_name="" label="y" /></a>)~"
            R"~(<c name="n" label="mine" /></p><outside name="o" /></r>)~");
  const wxString warning = wxS("4 include/kivo/KivoElement TranslateNamesToLabels(): Element '");
  EXPECT_EQ(logged(log), (Lines{warning + wxS("v' with name '' already has label 'x'"),
                                warning + wxS("w' with name '' already has label 'y'"),
                                warning + wxS("c' with name 'n' already has label 'mine'")}));
}

TEST(ElementAttributes, TypedSettersRecordTheTypeClearOutOfRangeAndSkipEmptyEntries) {
  KivoElement e(wxS("attr_typed"));
  e.setIntAttribute(wxS("i"), 10, 0, 10), e.setUintAttribute(wxS("u"), 4000000000u, 0u, 4000000000u);  // closed ranges
  e.setDoubleAttribute(wxS("d"), 0.5, 2, 0.0, 1.0), e.setBoolAttribute(wxS("b"), false, false, false);
  EXPECT_EQ(written(e), R"(<out b="false" d="0.50" i="10" u="4000000000" />)");
  EXPECT_EQ(e.getAttributeTypes(), (AttributeTypeMap{{wxS("b"), AttributeBoolean}, {wxS("d"), AttributeDouble},
                                                     {wxS("i"), AttributeInteger}, {wxS("u"), AttributeUnsigned}}));
  // Out of range (or the omitted default) clears the value, never clamps it.
  e.setIntAttribute(wxS("i"), 11, 0, 10), e.setUintAttribute(wxS("u"), 1u, 2u, 3u);
  e.setDoubleAttribute(wxS("d"), std::numeric_limits<double>::quiet_NaN(), 2, 0.0, 1.0);
  e.setBoolAttribute(wxS("b"), false, false, true), e.setBoolAttribute(wxS("untyped"), true, true, true);
  EXPECT_TRUE(written(e) == "<out />" && e.getIntAttribute(wxS("i"), -1) == -1 && !e.hasAttributeType(wxS("untyped")));
  // A minimum that is not below the maximum means no range.
  e.setIntAttribute(wxS("i"), -3, 5, 1), e.setDoubleAttribute(wxS("d"), 1.5, 1, 1.0, 1.0);
  EXPECT_EQ(written(e), R"(<out d="1.5" i="-3" />)");
  // Empty entries stay readable, but maps and writes leave them out.
  KivoElement m(wxS("attr_maps"));
  m.setAttribute(wxS("a-b.c"), utf8("\xC3\xA4")), m.clearAttribute(wxS("e")), m.getAttributeSet().set("", "x");
  EXPECT_TRUE(m.getAttribute(wxS("e"), wxS("d")).empty() && m.getAttributes(true).size() == 1u);
  EXPECT_EQ(written(m), "<out a-b.c=\"\xC3\xA4\" />");
}

TEST(ElementAttributes, TablesAreSharedByElementNameAcrossThreadsAndEnumsKeepTheListedSpelling) {
  KivoElement a(wxS("attr_shared")), b(wxS("attr_shared"));
  a.setIntAttribute(wxS("n"), 1, 0, 0);
  EXPECT_TRUE(b.getAttributeType(wxS("n")) == AttributeInteger &&
              KivoElement(wxS("attr_other")).getAttributeType(wxS("n")) == AttributeNone);
  b.setAttributeType(wxS("n"), AttributeDouble);
  EXPECT_EQ(KivoElement::getElementAttributeTypes(wxS("attr_shared")).at(wxS("n")), AttributeDouble);
  auto fill = [](int t) {
    KivoElement e(wxString::Format(wxS("attr_thread_%i"), t % 2));
    for (int i = 0; i < 500; ++i) {
      const wxString name = wxString::Format(wxS("a%i"), i % 50);
      e.setIntAttribute(name, i, 0, 0), e.setEnumValues(name, wxArrayString(1, &name));
      EXPECT_EQ(e.getValidEnum(name, name.Upper()), name);
    }
  };
  std::thread t0(fill, 0), t1(fill, 1), t2(fill, 2), t3(fill, 3);
  for (std::thread* t : {&t0, &t1, &t2, &t3}) t->join();
  EXPECT_EQ(KivoElement::getElementAttributeTypes(wxS("attr_thread_0")).size(), 50u);
  // The listed spelling of an enumeration wins, ignoring case; other values stay.
  KivoElement e(wxS("enum_levels"));
  const wxString levels[] = {wxS("Low"), wxS("High")};
  e.setEnumValues(wxS("level"), wxArrayString(2, levels)), e.setEnumAttribute(wxS("level"), wxS("high"));
  const wxString high = e.getAttribute(wxS("level"), wxS(""));
  EXPECT_EQ(e.getAttributeType(wxS("level")), AttributeEnumeration);
  e.setEnumAttribute(wxS("level"), wxS("medium"));
  const wxString medium = e.getAttribute(wxS("level"), wxS(""));
  e.setAttributeRaw(wxS("level"), wxS("LOW"));
  EXPECT_EQ(high + medium + e.getEnumAttribute(wxS("level"), wxS("")), wxS("HighmediumLow"));
  e.setEnumValues(wxS("x"), wxArrayString());  // an empty list counts as recorded
  EXPECT_TRUE(e.hasEnumValues(wxS("x")) && e.getValidEnum(wxS("x"), wxS("v")) == wxS("v"));
}

TEST(ElementUtf8, StrictCheckWantsXmlUsableTextLooseCheckOnlyContinuations) {
  // {strict, loose}: loose-only are controls, overlongs, surrogates, beyond U+10FFFF, stray continuations.
  for (const auto& [strict, loose, texts] : std::vector<std::tuple<bool, bool, std::vector<const char*>>>{
           {true, true, {"", "tab\there\r\n ~", "\xC2\x80\xDF\xBF", "\xE0\xA0\x80\xED\x9F\xBF",
                         "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"}},
           {false, true, {"\x01", "\x7F", "\xC0\x80", "\xE0\x9F\xBF", "\xF0\x8F\xBF\xBF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                          "\xF5\x80\x80\x80", "\x80\xF8"}},
           {false, false, {"\xC3", "\xE2\x82x", "\xF0\x9F\x98", nullptr}}}) {
    for (const char* text : texts) {
      EXPECT_TRUE(KivoElement::is_utf8(text) == strict && KivoElement::is_valid_utf8(text) == loose) << (text ? text : "null");
    }
  }
}

TEST(ElementRead, FieldsAndAttributesComeFromTheElementAndASkippedParentIsRepaired) {
  KivoElement e(wxS("node"));
  auto doc = parseXml(R"(<widget name="a/b" type="t" brief="b" version="1.2" description="d" extra="e"/>)");
  ASSERT_TRUE(!e.Read(nullptr) && e.Read(doc->RootElement()) && e.getTie() == doc->RootElement());
  EXPECT_EQ(e.getElement() + e.getName() + e.getLabel(), wxS("widgeta_ba/b"));
  EXPECT_EQ(e.getType() + e.getBrief() + e.getVersion() + e.getDescription(), wxS("tb1.2d"));
  // A second read replaces what the new element has and keeps the rest; the label wins.
  auto second = parseXml(R"(<widget name="x" label="Y" extra="f"/>)");
  ASSERT_TRUE(e.Read(second->RootElement()));
  EXPECT_EQ(e.getLabel() + e.getAttribute(wxS("extra"), wxS("")) + e.getAttribute(wxS("brief"), wxS("")), wxS("Yfb"));

  auto sloppyDoc = parseXml(R"(<sloppy name="Main Window" label="L"/>)");
  LogCapture log;
  Sloppy sloppy;
  ASSERT_TRUE(sloppy.Read(sloppyDoc->RootElement()) && sloppy.getName() == wxS("Main$20Window"));
  EXPECT_EQ(logged(log), Lines{wxS("5 include/kivo/KivoElement Read(): Element 'sloppy' named "
                                   "'Main Window' did not call parent's readAttributes")});
}

TEST(ElementWrite, FieldsGoOutEmptyValuesRemoveAttributesAndTheTieIsCreated) {
  auto doc = parseXml(R"(<node name="n" brief="old" version="1" keep="k"/>)");
  KivoElement e(wxS("node"));
  e.Read(doc->RootElement());
  e.setBrief(wxS("")), e.setType(wxS("kind")), e.clearAttribute(wxS("keep")), e.setAttribute(wxS("added"), wxS("a"));
  ASSERT_TRUE(e.Write(doc->RootElement()));
  EXPECT_EQ(printed(*doc), R"(<node name="n" version="1" added="a" label="n" type="kind" />)");

  EXPECT_FALSE(KivoElement(wxS("node")).Write());  // neither tie nor document
  TiXmlDocument source;
  source.LinkEndChild(new TiXmlElement("first"));
  EXPECT_FALSE(KivoElement(wxS(""), &source).Write());  // never an element without a tag
  KivoElement made(wxS("node"), &source, nullptr, wxS("n"));
  ASSERT_TRUE(made.Write());
  made.setElement(wxS("renamed"));
  EXPECT_TRUE(made.Write() && source.LastChild() == made.getTie());
  EXPECT_EQ(printed(source), R"(<first /><renamed label="n" name="n" />)");
}

TEST(ElementWrite, RoundTripKeepsMarkupAndRawBytesAndSkipsUnwritableAttributes) {
  const wxString name = utf8("Fen\xC3\xAAtre <1> & \"2\" '3' \xE6\x97\xA5");
  const wxString value = utf8("a<b&c\"d'e\tf\ng\rh \xF0\x9F\x98\x80 &#x41; &amp; ]]>");
  KivoElement e(wxS("node"));
  e.setName(name), e.setAttribute(wxS("data"), value);
  for (const auto& [key, bytes] : std::vector<std::pair<const char*, const char*>>{
           {"ctl", "\x01\x1F"}, {"stray", "a\x80" "b\xFF"},  // not UTF-8: read back as Latin-1
           {"bad name", "v"}, {"1st", "v"}, {"n\xFF", "v"}, {"good", "v"}, {"cut", "ends in a lead byte \xC3"}}) {
    e.getAttributeSet().set(key, bytes);
  }
  LogCapture log;
  KivoElement back(wxS("other"));
  roundTrip(e, back);
  EXPECT_EQ(back.getDecodedName() + back.getLabel() + back.getAttribute(wxS("data"), wxS("")), name + name + value);
  EXPECT_EQ(back.getAttributeSet().get("ctl", "") + back.getAttributeSet().get("stray", ""), "\x01\x1F" "a\xC2\x80" "b\xC3\xBF");
  EXPECT_EQ(back.getAttribute(wxS("good"), wxS("")) + back.getAttribute(wxS("1st"), wxS("-")), wxS("v-"));
  const wxString warning = wxS("4 include/kivo/KivoElement Write(): Attribute '");
  const wxString badName = wxS("' of element 'node' was not written: its name is not an XML name");
  const Lines lines = logged(log);  // then the stray bytes' note from the load
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(Lines(lines.begin(), lines.begin() + 4), (Lines{warning + wxS("1st") + badName, warning + wxS("bad name") + badName,
                                warning + wxS("cut' of element 'node' was not written: its value is not UTF-8"),
                                warning + wxS("n\u00FF") + badName}));
}

TEST(ElementWrite, SaveRewritesTheLoadedFileWithLatin1ReadAsUtf8) {
  TempDir dir;
  const wxString file = utf8(dir.write("doc.xml", "<r\xE9 name=\"x\" v=\"caf\xE9\"/>"));
  KivoElement e(wxS("node"));
  ASSERT_TRUE(e.Load(file) && e.Read(e.getDocument()->RootElement()));
  EXPECT_EQ(e.getElement(), utf8("r\xC3\xA9"));
  e.setAttribute(wxS("added"), wxS("yes"));
  ASSERT_TRUE(e.Write() && e.Save());
  EXPECT_EQ(dir.read("doc.xml"), "<r\xC3\xA9 name=\"x\" v=\"caf\xC3\xA9\" added=\"yes\" label=\"x\" />\n");
}

TEST(ElementReports, OpeningAndClosingTagsAndThePrintedTie) {
  KivoElement e(wxS("node"), nullptr, nullptr, wxS("n"), wxS(""), wxS(""), wxS("about <it>"));
  const Indent indent(wxS(">>"), wxS("\t"), wxS("|"));
  EXPECT_EQ(e.InitXML(indent, wxS("a=\"1\"")), wxS(">><node a=\"1\" >|>>\t<description>about <it></description>|"));
  EXPECT_EQ(e.EndXML(indent), wxS(">></node>|"));
  KivoElement plain(wxS("plain"));
  EXPECT_EQ(plain.TieToXML(Indent(wxS(""), wxS(" "), wxS("\n"))),
            plain.xmlException("No Tie XML element association found in:\n<plain  >\n</plain>\n"));
  TiXmlDocument doc("file.xml");
  doc.Parse("<node a=\"1\"><child/></node>");
  KivoElement tied(wxS("node"), &doc, doc.RootElement());
  EXPECT_EQ(tied.AttrXML(), "source_xml_document=\"file.xml\" is_tied_to_an_element=\"true\" ");
  EXPECT_EQ(tied.TieToXML(Indent(wxS(""), wxS("   "), wxS("\n"))), wxS("<node a=\"1\">\n   <child />\n</node>\n"));
}
