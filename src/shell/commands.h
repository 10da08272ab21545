// The command interpreter of the xboard protocol.
#pragma once
#include <cstdint>

void processCommands();
void startTimeControl();
// A fixed time per move: TIME_MODE_FIXED_TIME with one move per period, no moves to go, both clocks at `clock`
// (centiseconds) and the think's elapsed time at 0.
void setFixedTimeControl(int32_t clock);
// The "Remaining time" log line of a clock reading t (centiseconds): whose is "Vostrel" or
// "opponent", side the colour whose moves to go are shown under a period control.
void logRemainingTime(const char* whose, int32_t t, int side);
