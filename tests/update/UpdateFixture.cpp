#include "update/UpdateFixture.h"

#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>

#include <thread>

#include "kivo/thread/ThreadBase.h"

namespace KivoTest {

CallBook& CallBook::get() {
  static CallBook book;
  return book;
}

void CallBook::record(const wxString& name, double seconds) {
  {
    std::lock_guard<std::mutex> guard(m_Lock);
    m_Calls[name].push_back(seconds);
    const long thread = syscall(SYS_gettid);
    if (std::find(m_Threads.begin(), m_Threads.end(), thread) == m_Threads.end()) {
      m_Threads.push_back(thread);
    }
  }
  m_Changed.notify_all();
}

std::vector<double> CallBook::callsOf(const wxString& name) {
  std::lock_guard<std::mutex> guard(m_Lock);
  return m_Calls[name];
}

bool CallBook::waitFor(const wxString& name, size_t count) {
  std::unique_lock<std::mutex> guard(m_Lock);
  return m_Changed.wait_for(guard, kPatience, [&] { return m_Calls[name].size() >= count; });
}

void CallBook::clear() {
  std::lock_guard<std::mutex> guard(m_Lock);
  m_Calls.clear();
  m_Threads.clear();
}

std::vector<long> CallBook::callingThreads() {
  std::lock_guard<std::mutex> guard(m_Lock);
  return m_Threads;
}

std::function<void(RecordingNode&, double)> RecordingNode::s_Behaviour;

void RecordingNode::AutoUpdate(double seconds) {
  CallBook::get().record(getName(), seconds);
  if (s_Behaviour) s_Behaviour(*this, seconds);
}

RecorderFactory::RecorderFactory() : iNodeFactory(nullptr, wxS("factory")) {
  setName(wxS("Recorders"));
  Register(wxS("recorder"));
  RegisterElements();
}

KivoUnit::iNode* RecorderFactory::Create(const wxString& element, TiXmlElement* xml,
                                         KivoUnit::iNode*) {
  KivoUnit::iNode* node = new RecordingNode(element);
  return xml != nullptr ? Read(element, node, xml) : node;
}

void AutoUpdateTest::SetUp() {
  ASSERT_TRUE(toolkit.ok());
  CallBook::get().clear();
  ASSERT_NE(start(nullptr), nullptr);
  running = true;
  factory = new RecorderFactory();
}

void AutoUpdateTest::TearDown() {
  stopLibrary();
  factory->destroy();
  delete factory;
  waitForWorkersToEnd();
  RecordingNode::s_Behaviour = nullptr;
}

bool AutoUpdateTest::boot(const std::string& children) {
  const std::string file = dir.write("boot.xml", "<kivo name='kivo'>" + children + "</kivo>");
  return locked([&](KivoUnit::KivoBase& base) { return base.Boot(wxString::FromUTF8(file.c_str())); });
}

Clock::duration AutoUpdateTest::stopLibrary() {
  const auto before = Clock::now();
  if (running) stop();
  running = false;
  return Clock::now() - before;
}

KivoUnit::KivoAutoUpdater* AutoUpdateTest::updaterNode(KivoUnit::KivoBase& base) {
  return dynamic_cast<KivoUnit::KivoAutoUpdater*>(base.Search(wxS("/kivo/AutoUpdater")));
}

bool eventually(const std::function<bool()>& condition) {
  const auto deadline = Clock::now() + kPatience;
  while (!condition()) {
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

namespace {

bool threadExists(long thread) {
  struct stat info {};
  return stat(("/proc/self/task/" + std::to_string(thread)).c_str(), &info) == 0;
}

class Settler : public KivoUnit::ThreadBase {
 public:
  Settler() : ThreadBase(wxTHREAD_JOINABLE, wxS("settler")) {}

 protected:
  ExitCode Entry() override { return nullptr; }
};

}  // namespace

void AutoUpdateTest::waitForWorkersToEnd() {
  const auto workerObjects = [&](bool destroyed) {
    size_t count = 0;
    for (const wxString& text : log.texts()) {
      if (!text.Contains(wxS(". AutoUpdaterThread]"))) continue;
      if (destroyed ? text.StartsWith(wxS("~")) : text.StartsWith(wxS("[#")) && text.EndsWith(wxS("]"))) ++count;
    }
    return count;
  };
  EXPECT_TRUE(eventually([&] { return workerObjects(true) == workerObjects(false); }))
      << "a worker thread object is left";
  for (long thread : CallBook::get().callingThreads()) {
    EXPECT_TRUE(eventually([&] { return !threadExists(thread); })) << "worker " << thread << " is left";
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(20));  // the last steps after the object
  // A joinable thread takes the toolkit's clean-up lock after the detached ones
  // and is joined, which orders their last use of it before the process ends.
  Settler settler;
  if (settler.Run() == wxTHREAD_NO_ERROR) settler.Wait();
}

}  // namespace KivoTest
