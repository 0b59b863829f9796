// Loading, saving and printing documents, files refused before parsing, texts that must reach
// the tree, and damaged files from a seeded generator; the static readers, writers and
// searches on real elements. A save keeps who may read the file: the temporary file is never
// readable by more people than the original, and the saved file keeps owner, group and mode.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <random>
#include <thread>

#include <wx/filename.h>

#include "kivo/convert/Indent.h"
#include "kivo/element/KivoElement.h"
#include "kivo/xml/KivoXML.h"
#include "kivo/xml/XmlLimits.h"
#include "support/TempDir.h"
#include "xml/XmlTestDocuments.h"

using namespace KivoUnit;
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

std::string nested(int levels) {
  std::string open, close;
  for (int i = 0; i < levels; ++i) open += "<node>", close += "</node>";
  return open + close;
}

// Random bytes but NUL, or a valid document with a few damaged bytes, sometimes cut short.
std::string damagedDocument(std::mt19937& rng, bool random) {
  std::string text(rng() % 65, ' ');
  for (char& c : text) c = static_cast<char>(1 + rng() % 255);
  if (random) return text;
  text =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root name=\"r\" a=\"&amp;\xC3\xA4\">"
      "<node name=\"n$20x\" label='l'><![CDATA[c]]><!-- c --></node>text</root>";
  for (size_t n = rng() % 5; n > 0; --n) text[rng() % text.size()] = static_cast<char>(rng());
  if (rng() % 5 == 0) text.resize(rng() % text.size());
  return text;
}


constexpr uid_t kNobody = 65534;

// Sets the attribute "save" of the root to `value` and saves the document as it stands.
bool save(KivoElement& doc, const wxString& value) {
  KivoXML::SetAttr(doc.getDocument()->RootElement(), wxS("save"), value);
  return doc.KivoXML::Save();
}

struct stat statOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
  return info;
}

// Runs `work` while a thread looks at every temporary file created in `folder` the
// moment it appears; returns the permission bits it saw.
template <typename Work>
std::vector<mode_t> temporaryModesDuring(const std::string& folder, Work work) {
  std::vector<mode_t> modes;
  const int events = inotify_init1(IN_CLOEXEC);
  EXPECT_GE(inotify_add_watch(events, folder.c_str(), IN_CREATE), 0);
  std::thread watcher([&] {
    alignas(inotify_event) char buffer[4096];
    for (ssize_t length; (length = read(events, buffer, sizeof buffer)) > 0;) {
      for (ssize_t at = 0; at < length;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        if (std::strcmp(event->name, "stop") == 0) return;
        struct stat info {};  // a temporary file already renamed is not seen
        if (stat((folder + "/" + event->name).c_str(), &info) == 0) modes.push_back(info.st_mode & 07777);
      }
    }
  });
  work();
  close(open((folder + "/stop").c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600));
  watcher.join();
  close(events);
  unlink((folder + "/stop").c_str());
  return modes;
}

}  // namespace

