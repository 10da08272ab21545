// Helpers for the piece and king terms, on top of the colour-relative view of pawnview.h
// (relativeSquare, relativeRank, forwardStep, pieceAttackers): square colour, king squares and a
// few look-ups on the board and the attack maps.
#pragma once
#include "board/board.h"
#include "board/types.h"
#include "eval/evalstate.h"
#include "eval/pawnview.h"

// a1 is dark; the colour of a square does not depend on whose piece stands on it.
constexpr bool isDarkSquare(int square) { return ((fileOf(square) + rankOf(square)) & 1) == 0; }

inline int kingSquare(int colour) { return Board.pieceList[colour][0]; }

// True when a piece of the given code and colour stands on the square.
inline bool holds(int square, int piece, int colour) {
  return Board.pieceAt[square] == piece && Board.colorAt[square] == colour;
}

inline bool hasPieceType(int colour, int piece) { return Board.typeCount[colour][piece] > 0; }

// Number of `colour`'s pawns attacking the square.
inline int pawnAttackers(int colour, int square) { return Board.pawnAttacks[colour][square]; }

// Pawns and pieces of `colour` attacking the square.
inline int attackersOf(int colour, int square) {
  return pawnAttackers(colour, square) + pieceAttackers(colour, square);
}
