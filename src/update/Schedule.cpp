#include "update/Schedule.h"

#include <climits>
#include <cstdio>

#include "log/Report.h"
#include "kivo/base/KivoBase.h"
#include "kivo/convert/Convert.h"
#include "kivo/thread/KivoLocker.h"

namespace AutoUpdaters {
namespace {

constexpr const char* kSourcePath = "include/kivo/node/plugins/AutoUpdater";
constexpr unsigned int kLongestWake = 1000;

// Seconds to milliseconds, truncated toward zero to 32 bits of which the low 16
// are kept. Out of range, the conversion gives the lowest 32-bit value, as the
// processor's own conversion does.
std::uint16_t toInterval(double seconds) {
  const double milliseconds = seconds * 1000.0;
  const bool inRange = milliseconds > static_cast<double>(INT_MIN) - 1.0 &&
                       milliseconds < static_cast<double>(INT_MAX) + 1.0;
  const std::int32_t truncated = inRange ? static_cast<std::int32_t>(milliseconds) : INT_MIN;
  return static_cast<std::uint16_t>(static_cast<std::uint32_t>(truncated) & 0xFFFFu);
}

void writeLine(const wxString& text) {
  std::printf("%s\n", text.utf8_str().data());
  std::fflush(stdout);
}

}  // namespace

Schedule::RegistrationsLock::RegistrationsLock(Schedule& schedule)
    : m_Schedule(schedule), m_Locked(!schedule.isPassThread()) {
  if (m_Locked) m_Schedule.m_RegistrationsMutex.Lock();
}

Schedule::RegistrationsLock::~RegistrationsLock() {
  if (m_Locked) m_Schedule.m_RegistrationsMutex.Unlock();
}

// --- registrations -----------------------------------------------------------

unsigned int Schedule::registerNode(const wxString& path, double seconds) {
  const std::uint16_t interval = toInterval(seconds);
  RegistrationsLock lock(*this);
  unsigned int found = 0;
  for (Registration& registration : m_Registrations) {
    if (registration.path == path) {
      registration.interval = interval;
      found = registration.id;
    }
    if (registration.interval < m_WakeInterval) m_WakeInterval = registration.interval;
  }
  if (found != 0) return found;
  if (interval < m_WakeInterval) m_WakeInterval = interval;
  m_Registrations.push_back(Registration{path, interval, ++m_LastId, 0});
  ++m_Changes;
  return m_LastId;
}

bool Schedule::unregisterNode(const wxString& path) {
  RegistrationsLock lock(*this);
  for (std::size_t i = 0; i < m_Registrations.size(); ++i) {
    if (m_Registrations[i].path == path) return removeAt(i);
  }
  return false;
}

bool Schedule::unregisterNode(unsigned int id) {
  RegistrationsLock lock(*this);
  for (std::size_t i = 0; i < m_Registrations.size(); ++i) {
    if (m_Registrations[i].id == id) return removeAt(i);
  }
  return false;
}

bool Schedule::removeAt(std::size_t index) {
  m_Registrations.erase(m_Registrations.begin() + static_cast<long>(index));
  ++m_Changes;
  recomputeWakeInterval();
  return true;
}

void Schedule::recomputeWakeInterval() {
  m_WakeInterval = kLongestWake;
  for (const Registration& registration : m_Registrations) {
    if (registration.interval < m_WakeInterval) m_WakeInterval = registration.interval;
  }
}

unsigned int Schedule::getUpdateInterval(const wxString& path) {
  RegistrationsLock lock(*this);
  unsigned int interval = 0;
  for (const Registration& registration : m_Registrations) {
    if (registration.path == path) interval = registration.interval;
  }
  return interval;
}

void Schedule::clear() {
  RegistrationsLock lock(*this);
  m_Registrations.clear();
  ++m_Changes;
  m_WakeInterval = kLongestWake;
}

unsigned int Schedule::getWakeInterval() {
  RegistrationsLock lock(*this);
  return m_WakeInterval;
}

// --- flags -------------------------------------------------------------------

void Schedule::setStopRequested(bool stop) {
  {
    wxMutexLocker lock(m_StateMutex);
    m_StopRequested = stop;
  }
  wake();
}

bool Schedule::isStopRequested() {
  wxMutexLocker lock(m_StateMutex);
  return m_StopRequested;
}

void Schedule::setThreadFinished(bool finished) {
  wxMutexLocker lock(m_StateMutex);
  m_ThreadFinished = finished;
}

bool Schedule::isThreadFinished() {
  wxMutexLocker lock(m_StateMutex);
  return m_ThreadFinished;
}

void Schedule::setWaitingForTreeLock(bool waiting) {
  wxMutexLocker lock(m_StateMutex);
  m_WaitingForTreeLock = waiting;
}

bool Schedule::isWaitingForTreeLock() {
  wxMutexLocker lock(m_StateMutex);
  return m_WaitingForTreeLock;
}

void Schedule::setWorkerThreadId(long id) {
  wxMutexLocker lock(m_StateMutex);
  m_WorkerThreadId = id;
}

long Schedule::getWorkerThreadId() {
  wxMutexLocker lock(m_StateMutex);
  return m_WorkerThreadId;
}

// --- passes --------------------------------------------------------------------

void Schedule::printTargetKivoNodesList() {
  RegistrationsLock lock(*this);
  const unsigned long long now = static_cast<unsigned long long>(KivoUnit::Convert::GetTickCount());
  for (const Registration& registration : m_Registrations) {
    const wxString line = wxString::Format(
        wxS("Kivo path: %s, Update interval: %f, Elapsed from last update: %f"), registration.path,
        registration.interval * 0.001, static_cast<double>(now - registration.lastUpdate) * 0.001);
    writeLine(line);
    KIVO_REPORT(KivoUnit::LevelMessage, line);
  }
}

bool Schedule::callAutoUpdates(unsigned long long now) {
  setWaitingForTreeLock(true);
  KivoUnit::KivoLocker guard(__LINE__, __FILE__, __func__, wxString());
  setWaitingForTreeLock(false);
  KivoUnit::KivoBase* base = guard.Write();
  if (base == nullptr) return false;
  // Set under the tree lock by a scheduler that is going away: its nodes may be gone.
  if (isStopRequested()) return false;
  if (m_RegistrationsMutex.TryLock() != wxMUTEX_NO_ERROR) return false;
  m_PassThread.store(wxThread::GetCurrentId());
  updateDueNodes(base, now);
  m_PassThread.store(0);
  m_RegistrationsMutex.Unlock();
  return true;
}

void Schedule::updateDueNodes(KivoUnit::KivoBase* base, unsigned long long now) {
  std::size_t i = 0;
  while (i < m_Registrations.size()) {
    const Registration& due = m_Registrations[i];
    const unsigned long long elapsed = now - due.lastUpdate;
    if (elapsed < due.interval) {
      ++i;
      continue;
    }
    KivoUnit::iNode* node = base->Search(due.path);
    if (node == nullptr) {
      reportMissing(due.path);  // left as it is: tried again on the next pass
      ++i;
      continue;
    }
    const unsigned int id = due.id;
    const unsigned long changes = m_Changes;
    node->AutoUpdate(static_cast<double>(elapsed) * 0.001);
    if (isStopRequested()) return;
    i = m_Changes == changes ? i : indexOf(id, i);
    if (i < m_Registrations.size() && m_Registrations[i].id == id) {
      m_Registrations[i++].lastUpdate = now;
    }
  }
}

// Where registration `id` stands after a call added or removed registrations; when
// it is gone, `fallback`, where the registration after it has moved.
std::size_t Schedule::indexOf(unsigned int id, std::size_t fallback) const {
  for (std::size_t at = 0; at < m_Registrations.size(); ++at) {
    if (m_Registrations[at].id == id) return at;
  }
  return fallback;
}

void Schedule::reportMissing(const wxString& path) {
  // Reported as the pass's own message.
  KivoUnit::detail::report(
      KivoUnit::LevelError,
      wxString::Format(wxS("Registered node '%s' not found from kivo tree."), path), __LINE__,
      kSourcePath, "callAutoUpdates");
}

}  // namespace AutoUpdaters
