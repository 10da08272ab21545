// The transposition table ("Hashtabelle"): one table per side to move, 12-byte entries,
// indexed by hashKey & hashMask and verified by hashLock.
//   offset  0 uint32 lock    hashLock of the position, 0 when empty
//   offset  4 uint16 move    moveCode of the best move, 0 if none
//   offset  6 int16  score   mate scores stored relative to the node
//   offset  8 uint8  flags   1 exact, 2 lower bound, 4 upper bound; 0x20 threat, 0x40 mate threat
//   offset  9 int8   depth   remaining depth; -64 empty; quiescence stores 0 or less
//   offset 10 uint8  age     hashAge when stored; 1 after clearing; 32 for learned entries
#pragma once
#include <cstdint>

#include "board/types.h"

struct HashEntry {
  uint32_t lock;
  uint16_t move;
  int16_t score;
  uint8_t flags;
  int8_t depth;
  uint8_t age;
  uint8_t unused;
};
static_assert(sizeof(HashEntry) == 12, "a hash entry is 12 bytes");

constexpr uint8_t BOUND_EXACT = 1;
constexpr uint8_t BOUND_LOWER = 2;
constexpr uint8_t BOUND_UPPER = 4;
constexpr uint8_t HASH_THREAT = 0x20;
constexpr uint8_t HASH_MATE_THREAT = 0x40;
constexpr int8_t HASH_EMPTY_DEPTH = -64;
constexpr uint8_t LEARNED_AGE = 32;
constexpr uint32_t DEFAULT_HASH_MASK = 0x1FFFF;

struct HashTableData {
  HashEntry* table[2];   // one per side to move, hashMask + 1 entries each
  uint32_t hashMask;
  uint8_t hashAge;
  uint32_t usedEntries;  // statistics
};
extern HashTableData HashTable;

inline HashEntry& hashEntryFor(int side, uint32_t key) { return HashTable.table[side][key & HashTable.hashMask]; }

// Mate scores are kept relative to the node that stored them: above MATE_RANGE a score is stored
// as score + ply and read back as stored - ply (the mirror below -MATE_RANGE).
int hashScoreToStore(int score, int ply);
int hashScoreFromStore(int stored, int ply);

// The entry of `side` for the current position when its lock matches hashLock, else nullptr.
HashEntry* probeHash(int side);

// Starts loading the hash entry of `side` and the evaluation cache slot of the current position,
// so that the probes after a makeMove find them in the cache.
void prefetchPositionEntries(int side);
// The same for the position after `side` makes `move`, before the move is made: the entries of
// the other side's table and the cache slot under the key the move will give.
void prefetchEntriesAfter(int side, const Move& move);

void storeHash(int side, int score, int depth, int from, int to, int threatFlags, int bound);
// The lower bound of a null-move cut-off: same replacement test as storeHash, no in-check depth
// correction, move kept only for the same position, only the negative mate score adjusted.
void storeNullMoveBound(int side, int score, int depth);
void clearHashTables();
void clearHashAges();                 // every entry's age = 0 (aging wrap, new game in fritz mode)
void ageHashTables();                 // per think: raise hashAge, restart at 1 above 250
void ageHashForEnteredMove();         // per entered move: raise hashAge, held at 251 from 250 on
void resetHashAge();                  // new game: hashAge 0
// A learned record replaces the entry of `side` for `key`, unconditionally, aged as learned.
void storeLearnedHash(int side, uint32_t key, uint32_t lock, int depth, int score, int bound, uint16_t move);
void readPvFromHash(int side, int d);

// Sizes and allocates both hash tables and the ScoreTable from `megabytes`, retrying smaller
// sizes; returns 0, or 5 / 6 / 12 when even the smallest size fails.
int allocatePositionTables(int megabytes);
void freePositionTables();
