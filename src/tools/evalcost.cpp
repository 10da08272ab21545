// The cost of the static evaluation: each bench position is evaluated CALLS times the way the
// think driver evaluates its root (full evaluation, no lazy cut), with its evaluation-cache slot
// emptied before every call so that each call evaluates; the pawn table stays warm, as in a
// search. Prints nanoseconds per call for each position, then the median and the mean.
#include "tools/evalcost.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "board/board.h"
#include "board/setup.h"
#include "board/tables.h"
#include "eval/evaluate.h"
#include "eval/pawnhash.h"
#include "eval/scoretable.h"
#include "game/think.h"
#include "search/searchstate.h"
#include "tools/bench.h"

namespace {

constexpr int DEFAULT_CALLS = 20000;
constexpr int MAX_CALLS = 10000000;
constexpr int WARM_UP_CALLS = 100;
constexpr uint32_t COST_SCORE_ENTRIES = 64;
constexpr int EXIT_BAD_ARGUMENT = 2;

ScoreEntry costScoreEntries[COST_SCORE_ENTRIES];

bool setUpRoot(const char* fen) {
  forgetLastTo();
  if (!setupFreshPosition((std::string("setboard ") + fen).c_str())) return false;
  clearScoreTable();
  clearPawnTable();
  setPly(1);
  clearSearchDepth();
  setRootSide(Board.sideToMove);
  preparePhaseState();
  return true;
}

// One evaluation that cannot come from the cache.
int evaluateAfresh() {
  emptyScoreEntryForPosition();
  int8_t exact = 0;
  return evaluate(Board.sideToMove, 0, -FULL_WINDOW, FULL_WINDOW, &exact);
}

double nanosecondsPerCall(int calls) {
  volatile int sink = 0;
  for (int i = 0; i < WARM_UP_CALLS; i++) sink = sink + evaluateAfresh();
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < calls; i++) sink = sink + evaluateAfresh();
  auto spent = std::chrono::steady_clock::now() - start;
  return std::chrono::duration<double, std::nano>(spent).count() / calls;
}

}  // namespace

int runEvalCostCommand(int argc, char** argv) {
  int calls = DEFAULT_CALLS;
  if (argc >= 3) {
    char* end = nullptr;
    long value = std::strtol(argv[2], &end, 10);
    if (end == argv[2] || *end != '\0' || value < 1 || value > MAX_CALLS) {
      std::fprintf(stderr, "evalcost: CALLS must be 1..%d\n", MAX_CALLS);
      return EXIT_BAD_ARGUMENT;
    }
    calls = static_cast<int>(value);
  }
  initBoardTables();
  setPieceValues(false);
  setScoreTableStorage(costScoreEntries, COST_SCORE_ENTRIES);
  std::vector<double> costs;
  for (int i = 0; i < benchPositionCount(); i++) {
    if (!setUpRoot(benchPositionFen(i))) continue;
    double ns = nanosecondsPerCall(calls);
    costs.push_back(ns);
    std::printf("%2d %8.0f ns  %s\n", i + 1, ns, benchPositionFen(i));
  }
  if (costs.empty()) return 0;
  double mean = 0;
  for (double c : costs) mean += c;
  mean /= static_cast<double>(costs.size());
  std::sort(costs.begin(), costs.end());
  size_t n = costs.size();
  double median = n % 2 ? costs[n / 2] : (costs[n / 2 - 1] + costs[n / 2]) / 2;
  std::printf("Median: %.0f ns\nMean: %.0f ns\n", median, mean);
  return 0;
}
