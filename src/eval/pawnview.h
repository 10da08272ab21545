// The board as one colour sees it, for the evaluation terms: relative ranks (the colour's first
// rank is 0, its pawns walk towards 7), relative squares (files kept, ranks mirrored for Black),
// and the square tests the pawn rules use, so that each rule is written once for both colours.
// sideview.h adds the helpers of the piece and king terms on top.
#pragma once
#include <cstdint>
#include "board/board.h"
#include "board/types.h"
#include "eval/evalstate.h"
#include "eval/pawnterms.h"

// Files and ranks named by the pawn rules.
constexpr int FILE_A = 0;
constexpr int FILE_B = 1;
constexpr int FILE_C = 2;
constexpr int FILE_D = 3;
constexpr int FILE_F = 5;
constexpr int FILE_G = 6;
constexpr int FILE_H = 7;
constexpr int FIRST_RANK = 0;
constexpr int LAST_RANK = 7;

constexpr int RANK_MIRROR = 56;            // s ^ 56 mirrors a square vertically
constexpr int ATTACKER_COUNT_MASK = 0xFF;  // low byte of an attackMap word

// Square as `colour` sees it (White keeps it, Black mirrors the rank); its own inverse.
constexpr int relativeSquare(int colour, int square) { return colour == WHITE ? square : square ^ RANK_MIRROR; }
// Rank index 0..7 counted from `colour`'s first rank.
constexpr int relativeRank(int colour, int rank) { return colour == WHITE ? rank : LAST_RANK - rank; }
// One step towards `colour`'s promotion rank.
constexpr int forwardStep(int colour) { return colour == WHITE ? 8 : -8; }
// Pieces (king included, pawns not) of `colour` attacking the square, from the attack map.
inline int pieceAttackers(int colour, int square) { return EvalState.attackMap[colour][square] & ATTACKER_COUNT_MASK; }

// The square on `file` at `colour`'s relative rank.
inline int squareFor(int colour, int relRank, int file) {
  return squareAt(relativeRank(colour, relRank), file);
}
inline bool isOnBoard(int s) { return s >= A1 && s <= H8; }

inline bool holdsPawn(int s) { return Board.pieceAt[s] == PAWN; }
inline bool isPawnOf(int colour, int s) { return Board.pieceAt[s] == PAWN && Board.colorAt[s] == colour; }
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
