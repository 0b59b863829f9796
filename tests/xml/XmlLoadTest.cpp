#include <gtest/gtest.h>
#include <tinyxml.h>

#include <wx/filename.h>

#include "kivo/Indent.h"
#include "kivo/xml/KivoXML.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"
#include "xml/XmlTestDocuments.h"

using KivoUnit::KivoXML;
using KivoTest::LogCapture;
using KivoTest::TempDir;

namespace {

// KivoXML leaves reading and writing to its subclasses.
class Document : public KivoXML {
 public:
  explicit Document(TiXmlDocument* source = nullptr) : KivoXML(source) {}
  bool Read(TiXmlElement*) override { return true; }
  bool Write(TiXmlElement*) override { return true; }
};

wxString loadFailure(const std::string& path, const wxString& error) {
  return wxS("Loading file '") + wxString::FromUTF8(path.c_str()) + wxS("' failed\n") + error;
}

}  // namespace

TEST(XmlLoad, WellFormedFileBecomesTheSourceDocument) {
  TempDir dir;
  const std::string path = dir.write("a.xml", "<root><child name=\"x\"/></root>");
  Document doc;
  ASSERT_TRUE(doc.Load(wxString::FromUTF8(path.c_str())));
  EXPECT_EQ(doc.getSourceDocument(), doc.getDocument());
  EXPECT_EQ(doc.getFilename(), wxString::FromUTF8(path.c_str()));
  EXPECT_EQ(doc.GetXmlError(), wxString());
}

TEST(XmlLoad, MissingFileLogsTheNormalisedPathAndLeavesNoDocument) {
  TempDir dir;
  LogCapture log;
  Document doc;
  const wxString relative = wxString::FromUTF8(dir.path().c_str()) + wxS("/sub/../missing.xml");
  EXPECT_FALSE(doc.Load(relative));
  const wxString full = wxString::FromUTF8(dir.file("missing.xml").c_str());
  EXPECT_EQ(doc.getFilename(), full);
  EXPECT_TRUE(log.contains(wxS("File '") + full + wxS("' does not exist!"), 5));
  ASSERT_EQ(log.count(), 1u);
  EXPECT_EQ(log.messages()[0].file, wxS("include/kivo/xml/KivoXML"));
  EXPECT_EQ(log.messages()[0].function, wxS("Load"));
  EXPECT_EQ(doc.getSourceDocument(), nullptr);
  EXPECT_FALSE(doc.Save());
}

TEST(XmlLoad, RelativeNameIsMadeAbsoluteFromTheWorkingDirectory) {
  LogCapture log;
  Document doc;
  EXPECT_FALSE(doc.Load(wxS("./no-such-kivo-file.xml")));
  EXPECT_EQ(doc.getFilename(), wxFileName::GetCwd() + wxS("/no-such-kivo-file.xml"));
}

TEST(XmlLoad, EmptyNameAndFolderAreReportedAsMissing) {
  TempDir dir;
  LogCapture log;
  Document doc;
  EXPECT_FALSE(doc.Load(wxString()));
  EXPECT_TRUE(log.contains(wxS("File '' does not exist!"), 5));
  EXPECT_FALSE(doc.Load(wxString::FromUTF8(dir.path().c_str())));
  EXPECT_TRUE(log.contains(wxS("File '") + wxString::FromUTF8(dir.path().c_str()) +
                               wxS("' does not exist!"),
                           5));
  EXPECT_EQ(log.count(), 2u);
}

TEST(XmlLoad, SyntaxErrorLogsRowAndColumnFromOne) {
  TempDir dir;
  const std::string path = dir.write("bad.xml", "<root>\n  <a></b>\n</root>");
  LogCapture log;
  Document doc;
  EXPECT_FALSE(doc.Load(wxString::FromUTF8(path.c_str())));
  const wxString error = doc.GetXmlError();
  EXPECT_TRUE(error.StartsWith(wxS("Error #"))) << error;
  EXPECT_NE(error.find(wxS("[line 2:")), wxString::npos) << error;
  EXPECT_NE(error.find(wxS("in xml document '") + wxString::FromUTF8(path.c_str()) + wxS("': '")),
            wxString::npos)
      << error;
  EXPECT_TRUE(log.contains(loadFailure(path, error), 5));
  EXPECT_EQ(log.count(), 1u);
  EXPECT_EQ(doc.getSourceDocument(), nullptr);
  EXPECT_TRUE(doc.getDocument()->Error());
}

TEST(XmlLoad, EmptyFileFailsWithAPositionAtTheStart) {
  TempDir dir;
  const std::string path = dir.write("empty.xml", "");
  LogCapture log;
  Document doc;
  EXPECT_FALSE(doc.Load(wxString::FromUTF8(path.c_str())));
  EXPECT_NE(doc.GetXmlError().find(wxS("[line 1:1]")), wxString::npos) << doc.GetXmlError();
  EXPECT_TRUE(log.contains(loadFailure(path, doc.GetXmlError()), 5));
}