TEST_F(XmlDocument, LoadedFileBecomesTheSourceAndSavesBackAMissingOneIsAnError) {
  // A UTF-8 byte order mark and a file name that is not ASCII are both fine.
  const std::string file = dir.write("\xC3\xA4.xml", "\xEF\xBB\xBF<r n=\"\xC3\xA4\"><a/></r>");
  ASSERT_TRUE(doc.Load(utf8(file)));
  EXPECT_EQ(doc.getSourceDocument(), doc.getDocument());
  TiXmlElement* root = doc.getDocument()->RootElement();
  EXPECT_EQ(KivoXML::GetAttr(root, wxS("n"), wxS("")), utf8("\xC3\xA4"));
  KivoXML::SetAttr(root, wxS("k"), wxS("v"));
  ASSERT_TRUE(doc.Save());
  EXPECT_EQ(dir.read("\xC3\xA4.xml"), "\xEF\xBB\xBF<r n=\"\xC3\xA4\" k=\"v\">\n    <a />\n</r>\n");
  EXPECT_EQ(doc.DocToXML(Indent(wxS("ignored"), wxS("--"), wxS("\r\n"))),
            wxS("<r n=\"\u00E4\" k=\"v\">\n--<a />\n</r>\n"));
  EXPECT_EQ(log.count(), 0u);
  // A missing file is an error naming the normalised path.
  EXPECT_FALSE(doc.Load(utf8(dir.path() + "/sub/../missing.xml")));
  const wxString full = utf8(dir.file("missing.xml"));
  EXPECT_FALSE(doc.getSourceDocument() != nullptr || doc.Save()) << "the earlier document is gone";
  EXPECT_EQ(doc.DocToXML(Indent()),
            wxS("<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\"?>\n<exception>\n"
                "\t<message>\n\t\tNo XML document association found! Filename '") +
                full + wxS("'\n\t</message>\n</exception>\n"));
  // An empty name is not the working folder, a folder is no file, a relative name is completed.
  EXPECT_FALSE(doc.Load(wxString()) || doc.Load(utf8(dir.path())) || doc.Load(wxS("./no-such-kivo-file.xml")));
  const wxString relative = wxFileName::GetCwd() + wxS("/no-such-kivo-file.xml");
  Lines expected;
  for (const wxString& path : {full, wxString(), utf8(dir.path()), relative}) {
    expected.push_back(kLoadError + ("File '" + path + "' does not exist!"));
  }
  EXPECT_EQ(logged(log), expected);
}

TEST_F(XmlDocument, UnreadableFilesFailWithOneErrorAndThePositionWhenKnown) {
  const std::string fifo = dir.file("pipe.xml");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  // The line a refusal names counts every line break before the element: in quoted values,
  // text, comments and inside tags alike.
  const std::string lead = "<root a='one\ntwo' b=\"x>\n<y\">\n  text\n  more text <!-- a\n<b> -->\n<c\n  d='1'\n>";
  XmlLimits::setMaxDepth(3);
  XmlLimits::setMaxAttributes(2);
  // TinyXML's position counts from one; an empty document's error is at its start.
  auto parse = [&](const char* name, const std::string& content, const char* where, const char* what) {
    const std::string path = dir.write(name, content);
    return std::pair{path,
                     "Error " + std::string(where) + " in xml document '" + path + "': 'Error " + what + "'"};
  };
  auto refuse = [](const std::string& path, const char* why) { return std::pair{path, "File '" + path + why}; };
  const std::pair<std::string, std::string> cases[] = {
      parse("tag.xml", "<root>\n  <a></b>\n</root>", "#8 [line 2:6]", "reading end tag."),
      parse("cut.xml", "<root><a x=\"1", "#3 [line 1:10]", "parsing Element."),
      parse("open.xml", "<root>\n  <a/>\n\n  <!-- never closed\n  <b/>\n</root>\n", "#5 [position unknown]",
            "reading Element value."),
      parse("empty.xml", "", "#12 [line 1:1]", "document empty."),
      parse("bom.xml", "\xEF\xBB\xBF", "#12 [line 1:1]", "document empty."),
      parse("utf16.xml", std::string("\xFF\xFE<\0r\0/\0>\0", 10), "#12 [line 1:1]", "document empty."),
      {fifo, "'" + fifo + "' is not a regular file"},
      refuse(dir.write("deep.xml", lead + "<e><f/></e></c></root>"),
             "' nests elements 4 levels deep (line 9); the limit is 3 levels"),
      refuse(dir.write("wide.xml", lead + "<e g='1' h='2'\n i='3'/></c></root>"),
             "' has an element with 3 attributes (line 10); the limit is 2 attributes")};
  for (const auto& [path, reason] : cases) {
    log.clear();
    EXPECT_FALSE(doc.Load(utf8(path))) << path;
    EXPECT_EQ(logged(log), Lines{kLoadError + utf8("Loading file '" + path + "' failed\n" + reason)});
    EXPECT_EQ(doc.GetXmlError(), reason.rfind("Error", 0) == 0 ? utf8(reason) : wxString());
    EXPECT_EQ(doc.getSourceDocument(), nullptr);
  }
  XmlLimits::setMaxAttributes(XmlLimits::DefaultMaxAttributes);
  XmlLimits::setMaxDepth(XmlLimits::DefaultMaxDepth);
  // Markup inside comments, CDATA, quotes, instructions and DOCTYPE does not nest.
  const std::string inside = "<x a=\"<y>\" b='<z>'/><!-- <c><c> --><![CDATA[<d><d>]]><?pi <e>?>";
  const std::string tricky = dir.write("tricky.xml", "<?xml version=\"1.0\"?><!DOCTYPE a [<!ENTITY x \"<b>\">]>" +
                                                         nested(999).insert(6 * 999, inside));
  EXPECT_TRUE(doc.Load(utf8(tricky)));
  XmlLimits::setMaxDepth(10);  // the host's own limit
  EXPECT_FALSE(doc.Load(utf8(tricky)));
  XmlLimits::setMaxDepth(XmlLimits::DefaultMaxDepth);
  EXPECT_EQ(XmlLimits::getMaxDepth(), 1000);
}

