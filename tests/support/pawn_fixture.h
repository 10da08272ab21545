// Test helpers for the pawn terms: the evaluation state as the driver leaves it before the pawn
// terms run, attack maps for the current position, random-game positions and their colour mirror.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Sets up `fen` and the evaluation state as a fresh evaluation for `side` in `phase` would (pawn
// table cleared, accumulators zero, no pawn files known), with the attack maps built.
bool setUpPawnTest(const std::string& fen, int side, int phase);

// The resets of one evaluation for `side` in `phase`; the pawn table is left alone.
void resetEvaluationState(int side, int phase);

// buildKingZones, then the attack maps of `side` and of its opponent.
void buildAttackMaps(int side);

// A position by its squares, with the order of the piece and pawn lists.
struct PositionSnapshot {
  int8_t pieceAt[64];
  int8_t colorAt[64];
  int8_t sideToMove;
  int8_t pieceList[2][64];
  int8_t pawnList[2][64];
};

PositionSnapshot takeSnapshot();
// Puts the snapshot on the board (all derived fields recomputed, list order kept).
void restoreSnapshot(const PositionSnapshot& snapshot);
// The same position with ranks mirrored and colours swapped, side to move and list order included.
PositionSnapshot mirrorSnapshot(const PositionSnapshot& snapshot);

// Positions met in `games` random games from the initial position (seeded, so always the same),
// one every `interval` plies up to `plies` plies a game.
std::vector<PositionSnapshot> randomGamePositions(uint32_t seed, int games, int plies, int interval);
