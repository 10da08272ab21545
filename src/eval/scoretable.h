// The evaluation cache ("Scoretabelle"): scoreEntries entries of 8 bytes.
//   offset 0 uint32 lock    hashLock of the position
//   offset 4 int16  score   from the point of view of the side in flags
//   offset 6 uint8  flags   side | castling bits (8 W long, 4 W short, 32 B long, 16 B short); 255 empty
//   offset 7 int8   threat  evalThreat of the stored evaluation
#pragma once
#include <cstdint>

struct ScoreEntry {
  uint32_t lock;
  int16_t score;
  uint8_t flags;
  int8_t threat;
};
static_assert(sizeof(ScoreEntry) == 8, "a score entry is 8 bytes");

constexpr uint8_t SCORE_ENTRY_EMPTY = 255;
constexpr uint32_t DEFAULT_SCORE_ENTRIES = 100000;

struct ScoreTableData {
  ScoreEntry* entries;
  uint32_t scoreEntries;
};
extern ScoreTableData ScoreTable;

// Castling bits of the flags byte: the king and that rook have not moved.
constexpr uint8_t SCORE_WHITE_LONG = 8;
constexpr uint8_t SCORE_WHITE_SHORT = 4;
constexpr uint8_t SCORE_BLACK_LONG = 32;
constexpr uint8_t SCORE_BLACK_SHORT = 16;

void clearScoreTable();
// The cache lives in `entries`, `count` of them: storage the caller owns and releases.
// forgetScoreTableStorage: no storage (the count stays).
void setScoreTableStorage(ScoreEntry* entries, uint32_t count);
void forgetScoreTableStorage();
// The entry count asked for before the tables are allocated (the command line); the allocation
// sets its own.
void setScoreEntryCount(uint32_t count);
// The flags byte of the current position evaluated for `side`: side | castling bits.
uint8_t scoreFlagsFor(int side);
// The slot of the current position (hashKey mod scoreEntries).
ScoreEntry& scoreEntryForPosition();
// The slot of the current position is emptied: its next evaluation cannot come from the cache.
void emptyScoreEntryForPosition();
// key mod scoreEntries, the slot of a position with that hashKey.
uint32_t scoreSlotOf(uint32_t key);
// Starts loading the slot of the current position, ahead of its probe.
void prefetchScoreEntry();
// Starts loading the slot of a position with this hashKey.
void prefetchScoreSlot(uint32_t key);
// Looks up the current position for `side`; on a hit counts it, stores the cached score in
// *score, the cached threat code in EvalState.evalThreat and returns 1, else returns 0.
int probeScoreTable(int side, int16_t* score);
// Overwrites the slot with the evaluation `score` of the current position for `side`,
// together with EvalState.evalThreat.
void storeScoreEntry(int side, int score);