TEST_F(XmlDocument, EveryTextReachesTheDocumentAsUtf8WithOneWarning) {
  const wxString file = utf8(dir.file("text.xml"));
  const wxString latin =
      "File '" + file + "' holds text that is not UTF-8 from line %i on; it was read as ISO-8859-1 (Latin-1)";
  const std::pair<std::string, wxString> cases[] = {
      {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<node x=\"caf\xE9\" y=\"\xE9\"/>",
       wxString::Format(latin, 2)},
      {"<node>\n<node x=\"caf\xE9\" y=\"\xE9\"/></node>", wxString::Format(latin, 2)},
      {"<node>\n\n<n\xF4\x90\x80\x80 x=\"caf\xC3\xA9\"/></node>", wxString::Format(latin, 3)},
      {"<!DOCTYPE node>\n<node x=\"caf\xC3\xA9\">\n  <1node name=\"a\"/>\n</node>",
       "Unreadable markup '<1node name=\"a\"/>' in '" + file + "' line 3 is ignored"},
      // Plain ASCII, but the reference becomes a Latin-1 byte; line ends are normalised first.
      {"<node>\r\n<node x=\"caf&#233;\"/></node>", wxString::Format(latin, 2)},
      {"<node lines='a\r\nb\rc' x=\"caf\xC3\xA9\">\r\n  <1node/>\r\n</node>",
       "Unreadable markup '<1node/>' in '" + file + "' line 4 is ignored"},
      {"<node x=\"caf\xC3\xA9\"/>", ""}};
  for (const auto& [text, warning] : cases) {
    log.clear();
    ASSERT_TRUE(doc.Load(utf8(dir.write("text.xml", text))));
    const TiXmlElement* root = doc.getDocument()->RootElement();
    const TiXmlElement* element = root->FirstChildElement() ? root->FirstChildElement() : root;
    EXPECT_TRUE(element->Attribute("x") == std::string("caf\xC3\xA9") && !utf8(element->Value()).empty());
    EXPECT_TRUE(root->Attribute("lines") == nullptr || root->Attribute("lines") == std::string("a\nb\nc"));
    EXPECT_EQ(logged(log), warning.empty() ? Lines{} : Lines{"4 include/kivo/xml/KivoXML Load(): " + warning})
        << text;
  }
  // Plain ASCII needs no repair, but its unreadable markup is still named.
  log.clear();
  ASSERT_TRUE(doc.Load(utf8(dir.write("text.xml", "<node>\n<1node/>\n</node>"))));
  EXPECT_EQ(logged(log), Lines{"4 include/kivo/xml/KivoXML Load(): Unreadable markup '<1node/>' in '" + file +
                               "' line 2 is ignored"});
  // The declaration follows the text, so the saved file reads back the same.
  ASSERT_TRUE(doc.Load(utf8(dir.write("latin.xml", cases[0].first))));
  ASSERT_TRUE(doc.Save());
  EXPECT_EQ(dir.read("latin.xml"),
            "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<node x=\"caf\xC3\xA9\" y=\"\xC3\xA9\" />\n");
}

