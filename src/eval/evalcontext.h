// EvalContext: what the evaluation reads of the think under way, set by the think driver: the root
// side, the bonus of the root move under search and the iteration depth. The evaluation leaves the
// material balance of each ply here for the search.
#pragma once
#include <cstdint>
#include "board/movegen.h"

struct EvalContextData {
  int8_t searchDepth;                 // iteration counter (1 in the pre-search)
  int8_t rootSide;
  int16_t rootBonus[MAX_PLY];
  int16_t materialBalance[MAX_PLY];
};
extern EvalContextData EvalContext;

// A new game: White at the root, no iteration under way.
void resetEvalContext();
