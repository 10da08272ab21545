// Test helpers for the search and the evaluation: small position tables, the search state the
// think driver would prepare, and a root loop over the legal moves.
#pragma once
#include <cstdint>
#include <string>

#include "board/types.h"

// Points the HashTable and the ScoreTable at small static blocks and clears them, the pawn
// table too; hashAge = 1.
void useSmallPositionTables();

// Sets `fen` up (see setUpPosition) and prepares a search from it as the think driver does for
// an iteration of depth `iteration`: cleared per-ply state, history at -32000, no clock, no
// polling, rootSide = side to move, rootFloor from the static evaluation. False if refused.
bool prepareSearch(const std::string& fen, int iteration);

struct RootResult {
  int score;          // best score for the side to move at the root, -12000 with no legal move
  Move best;          // the first move reaching it
  int legalMoves;
};

// Plays every legal root move, searches the reply position with `depth` - 1 at ply 2 over the
// full window, and keeps the best (the first on ties).
RootResult searchRoot(int depth);

// Text of a move, e.g. "e2e4".
std::string moveName(const Move& m);
