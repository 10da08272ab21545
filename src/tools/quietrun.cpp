#include "tools/quietrun.h"

#include <cstdio>

#include "board/board.h"
#include "board/makemove.h"
#include "board/setup.h"
#include "board/tables.h"
#include "config/logfile.h"
#include "config/settings.h"
#include "eval/pawnhash.h"
#include "eval/scoretable.h"
#include "game/protocolstate.h"
#include "game/think.h"
#include "platform/clock.h"
#include "platform/quietio.h"
#include "search/hashtable.h"
#include "search/searchstate.h"
#include "shell/startup.h"

namespace {

constexpr int DIAGNOSTIC_HASH_MEGABYTES = 16;  // the default HASHSIZE
constexpr int DIAGNOSTIC_SELECTIVITY = 1;      // the default SELECTIVITY
constexpr int SETBOARD_TEXT_SIZE = 160;

}  // namespace

int setUpDiagnosticEngine() {
  setDiagnosticSettings(DIAGNOSTIC_HASH_MEGABYTES, DIAGNOSTIC_SELECTIVITY);
  closeLogFile();
  clearProtocolState();
  initBoardTables();
  return allocatePositionTables(DIAGNOSTIC_HASH_MEGABYTES) == 0 ? 1 : 0;
}

void freeDiagnosticEngine() { freePositionTables(); }

QuietRunResult thinkQuietly(const char* fen) {
  QuietRunResult result{};
  char text[SETBOARD_TEXT_SIZE];
  std::snprintf(text, sizeof text, "setboard %s", fen);
  newGame();
  if (!setupPosition(text)) {
    result.refused = 1;
    return result;
  }
  clearHashTables();
  clearPawnTable();
  clearScoreTable();
  const int countBefore = Board.gameCount;
  const uint32_t start = tickCount();
  clearSearchDepth();
  const int quiet = beginQuietIo();
  think(Board.sideToMove, THINK_MOVE);
  if (quiet) endQuietIo();
  result.milliseconds = tickCount() - start;
  result.nodes = Ordering.nodes;
  if (Board.gameCount > countBefore) {
    const GameRecord& record = GameHistory[Board.gameCount];
    result.moved = 1;
    result.moveCode = record.moveCode;
    result.flags = record.flags;
    result.score = record.score;
  }
  return result;
}

void coordinateMoveText(uint16_t code, int32_t flags, char* text) {
  const int from = moveCodeFrom(code);
  const int to = moveCodeTo(code);
  int n = 0;
  text[n++] = static_cast<char>('a' + fileOf(from));
  text[n++] = static_cast<char>('1' + rankOf(from));
  text[n++] = static_cast<char>('a' + fileOf(to));
  text[n++] = static_cast<char>('1' + rankOf(to));
  if (flags & PROMOTION) text[n++] = " pnbrqk"[flags & PROMOTION_PIECE_MASK];
  text[n] = '\0';
}
