// Loading, saving and printing documents; the static readers, writers and searches on real elements.
#include <gtest/gtest.h>

#include <wx/filename.h>

#include "kivo/convert/Indent.h"
#include "kivo/xml/KivoXML.h"
#include "support/TempDir.h"
#include "xml/XmlTestDocuments.h"

using KivoUnit::KivoXML;
using namespace KivoTest;

namespace {

struct Document : KivoXML {
  Document() : KivoXML(nullptr) {}
  bool Read(TiXmlElement*) override { return true; }
  bool Write(TiXmlElement*) override { return true; }
};

class XmlDocument : public ::testing::Test {
 protected:
  TempDir dir;
  LogCapture log;
  Document doc;
};

// How `logged` shows the errors of Load.
const char* const kLoadError = "5 include/kivo/xml/KivoXML Load(): ";

}  // namespace

TEST_F(XmlDocument, LoadedFileBecomesTheSourceAndSavesBack) {
  // A UTF-8 byte order mark and a file name that is not ASCII are both fine.
  const std::string file = dir.write("\xC3\xA4.xml", "\xEF\xBB\xBF<r n=\"\xC3\xA4\"><a/></r>");
  ASSERT_TRUE(doc.Load(utf8(file)));
  EXPECT_EQ(doc.getSourceDocument(), doc.getDocument());
  TiXmlElement* root = doc.getDocument()->RootElement();
  EXPECT_EQ(KivoXML::GetAttr(root, wxS("n"), wxS("")), utf8("\xC3\xA4"));
  KivoXML::SetAttr(root, wxS("k"), wxS("v"));
  ASSERT_TRUE(doc.Save());
  EXPECT_EQ(dir.read("\xC3\xA4.xml"), "\xEF\xBB\xBF<r n=\"\xC3\xA4\" k=\"v\">\n    <a />\n</r>\n");
  EXPECT_EQ(doc.DocToXML(KivoUnit::Indent(wxS("ignored"), wxS("--"), wxS("\r\n"))),
            wxS("<r n=\"\u00E4\" k=\"v\">\n--<a />\n</r>\n"));
  EXPECT_EQ(log.count(), 0u);
}

TEST_F(XmlDocument, MissingFilesAreErrorsNamingTheNormalisedPath) {
  ASSERT_TRUE(doc.Load(utf8(dir.write("good.xml", "<root/>"))));
  EXPECT_FALSE(doc.Load(utf8(dir.path() + "/sub/../missing.xml")));
  const wxString full = utf8(dir.file("missing.xml"));
  EXPECT_EQ(doc.getSourceDocument(), nullptr);  // the earlier document is gone
  EXPECT_FALSE(doc.Save());
  EXPECT_EQ(doc.DocToXML(KivoUnit::Indent()),
            wxS("<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\"?>\n<exception>\n"
                "\t<message>\n\t\tNo XML document association found! Filename '") +
                full + wxS("'\n\t</message>\n</exception>\n"));
  // An empty name is not the working folder, a folder is no file, a relative name is completed.
  EXPECT_FALSE(doc.Load(wxString()));
  EXPECT_FALSE(doc.Load(utf8(dir.path())));
  EXPECT_FALSE(doc.Load(wxS("./no-such-kivo-file.xml")));
  const wxString relative = wxFileName::GetCwd() + wxS("/no-such-kivo-file.xml");
  Lines expected;
  for (const wxString& path : {full, wxString(), utf8(dir.path()), relative}) {
    expected.push_back(kLoadError + ("File '" + path + "' does not exist!"));
  }
  EXPECT_EQ(logged(log), expected);
}

