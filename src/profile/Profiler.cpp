#include "kivo/profile/Profiler.h"

#include <wx/thread.h>

namespace KivoUnit {

ProfilerEntry::ProfilerEntry() : start(0), finish(0), total(0), count(0), thread(0) {}

Profiler& Profiler::getSingleton() {
  static Profiler instance;
  return instance;
}

Profiler::Profiler() : m_Lock(std::make_unique<wxCriticalSection>()) {}

Profiler::~Profiler() = default;

void Profiler::start(const std::string& label) {
  wxCriticalSectionLocker lock(*m_Lock);
  m_Entries[label].start = m_Clock.getMicroseconds();
}

void Profiler::finish(const std::string& label) {
  wxCriticalSectionLocker lock(*m_Lock);
  const auto found = m_Entries.find(label);
  if (found == m_Entries.end()) return;
  ProfilerEntry& entry = found->second;
  entry.finish = m_Clock.getMicroseconds();
  entry.thread = wxThread::GetCurrentId();
  if (entry.start < entry.finish) entry.total += entry.finish - entry.start;
  ++entry.count;
}

ProfilerEntries Profiler::getEntries() const {
  wxCriticalSectionLocker lock(*m_Lock);
  return m_Entries;
}

}  // namespace KivoUnit
