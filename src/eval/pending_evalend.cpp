// PENDING (evalend): temporary definitions until the owners' code lands; the lead removes this file.
// scoreTableFlags/storeScoreEntry belong with the ScoreTable (search); they store exactly as the
// driver's final store step does, and the endgame road uses them for its results.
#include "board/board.h"
#include "config/settings.h"
#include "eval/evalstate.h"
#include "eval/scoretable.h"

namespace {
constexpr uint8_t WHITE_LONG_UNMOVED = 8;
constexpr uint8_t WHITE_SHORT_UNMOVED = 4;
constexpr uint8_t BLACK_LONG_UNMOVED = 32;
constexpr uint8_t BLACK_SHORT_UNMOVED = 16;

bool unmoved(int king, int rook) { return Board.squareMoves[king] == 0 && Board.squareMoves[rook] == 0; }
}  // namespace

uint8_t scoreTableFlags(int side) {
  uint8_t flags = static_cast<uint8_t>(side);
  if (unmoved(E1, A1)) flags |= WHITE_LONG_UNMOVED;
  if (unmoved(E1, H1)) flags |= WHITE_SHORT_UNMOVED;
  if (unmoved(E8, A8)) flags |= BLACK_LONG_UNMOVED;
  if (unmoved(E8, H8)) flags |= BLACK_SHORT_UNMOVED;
  return flags;
}

void storeScoreEntry(int side, int16_t score) {
  if (ScoreTable.entries == nullptr || ScoreTable.scoreEntries == 0) return;
  ScoreEntry& entry = ScoreTable.entries[Board.hashKey % ScoreTable.scoreEntries];
  if (entry.flags == SCORE_ENTRY_EMPTY) EvalState.scoreTableFills += 1;
  entry.lock = Board.hashLock;
  entry.score = score;
  entry.flags = scoreTableFlags(side);
  entry.threat = EvalState.evalThreat;
}

// The ScoreTable record itself, until the search code that owns it lands (a weak definition, so
// the real one replaces it).
__attribute__((weak)) ScoreTableData ScoreTable;

// The settings record, until the configuration code lands (weak, replaced by the real one).
__attribute__((weak)) SettingsData EngineSettings;
