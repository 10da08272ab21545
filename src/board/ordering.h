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

// The ply generation and ordering work at (1 = the root); one ply deeper and back.
inline void setPly(int ply) { Ordering.ply = ply; }
inline void enterNextPly() { Ordering.ply += 1; }
inline void returnToPreviousPly() { Ordering.ply -= 1; }
// One more node: a move made, a null move or a legality test.
inline void countNode() { Ordering.nodes += 1; }
inline void resetNodeCount() { Ordering.nodes = 0; }
// The move the hash table suggests at the node under search (0: none).
inline void setHashMove(uint16_t code) { Ordering.hashMove = code; }
// A mate-range best move at `ply`: tried first there until another replaces it.
inline void setBestAtPly(int ply, uint16_t code) { Ordering.bestAtPly[ply] = code; }
// A quiet move that cut off at `ply` becomes its first killer; the old first becomes the second.
inline void noteKiller(int ply, uint16_t code) {
  if (code == Ordering.killer1[ply]) return;
  Ordering.killer2[ply] = Ordering.killer1[ply];
  Ordering.killer1[ply] = code;
}
// A quiet move's history grows by `bonus` while it is below `limit`.
inline void addHistory(int side, uint16_t code, int bonus, int limit) {
  if (Ordering.history[side][code] < limit) {
    Ordering.history[side][code] = static_cast<int16_t>(Ordering.history[side][code] + bonus);
  }
}
// The principal variation pv[1..lastPly] seeds the killers of the next iteration: its move at a
// ply becomes that ply's first killer (one that already is keeps its place), the second killer
// is cleared, and every ply after the variation ends loses both; no best move per ply.
void seedKillersFromPv(const uint16_t* pv, int lastPly);
