// The board as one colour's pawns see it, for the pawn terms: on top of the relative ranks and
// squares of sideview.h, the files and square tests the pawn rules use, so that each rule is
// written once for both colours.
#pragma once
#include <cstdint>
#include "board/board.h"
#include "board/types.h"
#include "eval/evalstate.h"
#include "eval/pawnterms.h"
#include "eval/sideview.h"

// Files and ranks named by the pawn rules.
constexpr int FILE_A = 0;
constexpr int FILE_B = 1;
constexpr int FILE_C = 2;
constexpr int FILE_F = 5;
constexpr int FILE_G = 6;
constexpr int FILE_H = 7;
constexpr int FIRST_RANK = 0;
constexpr int LAST_RANK = 7;

// The square on `file` at `colour`'s relative rank.
inline int squareFor(int colour, int relRank, int file) {
  return squareAt(relativeRank(colour, relRank), file);
}
inline bool isOnBoard(int s) { return s >= A1 && s <= H8; }

inline bool holdsPawn(int s) { return Board.pieceAt[s] == PAWN; }
inline bool isPawnOf(int colour, int s) { return holds(s, PAWN, colour); }
inline bool hasPawnsOnFile(int colour, int file) { return Board.filePawns[colour][file] > 0; }
// Relative rank of colour's front pawn on `file`, as `viewer` counts ranks (the colour must have
// a pawn there).
inline int relativeFrontRank(int viewer, int colour, int file) {
  return relativeRank(viewer, frontPawnRank(colour, file));
}

// Penalty for a pawn whose advance is contested, by the pawn's square (White's view, rank 1
// first; Black reads it through relativeSquare). Used by the structure score for blocked pawns
// and by the pawn loop for pawns that cannot advance safely.
inline constexpr int16_t blockedPawnValue[64] = {
     0,  0,  0,  0,  0,  0,  0,  0,
    -2, -3, -4, -6, -6, -4, -3, -2,
    -1, -2, -3, -4, -4, -3, -2, -1,
     0, -1, -2, -2, -2, -2, -1,  0,
     0,  0, -1, -1, -1, -1,  0,  0,
     0,  0,  0,  0,  0,  0,  0,  0,
     0,  0,  0,  0,  0,  0,  0,  0,
     0,  0,  0,  0,  0,  0,  0,  0,
};
