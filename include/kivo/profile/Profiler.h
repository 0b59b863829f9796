#pragma once

#include <map>
#include <memory>
#include <string>

#include "kivo/KivoExport.h"
#include "kivo/profile/TimeProfiler.h"

class wxCriticalSection;

namespace KivoUnit {

// One profiled code section. Times are microseconds of the profiler's clock.
struct KIVO_API ProfilerEntry {
  ProfilerEntry();

  unsigned int start;
  unsigned int finish;
  unsigned int total;
  unsigned int count;
  // The thread that last finished the section; thread ids are 64-bit here.
  unsigned long thread;
};

using ProfilerEntries = std::map<std::string, ProfilerEntry>;

// The process-wide table of code sections: how often each ran and for how long in
// total. Every operation holds the profiler's lock for its whole duration.
class KIVO_API Profiler {
 public:
  static Profiler& getSingleton();

  Profiler(const Profiler&) = delete;
  Profiler& operator=(const Profiler&) = delete;
  ~Profiler();

  // Starts `label`, creating its entry on first use.
  void start(const std::string& label);
  // Finishes `label`; a label that was never started is ignored.
  void finish(const std::string& label);
  ProfilerEntries getEntries() const;

 private:
  Profiler();

  std::unique_ptr<wxCriticalSection> m_Lock;
  TimeProfiler m_Clock;
  ProfilerEntries m_Entries;
};

}  // namespace KivoUnit
