// The command interpreter of the xboard protocol.
#pragma once
#include <cstdint>

void processCommands();
void startTimeControl();
// A fixed time per move: mode 3 with one move per period, no moves to go, both clocks at `clock`
// (centiseconds) and the think's elapsed time at 0.
void setFixedTimeControl(int32_t clock);
