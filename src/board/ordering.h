// Ordering: the ply and node state that move generation and the legality test keep up, and the
// inputs of move ordering (hash move, best move per ply, killers, history). The search fills it.
#pragma once
#include <cstdint>
#include "board/movegen.h"

constexpr int HISTORY_SIZE = 4096;

struct OrderingData {
  int ply;                            // 1 at the root
  uint64_t nodes;                     // moves made, null moves and legality tests
  uint16_t hashMove;                  // moveCode suggested by the hash table at this node
  uint16_t bestAtPly[MAX_PLY];
  uint16_t killer1[MAX_PLY];
  uint16_t killer2[MAX_PLY];
  int16_t history[2][HISTORY_SIZE];   // [side][moveCode]
};
extern OrderingData Ordering;

// No best move per ply, no killers, every history entry at historyStart.
void clearKillersAndHistory(int16_t historyStart);
// Ply 1 at the stack's start, and no hash move, best move, killers or history to order by.
void clearOrderingInputs();
