#pragma once
// A started library with a factory of nodes that record their AutoUpdate calls,
// booted from configurations written into a fresh folder.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "kivo/app/Toolkit.h"
#include "kivo/base/KivoBase.h"
#include "kivo/factory/iNodeFactory.h"
#include "kivo/node/iNode.h"
#include "kivo/plugin/PluginRecords.h"
#include "kivo/thread/KivoLocker.h"
#include "kivo/update/AutoUpdater.h"
#include "kivo/update/KivoAutoUpdater.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

extern "C" {
KivoUnit::Kivo* start(KivoUnit::Kivo*);
void stop();
}

namespace KivoTest {

using Clock = std::chrono::steady_clock;
// Long enough for a loaded machine; a passing test never waits it out.
constexpr auto kPatience = std::chrono::seconds(20);

// The AutoUpdate calls of every recording node, by node name, shared between the
// worker thread and the test.
class CallBook {
 public:
  static CallBook& get();
  void record(const wxString& name, double seconds);
  std::vector<double> callsOf(const wxString& name);
  // Waits until `name` has at least `count` calls; false when patience ran out.
  bool waitFor(const wxString& name, size_t count);
  void clear();
  // Kernel ids of the threads that made calls.
  std::vector<long> callingThreads();

 private:
  std::mutex m_Lock;
  std::vector<long> m_Threads;
  std::condition_variable m_Changed;
  std::map<wxString, std::vector<double>> m_Calls;
};

// Records each call; the element "recorder" does only that. Tests give other
// behaviour through `s_Behaviour`, set before the boot and cleared after the stop.
class RecordingNode : public KivoUnit::iNode {
 public:
  explicit RecordingNode(const wxString& element) : iNode(nullptr, element) {}
  void AutoUpdate(double seconds) override;
  static std::function<void(RecordingNode&, double)> s_Behaviour;
};

class RecorderFactory : public KivoUnit::iNodeFactory {
 public:
  RecorderFactory();
  KivoUnit::iNode* Create(const wxString& element, TiXmlElement* xml,
                          KivoUnit::iNode* parent) override;
};

class AutoUpdateTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Boots "<kivo name='kivo'>" + children + "</kivo>".
  bool boot(const std::string& children);
  // Stops the library (once) and returns how long the stop took.
  Clock::duration stopLibrary();
  // Runs `work` on the base under a guard.
  template <typename Work>
  auto locked(Work work) {
    KivoUnit::KivoLocker guard(__LINE__, __FILE__, __func__, wxString());
    return work(*guard.Write());
  }
  KivoUnit::KivoAutoUpdater* updaterNode(KivoUnit::KivoBase& base);
  // Waits until every worker thread object is destroyed and every thread that made
  // calls has ended, then orders the toolkit's per-thread clean-up of those
  // detached threads before what comes next.
  void waitForWorkersToEnd();

  KivoUnit::Toolkit::Scope toolkit;
  LogCapture log;
  TempDir dir;
  RecorderFactory* factory = nullptr;
  bool running = false;
};

// Waits until `condition` holds; false when patience ran out.
bool eventually(const std::function<bool()>& condition);


}  // namespace KivoTest
