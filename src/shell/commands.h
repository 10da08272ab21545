// The command interpreter of the xboard protocol.
#pragma once
#include <cstdint>

void processCommands();
// The "Remaining time" log line of a clock reading t (centiseconds): whose is "Vostrel" or
// "opponent", side the colour whose moves to go are shown under a period control.
void logRemainingTime(const char* whose, int32_t t, int side);
