// Pawn lookups, the pawn loops of the full and the endgame evaluation, and file control.
#pragma once
#include <cstdint>

int8_t frontPawnRank(int colour, int file);
int8_t rearPawnRank(int colour, int file);
int8_t frontPawnSquare(int colour, int file);

void evaluatePawnLoop(int colour);         // opening and middlegame
void evaluateEndgamePawnLoop(int colour);  // endgame variant
void evaluateFileControl();
