// TEMPORARY STUBS (engineer "search"): stand-ins for routines and records of other owners that
// have not landed yet. Each evaluation term contributes nothing. Remove each stub when the real
// definition arrives.
#include "board/board.h"
#include "game/think.h"

// STUB (think): only the piece counts per type, which the evaluation reads.
__attribute__((weak)) void preparePhaseState() { fillTypeCount(); }
