// The evaluation cache: one slot per hashKey mod scoreEntries, keyed by hashLock, side to move
// and the castling rights that are still possible.
#include "eval/scoretable.h"

#include <cassert>

#include "board/board.h"
#include "board/types.h"
#include "eval/evalstate.h"

ScoreTableData ScoreTable;

namespace {

// A castling pair counts while neither the king nor that rook has made a move.
bool pairUnmoved(int kingHome, int rookHome) {
  return Board.squareMoves[kingHome] == 0 && Board.squareMoves[rookHome] == 0;
}

}  // namespace

void clearScoreTable() {
  assert(ScoreTable.entries != nullptr || ScoreTable.scoreEntries == 0);
  for (uint32_t i = 0; i < ScoreTable.scoreEntries; ++i) {
    ScoreTable.entries[i].flags = SCORE_ENTRY_EMPTY;
    ScoreTable.entries[i].threat = 0;
  }
  EvalState.scoreTableHits = 0;
  EvalState.scoreTableFills = 0;
}

void setScoreTableStorage(ScoreEntry* entries, uint32_t count) {
  ScoreTable.entries = entries;
  ScoreTable.scoreEntries = count;
}

void forgetScoreTableStorage() { ScoreTable.entries = nullptr; }

void setScoreEntryCount(uint32_t count) { ScoreTable.scoreEntries = count; }

uint8_t scoreFlagsFor(int side) {
  uint8_t flags = static_cast<uint8_t>(side);
  if (pairUnmoved(E1, A1)) flags |= SCORE_WHITE_LONG;
  if (pairUnmoved(E1, H1)) flags |= SCORE_WHITE_SHORT;
  if (pairUnmoved(E8, A8)) flags |= SCORE_BLACK_LONG;
  if (pairUnmoved(E8, H8)) flags |= SCORE_BLACK_SHORT;
  return flags;
}

namespace {

// hashKey mod scoreEntries by multiplication: with m = floor((2^64 - 1) / d) + 1, the low 64 bits
// of m * key, times d, have key mod d in their top 64 bits, for every 32-bit key and divisor d.
// The multiplier follows scoreEntries, whoever set it.
struct SlotDivisor {
  uint32_t divisor = 0;
  uint64_t multiplier = 0;
};
SlotDivisor slotDivisor;

// The upper 64 bits of low * d, d below 2^32.
inline uint64_t highHalfOfProduct(uint64_t low, uint32_t d) {
#if defined(__SIZEOF_INT128__)
  __extension__ typedef unsigned __int128 Uint128;
  return static_cast<uint64_t>((static_cast<Uint128>(low) * d) >> 64);
#else
  // 32-bit targets: the two halves of low, each product below 2^64, and their sum too.
  const uint64_t upper = (low >> 32) * d;
  const uint64_t lower = (low & 0xFFFFFFFFu) * d;
  return (upper + (lower >> 32)) >> 32;
#endif
}

}  // namespace

uint32_t scoreSlotOf(uint32_t key) {
  const uint32_t d = ScoreTable.scoreEntries;
  if (d != slotDivisor.divisor) {
    slotDivisor.divisor = d;
    slotDivisor.multiplier = UINT64_MAX / d + 1;
  }
  const uint64_t low = slotDivisor.multiplier * key;
  return static_cast<uint32_t>(highHalfOfProduct(low, d));
}

ScoreEntry& scoreEntryForPosition() {
  assert(ScoreTable.entries != nullptr && ScoreTable.scoreEntries > 0);
  return ScoreTable.entries[scoreSlotOf(Board.hashKey)];
}

void emptyScoreEntryForPosition() { scoreEntryForPosition().flags = SCORE_ENTRY_EMPTY; }

void prefetchScoreEntry() { prefetchScoreSlot(Board.hashKey); }

void prefetchScoreSlot(uint32_t key) {
  if (ScoreTable.entries != nullptr) __builtin_prefetch(&ScoreTable.entries[scoreSlotOf(key)]);
}

int probeScoreTable(int side, int16_t* score) {
  const ScoreEntry& e = scoreEntryForPosition();
  if (e.flags != scoreFlagsFor(side) || e.lock != Board.hashLock) return 0;
  EvalState.scoreTableHits += 1;
  EvalState.evalThreat = e.threat;
  *score = e.score;
  return 1;
}

void storeScoreEntry(int side, int score) {
  ScoreEntry& e = scoreEntryForPosition();
  if (e.flags == SCORE_ENTRY_EMPTY) EvalState.scoreTableFills += 1;
  e.lock = Board.hashLock;
  e.score = static_cast<int16_t>(score);
  e.flags = scoreFlagsFor(side);
  e.threat = EvalState.evalThreat;
}
