#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "kivo/KivoExport.h"

namespace KivoUnit {

// A stopwatch on the high-resolution counter with a table of named time stamps
// (microseconds). One instance must not be changed by two threads at once;
// reading its clock from several threads is safe.
class KIVO_API TimeProfiler {
 public:
  // The counter reading the clock counts from, and the counter's ticks per second.
  struct CounterOrigin {
    std::int64_t counter;
    std::int64_t frequency;
  };
  using Stamps = std::map<std::string, unsigned int>;

  TimeProfiler();
  // A copy starts its own clock now and takes no stamps.
  TimeProfiler(const TimeProfiler& other);
  // Restarts this clock now and keeps this profiler's own stamps.
  TimeProfiler& operator=(const TimeProfiler& other);
  virtual ~TimeProfiler();

  // Elapsed time since the origin; 0 when the clock is cleared or unreadable
  // (seconds: -1.23456789 when unreadable).
  virtual unsigned int getMicroseconds() const;
  virtual unsigned int getMilliseconds() const;
  virtual double getSeconds() const;
  // Kept for callers that expect it; it does not sleep.
  virtual void sleepMicroseconds(unsigned int microseconds) const;

  // Inserts or overwrites a stamp and returns its value.
  virtual unsigned int stamp(const std::string& name, unsigned int value);
  virtual unsigned int timestamp(const std::string& name);
  // Stamps the time elapsed since the stamp `since` (unsigned arithmetic).
  virtual unsigned int timestamp(const std::string& name, const std::string& since);

  // A stamp's value; 0 for a stamp that does not exist (none is created).
  virtual unsigned int getMicroseconds(const std::string& name) const;
  virtual unsigned int getMilliseconds(const std::string& name) const;
  virtual double getSeconds(const std::string& name) const;
  virtual unsigned int getMicrosecondsSince(const std::string& name) const;
  virtual unsigned int getMillisecondsSince(const std::string& name) const;
  virtual double getSecondsSince(const std::string& name) const;

  // One "name: s.sss seconds (n microseconds)" entry per stamp whose name contains
  // `filter` (every stamp when it is empty), each followed by `separator`.
  virtual std::string getReport(const std::string& filter, const std::string& separator) const;

  // Stops the clock for good: it reads 0 from now on. The stamps stay.
  void clear();

 private:
  static std::unique_ptr<CounterOrigin> startClock();
  // Elapsed ticks and the frequency; false when cleared or the counter is unreadable.
  bool elapsedTicks(std::int64_t& ticks, std::int64_t& frequency) const;
  unsigned int elapsedIn(double unitsPerSecond) const;

  std::unique_ptr<CounterOrigin> m_Origin;
  Stamps m_Stamps;
};

}  // namespace KivoUnit
