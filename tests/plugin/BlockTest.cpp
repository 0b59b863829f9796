// Memory blocks, their texts and method lookup through the interface functions.
#include <cstring>
#include <utility>

#include "plugin/PluginSupport.h"

using namespace KivoUnit;
using namespace KivoTest;

namespace {

class BlockTest : public ::testing::Test {
 protected:
  void SetUp() override { kivo = start(nullptr); }
  void TearDown() override { stop(); }
  _Plugin* self() { return kivo->asPlugin(); }
  std::string text(KivoBlock* b) { const char* t = api().KivoCStr(self(), b); return t != nullptr ? t : "(null)"; }
  // Blocks made here are freed by freeAll().
  KivoBlock* keep(KivoBlock* block) { return owned.emplace_back(block); }
  KivoBlock* call(const char* name, KivoBlock* in = nullptr) { return keep(api().KivoExecute(self(), kivo->plugin.methods, name, in)); }
  KivoBlock* reply(const std::string& text) { return keep(api().KivoReturn(self(), text.c_str())); }
  void freeAll() { for (KivoBlock* block : std::exchange(owned, {})) api().KivoFree(self(), block); }
  static KivoBlock* raw(char* text) { return reinterpret_cast<KivoBlock*>(text); }

  LogCapture log;
  Kivo* kivo = nullptr;
  std::vector<KivoBlock*> owned;
};

KivoBlock* first(_Plugin*, KivoBlock*) { return nullptr; }
KivoBlock* second(_Plugin*, KivoBlock*) { return nullptr; }

TEST_F(BlockTest, BlocksAreAccountedUntilFreedAndRawTextsPassThrough) {
  const auto memory = [](const char* counts) { return wxS("<memory allocated=") + wx(counts) + wxS(">"); };
  EXPECT_EQ(memoryLine(), memory("\"0\" freed=\"0\" total=\"0\" units=\"0\""));
  KivoBlock* block = api().KivoReturn(self(), "abc");
  EXPECT_EQ(block->type * 100 + block->size * 10 + block->flag, KivoBlock::TextReply * 100 + 41u);
  EXPECT_EQ(std::memcmp(block->data, "abc", 4), 0);
  EXPECT_EQ(memoryLine(), memory("\"4\" freed=\"0\" total=\"4\" units=\"1\""));
  EXPECT_NE(KivoBase::GetInstance()->State(Indent(), wxString()).Find(
                wxS("<plugin name=\"Kivo\" version=\"1.0.1.2\" api=\"1005\" />")), wxNOT_FOUND) << "the unit's allocator";
  api().KivoFree(self(), block);
  EXPECT_EQ(memoryLine(), memory("\"4\" freed=\"4\" total=\"0\" units=\"0\""));
  api().KivoFree(self(), block);  // unknown now: ignored
  KivoBlock* empty = api().KivoAlloc(self(), 0);  // accounted as nothing
  EXPECT_TRUE(empty->data == nullptr && api().KivoCStr(self(), empty) == nullptr);
  EXPECT_EQ(empty->flag + empty->type, KivoBlock::BinaryBlock);
  api().KivoFree(self(), empty);
  char xml[] = "<note/>", query[] = "?x=1";
  EXPECT_EQ(text(raw(xml)) + text(raw(query)), "<note/>?x=1");
  api().KivoFree(self(), raw(xml));  // a raw text is ignored
  EXPECT_EQ(memoryLine(), memory("\"4\" freed=\"4\" total=\"0\" units=\"0\""));
}

TEST_F(BlockTest, MethodListsExceptionsAndDetailsOfPluginRecords) {
  MethodEntry entries[] = {{"Boot", &first}, {"GetBase", &second}, {nullptr, nullptr}};
  MethodEntry twice[] = {{"M", &first}, {"M", &second}, {nullptr, nullptr}};
  MethodList counted{0, entries}, two{2, entries}, duplicates{0, twice}, none{0, nullptr};
  const struct { MethodList* list; const char* name; KivoMethod found; } cases[] = {
      {&counted, "Boot", &first}, {&counted, "GetBase", &second}, {&counted, "boot", nullptr},
      {&two, "Boot", &first},     {&two, "GetBase", nullptr},     {&duplicates, "M", &second},
      {&none, "M", nullptr}};
  for (const auto& c : cases) EXPECT_EQ(KivoBase::GetInstance()->Find(c.list, wx(c.name)), c.found) << c.name;
  EXPECT_EQ(api().KivoExecute(self(), &counted, "Missing", nullptr), nullptr);

  KivoBlock* exception = keep(api().KivoException(self(), "went wrong \xC3\xA4"));
  const std::string xml = exception->type == KivoBlock::ExceptionReply ? text(exception) : "";
  EXPECT_EQ(xml.rfind("<exception>\n<plugin name=\"Kivo\" version=\"1.0.1.2\" api=\"1005\">\n <type>0x10000000</type>\n", 0), 0u) << xml;
  EXPECT_NE(xml.find("\t<message>went wrong \xC3\xA4</message>\n</exception>\n"), std::string::npos);
  const std::string details = text(keep(api().KivoDetails(self())));
  for (const char* part : {" <date>2009-06-02</date>\n", " <description>The Kivo Library\nRelease Version "
                           "1.0.1.2 build 15\nRelease 9.06 Alpha</description>"})
    EXPECT_NE(details.find(part), std::string::npos) << details;
  freeAll();
  const wxString full = iPlugin::Details(self(), Indent(), false, true);
  EXPECT_NE(full.Find(wxS(" <methods count=\"7\">\n  <method name=\"Boot\" address=\"")), wxNOT_FOUND) << full;
  _Plugin noInfo{nullptr, nullptr};
  EXPECT_EQ(iPlugin::Brief(nullptr, Indent()) + iPlugin::Details(&noInfo, Indent(), false, true),
            wxS("<plugin was=\"null\"/>\n<plugin was=\"null\"/>\n"));
  _PluginInfo bare{nullptr, nullptr, nullptr, 5};
  MethodList three{3, entries};  // a count includes the terminating entry
  _Plugin partial{&bare, &three};
  EXPECT_EQ(iPlugin::Brief(&partial, Indent()), wxS("<plugin name=\"NULL\" version=\"NULL\" api=\"NULL\" />\n"));
  EXPECT_NE(iPlugin::Details(&partial, Indent(), false, true).Find(wxS("<methods count=\"2\">")), wxNOT_FOUND);
}

TEST_F(BlockTest, OwnMethodsBootGetBaseStateInfoRunAndMessageBox) {
  TempDir dir;
  const std::string missing = dir.file("missing.xml");
  KivoBlock* failed = call("Boot", reply(missing));
  ASSERT_TRUE(failed != nullptr && failed->type == KivoBlock::ExceptionReply);
  EXPECT_NE(text(failed).find("<message>Kivo boot error: 'Loading file '" + missing + "' failed'</message>"),
            std::string::npos) << text(failed);
  EXPECT_EQ(text(call("Boot", reply(dir.write("boot.xml", "<kivo name='kivo'><node name='a'/></kivo>")))), "<ok/>");
  KivoBlock* base = call("GetBase");
  EXPECT_TRUE(base->type == KivoBlock::PointerReply && base->data == KivoBase::GetInstance() &&
              api().KivoApiGetBase() == KivoBase::GetInstance());
  EXPECT_TRUE(call("Info")->type == KivoBlock::XmlReply && call("State")->type == KivoBlock::XmlReply);
  EXPECT_NE(text(owned.back()).find("<base>\r\n <memory "), std::string::npos);
  char path[] = "?no such node";  // a raw text in place of a block
  KivoBlock* ran = keep(api().KivoRun(self(), raw(path)));
  EXPECT_TRUE(ran->type == KivoBlock::TextReply && text(ran).empty());

  KivoBlock* message = reply("<Message>hello box</Message>");
  message->type = KivoBlock::XmlReply;
  char query[] = "?plain words", broken[] = "<doc><other/></doc>";
  testing::internal::CaptureStderr();
  for (KivoBlock* argument : {message, raw(query), raw(broken), static_cast<KivoBlock*>(nullptr)})
    EXPECT_EQ(call("MessageBox", argument), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "[Message Box]\nhello box\n[Message Box]\nplain words\n[Message Box]\n"
            "XML parse error: No message element found in '<doc><other/></doc>'!\n");
  freeAll();
  EXPECT_TRUE(memoryLine().Contains(wxS("units=\"0\""))) << memoryLine();
}

TEST(EntryPoints, WithoutABaseNothingAnswersAndStartTwiceKeepsOneBase) {
  _Plugin* self = getKivo()->asPlugin();
  char path[] = "?x";
  for (void* answer : {(void*)api().KivoAlloc(self, 8), (void*)api().KivoReturn(self, "x"),
                       (void*)api().KivoException(self, "x"), (void*)api().KivoDetails(self),
                       (void*)api().KivoState(self, nullptr), (void*)api().KivoApiGetBase(),
                       (void*)api().KivoExecute(self, self->methods, "GetBase", nullptr),
                       (void*)api().KivoRun(self, reinterpret_cast<KivoBlock*>(path))})
    EXPECT_EQ(answer, nullptr);
  api().KivoFree(self, nullptr);
  LogCapture log;
  stop();  // without a base: nothing
  Kivo* kivo = start(nullptr);
  KivoBase* base = KivoBase::GetInstance();
  EXPECT_TRUE(base != nullptr && start(nullptr) == kivo && KivoBase::GetInstance() == base);
  EXPECT_TRUE(boot() == 0 && log.contains(wxS("This method is deprecated"), 5));
  stop();
  EXPECT_TRUE(KivoBase::GetInstance() == nullptr && KivoBase::s_Locked == 0 &&
              log.contains(wxS("Shutting down kivo base"), 0) && log.contains(wxS("Deleting KivoBase"), 0));
}

}  // namespace
