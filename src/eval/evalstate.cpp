// The evaluation's working data: one global record, overwritten by every evaluation.
#include "eval/evalstate.h"

#include "board/board.h"
#include "board/types.h"

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

void clearEvalStatistics() {
  EvalState.scoreTableHits = EvalState.scoreTableFills = EvalState.fullEvaluations = 0;
  EvalState.pawnTableHits = EvalState.pawnTableFills = 0;
}

void noteRootCastlingChances() {
  struct Home {
    int king, queenRook, kingRook;
  };
  constexpr Home homes[2] = {{E1, A1, H1}, {E8, A8, H8}};
  for (int side = WHITE; side <= BLACK; ++side) {
    const Home& home = homes[side];
    auto unmoved = [side](int square, int piece) {
      return Board.squareMoves[square] == 0 && Board.pieceAt[square] == piece && Board.colorAt[square] == side;
    };
    const bool rookUnmoved = unmoved(home.queenRook, ROOK) || unmoved(home.kingRook, ROOK);
    EvalState.rootCastlingChance[side] =
        static_cast<int8_t>(Board.castled[side] == 0 && unmoved(home.king, KING) && rookUnmoved);
  }
}
