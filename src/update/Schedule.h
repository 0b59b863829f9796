#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include <wx/string.h>
#include <wx/thread.h>

namespace KivoUnit {
class KivoBase;
}

namespace AutoUpdaters {

// What the scheduler and its worker thread share: the registrations, the flags
// and the wake signal. The thread holds its own share, so a pass that outlives
// the scheduler (waiting for the tree lock) still finds all of it.
class Schedule {
 public:
  struct Registration {
    wxString path;
    std::uint16_t interval;  // milliseconds
    unsigned int id;
    unsigned long long lastUpdate;  // tick of the last call, 0 before the first
  };

  unsigned int registerNode(const wxString& path, double seconds);
  bool unregisterNode(const wxString& path);
  bool unregisterNode(unsigned int id);
  unsigned int getUpdateInterval(const wxString& path);
  void clear();
  unsigned int getWakeInterval();

  void setStopRequested(bool stop);
  bool isStopRequested();
  void setThreadFinished(bool finished);
  bool isThreadFinished();
  bool isWaitingForTreeLock();
  // The system's id of the worker thread, 0 until it runs.
  void setWorkerThreadId(long id);
  long getWorkerThreadId();
  // True on the thread whose pass is running.
  bool isPassThread() const { return m_PassThread.load() == wxThread::GetCurrentId(); }

  void wake() { m_Wake.Post(); }
  void sleep(unsigned int milliseconds) { m_Wake.WaitTimeout(milliseconds); }

  void printTargetKivoNodesList();
  bool callAutoUpdates(unsigned long long now);

 private:
  // Holds the registrations mutex unless this thread's pass already does: a node's
  // AutoUpdate may add or remove registered nodes.
  class RegistrationsLock {
   public:
    explicit RegistrationsLock(Schedule& schedule);
    ~RegistrationsLock();

   private:
    Schedule& m_Schedule;
    bool m_Locked;
  };

  void setWaitingForTreeLock(bool waiting);
  // Runs the due registrations; the registrations mutex is held.
  void updateDueNodes(KivoUnit::KivoBase* base, unsigned long long now);
  std::size_t indexOf(unsigned int id, std::size_t fallback) const;
  static void reportMissing(const wxString& path);
  void recomputeWakeInterval();
  bool removeAt(std::size_t index);

  wxSemaphore m_Wake{0, 0};
  std::vector<Registration> m_Registrations;
  wxMutex m_RegistrationsMutex;
  wxMutex m_StateMutex;
  bool m_StopRequested = false;
  bool m_ThreadFinished = false;
  bool m_WaitingForTreeLock = false;
  long m_WorkerThreadId = 0;
  unsigned int m_WakeInterval = 1000;
  unsigned int m_LastId = 0;
  // The thread whose pass holds the registrations mutex, 0 when none.
  std::atomic<unsigned long> m_PassThread{0};
  // Counts additions and removals, so a pass notices its list changed under it.
  unsigned long m_Changes = 0;
};

}  // namespace AutoUpdaters
