#include <gtest/gtest.h>
#include <tinyxml.h>

#include <cmath>
#include <limits>
#include <thread>
#include <vector>

#include "kivo/KivoElement.h"

using KivoUnit::AttributeType;
using KivoUnit::KivoElement;

namespace {

// Element names are unique per test: the type and enumeration tables are class-wide.
KivoElement element(const char* tag) { return KivoElement(wxString::FromUTF8(tag)); }

// The attributes that a Write would put on a fresh element.
std::string written(KivoElement& e, const char* name) {
  TiXmlElement out("out");
  e.Write(&out);
  const char* value = out.Attribute(name);
  return value ? value : "<absent>";
}

}  // namespace

TEST(ElementAttributes, ClearedAttributeStaysAsAnEmptyEntry) {
  KivoElement e = element("attr_clear");
  e.setAttribute(wxS("x"), wxS("1"));
  e.clearAttribute(wxS("x"));
  EXPECT_TRUE(e.hasAttribute(wxS("x")));
  EXPECT_EQ(e.getAttribute(wxS("x"), wxS("d")), wxS(""));
  EXPECT_EQ(e.getAttribute(wxS("missing"), wxS("d")), wxS("d"));
  EXPECT_EQ(written(e, "x"), "<absent>");
}

TEST(ElementAttributes, IntegerOutOfRangeClearsInsteadOfClamping) {
  KivoElement e = element("attr_int");
  e.setIntAttribute(wxS("n"), 5, 0, 10);
  EXPECT_EQ(e.getIntAttribute(wxS("n"), -1), 5);
  EXPECT_EQ(e.getAttributeType(wxS("n")), KivoUnit::AttributeInteger);
  e.setIntAttribute(wxS("n"), 11, 0, 10);
  EXPECT_EQ(e.getAttribute(wxS("n"), wxS("d")), wxS(""));
  EXPECT_EQ(written(e, "n"), "<absent>");
  e.setIntAttribute(wxS("n"), 11, 0, 0);
  EXPECT_EQ(written(e, "n"), "11");
  e.setIntAttribute(wxS("n"), -3, 5, 1);  // minimum not below maximum: no check
  EXPECT_EQ(e.getIntAttribute(wxS("n"), 0), -3);
  e.setIntAttribute(wxS("n"), 10, 0, 10);  // the range is closed
  EXPECT_EQ(e.getIntAttribute(wxS("n"), 0), 10);
}

TEST(ElementAttributes, UnsignedUsesUnsignedComparisons) {
  KivoElement e = element("attr_uint");
  e.setUintAttribute(wxS("u"), 4000000000u, 0u, 4100000000u);
  EXPECT_EQ(e.getUintAttribute(wxS("u"), 0), 4000000000u);
  EXPECT_EQ(e.getAttributeType(wxS("u")), KivoUnit::AttributeUnsigned);
  e.setUintAttribute(wxS("u"), 1u, 2u, 3u);
  EXPECT_EQ(e.getAttribute(wxS("u"), wxS("d")), wxS(""));
}

TEST(ElementAttributes, DoubleRangeAndNonFiniteValues) {
  KivoElement e = element("attr_double");
  e.setDoubleAttribute(wxS("d"), 0.5, 2, 0.0, 1.0);
  EXPECT_EQ(written(e, "d"), "0.50");
  EXPECT_EQ(e.getAttributeType(wxS("d")), KivoUnit::AttributeDouble);
  e.setDoubleAttribute(wxS("d"), 1.5, 2, 0.0, 1.0);
  EXPECT_EQ(written(e, "d"), "<absent>");
  e.setDoubleAttribute(wxS("d"), std::numeric_limits<double>::quiet_NaN(), 2, 0.0, 1.0);
  EXPECT_EQ(written(e, "d"), "<absent>");
  e.setDoubleAttribute(wxS("d"), 1.5, 2, 1.0, 1.0);  // no range
  EXPECT_DOUBLE_EQ(e.getDoubleAttribute(wxS("d"), 0), 1.5);
}

TEST(ElementAttributes, BooleanOmitsTheDefaultWhenAsked) {
  KivoElement e = element("attr_bool");
  e.setBoolAttribute(wxS("flag"), false, false, true);
  EXPECT_EQ(e.getAttribute(wxS("flag"), wxS("d")), wxS(""));
  EXPECT_FALSE(e.hasAttributeType(wxS("flag")));
  e.setBoolAttribute(wxS("flag"), true, false, true);
  EXPECT_EQ(e.getAttribute(wxS("flag"), wxS("")), wxS("true"));
  EXPECT_EQ(e.getAttributeType(wxS("flag")), KivoUnit::AttributeBoolean);
  e.setBoolAttribute(wxS("flag"), false, false, false);
  EXPECT_EQ(e.getAttribute(wxS("flag"), wxS("")), wxS("false"));
  EXPECT_FALSE(e.getBoolAttribute(wxS("flag"), true));
}

