// The time base: a monotonic millisecond counter and the calendar clock.
#include "platform/clock.h"

#include <ctime>

namespace {

constexpr uint64_t MILLISECONDS_PER_SECOND = 1000;
constexpr uint64_t NANOSECONDS_PER_MILLISECOND = 1000000;

}  // namespace

// Milliseconds of a monotonic clock, wrapping at 2^32 like a 32-bit tick counter. Callers only
// take differences, so the arbitrary start does not matter.
uint32_t tickCount() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const uint64_t milliseconds = static_cast<uint64_t>(now.tv_sec) * MILLISECONDS_PER_SECOND +
                                static_cast<uint64_t>(now.tv_nsec) / NANOSECONDS_PER_MILLISECOND;
  return static_cast<uint32_t>(milliseconds);
}

long calendarSeconds() { return static_cast<long>(std::time(nullptr)); }
