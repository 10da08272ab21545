// The evaluation's working data: one global record, overwritten by every evaluation.
#include "eval/evalstate.h"

namespace {

// The game phase is unknown until the first evaluation after a new game.
EvalData makeInitialEvalState() {
  EvalData e{};
  e.gamePhase = PHASE_UNKNOWN;
  return e;
}

}  // namespace

EvalData EvalState = makeInitialEvalState();

void forgetGamePhase() { EvalState.gamePhase = -1; }

void clearPieceAndKingTerms(int colour) {
  EvalData& e = EvalState;
  e.kingZoneCount[colour] = 0;
  e.hangingPawns[colour] = 0;
  e.threatenedPieces[colour] = 0;
  e.kingThreat[colour] = 0;
  e.pieceScore[colour] = 0;
  e.kingSafetyScore[colour] = 0;
  e.kingContactScore[colour] = 0;
  e.threatScore[colour] = 0;
  e.kingAttackUnits[colour] = 0;
  e.bishopOnDark[colour] = 0;
  e.bishopOnLight[colour] = 0;
  e.rookFile[colour] = NO_FILE;
  e.seventhRankCount[colour] = 0;
}
