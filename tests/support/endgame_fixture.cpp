#include "support/endgame_fixture.h"

#include <cctype>
#include <cstring>
#include <sstream>
#include <vector>

#include "board/board.h"
#include "eval/attackmap.h"
#include "eval/endgame.h"
#include "eval/evalstate.h"
#include "eval/evaluate.h"
#include "eval/passedpawns.h"
#include "eval/pawnhash.h"
#include "eval/scoretable.h"
#include "search/searchstate.h"
#include "support/board_fixture.h"
#include "support/search_support.h"

namespace {

constexpr int OPENING_LIMIT = 5300;
constexpr int MIDDLEGAME_LIMIT = 4200;
constexpr int ENDGAME_LIMIT = 1770;
constexpr int TEMPO_BONUS = 2;

// Small heap tables, as at start-up, so that a later freePositionTables in the same test binary
// frees what it may free.
void emptyScoreTable() { useSmallPositionTables(); }

void prepareEvaluationState(int side) {
  std::memset(&EvalState, 0, sizeof EvalState);
  const int total = Board.pieceMaterial[WHITE] + Board.pieceMaterial[BLACK];
  EvalState.totalPieceMaterial = static_cast<int16_t>(total);
  EvalState.gamePhase = total > OPENING_LIMIT ? 0 : total >= MIDDLEGAME_LIMIT ? 1 : total >= ENDGAME_LIMIT ? 2 : 3;
  EvalState.evalSide = static_cast<int8_t>(side);
  EvalState.balanceBonus[side] = TEMPO_BONUS;
  for (int colour = WHITE; colour <= BLACK; ++colour) {
    EvalState.firstPawnFile[colour] = NO_FILE;
    EvalState.lastPawnFile[colour] = NO_FILE;
    EvalState.rookFile[colour] = NO_FILE;
  }
  resetPassedPawnState();
  EvalContext.rootSide = static_cast<int8_t>(side);
  EvalContext.searchDepth = 1;
}

}  // namespace

void prepareEvaluation() {
  clearPawnTable();
  emptyScoreTable();
  prepareEvaluationState(Board.sideToMove);
}

bool setUpEvaluation(const std::string& fen) {
  if (!setUpPosition(fen)) return false;
  prepareEvaluation();
  return true;
}

int16_t endgameScore(int alpha, int beta, int8_t* exact) {
  int8_t flag = 0;
  const int16_t score = evaluateEndgame(Board.sideToMove, alpha, beta, &flag);
  if (exact != nullptr) *exact = flag;
  return score;
}

int16_t fullScore(int8_t* exact) {
  int8_t flag = 0;
  const int16_t score = evaluate(Board.sideToMove, 0, -9999, 9999, &flag);
  if (exact != nullptr) *exact = flag;
  return score;
}

void runPassedPawns(int gamePhase) {
  EvalState.gamePhase = static_cast<int8_t>(gamePhase);
  evaluatePawnStructure();
  buildKingZones();
  buildAttackMap(EvalState.evalSide);
  buildAttackMap(EvalState.evalSide ^ 1);
  if (EvalState.passerSides != 0) evaluatePassedPawns();
}

void runPawnEndingPassers() {
  evaluatePawnStructure();
  if (EvalState.passerSides != 0) evaluatePawnEndingPassers();
}

const ScoreEntry& scoreSlot() { return ScoreTable.entries[Board.hashKey % ScoreTable.scoreEntries]; }

std::string mirroredFen(const std::string& fen) {
  std::istringstream in(fen);
  std::string placement, side;
  in >> placement >> side;
  std::vector<std::string> ranks;
  std::string rank;
  for (char c : placement) {
    if (c == '/') {
      ranks.push_back(rank);
      rank.clear();
    } else {
      rank += std::isalpha(static_cast<unsigned char>(c))
                  ? static_cast<char>(std::isupper(static_cast<unsigned char>(c)) ? std::tolower(c) : std::toupper(c))
                  : c;
    }
  }
  ranks.push_back(rank);
  std::string mirrored;
  for (auto it = ranks.rbegin(); it != ranks.rend(); ++it) {
    if (!mirrored.empty()) mirrored += '/';
    mirrored += *it;
  }
  return mirrored + (side == "w" ? " b - -" : " w - -");
}
