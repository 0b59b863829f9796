#pragma once

#include <cstdint>

#include <wx/string.h>

#include "kivo/KivoExport.h"

namespace KivoUnit {

// A debugging aid placed in host or plug-in objects: it carries a serial number,
// counted across all threads from 1, and a random check value with its copy. A
// destructor that finds no serial, no count and equal check values runs on
// memory that was never a constructed LeakTest, and reports that through the
// tracer. Destruction marks the serial so that a second one can be told apart.
class KIVO_API LeakTest {
 public:
  // The serial destruction leaves behind.
  static constexpr std::uint64_t DestroyedSerial = 0xFFFFFFFFull;

  // `name` and `description` are UTF-8.
  LeakTest(const char* name, const char* description);
  virtual ~LeakTest();
  LeakTest(const LeakTest&) = delete;
  LeakTest& operator=(const LeakTest&) = delete;

  std::uint64_t getSerial() const { return m_Serial; }
  const wxString& getName() const { return m_Name; }
  const wxString& getDescription() const { return m_Description; }

 private:
  std::uint64_t m_Serial;
  wxString m_Name;
  wxString m_Description;
  std::uint32_t m_Check;
  std::uint32_t m_CheckCopy;
};

}  // namespace KivoUnit
