#pragma once

#include <iosfwd>
#include <string>

#include "kivo/KivoExport.h"

namespace KivoUnit {

// Profiles the scope it lives in as the section `label`, and on request dumps the
// whole profiler table when the scope ends.
class KIVO_API ProfilerHelper {
 public:
  // `file` empty dumps to the standard output stream.
  explicit ProfilerHelper(const std::string& label, bool dump = false,
                          const std::string& file = std::string());
  ~ProfilerHelper();
  ProfilerHelper(const ProfilerHelper&) = delete;
  ProfilerHelper& operator=(const ProfilerHelper&) = delete;

  // "Thread;Count;Last;Average;Total;Label", then one line per section in label
  // order. A file that cannot be opened gets nothing, and nothing goes elsewhere.
  void dump();

 private:
  void writeTable(std::ostream& out) const;

  std::string m_Label;
  bool m_Dump;
  std::string m_File;
};

}  // namespace KivoUnit
