// The transposition table: stores with depth- and age-preferred replacement, aging and clearing.
#include "search/hashtable.h"

#include <cassert>
#include <cstring>

#include "board/board.h"
#include "board/makemove.h"
#include "board/types.h"
#include "eval/pawnhash.h"
#include "eval/scoretable.h"
#include "search/searchstate.h"

HashTableData HashTable;

namespace {

// ---- Aging
constexpr uint8_t AGE_AFTER_CLEAR = 1;   // a cleared entry is older than any store of a think
constexpr uint8_t AGE_WRAP_LIMIT = 250;  // above this the ages restart
constexpr uint8_t AGE_RESTART = 1;
constexpr uint8_t HASH_AGE_LIMIT = 250;  // an entered move raises the age up to this, then holds it
constexpr uint8_t HASH_AGE_HELD = 251;

constexpr uint32_t ENTRIES_PER_CLEAR_BLOCK = 4;

// Replacement: a deeper entry of the current age survives; older, shallower or equal ones go.
bool keepsEntry(const HashEntry& e, int depth) {
  return depth < e.depth && HashTable.hashAge <= e.age;
}

uint32_t tableSize() { return HashTable.hashMask + 1; }

}  // namespace

int hashScoreToStore(int score, int ply) {
  if (score > MATE_RANGE) return score + ply;
  if (score < -MATE_RANGE) return score - ply;
  return score;
}

int hashScoreFromStore(int stored, int ply) {
  if (stored > MATE_RANGE) return stored - ply;
  if (stored < -MATE_RANGE) return stored + ply;
  return stored;
}

HashEntry* probeHash(int side) {
  assert(HashTable.table[side] != nullptr);
  HashEntry& e = hashEntryFor(side, Board.hashKey);
  return e.lock == Board.hashLock ? &e : nullptr;
}

namespace {

// A 12-byte entry may straddle two cache lines: its first and its last byte are asked for.
void prefetchHashEntry(int side, uint32_t key) {
  const char* entry = reinterpret_cast<const char*>(&hashEntryFor(side, key));
  __builtin_prefetch(entry);
  __builtin_prefetch(entry + sizeof(HashEntry) - 1);
}

}  // namespace

void prefetchPositionEntries(int side) {
  prefetchHashEntry(side, Board.hashKey);
  prefetchScoreEntry();
}

void prefetchEntriesAfter(int side, const Move& move) {
  const uint32_t key = hashKeyAfter(side, move);
  prefetchHashEntry(side ^ 1, key);
  prefetchScoreSlot(key);
  // A move of or onto a pawn brings a pawn structure the table may not hold near at hand.
  const uint32_t pawnKey = pawnHashKeyAfter(side, move);
  if (pawnKey != Board.pawnHashKey) prefetchPawnEntry(pawnKey);
}

// Stores a result of the node at Ordering.ply in the table of `side`. threatFlags != 0
// copies the node's threat marks; bound is BOUND_EXACT, BOUND_LOWER or BOUND_UPPER.
void storeHash(int side, int score, int depth, int from, int to, int threatFlags, int bound) {
  const int ply = Ordering.ply;
  HashEntry& e = hashEntryFor(side, Board.hashKey);
  // A node that is in check and was extended more than once stores one ply less.
  if ((SearchState.nodeFlags[ply] & NODE_IN_CHECK) && SearchState.extensions[ply] > 1) depth -= 1;
  if (keepsEntry(e, depth)) return;
  if (e.depth == HASH_EMPTY_DEPTH) HashTable.usedEntries += 1;
  e.flags = static_cast<uint8_t>(bound);
  if (bound == BOUND_UPPER) {
    // An upper bound has no best move: keep the one this position already had.
    if (e.lock != Board.hashLock) e.move = 0;
  } else {
    e.move = moveCodeOf(from, to);
  }
  e.lock = Board.hashLock;
  e.depth = static_cast<int8_t>(depth);
  e.age = HashTable.hashAge;
  e.score = static_cast<int16_t>(hashScoreToStore(score, ply));
  if (threatFlags != 0) {
    const uint16_t marks = SearchState.nodeFlags[ply];
    if (marks & NODE_MATE_THREAT) {
      e.flags |= HASH_MATE_THREAT;
    } else if (marks & NODE_THREAT) {
      e.flags |= HASH_THREAT;
    }
  }
}

void storeNullMoveBound(int side, int score, int depth) {
  HashEntry& e = hashEntryFor(side, Board.hashKey);
  if (keepsEntry(e, depth)) return;
  if (e.depth == HASH_EMPTY_DEPTH) HashTable.usedEntries += 1;
  if (e.depth == HASH_EMPTY_DEPTH || e.lock != Board.hashLock) e.move = 0;
  e.lock = Board.hashLock;
  e.depth = static_cast<int8_t>(depth);
  e.age = HashTable.hashAge;
  e.flags = BOUND_LOWER;
  e.score = static_cast<int16_t>(score < -MATE_RANGE ? score - Ordering.ply : score);
}

void clearHashTables() {
  // The empty entry, copied a block of four entries (48 bytes) at a time.
  HashEntry empty{};
  empty.depth = HASH_EMPTY_DEPTH;
  empty.age = AGE_AFTER_CLEAR;
  const HashEntry block[ENTRIES_PER_CLEAR_BLOCK] = {empty, empty, empty, empty};
  const uint32_t size = tableSize();
  for (int side = WHITE; side <= BLACK; ++side) {
    HashEntry* table = HashTable.table[side];
    assert(table != nullptr);
    uint32_t i = 0;
    for (; i + ENTRIES_PER_CLEAR_BLOCK <= size; i += ENTRIES_PER_CLEAR_BLOCK) std::memcpy(&table[i], block, sizeof block);
    for (; i < size; ++i) table[i] = empty;
  }
  HashTable.usedEntries = 0;
}

void clearHashAges() {
  for (int side = WHITE; side <= BLACK; ++side) {
    HashEntry* table = HashTable.table[side];
    assert(table != nullptr);
    for (uint32_t i = 0; i < tableSize(); ++i) table[i].age = 0;
  }
}

void ageHashTables() {
  HashTable.hashAge = static_cast<uint8_t>(HashTable.hashAge + 1);
  if (HashTable.hashAge > AGE_WRAP_LIMIT) {
    clearHashAges();
    HashTable.hashAge = AGE_RESTART;
  }
}

void ageHashForEnteredMove() {
  const uint8_t age = HashTable.hashAge;
  HashTable.hashAge = age >= HASH_AGE_LIMIT ? HASH_AGE_HELD : static_cast<uint8_t>(age + 1);
}

void resetHashAge() { HashTable.hashAge = 0; }

void storeLearnedHash(int side, uint32_t key, uint32_t lock, int depth, int score, int bound, uint16_t move) {
  HashEntry* table = HashTable.table[side];
  if (table == nullptr) return;
  HashEntry& entry = table[key & HashTable.hashMask];
  entry.lock = lock;
  entry.depth = static_cast<int8_t>(depth);
  entry.score = static_cast<int16_t>(score);
  entry.age = LEARNED_AGE;
  entry.flags = static_cast<uint8_t>(bound);
  entry.move = move;
}
