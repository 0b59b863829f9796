#pragma once

#include <wx/string.h>
#include <wx/thread.h>

#include "kivo/KivoExport.h"

namespace KivoUnit {

// The base of the library's worker threads. Each object is numbered by the count
// of live objects, named "[#0x<creator thread>: <number>. <description>]", and
// logs a line when it is built, when its thread exits and when it is destroyed.
// A subclass supplies Entry() and polls TestDestroy() in its loop.
class KIVO_API ThreadBase : public wxThread {
 public:
  ThreadBase(wxThreadKind kind, const wxString& description);
  ~ThreadBase() override;

  bool TestDestroy() override;
  // "<number>. 0x<thread id>, detached|joined", built once on first use.
  virtual const wxString& getThisThreadDetails();

  const wxString& getName() const { return m_Name; }
  unsigned int getNumber() const { return m_Number; }

 protected:
  void OnExit() override;
  ExitCode Entry() override = 0;

 private:
  wxString m_Description;
  wxString m_Name;
  wxString m_Details;
  unsigned int m_Number;
  unsigned long m_ThreadId;
  bool m_DetailsFixed;
};

}  // namespace KivoUnit
