// The static evaluation: material-only answer, cached opening/middlegame evaluation with a lazy
// cut, and the endgame road.
#pragma once
#include <cstdint>

// Score for `side` (centipawns, int16 arithmetic). materialOnly > 0 asks for material alone;
// alpha/beta are used only by the lazy cut. *exact = 1 for a full or cached evaluation.
int16_t evaluate(int side, int materialOnly, int alpha, int beta, int8_t* exact);

void computeGamePhase();
void estimateKingAttack();  // fills EvalState.kingAttackEstimate
