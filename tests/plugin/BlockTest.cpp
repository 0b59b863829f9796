// Memory blocks, their texts and method lookup through the interface functions.
#include <gtest/gtest.h>

#include <cstring>

#include "plugin/PluginSupport.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

using namespace KivoUnit;
using namespace KivoTest;

namespace {

class BlockTest : public ::testing::Test {
 protected:
  void SetUp() override { kivo = start(nullptr); }
  void TearDown() override { stop(); }
  _Plugin* self() { return kivo->asPlugin(); }
  std::string text(KivoBlock* block) {
    const char* t = api().KivoCStr(self(), block);
    return t != nullptr ? t : "(null)";
  }

  KivoTest::LogCapture log;
  Kivo* kivo = nullptr;
};

KivoBlock* first(_Plugin*, KivoBlock*) { return nullptr; }
KivoBlock* second(_Plugin*, KivoBlock*) { return nullptr; }

TEST_F(BlockTest, BlocksAreAccountedUntilFreedAndRawTextsPassThrough) {
  EXPECT_EQ(memoryLine(), memoryOf(0, 0, 0));
  KivoBlock* block = api().KivoReturn(self(), "abc");
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block->type, KivoBlock::TextReply);
  EXPECT_EQ(block->size, 4u);
  EXPECT_EQ(block->flag, 1);
  EXPECT_EQ(std::memcmp(block->data, "abc", 4), 0);
  EXPECT_EQ(memoryLine(), memoryOf(4, 0, 1));
  // The unit names its allocator: the library's own record.
  EXPECT_NE(KivoBase::GetInstance()->State(Indent(), wxString()).Find(
                wxS("<plugin name=\"Kivo\" version=\"1.0.1.2\" api=\"1005\" />")), wxNOT_FOUND);
  api().KivoFree(self(), block);
  EXPECT_EQ(memoryLine(), memoryOf(4, 4, 0));
  api().KivoFree(self(), block);  // unknown now: ignored
  KivoBlock* empty = api().KivoAlloc(self(), 0);
  EXPECT_EQ(empty->data, nullptr);
  EXPECT_EQ(empty->flag + empty->type, KivoBlock::BinaryBlock);
  EXPECT_EQ(api().KivoCStr(self(), empty), nullptr);
  api().KivoFree(self(), empty);
  char xml[] = "<note/>";
  char query[] = "?x=1";
  EXPECT_EQ(api().KivoCStr(self(), reinterpret_cast<KivoBlock*>(xml)), xml);
  EXPECT_EQ(api().KivoCStr(self(), reinterpret_cast<KivoBlock*>(query)), query);
  api().KivoFree(self(), reinterpret_cast<KivoBlock*>(xml));  // a raw text is ignored
  EXPECT_EQ(memoryLine(), memoryOf(4, 4, 0));
}

TEST_F(BlockTest, FindCountsTheTerminatingEntry) {
  KivoBase* base = KivoBase::GetInstance();
  MethodEntry entries[] = {{"Boot", &first}, {"GetBase", &second}, {nullptr, nullptr}};
  MethodList counted{0, entries};
  EXPECT_EQ(base->Find(&counted, wxS("Boot")), &first);
  EXPECT_EQ(base->Find(&counted, wxS("GetBase")), &second);
  EXPECT_EQ(base->Find(&counted, wxS("boot")), nullptr);
  MethodList two{2, entries};
  EXPECT_EQ(base->Find(&two, wxS("Boot")), &first);
  EXPECT_EQ(base->Find(&two, wxS("GetBase")), nullptr);
  MethodEntry twice[] = {{"M", &first}, {"M", &second}, {nullptr, nullptr}};
  MethodList duplicates{0, twice};
  EXPECT_EQ(base->Find(&duplicates, wxS("M")), &second);
  MethodList none{0, nullptr};
  EXPECT_EQ(base->Find(&none, wxS("M")), nullptr);
  EXPECT_EQ(api().KivoExecute(self(), &counted, "Missing", nullptr), nullptr);
}

