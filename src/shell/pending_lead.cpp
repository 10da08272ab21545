// TEMPORARY: weak definitions until the time-control code lands; the real definitions elsewhere
// replace them.
#include "game/timecontrol.h"

__attribute__((weak)) TimeControlData TimeControl;
