// Knight, bishop, rook and queen terms and piece safety; the colour is that of the piece on s.
#pragma once
#include <cstdint>

int16_t pinPenalty(int s);
int16_t evaluateKnight(int s);
int16_t evaluateBishop(int s);
int16_t evaluateRook(int s);
int16_t evaluateQueen(int s);
int16_t pieceSafety(int s, int type);
int16_t endgameKnight(int s);
int16_t endgameBishop(int s);
int16_t endgameRook(int s);
