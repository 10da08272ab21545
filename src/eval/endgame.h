// The endgame road of the evaluation (game phase 3) and its special-material rules.
#pragma once
#include <cstdint>

// Continues evaluate after a ScoreTable miss in phase 3; returns the score for `side`.
int16_t evaluateEndgame(int side, int alpha, int beta, int8_t* exact);
void evaluatePawnless(int side);
int16_t bishopKnightMate(int st, int strongKing, int weakKing);
int16_t kingPawnVsKing(int colour, int pawnSquare);
void rookVsMinor(int rookSide, int minorSide, int rookKing, int minorKing);
void rookEnding(int st, int wk, int strongKing, int weakKing);
