// Time base: a monotonic millisecond tick count and the calendar time.
#pragma once
#include <cstdint>

uint32_t tickCount();       // milliseconds since the program started, monotonic
long calendarSeconds();     // seconds since the epoch