TEST_F(XmlDocument, SavesRemoveOnlyTheTemporariesOfDeadProcesses) {
  const pid_t gone = fork();  // a child that has ended is a process that no longer exists
  if (gone == 0) _exit(0);
  waitpid(gone, nullptr, 0);
  const std::string dead = "cfg.xml.tmp-" + std::to_string(gone) + "-3";
  const std::vector<std::string> kept = {"cfg.xml.tmp-" + std::to_string(getpid()) + "-7",
                                         "cfg.xml.tmp-1-0",  // init never ends
                                         "cfg.xml.tmp-x-1", "other.xml.tmp-" + std::to_string(gone) + "-1"};
  for (const std::string& name : kept) dir.write(name, "partial");
  dir.write(dead, "partial");
  ASSERT_TRUE(doc.Load(utf8(dir.write("cfg.xml", "<node/>"))));
  ASSERT_TRUE(doc.Save());
  EXPECT_EQ(dir.read(dead), "");
  for (const std::string& name : kept) EXPECT_EQ(dir.read(name), "partial") << name;
  EXPECT_EQ(dir.read("cfg.xml"), "<node />\n");
}

TEST(XmlAccess, TextsCrossAsUtf8AndTypedValuesParseStrictlyOrFallBack) {
  const char* raw = "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC <&\"'>";
  TiXmlElement e("old");
  KivoXML::SetAttr(&e, utf8("n\xC3\xA4me"), utf8(raw));
  KivoXML::SetAttr(&e, wxS("empty"), wxS(""));  // written, not removed
  EXPECT_STREQ(e.Attribute("n\xC3\xA4me"), raw);
  EXPECT_EQ(KivoXML::GetAttr(&e, utf8("n\xC3\xA4me"), "") + "|" + KivoXML::GetAttr(&e, "empty", "def") + "|" +
                KivoXML::GetAttr(&e, "other", "def"),
            utf8(std::string(raw) + "||def"));
  auto doc = parseXml("<e t=\"TrUe\" one=\"1\" sp=\"true \" i=\"-7xyz\" w=\"abc\" x=\"1e3x\"/>");
  const TiXmlElement* t = doc->RootElement();
  // Only "true", in any case, is true; numbers are read as far as they go.
  EXPECT_EQ(wxString::Format("%i%i%i%i %i %i %g", KivoXML::GetBoolAttr(t, "t", false),
                             KivoXML::GetBoolAttr(t, "one", true), KivoXML::GetBoolAttr(t, "sp", true),
                             KivoXML::GetBoolAttr(t, "missing", true), KivoXML::GetIntAttr(t, "i", 0),
                             KivoXML::GetIntAttr(t, "w", 9), KivoXML::GetDoubleAttr(t, "x", 0)),
            "1001 -7 9 1000");
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
  // Case counts; the first piece stands at the start unless the pattern starts with the
  // wildcard; pieces follow each other without overlapping and what follows the last is not
  // examined; every character of a wildcard of several splits, once the pattern holds it whole.
  const std::tuple<const char*, const char*, const char*, bool> wild[] = {
      {"abc", "abc", "*", true}, {"abcd", "abc", "*", false}, {"ABC", "abc", "*", false},
      {"xabc", "ab*", "*", false}, {"a-b-c", "a*b*c", "*", true}, {"a-c-b", "a*b*c", "*", false},
      {"aXaaXa", "aXa*aXa", "*", true}, {"abxcd", "ab*c", "*", true}, {"zzzz", "*x", "*", false},
      {"", "*", "*", true}, {"Gr\xC3\xBC\xC3\x9F" "e", "*\xC3\xBC*e", "*", true},
      {"Grusse", "*\xC3\xBC*", "*", false},
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

TEST_F(XmlDocument, DamagedFilesFailWithOneErrorOrSurviveASaveAndReload) {
  std::mt19937 rng(2024);
  int reloaded = 0;
  for (int i = 0; i < 100; ++i) {
    const std::string content = damagedDocument(rng, i % 4 == 0);
    const wxString file = utf8(dir.write("fuzz" + std::to_string(i) + ".xml", content));
    log.clear();
    KivoElement element(wxS("node"));
    if (!element.Load(file)) {
      ASSERT_EQ(log.count(), 1u) << i;
      ASSERT_TRUE(log.texts()[0].StartsWith("Loading file '" + file + "' failed\nError #")) << i;
      continue;
    }
    element.Read(element.getDocument()->RootElement());  // a document may have no element
    element.Write();
    ASSERT_TRUE(element.Save());
    KivoElement again(wxS("node"));
    ASSERT_TRUE(again.Load(file)) << i << ": " << again.GetXmlError();
    ++reloaded;
  }
  EXPECT_GT(reloaded, 20);  // the damage must leave many documents loadable
}

TEST(SaveOwnerAndMode, TemporaryFileIsNeverReadableByMoreThanTheOriginal) {
  std::string content = "<settings>\n";  // large enough that writing it takes a while
  for (int i = 0; i < 20000; ++i) content += "  <entry name=\"e" + std::to_string(i) + "\" secret=\"s\"/>\n";
  for (const mode_t original : {0600, 0400, 0640, 0644, 0660}) {
    SCOPED_TRACE(original);
    KivoTest::TempDir dir;
    const std::string file = dir.write("private.xml", content + "</settings>\n");
    ASSERT_EQ(chmod(file.c_str(), original), 0);
    KivoElement doc(wxS("settings"));
    ASSERT_TRUE(doc.Load(wxString::FromUTF8(file)));
    // Saves until the watcher has caught a temporary file or two; a busy machine may need many.
    std::vector<mode_t> seen;
    for (int round = 0; round < 200 && seen.size() < 2; round += 5) {
      const auto modes = temporaryModesDuring(dir.path(), [&] {
        for (int i = 0; i < 5; ++i) ASSERT_TRUE(save(doc, wxString::Format(wxS("%i"), round + i)));
      });
      EXPECT_EQ(statOf(file).st_mode & 07777, original);
      seen.insert(seen.end(), modes.begin(), modes.end());
    }
    EXPECT_FALSE(seen.empty()) << "the watcher never saw a temporary file";
    for (const mode_t mode : seen) EXPECT_EQ(mode & ~original, 0u) << std::oct << mode;
  }
}

// An administrator saving another user's file leaves it that user's, with its mode;
// without root there is nobody else.
TEST(SaveOwnerAndMode, SaveAsRootKeepsAnotherUsersOwnerAndGroup) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to make a file that belongs to another user";
  for (const auto& [owner, group, mode] : {std::tuple<uid_t, gid_t, mode_t>{kNobody, kNobody, 0640},
                                           {kNobody, 0, 0600}, {0, kNobody, 0460}}) {
    SCOPED_TRACE(mode);
    KivoTest::TempDir dir;
    const std::string file = dir.write("theirs.xml", "<settings save=\"1\"/>\n");
    ASSERT_EQ(chown(file.c_str(), owner, group) + chmod(file.c_str(), mode), 0);
    KivoElement doc(wxS("settings"));
    ASSERT_TRUE(doc.Load(wxString::FromUTF8(file)) && save(doc, wxS("2")));
    const struct stat info = statOf(file);
    EXPECT_EQ(std::tuple(info.st_uid, info.st_gid, info.st_mode & 07777), std::tuple(owner, group, mode));
    EXPECT_EQ(dir.read("theirs.xml"), "<settings save=\"2\" />\n");
  }
}
