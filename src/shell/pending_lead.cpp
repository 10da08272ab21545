// TEMPORARY: weak definitions the board needs until the shell, search and time-control code
// lands; the real definitions elsewhere replace them.
#include <chrono>

#include "game/timecontrol.h"
#include "platform/clock.h"
#include "search/searchstate.h"

__attribute__((weak)) SearchData SearchState;
__attribute__((weak)) TimeControlData TimeControl;

__attribute__((weak)) uint32_t tickCount() {
  using namespace std::chrono;
  return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}