TEST_F(BlockTest, ExceptionNamesThePluginAndTheMessage) {
  KivoBlock* block = api().KivoException(self(), "went wrong \xC3\xA4");
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block->type, KivoBlock::ExceptionReply);
  const std::string xml = text(block);
  EXPECT_EQ(xml.rfind("<exception>\n<plugin name=\"Kivo\" version=\"1.0.1.2\" api=\"1005\">\n", 0), 0u) << xml;
  EXPECT_NE(xml.find(" <type>0x10000000</type>\n"), std::string::npos);
  EXPECT_NE(xml.find("\t<message>went wrong \xC3\xA4</message>\n</exception>\n"), std::string::npos);
  api().KivoFree(self(), block);
}

TEST_F(BlockTest, OwnMethodsBootGetBaseStateInfoAndRun) {
  KivoTest::TempDir dir;
  const std::string missing = dir.file("missing.xml");
  KivoBlock* argument = api().KivoReturn(self(), missing.c_str());
  KivoBlock* failed = api().KivoExecute(self(), kivo->plugin.methods, "Boot", argument);
  ASSERT_NE(failed, nullptr);
  EXPECT_EQ(failed->type, KivoBlock::ExceptionReply);
  EXPECT_NE(text(failed).find("<message>Kivo boot error: 'Loading file '" + missing + "' failed'</message>"),
            std::string::npos)
      << text(failed);

  const std::string config = dir.write("boot.xml", "<kivo name='kivo'><node name='a'/></kivo>");
  KivoBlock* configArgument = api().KivoReturn(self(), config.c_str());
  KivoBlock* ok = api().KivoExecute(self(), kivo->plugin.methods, "Boot", configArgument);
  EXPECT_EQ(text(ok), "<ok/>");

  KivoBlock* baseBlock = api().KivoExecute(self(), kivo->plugin.methods, "GetBase", nullptr);
  ASSERT_NE(baseBlock, nullptr);
  EXPECT_EQ(baseBlock->type, KivoBlock::PointerReply);
  EXPECT_EQ(baseBlock->data, KivoBase::GetInstance());
  EXPECT_EQ(api().KivoApiGetBase(), KivoBase::GetInstance());

  KivoBlock* state = api().KivoExecute(self(), kivo->plugin.methods, "State", nullptr);
  EXPECT_EQ(state->type, KivoBlock::XmlReply);
  EXPECT_NE(text(state).find("<base>\r\n <memory "), std::string::npos);
  KivoBlock* info = api().KivoExecute(self(), kivo->plugin.methods, "Info", nullptr);
  EXPECT_EQ(info->type, KivoBlock::XmlReply);
  EXPECT_NE(text(info).find("a"), std::string::npos);

  char path[] = "?no such node";  // a raw text in place of a block
  KivoBlock* ran = api().KivoRun(self(), reinterpret_cast<KivoBlock*>(path));
  EXPECT_EQ(ran->type, KivoBlock::TextReply);
  EXPECT_EQ(text(ran), "");

  for (KivoBlock* block : {argument, failed, configArgument, ok, baseBlock, state, info, ran}) {
    api().KivoFree(self(), block);
  }
  EXPECT_EQ(memoryLine().AfterFirst(wxS('"')).Contains(wxS("units=\"0\"")), true) << memoryLine();
}

