// TEMPORARY STUBS (engineer "search"): stand-ins for routines and records of other owners that
// have not landed yet. Each evaluation term contributes nothing. Remove each stub when the real
// definition arrives.
#include <cstdint>

#include "board/board.h"
#include "eval/attackmap.h"
#include "eval/endgame.h"
#include "eval/evalstate.h"
#include "eval/kingsafety.h"
#include "eval/passedpawns.h"
#include "eval/pawnhash.h"
#include "eval/pawnterms.h"
#include "eval/pieces.h"
#include "game/think.h"

// STUB (think): only the piece counts per type, which the evaluation reads.
void preparePhaseState() { fillTypeCount(); }

// STUB (evalpawns): pawn structure, pawn terms, attack maps.
void clearPawnTable() {}
void evaluatePawnStructure() {}
int8_t frontPawnRank(int, int) { return 0; }
void evaluatePawnLoop(int) {}
void evaluateFileControl() {}
void buildKingZones() {}
void buildAttackMap(int) {}

// STUB (evalpieces): piece terms and king safety.
int16_t evaluateKnight(int) { return 0; }
int16_t evaluateBishop(int) { return 0; }
int16_t evaluateRook(int) { return 0; }
int16_t evaluateQueen(int) { return 0; }
int16_t pieceSafety(int, int) { return 0; }
int16_t evaluateKingSafety(int) { return 0; }

// STUB (evalend): passed pawns and the endgame road (material and balance bonus only).
void evaluatePassedPawns() {}
int16_t evaluateEndgame(int side, int, int, int8_t* exact) {
  const int opp = side ^ 1;
  EvalState.positionalScore[side] = EvalState.balanceBonus[side];
  EvalState.positionalScore[opp] = EvalState.balanceBonus[opp];
  *exact = 1;
  return static_cast<int16_t>(Board.material[side] - Board.material[opp] + EvalState.balanceBonus[side] -
                              EvalState.balanceBonus[opp]);
}
