#include "kivo/profile/ProfilerHelper.h"

#include <fstream>
#include <iostream>

#include "kivo/profile/Profiler.h"

namespace KivoUnit {
namespace {

// A section started but never finished has no average yet; it shows 0.
unsigned int averageOf(const ProfilerEntry& entry) {
  return entry.count == 0 ? 0 : entry.total / entry.count;
}

void writeEntry(std::ostream& out, const std::string& label, const ProfilerEntry& entry) {
  out << entry.thread << ';' << entry.count << ';' << (entry.finish - entry.start) << ';'
      << averageOf(entry) << ';' << entry.total << ";\"" << label << '"' << std::endl;
}

}  // namespace

ProfilerHelper::ProfilerHelper(const std::string& label, bool dump, const std::string& file)
    : m_Label(label), m_Dump(dump), m_File(file) {
  Profiler::getSingleton().start(m_Label);
}

ProfilerHelper::~ProfilerHelper() {
  Profiler::getSingleton().finish(m_Label);
  if (m_Dump) dump();
}

// The file is written directly rather than by redirecting the standard output
// stream: other threads keep writing to standard output while a dump runs.
void ProfilerHelper::dump() {
  if (m_File.empty()) {
    writeTable(std::cout);
    return;
  }
  std::ofstream file(m_File, std::ios::out | std::ios::trunc);
  if (file) writeTable(file);
}

void ProfilerHelper::writeTable(std::ostream& out) const {
  const ProfilerEntries entries = Profiler::getSingleton().getEntries();
  out << "Thread;Count;Last;Average;Total;Label" << std::endl;
  for (const auto& [label, entry] : entries) writeEntry(out, label, entry);
}

}  // namespace KivoUnit
