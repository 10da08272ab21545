// Passed pawns with pieces on the board and in pawn endings.
#pragma once
#include <cstdint>

void evaluatePassedPawns();
void evaluatePawnEndingPassers();
int16_t kingCatchesPawn(int colour, int s);