// A position is given only when TinyXML knows it, counted from one; an empty document's
// error is at its start.
TEST_F(XmlDocument, ParseErrorsAreLoggedOnceWithTheirPositionWhenKnown) {
  const std::tuple<const char*, std::string, const char*, const char*> cases[] = {
      {"tag.xml", "<root>\n  <a></b>\n</root>", "#8 [line 2:6]", "reading end tag."},
      {"cut.xml", "<root><a x=\"1", "#3 [line 1:10]", "parsing Element."},
      {"open.xml", "<root>\n  <a/>\n\n  <!-- never closed\n  <b/>\n</root>\n",
       "#5 [position unknown]", "reading Element value."},
      {"empty.xml", "", "#12 [line 1:1]", "document empty."},
      {"bom.xml", "\xEF\xBB\xBF", "#12 [line 1:1]", "document empty."},
      {"utf16.xml", std::string("\xFF\xFE<\0r\0/\0>\0", 10), "#12 [line 1:1]", "document empty."}};
  for (const auto& [name, content, where, what] : cases) {
    log.clear();
    const wxString path = utf8(dir.write(name, content));
    EXPECT_FALSE(doc.Load(path)) << name;
    const wxString error =
        wxString::Format("Error %s in xml document '%s': 'Error %s'", where, path, what);
    EXPECT_EQ(doc.GetXmlError(), error);
    EXPECT_EQ(logged(log), Lines{kLoadError + ("Loading file '" + path + "' failed\n" + error)});
    EXPECT_EQ(doc.getSourceDocument(), nullptr);
  }
}

TEST(XmlAccess, TextsCrossAsUtf8AndTypedAttributesParseStrictlyOrFallBack) {
  TiXmlElement e("old");
  KivoXML::SetValue(&e, utf8("n\xC3\xA4"));
  EXPECT_EQ(KivoXML::GetValue(&e), utf8("n\xC3\xA4"));
  const char* raw = "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC <&\"'>";
  KivoXML::SetAttr(&e, utf8("n\xC3\xA4me"), utf8(raw));
  EXPECT_STREQ(e.Attribute("n\xC3\xA4me"), raw);
  EXPECT_TRUE(KivoXML::HasAttr(&e, utf8("n\xC3\xA4me")));
  EXPECT_EQ(KivoXML::GetAttr(&e, utf8("n\xC3\xA4me"), wxS("")), utf8(raw));
  KivoXML::SetAttr(&e, wxS("empty"), wxS(""));  // written, not removed
  EXPECT_EQ(KivoXML::GetAttr(&e, wxS("empty"), wxS("def")), wxS(""));
  EXPECT_EQ(KivoXML::GetAttr(&e, wxS("other"), wxS("def")), wxS("def"));

  auto doc = parseXml("<e t=\"TrUe\" one=\"1\" sp=\"true \" i=\"-7xyz\" w=\"abc\" x=\"1e3x\"/>");
  const TiXmlElement* typed = doc->RootElement();
  // Only "true", in any case, is true.
  EXPECT_EQ(wxString::Format("%i%i%i%i", KivoXML::GetBoolAttr(typed, wxS("t"), false),
                             KivoXML::GetBoolAttr(typed, wxS("one"), true),
                             KivoXML::GetBoolAttr(typed, wxS("sp"), true),
                             KivoXML::GetBoolAttr(typed, wxS("missing"), true)),
            wxS("1001"));
  EXPECT_EQ(KivoXML::GetIntAttr(typed, wxS("i"), 0), -7);
  EXPECT_EQ(KivoXML::GetIntAttr(typed, wxS("w"), 9), 9);
  EXPECT_DOUBLE_EQ(KivoXML::GetDoubleAttr(typed, wxS("x"), 0), 1000.0);
  TiXmlElement w("w");
  KivoXML::SetBoolAttr(&w, wxS("x"), true);
  KivoXML::SetBoolAttr(&w, wxS("y"), false);
  KivoXML::SetIntAttr(&w, wxS("n"), -123);
  KivoXML::SetDoubleAttr(&w, wxS("d"), 0.25);
  EXPECT_EQ(printed(w), "<w x=\"true\" y=\"false\" n=\"-123\" d=\"0.25\" />");
}

TEST(XmlAccess, ChildTextIsReadFromTheFirstMatchAndReplacedInPlace) {
  auto doc = parseXml("<e><x/><a k=\"v\">first<i/></a><a>second</a><b/></e>");
  TiXmlElement* e = doc->RootElement();
  EXPECT_EQ(KivoXML::GetChild(e, wxS("a"), wxS("d")) + KivoXML::GetChild(e, wxS("b"), wxS("d")) +
                KivoXML::GetChild(e, wxS("c"), wxS("d")),
            wxS("firstd"));
  KivoXML::SetChild(e, wxS("a"), wxS("new <text>"));
  KivoXML::SetChild(e, wxS("c"), wxS("added"));
  EXPECT_EQ(printed(*e),
            "<e><x /><a k=\"v\">new &lt;text&gt;</a><a>second</a><b /><c>added</c></e>");
}

