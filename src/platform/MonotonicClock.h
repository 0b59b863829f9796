#pragma once

#include <cstdint>

namespace KivoUnit::platform {

// The high-resolution counter behind the profilers: a monotonic clock read as
// ticks, so a changed wall clock never makes a measured time jump.
class MonotonicClock {
 public:
  // Ticks per second of `read`.
  static std::int64_t frequency();
  // False when the clock cannot be read; `ticks` is then left alone.
  static bool read(std::int64_t& ticks);
};

}  // namespace KivoUnit::platform
