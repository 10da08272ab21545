// Helpers that let one evaluation routine score either colour: squares and ranks seen from a
// colour's own side of the board (White's as they are, Black's mirrored vertically), and small
// look-ups on the board and the attack maps.
#pragma once
#include "board/board.h"
#include "board/types.h"
#include "eval/evalstate.h"

// The square that `square` names when seen from `colour`'s side: White keeps it, Black mirrors the
// rank (e2 becomes e7). The mapping is its own inverse.
constexpr int relativeSquare(int colour, int square) { return square ^ (colour * 56); }

// Rank index 0..7 counted from `colour`'s first rank.
constexpr int relativeRank(int colour, int rank) { return rank ^ (colour * 7); }

// Square offset of one step toward the enemy's side.
constexpr int forwardStep(int colour) { return colour == WHITE ? 8 : -8; }

// a1 is dark; the colour of a square does not depend on whose piece stands on it.
constexpr bool isDarkSquare(int square) { return ((fileOf(square) + rankOf(square)) & 1) == 0; }

inline int kingSquare(int colour) { return Board.pieceList[colour][0]; }

// True when a piece of the given code and colour stands on the square.
inline bool holds(int square, int piece, int colour) {
  return Board.pieceAt[square] == piece && Board.colorAt[square] == colour;
}

inline bool hasPieceType(int colour, int piece) { return Board.typeCount[colour][piece] > 0; }

// Number of `colour`'s pawns attacking the square (0 for none).
inline int pawnAttackers(int colour, int square) { return Board.pawnAttacks[colour][square]; }

// Number of `colour`'s pieces (king included) attacking the square: the low byte of its map word.
inline int pieceAttackers(int colour, int square) { return EvalState.attackMap[colour][square] & 0xFF; }

// Pawns and pieces of `colour` attacking the square.
inline int allAttackers(int colour, int square) {
  return pawnAttackers(colour, square) + pieceAttackers(colour, square);
}