TEST(XmlCombined, GetJoinsAttributeAndChildAndSetPutsMultiLineTextInOneChild) {
  // The default counts as absent.
  const std::pair<const char*, const char*> cases[] = {
      {"<e a=\"x\"><a>y</a></e>", "xy"}, {"<e><a>y</a></e>", "y"}, {"<e a=\"x\"/>", "x"},
      {"<e/>", "d"}, {"<e a=\"d\"><a>y</a></e>", "y"}, {"<e a=\"x\"><a>d</a></e>", "x"}};
  for (const auto& [xml, expected] : cases) {
    EXPECT_EQ(KivoXML::GetCombined(parseXml(xml)->RootElement(), wxS("a"), wxS("d")), utf8(expected))
        << xml;
  }
  auto doc = parseXml("<e a=\"old\" b=\"x\"><b>keep</b></e>");
  TiXmlElement* e = doc->RootElement();
  KivoXML::SetCombined(e, wxS("a"), wxS("one\ntwo"));
  KivoXML::SetCombined(e, wxS("a"), wxS("line 1\nline 2 & <3>"));
  KivoXML::SetCombined(e, wxS("b"), wxS(""));  // removes the attribute only
  KivoXML::SetCombined(e, wxS("c"), wxS("v"));
  EXPECT_EQ(printed(*e), "<e c=\"v\"><b>keep</b><a>line 1&#x0A;line 2 &amp; &lt;3&gt;</a></e>");
  // The line feed is an entity, so the text survives parsing.
  auto again = parseXml(printed(*e));
  EXPECT_EQ(KivoXML::GetCombined(again->RootElement(), wxS("a"), wxS("")),
            wxS("line 1\nline 2 & <3>"));
  KivoXML::SetCombined(again->RootElement(), wxS("b"), wxS("v"));  // leaves the child text
  EXPECT_EQ(KivoXML::GetCombined(again->RootElement(), wxS("b"), wxS("")), wxS("vkeep"));
}

TEST(XmlSearch, WildAndCommaSearchMatchAsDocumented) {
  const std::tuple<const char*, const char*, const char*, bool> wild[] = {
      // Without the wildcard the text must equal the pattern, case included.
      {"abc", "abc", "*", true}, {"abcd", "abc", "*", false}, {"ABC", "abc", "*", false},
      // The first piece stands at the start unless the pattern starts with the wildcard.
      {"xabc", "ab*", "*", false},
      // Pieces follow each other without overlapping; what follows the last is not examined.
      {"a-b-c", "a*b*c", "*", true}, {"a-c-b", "a*b*c", "*", false},
      {"aXaaXa", "aXa*aXa", "*", true}, {"abxcd", "ab*c", "*", true}, {"zzzz", "*x", "*", false},
      {"", "*", "*", true}, {"Gr\xC3\xBC\xC3\x9F" "e", "*\xC3\xBC*e", "*", true},
      {"Grusse", "*\xC3\xBC*", "*", false},
      // Every character of the wildcard splits, once the pattern holds the whole wildcard.
      {"a1b2c", "a?%b%c", "?%", true}, {"a1b2d", "a?%b%c", "?%", false},
      {"a1b2c", "a?b%c", "?%", false}, {"a?b%c", "a?b%c", "?%", true}};
  for (const auto& [text, pattern, wildcard, matches] : wild) {
    EXPECT_EQ(KivoXML::WildSearch(utf8(text), utf8(pattern), utf8(wildcard)), matches)
        << text << " " << pattern;
  }
  // Comma lists: items untrimmed and case-insensitive, empty only before or between commas.
  const std::tuple<const char*, const char*, bool> comma[] = {
      {"Alpha,Beta", "b*", true}, {"Alpha, Beta", "b*", false}, {"alpha,beta", "BETA", true},
      {"lib*", "library", false}, {"", "*", false}, {",a", "", true}, {"a,,b", "", true},
      {"a,", "", false}};
  for (const auto& [list, pattern, found] : comma) {
    EXPECT_EQ(KivoXML::CommaSearch(list, pattern), found) << list << " " << pattern;
  }
}
