#include "kivo/thread/KivoLocker.h"

#include "log/Report.h"
#include "kivo/base/KivoBase.h"

namespace KivoUnit {
namespace {
constexpr const char* kSourcePath = "include/kivo/KivoLocker";
}  // namespace

bool KivoLocker::s_Debug = false;
// Built in this order at load and destroyed in the reverse order at unload.
wxCriticalSection KivoLocker::s_Writer;
wxSemaphore KivoLocker::s_Readers(255, 256);
wxCriticalSection KivoLocker::s_ReadersLock;
wxSemaphore KivoLocker::s_ReadersFinished(1, 1);
int KivoLocker::s_ReaderCount = 0;
int KivoLocker::s_WriterCount = 0;
unsigned long KivoLocker::s_WriterId = 0;

KivoLocker::KivoLocker(unsigned int /*line*/, const char* /*file*/, const char* /*function*/,
                       const wxString& /*label*/)
    : m_Reading(false), m_Writing(false), m_ThreadId(wxThread::GetCurrentId()), m_Entered(false) {
  if (KivoBase::GetInstance() != nullptr) enterTreeLock();
}

KivoLocker::~KivoLocker() {
  if (m_Entered) leaveTreeLock();
}

// The lock is taken directly rather than through KivoBase::Enter(): Enter() looks
// at the base once more, and a base gone in between would leave the guard
// believing it holds a lock it never took.
void KivoLocker::enterTreeLock() {
  KivoBase::s_CS.Enter();
  ++KivoBase::s_Locked;
  m_Entered = true;
}

// Likewise KivoBase::Leave() would skip the release once the base is gone.
void KivoLocker::leaveTreeLock() {
  --KivoBase::s_Locked;
  KivoBase::s_CS.Leave();
  m_Entered = false;
}

KivoBase* KivoLocker::Read() { return KivoBase::GetInstance(); }

KivoBase* KivoLocker::Write() { return KivoBase::GetInstance(); }

void KivoLocker::FinishWriting() {
  if (!m_Writing) return;
  Debug(wxS("Writer finishing up..."));
  --s_WriterCount;
  m_Writing = false;
  if (s_WriterCount == 0) {
    s_WriterId = 0;
    Debug(wxS("Writer was the last in this thread..."));
    s_ReadersFinished.Post();
    s_Writer.Leave();
  }
  Debug(wxS("Writer gone."));
}

void KivoLocker::FinishReading() {
  if (!m_Reading) return;
  Debug(wxS("Reader finishing up..."));
  wxCriticalSectionLocker readers(s_ReadersLock);  // left on every way out
  m_Reading = false;
  --s_ReaderCount;
  s_Readers.Post();
  if (s_ReaderCount == 0) {
    Debug(wxS("Reader was the last one..."));
    s_ReadersFinished.Post();
  }
  Debug(wxS("Reader gone."));
}

bool KivoLocker::iLocked() const { return m_Reading || m_Writing || m_ThreadId == s_WriterId; }

void KivoLocker::Debug(const wxString& text) {
  if (s_Debug) KIVO_REPORT(LevelDebug, text);
}

bool KivoLocker::testFail() const { return false; }

}  // namespace KivoUnit
