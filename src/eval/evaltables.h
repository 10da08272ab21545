// Evaluation tables shared by several term families.
#pragma once
#include <cstdint>

extern const int16_t passerBonus[2][8];
extern const int16_t queenAttackScale[16];
extern const uint8_t kingAreaWeight[2][64];
extern const int16_t kingEndgameTable[2][64];
extern const int16_t pinWeightDefended[8];

// Reads a table indexed by a piece count, never past its last entry.
inline int countIndex(int count, int last) { return count < 0 ? 0 : (count > last ? last : count); }
