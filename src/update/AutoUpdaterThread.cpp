#include "kivo/update/AutoUpdaterThread.h"

#include <wx/utils.h>

#include "kivo/convert/Convert.h"
#include "platform/ThreadExit.h"
#include "update/Schedule.h"

namespace AutoUpdaters {
namespace {
// How long a pass that found the tree or the registrations busy waits to retry.
constexpr unsigned long kRetryMilliseconds = 10;
}  // namespace

AutoUpdaterThread::AutoUpdaterThread(std::shared_ptr<Schedule> schedule)
    : ThreadBase(wxTHREAD_DETACHED, wxS("AutoUpdaterThread")), m_Schedule(std::move(schedule)) {}

wxThread::ExitCode AutoUpdaterThread::Entry() {
  m_Schedule->setWorkerThreadId(KivoUnit::platform::currentSystemThreadId());
  m_Schedule->setThreadFinished(false);
  while (!TestDestroy() && !m_Schedule->isStopRequested()) {
    const auto now = static_cast<unsigned long long>(KivoUnit::Convert::GetTickCount());
    if (!m_Schedule->callAutoUpdates(now)) {
      wxMilliSleep(kRetryMilliseconds);
      continue;
    }
    m_Schedule->sleep(m_Schedule->getWakeInterval());
  }
  m_Schedule->setThreadFinished(true);
  return static_cast<ExitCode>(nullptr);
}

}  // namespace AutoUpdaters
