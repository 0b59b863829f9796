#include "kivo/profile/TimeProfiler.h"

#include <wx/string.h>

#include "kivo/convert/Convert.h"
#include "platform/MonotonicClock.h"

namespace KivoUnit {
namespace {

constexpr double kMicrosecondsPerSecond = 1000000.0;
constexpr double kMillisecondsPerSecond = 1000.0;
constexpr double kUnreadableSeconds = -1.23456789;

bool nameMatches(const std::string& name, const wxString& filter) {
  return filter.empty() || Convert::StringToWX(name).find(filter) != wxString::npos;
}

}  // namespace

TimeProfiler::TimeProfiler() : m_Origin(startClock()) {}

TimeProfiler::TimeProfiler(const TimeProfiler& /*other*/) : m_Origin(startClock()) {}

TimeProfiler& TimeProfiler::operator=(const TimeProfiler& /*other*/) {
  m_Origin = startClock();
  return *this;
}

TimeProfiler::~TimeProfiler() = default;

std::unique_ptr<TimeProfiler::CounterOrigin> TimeProfiler::startClock() {
  auto origin = std::make_unique<CounterOrigin>();
  origin->frequency = platform::MonotonicClock::frequency();
  origin->counter = 0;
  platform::MonotonicClock::read(origin->counter);
  return origin;
}

void TimeProfiler::clear() { m_Origin.reset(); }

bool TimeProfiler::elapsedTicks(std::int64_t& ticks, std::int64_t& frequency) const {
  if (!m_Origin) return false;
  std::int64_t now = 0;
  if (!platform::MonotonicClock::read(now)) return false;
  ticks = now - m_Origin->counter;
  frequency = m_Origin->frequency;
  return true;
}

unsigned int TimeProfiler::elapsedIn(double unitsPerSecond) const {
  std::int64_t ticks = 0;
  std::int64_t frequency = 0;
  if (!elapsedTicks(ticks, frequency)) return 0;
  const double divisor = static_cast<double>(frequency) / unitsPerSecond;
  if (!(divisor > 0.0)) return 0;
  // Truncated, then cut to 32 bits: the value wraps like the counter's callers expect.
  return static_cast<unsigned int>(static_cast<std::int64_t>(static_cast<double>(ticks) / divisor));
}

unsigned int TimeProfiler::getMicroseconds() const { return elapsedIn(kMicrosecondsPerSecond); }

unsigned int TimeProfiler::getMilliseconds() const { return elapsedIn(kMillisecondsPerSecond); }

double TimeProfiler::getSeconds() const {
  if (!m_Origin) return 0.0;
  std::int64_t ticks = 0;
  std::int64_t frequency = 0;
  if (!elapsedTicks(ticks, frequency)) return kUnreadableSeconds;
  return static_cast<double>(ticks) / static_cast<double>(frequency);
}

void TimeProfiler::sleepMicroseconds(unsigned int /*microseconds*/) const {}

unsigned int TimeProfiler::stamp(const std::string& name, unsigned int value) {
  m_Stamps[name] = value;
  return value;
}

unsigned int TimeProfiler::timestamp(const std::string& name) {
  return stamp(name, getMicroseconds());
}

unsigned int TimeProfiler::timestamp(const std::string& name, const std::string& since) {
  return stamp(name, getMicroseconds() - getMicroseconds(since));
}

unsigned int TimeProfiler::getMicroseconds(const std::string& name) const {
  const auto found = m_Stamps.find(name);
  return found == m_Stamps.end() ? 0 : found->second;
}

unsigned int TimeProfiler::getMilliseconds(const std::string& name) const {
  return getMicroseconds(name) / 1000;
}

double TimeProfiler::getSeconds(const std::string& name) const {
  return getMicroseconds(name) / kMicrosecondsPerSecond;
}

unsigned int TimeProfiler::getMicrosecondsSince(const std::string& name) const {
  return getMicroseconds() - getMicroseconds(name);
}

unsigned int TimeProfiler::getMillisecondsSince(const std::string& name) const {
  return getMilliseconds() - getMilliseconds(name);
}

double TimeProfiler::getSecondsSince(const std::string& name) const {
  return getSeconds() - getSeconds(name);
}

std::string TimeProfiler::getReport(const std::string& filter, const std::string& separator) const {
  const wxString wideFilter = Convert::StringToWX(filter);
  const wxString wideSeparator = Convert::StringToWX(separator);
  wxString report;
  for (const auto& [name, value] : m_Stamps) {
    if (!nameMatches(name, wideFilter)) continue;
    report +=
        wxString::Format(wxS("%s: %.3f seconds (%u microseconds)%s"), Convert::StringToWX(name),
                         value / kMicrosecondsPerSecond, value, wideSeparator);
  }
  return Convert::StringToSTD(report);
}

}  // namespace KivoUnit
