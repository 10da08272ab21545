// Test helpers for the attack maps, piece terms and king safety: the evaluation state prepared as
// the full evaluation prepares it before those terms run, and the piece loop in its order.
#pragma once
#include <cstdint>

#include "eval/evalstate.h"

// Clears every accumulator and flag of EvalState, sets evalSide and gamePhase, evaluates the pawn
// structure (fresh pawn table), counts darkSquarePawns and builds the king zones and both attack
// maps (evalSide first). Leaves rootSide, rootCastlingChance and the style settings alone.
void prepareTermState(int evalSide, int gamePhase);

// The middlegame term of the piece on `square` (knight, bishop, rook or queen).
int16_t pieceTerm(int square);

// Per list position 1..pieceCount: the piece's term and its pieceSafety value.
struct PieceTermResults {
  int16_t term[2][MAX_PIECE_RECORDS];
  int16_t safety[2][MAX_PIECE_RECORDS];
};

// The piece loop of the full evaluation: White, then Black, each from the end of its list.
void runPieceLoop(PieceTermResults& results);
