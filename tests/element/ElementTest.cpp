// Element names and labels, typed attributes and their class-wide tables, UTF-8 checks.
#include <gtest/gtest.h>

#include <limits>
#include <thread>

#include "kivo/element/KivoElement.h"
#include "xml/XmlTestDocuments.h"

using namespace KivoUnit;
using namespace KivoTest;

namespace {

// The attributes that a Write puts on a fresh element, printed.
std::string written(KivoElement& e) {
  TiXmlElement out("out");
  e.Write(&out);
  return printed(out);
}

// Counts the calls that reach the virtual setter.
struct CountingElement : KivoElement {
  CountingElement() : KivoElement(wxS("enum_counting")) {}
  void setAttribute(const wxString& name, const wxString& value) override {
    ++calls;
    KivoElement::setAttribute(name, value);
  }
  int calls = 0;
};

}  // namespace

TEST(ElementNames, EncodeEscapesEveryUnsafeByteAndDecodeRestoresIt) {
  EXPECT_EQ(KivoElement::encode(wxS("50$ off <&\"'>")), wxS("50$24$20off$20$3C$26$22$27$3E"));
  EXPECT_EQ(KivoElement::encode(wxS("a.b_c-D9")), wxS("a.b_c-D9"));
  EXPECT_EQ(KivoElement::encode(utf8("\xC3\xA4")), wxS("$C3$A4"));
  EXPECT_EQ(KivoElement::encode(wxS("Main$20Window")), wxS("Main$20Window"));  // already encoded
  const wxString text = utf8("\xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80 K\xC3\xB6ln");
  EXPECT_EQ(KivoElement::decode(KivoElement::encode(text)), text);
  EXPECT_EQ(KivoElement::decode(wxS("$c3$a4")), utf8("\xC3\xA4"));
  for (const wchar_t* broken : {wxS("a$4"), wxS("a$zz"), wxS("$"), wxS("plain")}) {
    EXPECT_EQ(KivoElement::decode(broken), wxString(broken));
  }
  for (const char* plain : {"a", "a b$", "", "$\xC3\xA4"}) {
    EXPECT_FALSE(KivoElement::isEncoded(utf8(plain))) << plain;
  }
}

TEST(ElementNames, SetNameEncodesTheLabelFallsBackToTheDecodedNameAndNumbersAreCutOff) {
  KivoElement e(wxS("node"), nullptr, nullptr, wxS("a b"));
  EXPECT_EQ(e.getName() + e.getLabel(), wxS("a ba b"));  // the constructor does not encode
  e.setName(wxS("a/b"));
  EXPECT_EQ(e.getName() + e.getLabel(), wxS("a_ba/b"));
  e.setName(wxS("Main Window"));
  e.setName(wxS(""));  // ignored
  e.setLabel(wxS(""));
  EXPECT_EQ(e.getEncodedName() + e.getDecodedName() + e.getLabel(),
            wxS("Main$20WindowMain WindowMain Window"));
  wxString out;
  EXPECT_EQ(KivoElement::CutStringEndValue(wxS("  Item (12)"), out), 12);
  EXPECT_EQ(out, wxS("Item"));
  EXPECT_EQ(KivoElement::CutStringEndValue(wxS("(7)"), out), 7);
  EXPECT_EQ(out, wxS(""));
  for (const wchar_t* unchanged : {wxS("Level (x)"), wxS("Level12)"), wxS("()"), wxS("a (-1)"),
                                   wxS("a (99999999999999999999)"), wxS("(1) b")}) {
    EXPECT_EQ(KivoElement::CutStringEndValue(unchanged, out), 0) << unchanged;
    EXPECT_EQ(out, wxString(unchanged));
  }
}

