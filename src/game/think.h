// The think driver: choose, play and announce the engine's move.
#pragma once
#include <cstdint>

constexpr int THINK_MOVE = 1;
constexpr int THINK_PONDER = 2;
constexpr int THINK_BOOKINFO = 3;

void think(int side, int mode);
void preparePhaseState();
// The per-think tables and counters (per-ply arrays, history, killers, pv, book candidates, node
// count) as every think starts from them; a new game resets them too.
void clearThinkRecords();
