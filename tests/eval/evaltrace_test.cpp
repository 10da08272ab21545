// The evaluation trace through the binary: stable line format, the total of a root evaluation,
// refused positions.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <sstream>
#include <set>
#include <string>
#include <vector>

#include "board/board.h"
#include "eval/evaluate.h"
#include "search/searchstate.h"
#include "support/search_support.h"

namespace {

struct RunResult {
  std::vector<std::string> lines;
  int status;
};

RunResult runEval(const std::string& arguments) {
  const std::string command = std::string(VOSTREL_BINARY) + " eval " + arguments + " 2>/dev/null";
  RunResult result{{}, -1};
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
    std::string line(buffer);
    if (!line.empty() && line.back() == '\n') line.pop_back();
    result.lines.push_back(line);
  }
  const int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

bool isNumber(const std::string& word) {
  if (word.rfind("0x", 0) == 0) return word.size() > 2 && word.find_first_not_of("0123456789abcdef", 2) == std::string::npos;
  const size_t digits = word[0] == '-' ? 1 : 0;
  return word.size() > digits && word.find_first_not_of("0123456789", digits) == std::string::npos;
}

// `name value` or `name white black`, values decimal or 0x-hexadecimal (side to move by name).
bool isTraceItem(const std::string& line) {
  std::istringstream words(line);
  std::string name, first, second, extra;
  words >> name >> first;
  if (name.empty() || first.empty() || name.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ.") != std::string::npos) {
    return false;
  }
  if (!isNumber(first) && first != "white" && first != "black") return false;
  if (!(words >> second)) return true;
  return isNumber(second) && !(words >> extra);
}

// The score the think driver's root evaluation gives: cleared tables, iteration 0.
int rootEvaluation(const std::string& fen) {
  EXPECT_TRUE(prepareSearch(fen, 0));
  SearchState.rootBonus[1] = 0;
  useSmallPositionTables();
  int8_t exact = 0;
  return evaluate(Board.sideToMove, 0, -9999, 9999, &exact);
}

TEST(EvalTrace, LinesAreNameAndValuesEndingWithTheTotal) {
  const std::string fen = "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 4 4";
  const RunResult r = runEval("\"" + fen + "\"");
  ASSERT_EQ(r.status, 0);
  ASSERT_FALSE(r.lines.empty());
  std::set<std::string> names;
  for (size_t i = 0; i + 1 < r.lines.size(); ++i) {
    EXPECT_TRUE(isTraceItem(r.lines[i])) << r.lines[i];
    names.insert(r.lines[i].substr(0, r.lines[i].find(' ')));
  }
  for (const char* name : {"sideToMove", "gamePhase", "balanceBonus", "positionalScore", "pawnStructureScore",
                           "threatScore", "pieceScore", "mobilityScore", "kingSafetyScore", "kingContactScore",
                           "passedPawnScore", "fileControl", "hangingPawns", "threatenedPieces", "kingThreat",
                           "darkSquarePawns", "evalThreat", "passerSides", "kingSideShelter", "queenSideShelter",
                           "pawnFileInfo.a", "pawnFileInfo.h"}) {
    EXPECT_EQ(names.count(name), 1u) << name;
  }
  EXPECT_EQ(r.lines.back(), "Total: " + std::to_string(rootEvaluation(fen)));
}

TEST(EvalTrace, FenInSeveralArgumentsAndTheInitialPosition) {
  const RunResult split = runEval("4k3/8/8/8/8/8/4P3/4K3 b - -");
  ASSERT_EQ(split.status, 0);
  EXPECT_EQ(split.lines.front(), "sideToMove black");
  EXPECT_EQ(split.lines.back(), "Total: " + std::to_string(rootEvaluation("4k3/8/8/8/8/8/4P3/4K3 b - -")));
  const RunResult initial = runEval("");
  ASSERT_EQ(initial.status, 0);
  EXPECT_EQ(initial.lines.back(),
            "Total: " + std::to_string(rootEvaluation("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -")));
}

TEST(EvalTrace, RefusedPositionsExitWithStatusTwo) {
  for (const char* fen : {"8/8/8/8/8/8/8/8 w - -", "4k3/8/8/8/8/8/8/4KK2 w - -", "P3k3/8/8/8/8/8/8/4K3 w - -",
                          "4k3/8/8/8/8/8/8/4K3 x - -", "4k3/8/8/8/8/8/8/r3K3 b - -"}) {
    const RunResult r = runEval(fen);
    EXPECT_EQ(r.status, 2) << fen;
    EXPECT_TRUE(r.lines.empty()) << fen;
  }
}

}  // namespace
