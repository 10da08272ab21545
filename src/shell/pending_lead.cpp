// TEMPORARY: weak definitions until the time-control code and the ponder handler land; the real
// definitions elsewhere replace them.
#include "game/timecontrol.h"
#include "shell/ponderinput.h"

__attribute__((weak)) TimeControlData TimeControl;
__attribute__((weak)) void handleInputWhileSearching() {}
