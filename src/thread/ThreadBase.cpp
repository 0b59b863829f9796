#include "kivo/thread/ThreadBase.h"

#include "log/Report.h"

namespace KivoUnit {
namespace {

constexpr const char* kSourcePath = "include/kivo/ThreadBase";

// Class-wide counts of ThreadBase objects, built at library load.
struct ThreadCounts {
  wxCriticalSection lock;
  unsigned int live = 0;
  unsigned int destroyed = 0;
  unsigned int created = 0;
};

ThreadCounts g_counts;

}  // namespace

ThreadBase::ThreadBase(wxThreadKind kind, const wxString& description)
    : wxThread(kind),
      m_Description(description),
      m_Number(0),
      m_ThreadId(0),
      m_DetailsFixed(false) {
  {
    wxCriticalSectionLocker lock(g_counts.lock);
    m_Number = ++g_counts.live;
    ++g_counts.created;
    // The id is the building thread's: the object's own thread does not run yet.
    m_Name = wxString::Format(wxS("[#0x%lx: %i. %s]"), wxThread::GetCurrentId(),
                              static_cast<int>(m_Number), m_Description);
  }
  KIVO_REPORT(LevelMessage, m_Name);
}

ThreadBase::~ThreadBase() {
  {
    wxCriticalSectionLocker lock(g_counts.lock);
    --g_counts.live;
    ++g_counts.destroyed;
    m_Name = wxString::Format(wxS("~%u.(%u) "), m_Number, g_counts.created - g_counts.destroyed) +
             m_Name;
  }
  KIVO_REPORT(LevelMessage, m_Name + wxS(": ") + m_Details);
}

const wxString& ThreadBase::getThisThreadDetails() {
  if (m_DetailsFixed) return m_Details;
  m_ThreadId = GetId();
  m_Details += wxString::Format(wxS("%u. 0x%lx, "), m_Number, m_ThreadId);
  m_Details += IsDetached() ? wxS("detached") : wxS("joined");
  m_DetailsFixed = true;
  return m_Details;
}

// The first poll comes from the running thread, so the details get its real id.
bool ThreadBase::TestDestroy() {
  if (!m_DetailsFixed) getThisThreadDetails();
  return wxThread::TestDestroy();
}

void ThreadBase::OnExit() {
  m_Details = getThisThreadDetails();
  KIVO_REPORT(LevelMessage, m_Name + wxS("::OnExit(): ") + m_Details);
}

}  // namespace KivoUnit
