#pragma once

#include <memory>

#include <wx/string.h>

#include "kivo/KivoExport.h"

namespace AutoUpdaters {

class AutoUpdaterThread;
class Schedule;

// The scheduler of the auto-updater: keeps the registered node paths with their
// intervals and runs the worker thread that calls their AutoUpdate. Built by
// KivoAutoUpdater; building it starts the thread, destroying it stops the thread.
//
// The worker never touches a destroyed scheduler: it owns a share of the schedule, and after taking the tree lock it checks stop before using anything.
// The destructor waits until the worker has ended, unless the worker waits for the tree lock (the destroying thread's): it ends after it gets it.
class KIVO_API AutoUpdater {
 public:
  AutoUpdater();
  virtual ~AutoUpdater();
  AutoUpdater(const AutoUpdater&) = delete;
  AutoUpdater& operator=(const AutoUpdater&) = delete;

  // The registration id of `path`; registering a path again changes its interval
  // and keeps its id. Intervals are kept in milliseconds in 16 bits, so a longer
  // one wraps.
  unsigned int registerNode(const wxString& path, double seconds);
  // True when a registration was removed.
  bool unregisterNode(const wxString& path);
  bool unregisterNode(unsigned int id);
  // The registered interval of `path` in milliseconds, 0 when it is not registered.
  unsigned int getUpdateInterval(const wxString& path) const;
  void clearRegistrations();
  // Milliseconds between passes: the smallest of 1000 and the registered intervals.
  unsigned int getWakeInterval() const;

  // Setting the stop request also wakes the thread.
  void setStopRequested(bool stop);
  bool isStopRequested() const;
  void setThreadFinished(bool finished);
  bool isThreadFinished() const;
  // True while a pass waits to take the tree lock.
  bool isWaitingForTreeLock() const;

  // Writes every registration to standard output and to the tracer.
  void printTargetKivoNodesList() const;
  // One pass at tick `now` (milliseconds); false when the tree lock gave no base or
  // the registrations were busy.
  bool callAutoUpdates(unsigned long long now);

 protected:
  void startThread();

 private:
  std::shared_ptr<Schedule> m_Schedule;
  AutoUpdaterThread* m_Thread;
};

}  // namespace AutoUpdaters
