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

// ---- Set by the think driver ----
void setRootSide(int side);
// The iteration under way: 1 for the pre-search, then one more per iteration; 0 for a quiet
// search of a book move. clearSearchDepth: no iteration under way.
void setSearchDepth(int depth);
void clearSearchDepth();
// No bonus for the root move about to be made at `ply`; addRootBonus adds to the bonus of the
// root move made (ply 1).
void clearRootBonus(int ply);
void addRootBonus(int bonus);
// No root bonus and no material balance at any ply (start of a think).
void clearRootBonusesAndBalances();

// ---- Left by the evaluation and the search ----
// The material balance, for the side evaluated, of the position at `ply`.
inline void setMaterialBalance(int ply, int16_t balance) { EvalContext.materialBalance[ply] = balance; }
