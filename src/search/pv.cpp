// Reads the principal variation back from the hash table after a root move was searched.
#include <cassert>
#include <cstdlib>

#include "board/attack.h"
#include "board/board.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "search/hashtable.h"
#include "search/searchstate.h"

namespace {

constexpr int PV_LAST_INDEX = 46;       // the variation is read up to pv[46] (pv[47] ends it)
constexpr int PV_USABLE_DEPTH = -32;    // entries above this depth carry a move worth following
constexpr int REPETITION_FROM = 6;      // odd indices above this are checked for repetitions
constexpr int PV_REPETITION_DISTANCE = 4;  // pv[d - 4] is the nearest earlier position with the same side to move

SearchData& S = SearchState;

// The stored score belongs to the line of the root move under search (same size), or is a mate.
bool scoreFitsRootMove(int stored) {
  const int root = MoveStack.moveStack[S.rootMoveIndex].score;
  return std::abs(stored) == std::abs(root) || std::abs(stored) > MATE_RANGE;
}

// pv[d] repeats the position of pv[d-4], pv[d-6], ...: the variation ends with this move.
bool repeatsEarlierPosition(int d) {
  if (d <= REPETITION_FROM || (d & 1) == 0) return false;
  for (int i = d - PV_REPETITION_DISTANCE; i >= 1; i -= 2) {
    if (S.pvLocks[i] == S.pvLocks[d]) return true;
  }
  return false;
}

void clearPvAt(int d) {
  S.pv[d] = 0;
  S.pvFlags[d] = 0;
}

}  // namespace

// Extends the variation from index d for the position after pv[1..d-1], `side` to move there.
// The moves of level d are generated in the MoveStack segment of ply d, so every parent's list
// survives the recursion.
void readPvFromHash(int side, int d) {
  assert(Ordering.ply == 1 && d >= 2);
  const HashEntry& e = hashEntryFor(side, Board.hashKey);
  if (e.depth <= PV_USABLE_DEPTH || e.lock != Board.hashLock || d > PV_LAST_INDEX || !scoreFitsRootMove(e.score)) {
    clearPvAt(d);
    return;
  }
  S.pv[d] = e.move;
  S.pvLocks[d] = e.lock;
  const uint16_t savedHashMove = Ordering.hashMove;
  setHashMove(0);
  setPly(d);
  generateMoves(side);
  setPly(1);
  setHashMove(savedHashMove);
  const int first = MoveStack.plyStart[d];
  const int end = MoveStack.plyStart[d + 1];
  for (int i = first; i < end; ++i) {
    const Move m = MoveStack.moveStack[i];
    if (moveCodeOf(m.from, m.to) != S.pv[d]) continue;
    S.pvFlags[d] = static_cast<uint16_t>(m.flags);
    makeMove(side, m);
    if (isSquareAttacked(Board.pieceList[side][0], side ^ 1)) {
      unmakeMove(side, m);
      clearPvAt(d);
      return;
    }
    if (repeatsEarlierPosition(d)) {
      clearPvAt(d + 1);
      unmakeMove(side, m);
      return;
    }
    readPvFromHash(side ^ 1, d + 1);
    unmakeMove(side, m);
    // A promotion without a continuation tries the next promotion piece.
    if (S.pv[d + 1] != 0 || (m.flags & PROMOTION) == 0) return;
  }
  clearPvAt(d);
}