TEST(ElementLabels, TranslateNamesWalksTheSubtreeAndFollowingSiblingsOnly) {
  auto doc = parseXml(
      "<r><p><a translatable_name=\"Item (3)\" label=\"old\"><b name=\"inner\"/><u/>"
      "<v label=\"x\"/><w translatable_name=\"\" label=\"y\"/></a>"
      "<c name=\"n\" label=\"mine\"/></p><outside name=\"o\"/></r>");
  TiXmlElement* p = doc->RootElement()->FirstChildElement("p");
  LogCapture log;
  KivoElement::TranslateNamesToLabels(p->FirstChildElement("a"));  // no locale: names as they are
  EXPECT_EQ(printed(*doc),
            "<r><p><a translatable_name=\"Item (3)\" label=\"Item (3)\"><b name=\"inner\" "
            "label=\"inner\" /><u /><v label=\"x\" /><w translatable_name=\"\" label=\"y\" /></a>"
            "<c name=\"n\" label=\"mine\" /></p>"
            "<outside name=\"o\" /></r>");
  const wxString warning = wxS("4 include/kivo/KivoElement TranslateNamesToLabels(): Element '");
  EXPECT_EQ(logged(log), (Lines{warning + wxS("v' with name '' already has label 'x'"),
                                warning + wxS("w' with name '' already has label 'y'"),
                                warning + wxS("c' with name 'n' already has label 'mine'")}));
  // Without a translator or locale the label is the name itself.
  KivoElement::TranslateNamesToLabels(doc->RootElement()->FirstChildElement("outside"));
  EXPECT_STREQ(doc->RootElement()->FirstChildElement("outside")->Attribute("label"), "o");
}

TEST(ElementAttributes, TypedSettersRecordTheTypeAndClearValuesOutOfRange) {
  KivoElement e(wxS("attr_typed"));
  e.setIntAttribute(wxS("i"), 10, 0, 10);  // the ranges are closed
  e.setUintAttribute(wxS("u"), 4000000000u, 0u, 4000000000u);
  e.setDoubleAttribute(wxS("d"), 0.5, 2, 0.0, 1.0);
  e.setBoolAttribute(wxS("b"), false, false, false);
  EXPECT_EQ(written(e), "<out b=\"false\" d=\"0.50\" i=\"10\" u=\"4000000000\" />");
  EXPECT_EQ(e.getAttributeTypes(), (AttributeTypeMap{{wxS("b"), AttributeBoolean},
                                                     {wxS("d"), AttributeDouble},
                                                     {wxS("i"), AttributeInteger},
                                                     {wxS("u"), AttributeUnsigned}}));
  // Out of range (or the omitted default) clears the value, never clamps it.
  e.setIntAttribute(wxS("i"), 11, 0, 10);
  e.setUintAttribute(wxS("u"), 1u, 2u, 3u);
  e.setDoubleAttribute(wxS("d"), std::numeric_limits<double>::quiet_NaN(), 2, 0.0, 1.0);
  e.setBoolAttribute(wxS("b"), false, false, true);
  e.setBoolAttribute(wxS("untyped"), true, true, true);
  EXPECT_EQ(written(e), "<out />");
  EXPECT_EQ(e.getIntAttribute(wxS("i"), -1), -1);
  EXPECT_FALSE(e.hasAttributeType(wxS("untyped")));
  // A minimum that is not below the maximum means no range.
  e.setIntAttribute(wxS("i"), -3, 5, 1);
  e.setDoubleAttribute(wxS("d"), 1.5, 1, 1.0, 1.0);
  EXPECT_EQ(written(e), "<out d=\"1.5\" i=\"-3\" />");
}

TEST(ElementAttributes, EmptyEntriesStayButMapsAndWritesLeaveThemOut) {
  KivoElement e(wxS("attr_maps"));
  e.setAttribute(wxS("i"), wxS("12abc"));
  e.setAttribute(wxS("a-b.c"), utf8("\xC3\xA4"));  // '-' and '.' belong in XML names
  e.clearAttribute(wxS("e"));
  e.getAttributeSet().set("", "x");
  EXPECT_EQ(e.getAttribute(wxS("e"), wxS("d")), wxS(""));
  EXPECT_EQ(e.getAttributes(true),
            (std::map<wxString, wxString>{{wxS("a-b.c"), utf8("\xC3\xA4")}, {wxS("i"), wxS("12abc")}}));
  EXPECT_EQ(written(e), "<out a-b.c=\"\xC3\xA4\" i=\"12abc\" />");
}

