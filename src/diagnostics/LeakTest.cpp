#include "kivo/diagnostics/LeakTest.h"

#include <cstdlib>

#include <wx/thread.h>
#include <wx/utils.h>

#include "log/Report.h"

namespace KivoUnit {
namespace {

constexpr const char* kSourcePath = "include/kivo/LeakTest";

// Guards the serial counter and every check, shared by all instances.
wxCriticalSection& sharedLock() {
  static wxCriticalSection lock;
  return lock;
}

std::uint64_t s_SerialCounter = 0;

wxString decimal(std::uint64_t value) {
  return wxString::Format(wxS("%llu"), static_cast<unsigned long long>(value));
}

}  // namespace

LeakTest::LeakTest(const char* name, const char* description)
    : m_Serial(0),
      m_Name(wxString::FromUTF8(name != nullptr ? name : "")),
      m_Description(wxString::FromUTF8(description != nullptr ? description : "")),
      m_Check(0),
      m_CheckCopy(0) {
  wxCriticalSectionLocker guard(sharedLock());
  m_Serial = ++s_SerialCounter;
  m_Check = static_cast<std::uint32_t>(std::rand());
  m_CheckCopy = m_Check;
}

LeakTest::~LeakTest() {
  wxCriticalSectionLocker guard(sharedLock());
  if (m_Serial == 0 && s_SerialCounter == 0 && m_Check == m_CheckCopy) {
    const char* function = "~LeakTest";
    detail::report(LevelError, wxS("LeakTest catched a failure"), __LINE__, kSourcePath, function);
    detail::report(LevelError,
                   wxString::Format(wxS("PID %s, TID %s, ID %s, name '%s', desc '%s', values: %u %u"),
                                    decimal(wxGetProcessId()),
                                    decimal(static_cast<std::uint64_t>(wxThread::GetCurrentId())),
                                    decimal(m_Serial), m_Name, m_Description, m_Check, m_CheckCopy),
                   __LINE__, kSourcePath, function);
    detail::report(LevelFatalError, wxS("LeakTest program termination"), __LINE__, kSourcePath,
                   function);
  }
  m_Serial = DestroyedSerial;
}

}  // namespace KivoUnit
