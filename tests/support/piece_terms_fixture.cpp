#include "support/piece_terms_fixture.h"

#include <cstring>

#include "board/board.h"
#include "board/types.h"
#include "eval/attackmap.h"
#include "eval/pawnhash.h"
#include "eval/pieces.h"

void prepareTermState(int evalSide, int gamePhase) {
  std::memset(&EvalState, 0, sizeof EvalState);
  EvalState.evalSide = static_cast<int8_t>(evalSide);
  EvalState.gamePhase = static_cast<int8_t>(gamePhase);
  for (int colour = WHITE; colour <= BLACK; ++colour) {
    EvalState.rookFile[colour] = NO_FILE;
    EvalState.firstPawnFile[colour] = NO_FILE;
    EvalState.lastPawnFile[colour] = NO_FILE;
    for (int i = 1; i <= Board.pawnCount[colour]; ++i) {
      const int s = Board.pawnList[colour][i];
      if (((s & 7) + (s >> 3)) % 2 == 0) EvalState.darkSquarePawns[colour] += 1;
    }
  }
  clearPawnTable();
  evaluatePawnStructure();
  buildKingZones();
  buildAttackMap(evalSide);
  buildAttackMap(evalSide ^ 1);
}

int16_t pieceTerm(int square) {
  switch (Board.pieceAt[square]) {
    case KNIGHT: return evaluateKnight(square);
    case BISHOP: return evaluateBishop(square);
    case ROOK: return evaluateRook(square);
    case QUEEN: return evaluateQueen(square);
    default: return 0;
  }
}

void runPieceLoop(PieceTermResults& results) {
  std::memset(&results, 0, sizeof results);
  for (int colour = WHITE; colour <= BLACK; ++colour) {
    for (int i = Board.pieceCount[colour]; i >= 1; --i) {
      const int square = Board.pieceList[colour][i];
      results.term[colour][i] = pieceTerm(square);
      results.safety[colour][i] = pieceSafety(square, Board.pieceAt[square]);
    }
  }
}
