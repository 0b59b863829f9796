#include "platform/MonotonicClock.h"

#include <ctime>

namespace KivoUnit::platform {
namespace {
constexpr std::int64_t kNanosecondsPerSecond = 1000000000;
}  // namespace

std::int64_t MonotonicClock::frequency() { return kNanosecondsPerSecond; }

bool MonotonicClock::read(std::int64_t& ticks) {
  timespec now{};
  if (clock_gettime(CLOCK_MONOTONIC, &now) != 0) return false;
  ticks = static_cast<std::int64_t>(now.tv_sec) * kNanosecondsPerSecond + now.tv_nsec;
  return true;
}

}  // namespace KivoUnit::platform
