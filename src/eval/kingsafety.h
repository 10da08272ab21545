// King safety of one colour for the opening and middlegame.
#pragma once
#include <cstdint>

int16_t evaluateKingSafety(int colour);
