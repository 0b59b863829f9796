#pragma once

#include <wx/string.h>
#include <wx/thread.h>

#include "kivo/KivoExport.h"

namespace KivoUnit {

class KivoBase;

// The scoped guard over the tree lock: while it lives, its thread holds
// KivoBase::s_CS (when a base existed at construction) and may use the base that
// Read() and Write() hand out. Guards nest on one thread.
//
// The class also carries a class-wide reader/writer state. Only its releasing
// half lives here: a subclass that acquires (sets the flags) gets the release
// steps of FinishReading() and FinishWriting().
class KIVO_API KivoLocker {
 public:
  // The call site's line, file, function and label are accepted for callers' sake
  // and not kept.
  KivoLocker(unsigned int line, const char* file, const char* function, const wxString& label);
  virtual ~KivoLocker();
  KivoLocker(const KivoLocker&) = delete;
  KivoLocker& operator=(const KivoLocker&) = delete;

  // The base, or null when there is none; neither changes any state.
  virtual KivoBase* Read();
  virtual void FinishReading();
  virtual KivoBase* Write();
  virtual void FinishWriting();

  // Writes `text` to the tracer at level 0 while s_Debug is set.
  static void Debug(const wxString& text);
  bool iLocked() const;
  bool testFail() const;

  static bool s_Debug;
  static wxCriticalSection s_Writer;
  static wxSemaphore s_Readers;
  static wxCriticalSection s_ReadersLock;
  static int s_ReaderCount;
  static int s_WriterCount;
  static unsigned long s_WriterId;
  static wxSemaphore s_ReadersFinished;

 protected:
  bool m_Reading;
  bool m_Writing;
  unsigned long m_ThreadId;

 private:
  void enterTreeLock();
  void leaveTreeLock();

  // Whether this guard took the tree lock, so that it releases exactly that even
  // when the base appears or goes away while the guard lives.
  bool m_Entered;
};

}  // namespace KivoUnit
