// Test helpers for positions: one-time table set-up and a fresh game state from a FEN text.
#pragma once
#include <cstdint>
#include <string>

// Builds the board tables once and resets the game fields (as a new game would) with the default
// piece values; then sets up `fen` (placement, side, castling, en passant). Returns false if refused.
bool setUpPosition(const std::string& fen);

// The initial position.
void setUpInitialPosition();

// Coordinate text of a generated move (e2e4, e7e8q).
std::string moveText(int from, int to, int flags);

// Leaf count of the legal move tree (the engine's perft) from the current position.
uint64_t perftFromHere(int depth);
