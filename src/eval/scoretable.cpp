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

uint8_t scoreFlagsFor(int side) {
  uint8_t flags = static_cast<uint8_t>(side);
  if (pairUnmoved(E1, A1)) flags |= SCORE_WHITE_LONG;
  if (pairUnmoved(E1, H1)) flags |= SCORE_WHITE_SHORT;
  if (pairUnmoved(E8, A8)) flags |= SCORE_BLACK_LONG;
  if (pairUnmoved(E8, H8)) flags |= SCORE_BLACK_SHORT;
  return flags;
}

ScoreEntry& scoreEntryForPosition() {
  assert(ScoreTable.entries != nullptr && ScoreTable.scoreEntries > 0);
  return ScoreTable.entries[Board.hashKey % ScoreTable.scoreEntries];
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
