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

void clearScoreTable();
// Flags byte of the current position for `side`: side | the bits of unmoved king and rook pairs.
uint8_t scoreTableFlags(int side);
// Stores `score` for the current position and `side` with EvalState.evalThreat (always overwrites).
void storeScoreEntry(int side, int16_t score);
