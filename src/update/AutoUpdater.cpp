#include "kivo/update/AutoUpdater.h"

#include <wx/utils.h>

#include "log/Report.h"
#include "kivo/update/AutoUpdaterThread.h"
#include "platform/ThreadExit.h"
#include "update/Schedule.h"

namespace AutoUpdaters {
namespace {

constexpr const char* kSourcePath = "include/kivo/node/plugins/AutoUpdater";
// The destructor waits for the thread at most this many times this long.
constexpr int kFinishPolls = 150;
constexpr unsigned long kFinishPollMilliseconds = 20;

wxString location(unsigned int line, const char* function) {
  return wxString::Format(wxS("[%u %s %s]"), line, kSourcePath, function);
}

}  // namespace

AutoUpdater::AutoUpdater() : m_Schedule(std::make_shared<Schedule>()), m_Thread(nullptr) {
  startThread();
}

AutoUpdater::~AutoUpdater() {
  m_Schedule->setStopRequested(true);
  // A thread that never ran has nothing to finish; a destructor running inside a
  // pass (a node's AutoUpdate removed the auto-updater) is the thread itself.
  const bool waitForThread = m_Thread != nullptr && !m_Schedule->isPassThread();
  int poll = 0;
  for (; waitForThread && poll < kFinishPolls; ++poll) {
    if (m_Schedule->isThreadFinished() || m_Schedule->isWaitingForTreeLock()) break;
    wxMilliSleep(kFinishPollMilliseconds);
  }
  // A finished thread is gone within moments; once it is, none of its code runs
  // any more, so the library can be unloaded after this.
  if (waitForThread && m_Schedule->isThreadFinished()) {
    const unsigned long left = (kFinishPolls - poll) * kFinishPollMilliseconds;
    KivoUnit::platform::waitForThreadEnd(m_Schedule->getWorkerThreadId(), left);
  }
  m_Schedule->clear();
}

void AutoUpdater::startThread() {
  auto* thread = new AutoUpdaterThread(m_Schedule);
  if (thread->Create() != wxTHREAD_NO_ERROR) {
    delete thread;
    KIVO_REPORT(KivoUnit::LevelError,
                wxString::Format(wxS("Error: Could not create AutoUpdater thread! (%s)"),
                                 location(__LINE__, __func__)));
    return;
  }
  m_Schedule->setStopRequested(false);  // also posts the wake signal
  if (thread->Run() != wxTHREAD_NO_ERROR) {
    delete thread;
    KIVO_REPORT(KivoUnit::LevelError,
                wxString::Format(wxS("Error: Could not run AutoUpdater thread! (%s)"),
                                 location(__LINE__, __func__)));
    return;
  }
  m_Thread = thread;
}

unsigned int AutoUpdater::registerNode(const wxString& path, double seconds) {
  return m_Schedule->registerNode(path, seconds);
}

bool AutoUpdater::unregisterNode(const wxString& path) { return m_Schedule->unregisterNode(path); }

bool AutoUpdater::unregisterNode(unsigned int id) { return m_Schedule->unregisterNode(id); }

unsigned int AutoUpdater::getUpdateInterval(const wxString& path) const {
  return m_Schedule->getUpdateInterval(path);
}

void AutoUpdater::clearRegistrations() { m_Schedule->clear(); }

unsigned int AutoUpdater::getWakeInterval() const { return m_Schedule->getWakeInterval(); }

void AutoUpdater::setStopRequested(bool stop) { m_Schedule->setStopRequested(stop); }

bool AutoUpdater::isStopRequested() const { return m_Schedule->isStopRequested(); }

void AutoUpdater::setThreadFinished(bool finished) { m_Schedule->setThreadFinished(finished); }

bool AutoUpdater::isThreadFinished() const { return m_Schedule->isThreadFinished(); }

bool AutoUpdater::isWaitingForTreeLock() const { return m_Schedule->isWaitingForTreeLock(); }

void AutoUpdater::printTargetKivoNodesList() const { m_Schedule->printTargetKivoNodesList(); }

bool AutoUpdater::callAutoUpdates(unsigned long long now) {
  return m_Schedule->callAutoUpdates(now);
}

}  // namespace AutoUpdaters
