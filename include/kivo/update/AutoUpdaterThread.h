#pragma once

#include <memory>

#include "kivo/KivoExport.h"
#include "kivo/thread/ThreadBase.h"

namespace AutoUpdaters {

class Schedule;

// The auto-updater's worker, a detached thread named "AutoUpdaterThread": runs a
// pass, then sleeps on the wake signal for the wake interval, until it is asked
// to stop. It shares the schedule with its scheduler, so it may outlive it.
class KIVO_API AutoUpdaterThread : public KivoUnit::ThreadBase {
 public:
  explicit AutoUpdaterThread(std::shared_ptr<Schedule> schedule);

 protected:
  ExitCode Entry() override;

 private:
  std::shared_ptr<Schedule> m_Schedule;
};

}  // namespace AutoUpdaters
