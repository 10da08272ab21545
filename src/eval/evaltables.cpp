// Evaluation tables read by several term families. Tables per colour hold White's values first and
// Black's vertical mirror second (Black's rank 8 row is White's rank 1 row).
#include "eval/evaltables.h"

// Passed-pawn potential by the rank index of the pawn, used to widen the lazy margin.
const int16_t passerBonus[2][8] = {
    {0, 10, 20, 60, 120, 240, 300, 0},
    {0, 300, 240, 120, 60, 20, 10, 0},
};

// Weight of king weaknesses by the number of non-king pieces of the side with the queen.
const int16_t queenAttackScale[16] = {0, 0, 0, 3, 3, 4, 4, 5, 5, 7, 7, 8, 8, 8, 8, 8};

// How exposed a king is on its square while the enemy still has a queen and pieces
// (rows rank 1 to rank 8, files a to h).
const uint8_t kingAreaWeight[2][64] = {
    {
        5,  5,  7,  8,  8,  7,  2,  2,
        5,  5,  8,  9,  9,  7,  2,  2,
        11, 11, 11, 11, 11, 11, 11, 11,
        16, 16, 16, 16, 16, 16, 16, 16,
        19, 19, 19, 19, 19, 19, 19, 19,
        28, 28, 28, 28, 28, 28, 28, 28,
        28, 28, 28, 28, 28, 28, 28, 28,
        28, 28, 28, 28, 28, 28, 28, 28,
    },
    {
        28, 28, 28, 28, 28, 28, 28, 28,
        28, 28, 28, 28, 28, 28, 28, 28,
        28, 28, 28, 28, 28, 28, 28, 28,
        19, 19, 19, 19, 19, 19, 19, 19,
        16, 16, 16, 16, 16, 16, 16, 16,
        11, 11, 11, 11, 11, 11, 11, 11,
        5,  5,  8,  9,  9,  7,  2,  2,
        5,  5,  7,  8,  8,  7,  2,  2,
    },
};

// King placement once the enemy queen is gone (and in the endgame): the centre is good, the
// corners and the enemy's back ranks are bad (rows rank 1 to rank 8).
const int16_t kingEndgameTable[2][64] = {
    {
        -55, -40, -30, -20, -20, -30, -40, -55,
        -30, -20, -10,   0,   0, -10, -20, -30,
        -30, -10,   0,  10,  10,   0, -10, -30,
        -30, -10,  10,  20,  20,  10, -10, -30,
        -30, -10,  20,  25,  25,  20, -10, -30,
        -30, -10,  20,  25,  25,  20, -10, -30,
        -30, -30, -10, -10, -10, -10, -30, -30,
        -55, -30, -30, -30, -30, -30, -30, -55,
    },
    {
        -55, -30, -30, -30, -30, -30, -30, -55,
        -30, -30, -10, -10, -10, -10, -30, -30,
        -30, -10,  20,  25,  25,  20, -10, -30,
        -30, -10,  20,  25,  25,  20, -10, -30,
        -30, -10,  10,  20,  20,  10, -10, -30,
        -30, -10,   0,  10,  10,   0, -10, -30,
        -30, -20, -10,   0,   0, -10, -20, -30,
        -55, -40, -30, -20, -20, -30, -40, -55,
    },
};

// Cost of a pin or skewer against a piece of the given code when the pinned piece is defended by
// a pawn (pawns use it whenever they are pinned).
const int16_t pinWeightDefended[8] = {0, 2, 4, 4, 5, 7, 10, 0};
