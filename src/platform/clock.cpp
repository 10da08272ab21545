// The time base: a monotonic millisecond counter and the calendar clock.
#include "platform/clock.h"

#include <ctime>
#ifdef _WIN32
#include <windows.h>
#endif

namespace {

constexpr uint64_t MILLISECONDS_PER_SECOND = 1000;

#ifdef _WIN32
// The performance counter: monotonic, finer than the 10-16 ms steps of the system tick, and
// available on every Windows the engine runs on.
uint64_t monotonicMilliseconds() {
  static const uint64_t ticksPerSecond = [] {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<uint64_t>(frequency.QuadPart);
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  const uint64_t ticks = static_cast<uint64_t>(now.QuadPart);
  // Whole seconds and the remainder apart, so that the product cannot overflow.
  return ticks / ticksPerSecond * MILLISECONDS_PER_SECOND + ticks % ticksPerSecond * MILLISECONDS_PER_SECOND / ticksPerSecond;
}
#else
constexpr uint64_t NANOSECONDS_PER_MILLISECOND = 1000000;

uint64_t monotonicMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint64_t>(now.tv_sec) * MILLISECONDS_PER_SECOND +
         static_cast<uint64_t>(now.tv_nsec) / NANOSECONDS_PER_MILLISECOND;
}
#endif

// Taken when the program starts, so the 32-bit count runs from 0 and wraps only after 49.7 days of
// running: a count taken since boot could wrap in the middle of a think on a machine that has been
// up for weeks, and the think would then never see its time run out.
const uint64_t programStart = monotonicMilliseconds();

}  // namespace

// Milliseconds since the program started, as a 32-bit tick counter.
uint32_t tickCount() { return static_cast<uint32_t>(monotonicMilliseconds() - programStart); }

long calendarSeconds() { return static_cast<long>(std::time(nullptr)); }
