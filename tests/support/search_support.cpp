#include "support/search_support.h"

#include <cstdlib>
#include <cstring>
#include <limits>

#include "board/attack.h"
#include "board/board.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "config/settings.h"
#include "eval/evalstate.h"
#include "eval/evaluate.h"
#include "eval/pawnhash.h"
#include "eval/scoretable.h"
#include "game/think.h"
#include "game/timecontrol.h"
#include "search/hashtable.h"
#include "search/search.h"
#include "search/searchstate.h"
#include "support/board_fixture.h"

namespace {

constexpr uint32_t TEST_HASH_ENTRIES = 1 << 14;
constexpr uint32_t TEST_SCORE_ENTRIES = 4099;
constexpr int16_t HISTORY_START = -32000;
constexpr int FLOOR_MARGIN = 75;
constexpr int WINDOW = 9999;
constexpr int8_t DEFAULT_SELECTIVITY = 2;


void resetSearchState(int iteration) {
  SearchData& s = SearchState;
  s = SearchData{};
  Ordering = OrderingData{};
  EvalContext = EvalContextData{};
  Ordering.ply = 1;
  s.nextPoll = std::numeric_limits<uint64_t>::max();
  for (auto& table : Ordering.history)
    for (auto& h : table) h = HISTORY_START;
  EvalContext.searchDepth = static_cast<int8_t>(iteration);
  s.plyLimit = static_cast<int8_t>(iteration + 4);
  EvalContext.rootSide = Board.sideToMove;
  s.nullReduction[WHITE] = s.nullReduction[BLACK] = 2;
  TimeControl = TimeControlData{};
  if (isInCheck(Board.sideToMove)) {
    s.nodeFlags[1] = NODE_IN_CHECK;
    s.checkCount[1] = 1;
  }
}

}  // namespace

// The blocks come from malloc, as at start-up, so that a later freePositionTables may free them;
// they are never freed here, since other tests point the tables at blocks of their own.
void useSmallPositionTables() {
  static HashEntry* hashBlocks[2] = {nullptr, nullptr};
  static ScoreEntry* scoreBlock = nullptr;
  const bool hashOurs = HashTable.table[WHITE] == hashBlocks[WHITE] && HashTable.table[BLACK] == hashBlocks[BLACK] &&
                        hashBlocks[WHITE] != nullptr && HashTable.hashMask == TEST_HASH_ENTRIES - 1;
  if (!hashOurs) {
    for (int side = WHITE; side <= BLACK; ++side) {
      hashBlocks[side] = static_cast<HashEntry*>(std::malloc(sizeof(HashEntry) * TEST_HASH_ENTRIES));
      HashTable.table[side] = hashBlocks[side];
    }
    HashTable.hashMask = TEST_HASH_ENTRIES - 1;
  }
  if (ScoreTable.entries != scoreBlock || scoreBlock == nullptr || ScoreTable.scoreEntries != TEST_SCORE_ENTRIES) {
    scoreBlock = static_cast<ScoreEntry*>(std::malloc(sizeof(ScoreEntry) * TEST_SCORE_ENTRIES));
    ScoreTable.entries = scoreBlock;
    ScoreTable.scoreEntries = TEST_SCORE_ENTRIES;
  }
  HashTable.hashAge = 1;
  clearHashTables();
  clearScoreTable();
  clearPawnTable();
}

bool prepareSearch(const std::string& fen, int iteration) {
  if (!setUpPosition(fen)) return false;
  useSmallPositionTables();
  resetSearchState(iteration);
  EngineSettings.selectivity = DEFAULT_SELECTIVITY;
  EngineSettings.styleFlags = 0;
  EngineSettings.attackStyleCA = 0;
  EngineSettings.attackStyleRI = 0;
  EvalState.rootCastlingChance[WHITE] = 0;
  EvalState.rootCastlingChance[BLACK] = 0;
  preparePhaseState();
  int8_t exact = 0;
  const int root = evaluate(Board.sideToMove, 0, -WINDOW, WINDOW, &exact);
  SearchState.rootFloor[0] = static_cast<int16_t>(root - FLOOR_MARGIN);
  SearchState.rootFloor[1] = static_cast<int16_t>(-root - FLOOR_MARGIN);
  SearchState.rootScore = static_cast<int16_t>(root);
  return true;
}

RootResult searchRoot(int depth) {
  SearchData& s = SearchState;
  const int side = Board.sideToMove;
  RootResult result{NO_SCORE, Move{}, 0, 0};
  Ordering.ply = 1;
  MoveStack.plyStart[1] = 0;
  generateMoves(side);
  for (int i = MoveStack.plyStart[1]; i < MoveStack.plyStart[2]; ++i) {
    const Move m = MoveStack.moveStack[i];
    makeMove(side, m);
    if (isInCheck(side)) {
      unmakeMove(side, m);
      continue;
    }
    result.legalMoves += 1;
    s.rootMoveIndex = static_cast<int16_t>(i);
    s.pvRootMove = result.legalMoves == 1;
    s.captureSquare[1] = static_cast<int8_t>((m.flags & CAPTURE) ? m.to + 1 : 0);
    Ordering.ply = 2;
    const int v = -search(side ^ 1, depth - 1, -WINDOW, WINDOW, 0, 0);
    Ordering.ply = 1;
    unmakeMove(side, m);
    if (v > result.score) {
      result.score = v;
      result.best = m;
      result.bestIndex = i - MoveStack.plyStart[1];
    }
  }
  return result;
}

std::string moveName(const Move& m) { return moveText(m.from, m.to, m.flags); }
