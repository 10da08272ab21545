// Passed pawns with pieces on the board and in pawn endings, and the rule of the square.
#pragma once
#include <cstdint>
#include "board/types.h"
#include "eval/sideview.h"

constexpr int8_t RACE_NONE = 20;  // raceMoves value when a colour has no unstoppable passer

// Rank index of square s counted from `colour`'s first rank.
inline int relativeRankOf(int colour, int s) { return rankOf(relativeSquare(colour, s)); }
// Promotion square of a pawn of `colour` on s.
inline int promotionSquareOf(int colour, int s) { return relativeSquare(colour, squareAt(7, fileOf(s))); }

// 1 when `colour` has pawns on `file` and its front pawn there is passed.
bool hasPasserOnFile(int colour, int file);
// Clears the race and passer bookkeeping (last passer, race moves and square, per-file values
// and squares).
void resetPassedPawnState();
// Sets firstPawnFile/lastPawnFile of both colours from filePawns (NO_FILE for a colour without pawns).
void recordPawnFileExtremes();

// Values the passed pawns of both colours into passedPawnScore (attack maps built), then the
// outside-passer bonus.
void evaluatePassedPawns();
// The same for endings of kings and pawns, with the race data for unstoppable passers.
void evaluatePawnEndingPassers();
// 1 when the enemy king can still stop the pawn of `colour` on s, 0 when it cannot.
int16_t kingCatchesPawn(int colour, int s);