TEST_F(BlockTest, DetailsListTheLibrarysMethods) {
  KivoBlock* details = api().KivoDetails(self());
  ASSERT_NE(details, nullptr);
  const std::string xml = text(details);
  EXPECT_NE(xml.find(" <date>2009-06-02</date>\n"), std::string::npos) << xml;
  EXPECT_NE(xml.find(" <description>The Kivo Library\nRelease Version 1.0.1.2 build 15\nRelease 9.06 Alpha</description>"),
            std::string::npos);
  api().KivoFree(self(), details);
  const wxString full = iPlugin::Details(self(), Indent(), false, true);
  EXPECT_NE(full.Find(wxS(" <methods count=\"7\">\n  <method name=\"Boot\" address=\"")), wxNOT_FOUND) << full;
  EXPECT_NE(full.Find(wxS("<method name=\"MessageBox\"")), wxNOT_FOUND);
  EXPECT_EQ(iPlugin::Brief(nullptr, Indent()), wxS("<plugin was=\"null\"/>\n"));
  _Plugin noInfo{nullptr, nullptr};
  EXPECT_EQ(iPlugin::Details(&noInfo, Indent(), false, true), wxS("<plugin was=\"null\"/>\n"));
  _PluginInfo bare{nullptr, nullptr, nullptr, 5};
  _Plugin partial{&bare, nullptr};
  EXPECT_EQ(iPlugin::Brief(&partial, Indent()),
            wxS("<plugin name=\"NULL\" version=\"NULL\" api=\"NULL\" />\n"));
  MethodEntry entries[] = {{"A", &first}, {"B", &second}, {nullptr, nullptr}};
  MethodList counted{3, entries};  // a count includes the terminating entry
  partial.methods = &counted;
  EXPECT_NE(iPlugin::Details(&partial, Indent(), false, true).Find(wxS("<methods count=\"2\">")),
            wxNOT_FOUND);
}

TEST_F(BlockTest, MessageBoxFindsTheMessage) {
  KivoBlock* xml = api().KivoReturn(self(), "<Message>hello box</Message>");
  xml->type = KivoBlock::XmlReply;
  char query[] = "?plain words";
  char broken[] = "<doc><other/></doc>";
  testing::internal::CaptureStderr();
  EXPECT_EQ(api().KivoExecute(self(), kivo->plugin.methods, "MessageBox", xml), nullptr);
  api().KivoExecute(self(), kivo->plugin.methods, "MessageBox", reinterpret_cast<KivoBlock*>(query));
  api().KivoExecute(self(), kivo->plugin.methods, "MessageBox", reinterpret_cast<KivoBlock*>(broken));
  api().KivoExecute(self(), kivo->plugin.methods, "MessageBox", nullptr);
  const std::string shown = testing::internal::GetCapturedStderr();
  EXPECT_EQ(shown,
            "[Message Box]\nhello box\n[Message Box]\nplain words\n[Message Box]\n"
            "XML parse error: No message element found in '<doc><other/></doc>'!\n");
  api().KivoFree(self(), xml);
}

TEST(NoBase, InterfaceFunctionsAnswerNothing) {
  ASSERT_EQ(KivoBase::GetInstance(), nullptr);
  _Plugin* self = getKivo()->asPlugin();
  EXPECT_EQ(api().KivoAlloc(self, 8), nullptr);
  EXPECT_EQ(api().KivoReturn(self, "x"), nullptr);
  EXPECT_EQ(api().KivoException(self, "x"), nullptr);
  EXPECT_EQ(api().KivoDetails(self), nullptr);
  EXPECT_EQ(api().KivoState(self, nullptr), nullptr);
  EXPECT_EQ(api().KivoApiGetBase(), nullptr);
  EXPECT_EQ(api().KivoExecute(self, self->methods, "GetBase", nullptr), nullptr);
  char path[] = "?x";
  EXPECT_EQ(api().KivoRun(self, reinterpret_cast<KivoBlock*>(path)), nullptr);
  api().KivoFree(self, nullptr);
}

TEST(EntryPoints, StartTwiceKeepsOneBaseAndStopClearsIt) {
  KivoTest::LogCapture log;
  stop();  // without a base: nothing
  Kivo* first = start(nullptr);
  KivoBase* base = KivoBase::GetInstance();
  ASSERT_NE(base, nullptr);
  EXPECT_EQ(start(nullptr), first);
  EXPECT_EQ(KivoBase::GetInstance(), base);
  EXPECT_EQ(boot(), 0);
  EXPECT_TRUE(log.contains(wxS("This method is deprecated"), 5));
  stop();
  EXPECT_EQ(KivoBase::GetInstance(), nullptr);
  EXPECT_EQ(KivoBase::s_Locked, 0);
  EXPECT_TRUE(log.contains(wxS("Shutting down kivo base"), 0));
  EXPECT_TRUE(log.contains(wxS("Deleting KivoBase"), 0));
}

}  // namespace
