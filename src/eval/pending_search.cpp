// TEMPORARY STUBS (engineer "search"): weak stand-ins for routines of the think driver, which has
// not landed yet; its real definitions replace them. Remove this file when it lands.
#include "board/board.h"
#include "game/think.h"
#include "game/timecontrol.h"

// STUB (think): only the piece counts per type, which the evaluation reads.
__attribute__((weak)) void preparePhaseState() { fillTypeCount(); }

// STUB (think): the stop test of the search; without the think driver nothing stops a search.
__attribute__((weak)) int timeIsUp() { return 0; }
