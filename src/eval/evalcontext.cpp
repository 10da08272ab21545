// The evaluation's view of the think under way: one global record, set by the think driver
// through the routines below.
#include "eval/evalcontext.h"

#include <cstring>

#include "board/types.h"

EvalContextData EvalContext;

void resetEvalContext() {
  EvalContext.rootSide = WHITE;
  EvalContext.searchDepth = 0;
}

void setRootSide(int side) { EvalContext.rootSide = static_cast<int8_t>(side); }

void setSearchDepth(int depth) { EvalContext.searchDepth = static_cast<int8_t>(depth); }

void clearSearchDepth() { EvalContext.searchDepth = 0; }

void clearRootBonus(int ply) { EvalContext.rootBonus[ply] = 0; }

void addRootBonus(int bonus) { EvalContext.rootBonus[1] = static_cast<int16_t>(EvalContext.rootBonus[1] + bonus); }

void clearRootBonusesAndBalances() {
  std::memset(EvalContext.materialBalance, 0, sizeof EvalContext.materialBalance);
  std::memset(EvalContext.rootBonus, 0, sizeof EvalContext.rootBonus);
}
