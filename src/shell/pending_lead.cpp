// TEMPORARY: definitions the board needs until the shell, search and time-control code lands.
#include <chrono>
#include <cstdio>

#include "game/timecontrol.h"
#include "platform/clock.h"
#include "search/searchstate.h"
#include "shell/protocol.h"
#include "shell/startup.h"

SearchData SearchState;
TimeControlData TimeControl;
ProtocolData ProtocolState;

uint32_t tickCount() {
  using namespace std::chrono;
  return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

int engineMain(int, char**) {
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, stdin) != nullptr) {
  }
  return 0;
}