TEST(ElementAttributes, TypedGettersFallBackOnlyForMissingOrEmpty) {
  KivoElement e = element("attr_getters");
  e.setAttribute(wxS("i"), wxS("12abc"));
  e.setAttribute(wxS("b"), wxS("TRUE"));
  e.setAttribute(wxS("e"), wxS(""));
  EXPECT_EQ(e.getIntAttribute(wxS("i"), 7), 12);
  EXPECT_TRUE(e.getBoolAttribute(wxS("b"), false));
  EXPECT_EQ(e.getIntAttribute(wxS("e"), 7), 7);
  EXPECT_EQ(e.getIntAttribute(wxS("missing"), 7), 7);
}

TEST(ElementAttributes, TypesAreSharedByElementName) {
  KivoElement a = element("attr_shared");
  KivoElement b = element("attr_shared");
  KivoElement other = element("attr_shared_other");
  a.setIntAttribute(wxS("n"), 1, 0, 0);
  EXPECT_EQ(b.getAttributeType(wxS("n")), KivoUnit::AttributeInteger);
  EXPECT_FALSE(other.hasAttributeType(wxS("n")));
  EXPECT_EQ(other.getAttributeType(wxS("n")), KivoUnit::AttributeNone);
  b.setAttributeType(wxS("n"), KivoUnit::AttributeDouble);
  EXPECT_EQ(a.getAttributeTypes().at(wxS("n")), KivoUnit::AttributeDouble);
  EXPECT_EQ(&KivoElement::getElementAttributeTypes(wxS("attr_shared")), &a.getAttributeTypes());
}

TEST(ElementEnums, ListedSpellingWinsIgnoringCase) {
  KivoElement e = element("enum_level");
  wxArrayString values;
  values.Add(wxS("Low"));
  values.Add(wxS("High"));
  e.setEnumValues(wxS("level"), values);
  e.setEnumAttribute(wxS("level"), wxS("high"));
  EXPECT_EQ(e.getAttribute(wxS("level"), wxS("")), wxS("High"));
  EXPECT_EQ(e.getAttributeType(wxS("level")), KivoUnit::AttributeEnumeration);
  e.setEnumAttribute(wxS("level"), wxS("medium"));
  EXPECT_EQ(e.getAttribute(wxS("level"), wxS("")), wxS("medium"));
  EXPECT_EQ(e.getEnumAttribute(wxS("missing"), wxS("LOW")), wxS("LOW"));
  e.setAttribute(wxS("level"), wxS("LOW"));
  EXPECT_EQ(e.getEnumAttribute(wxS("level"), wxS("")), wxS("Low"));
}

TEST(ElementEnums, EmptyListCountsAsRecorded) {
  KivoElement e = element("enum_empty");
  EXPECT_FALSE(e.hasEnumValues(wxS("x")));
  e.setEnumValues(wxS("x"), wxArrayString());
  EXPECT_TRUE(e.hasEnumValues(wxS("x")));
  EXPECT_TRUE(e.getEnumValues(wxS("x")).empty());
  EXPECT_EQ(e.getValidEnum(wxS("x"), wxS("v")), wxS("v"));
  EXPECT_EQ(e.getEnumValues().count(wxS("x")), 1u);
}

namespace {
// Enumeration values reach subclasses' setAttribute; raw and typed setters do not.
class CountingElement : public KivoElement {
 public:
  CountingElement() : KivoElement(wxS("enum_counting")) {}
  void setAttribute(const wxString& name, const wxString& value) override {
    ++calls;
    KivoElement::setAttribute(name, value);
  }
  int calls = 0;
};
}  // namespace

TEST(ElementEnums, OnlyTheEnumSetterGoesThroughTheVirtualSetter) {
  CountingElement e;
  e.setEnumAttribute(wxS("a"), wxS("v"));
  e.setAttributeRaw(wxS("b"), wxS("v"));
  e.setIntAttribute(wxS("c"), 1, 0, 0);
  e.clearAttribute(wxS("d"));
  EXPECT_EQ(e.calls, 1);
}

TEST(ElementAttributes, WideMapHoldsOnlyEntriesWithKeyAndValue) {
  KivoElement e = element("attr_maps");
  e.setAttribute(wxS("a"), wxString::FromUTF8("\xC3\xA4"));
  e.clearAttribute(wxS("b"));
  e.getAttributeSet().set("", "x");
  const auto wide = e.getAttributes(true);
  ASSERT_EQ(wide.size(), 1u);
  EXPECT_EQ(wide.at(wxS("a")), wxString::FromUTF8("\xC3\xA4"));
  EXPECT_EQ(e.getAttributes().size(), 3u);
  EXPECT_EQ(e.getAttributes().at("a"), "\xC3\xA4");
}

TEST(ElementAttributes, TablesStayConsistentUnderConcurrentUse) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t] {
      KivoElement e(wxString::Format(wxS("attr_thread_%i"), t % 2));
      for (int i = 0; i < 2000; ++i) {
        const wxString name = wxString::Format(wxS("a%i"), i % 50);
        e.setIntAttribute(name, i, 0, 0);
        EXPECT_EQ(e.getAttributeType(name), KivoUnit::AttributeInteger);
        wxArrayString values;
        values.Add(name);
        e.setEnumValues(name, values);
        EXPECT_EQ(e.getValidEnum(name, name.Upper()), name);
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(KivoElement::getElementAttributeTypes(wxS("attr_thread_0")).size(), 50u);
}