TEST(ElementAttributes, TablesAreSharedByElementNameAcrossThreads) {
  KivoElement a(wxS("attr_shared"));
  KivoElement b(wxS("attr_shared"));
  a.setIntAttribute(wxS("n"), 1, 0, 0);
  EXPECT_EQ(b.getAttributeType(wxS("n")), AttributeInteger);
  EXPECT_EQ(KivoElement(wxS("attr_other")).getAttributeType(wxS("n")), AttributeNone);
  b.setAttributeType(wxS("n"), AttributeDouble);
  EXPECT_EQ(KivoElement::getElementAttributeTypes(wxS("attr_shared")).at(wxS("n")),
            AttributeDouble);
  auto fill = [](int t) {
    KivoElement e(wxString::Format(wxS("attr_thread_%i"), t % 2));
    for (int i = 0; i < 500; ++i) {
      const wxString name = wxString::Format(wxS("a%i"), i % 50);
      e.setIntAttribute(name, i, 0, 0);
      e.setEnumValues(name, wxArrayString(1, &name));
      EXPECT_EQ(e.getValidEnum(name, name.Upper()), name);
    }
  };
  std::thread t0(fill, 0), t1(fill, 1), t2(fill, 2), t3(fill, 3);
  for (std::thread* t : {&t0, &t1, &t2, &t3}) t->join();
  EXPECT_EQ(KivoElement::getElementAttributeTypes(wxS("attr_thread_0")).size(), 50u);
}

TEST(ElementEnums, ListedSpellingWinsIgnoringCaseAndOtherValuesStay) {
  CountingElement e;
  const wxString levels[] = {wxS("Low"), wxS("High")};
  e.setEnumValues(wxS("level"), wxArrayString(2, levels));
  e.setEnumAttribute(wxS("level"), wxS("high"));
  EXPECT_EQ(e.getAttribute(wxS("level"), wxS("")), wxS("High"));
  EXPECT_EQ(e.getAttributeType(wxS("level")), AttributeEnumeration);
  e.setEnumAttribute(wxS("level"), wxS("medium"));
  EXPECT_EQ(e.getAttribute(wxS("level"), wxS("")), wxS("medium"));
  e.setAttributeRaw(wxS("level"), wxS("LOW"));
  e.setIntAttribute(wxS("n"), 1, 0, 0);
  EXPECT_EQ(e.calls, 2);  // only the enumeration setter goes through the virtual one
  EXPECT_EQ(e.getEnumAttribute(wxS("level"), wxS("")), wxS("Low"));
  e.setEnumValues(wxS("x"), wxArrayString());  // an empty list counts as recorded
  EXPECT_TRUE(e.hasEnumValues(wxS("x")));
  EXPECT_EQ(e.getValidEnum(wxS("x"), wxS("v")), wxS("v"));
}

TEST(ElementUtf8, StrictCheckWantsXmlUsableTextLooseCheckOnlyContinuations) {
  for (const char* good : {"", "tab\there\r\n ~", "\xC2\x80\xDF\xBF", "\xE0\xA0\x80\xED\x9F\xBF",
                           "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"}) {
    EXPECT_TRUE(KivoElement::is_utf8(good) && KivoElement::is_valid_utf8(good)) << good;
  }
  // Controls, overlongs, surrogates, beyond U+10FFFF, stray continuation bytes.
  for (const char* loose : {"\x01", "\x7F", "\xC0\x80", "\xE0\x9F\xBF", "\xF0\x8F\xBF\xBF",
                            "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\x80\xF8"}) {
    EXPECT_TRUE(!KivoElement::is_utf8(loose) && KivoElement::is_valid_utf8(loose)) << loose;
  }
  for (const char* cut : {"\xC3", "\xE2\x82x", "\xF0\x9F\x98", static_cast<const char*>(nullptr)}) {
    EXPECT_FALSE(KivoElement::is_utf8(cut) || KivoElement::is_valid_utf8(cut));
  }
}