TEST(XmlLoad, ByteOrderMarkAloneIsAnEmptyDocument) {
  TempDir dir;
  const std::string path = dir.write("bom.xml", "\xEF\xBB\xBF");
  LogCapture log;
  Document doc;
  EXPECT_FALSE(doc.Load(wxString::FromUTF8(path.c_str())));
  EXPECT_TRUE(log.contains(loadFailure(path, doc.GetXmlError()), 5));
}

TEST(XmlLoad, Utf8ByteOrderMarkBeforeAWellFormedDocumentLoads) {
  TempDir dir;
  const std::string path = dir.write("bom.xml", "\xEF\xBB\xBF<root name=\"\xC3\xA4\"/>");
  Document doc;
  ASSERT_TRUE(doc.Load(wxString::FromUTF8(path.c_str())));
  EXPECT_EQ(KivoXML::GetAttr(doc.getDocument()->RootElement(), wxS("name"), wxS("")),
            KivoTest::utf8("\xC3\xA4"));
}

TEST(XmlLoad, Utf16FileFailsWithOneMessage) {
  TempDir dir;
  const std::string utf16("\xFF\xFE<\0r\0/\0>\0", 10);
  const std::string path = dir.write("wide.xml", utf16);
  LogCapture log;
  Document doc;
  EXPECT_FALSE(doc.Load(wxString::FromUTF8(path.c_str())));
  EXPECT_EQ(log.count(), 1u);
  EXPECT_TRUE(log.contains(loadFailure(path, doc.GetXmlError()), 5));
}

TEST(XmlLoad, TruncatedDocumentFails) {
  TempDir dir;
  const std::string path = dir.write("cut.xml", "<root><a x=\"1");
  LogCapture log;
  Document doc;
  EXPECT_FALSE(doc.Load(wxString::FromUTF8(path.c_str())));
  EXPECT_FALSE(doc.GetXmlError().empty());
}

TEST(XmlLoad, FailedLoadDropsTheEarlierDocument) {
  TempDir dir;
  const std::string good = dir.write("good.xml", "<root/>");
  Document doc;
  ASSERT_TRUE(doc.Load(wxString::FromUTF8(good.c_str())));
  LogCapture log;
  EXPECT_FALSE(doc.Load(wxString::FromUTF8(dir.file("gone.xml").c_str())));
  EXPECT_EQ(doc.getSourceDocument(), nullptr);
  EXPECT_EQ(doc.GetXmlError(), wxString());  // a fresh, empty own document
}

TEST(XmlLoad, NonAsciiPathLoads) {
  TempDir dir;
  const std::string path = dir.write("d\xC3\xA4t\xC3\xA4.xml", "<root/>");
  Document doc;
  EXPECT_TRUE(doc.Load(wxString::FromUTF8(path.c_str())));
}

TEST(XmlSave, WritesTheSourceDocumentBackToItsFile) {
  TempDir dir;
  const std::string path = dir.write("s.xml", "<root/>");
  Document doc;
  ASSERT_TRUE(doc.Load(wxString::FromUTF8(path.c_str())));
  KivoXML::SetAttr(doc.getDocument()->RootElement(), wxS("k"), wxS("v"));
  ASSERT_TRUE(doc.Save());
  EXPECT_NE(dir.read("s.xml").find("<root k=\"v\" />"), std::string::npos) << dir.read("s.xml");
}

TEST(XmlSave, BorrowedDocumentIsNeitherSavedWithoutNameNorFreed) {
  TiXmlDocument borrowed;
  borrowed.LinkEndChild(new TiXmlElement("root"));
  {
    Document doc(&borrowed);
    EXPECT_EQ(doc.getSourceDocument(), &borrowed);
    EXPECT_FALSE(doc.Save());  // the document has no file name
  }
  EXPECT_NE(borrowed.RootElement(), nullptr);
}

TEST(XmlReport, ExceptionDocumentHasSixLines) {
  Document doc;
  EXPECT_EQ(doc.xmlException(wxS("boom")),
            wxS("<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\"?>\n<exception>\n"
                "\t<message>\n\t\tboom\n\t</message>\n</exception>\n"));
}

TEST(XmlReport, DocToXmlWithoutDocumentNamesTheFile) {
  LogCapture log;
  Document doc;
  doc.Load(wxS("/nonexistent-kivo/x.xml"));
  log.clear();
  EXPECT_EQ(doc.DocToXML(KivoUnit::Indent()),
            doc.xmlException(wxS("No XML document association found! Filename '/nonexistent-kivo/x.xml'")));
  EXPECT_EQ(log.count(), 0u);
}

TEST(XmlReport, DocToXmlPrintsWithTheIndentUnit) {
  TempDir dir;
  const std::string path = dir.write("p.xml", "<root><a><b/></a></root>");
  Document doc;
  ASSERT_TRUE(doc.Load(wxString::FromUTF8(path.c_str())));
  EXPECT_EQ(doc.DocToXML(KivoUnit::Indent(wxS("ignored"), wxS("--"), wxS("\r\n"))),
            wxS("<root>\n--<a>\n----<b />\n--</a>\n</root>\n"));
}

TEST(XmlClassTag, StartsAsXml) { EXPECT_EQ(Document().getClassTag(), wxS("xml")); }
