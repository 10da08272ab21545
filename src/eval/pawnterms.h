// Pawn lookups, the pawn loops of the full and the endgame evaluation, and file control.
#pragma once
#include <cstdint>

// Rank index (0..7) of colour's most advanced pawn on the file; 0 when it has none there.
int8_t frontPawnRank(int colour, int file);
// Rank index of colour's least advanced pawn on the file; 0 when it has none there.
int8_t rearPawnRank(int colour, int file);
// Square of colour's most advanced pawn on the file; the file's first-rank square when it has none.
int8_t frontPawnSquare(int colour, int file);

// Per pawn of colour, once the structure evaluation and the attack maps of this evaluation exist:
// attacked, hanging, pinned and blocked pawns into pawnStructureScore and threatScore; fills
// hangingPawns[colour] and darkSquarePawns[colour] afresh.
void evaluatePawnLoop(int colour);         // opening and middlegame
void evaluateEndgamePawnLoop(int colour);  // endgame variant
// fileControl of both colours, afresh (not yet tripled).
void evaluateFileControl();
