// The evaluation trace through the binary: stable line format, the total of a root evaluation,
// refused positions.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <map>
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

std::string quoted(const std::string& text) {
  std::string result(1, '"');
  result += text;
  result += '"';
  return result;
}

bool isNumber(const std::string& word) {
  if (word.rfind("0x", 0) == 0) return word.size() > 2 && word.find_first_not_of("0123456789abcdef", 2) == std::string::npos;
  const size_t digits = word[0] == '-' ? 1 : 0;
  return word.size() > digits && word.find_first_not_of("0123456789", digits) == std::string::npos;
}

bool isSquareName(const std::string& word) {
  return word == "-" || (word.size() == 2 && word[0] >= 'a' && word[0] <= 'h' && word[1] >= '1' && word[1] <= '8');
}

bool isWord(const std::string& word) {
  return !word.empty() && word.find_first_not_of("abcdefghijklmnopqrstuvwxyz-") == std::string::npos;
}

// `name value` or `name white black`: numbers (decimal or 0x-hexadecimal), squares, or a word
// (side to move, rule name); the records `passer.*` and `piece.*` as `name square value`.
bool isTraceItem(const std::string& line) {
  std::istringstream words(line);
  std::string name, first, second, extra;
  words >> name >> first;
  if (name.empty() || first.empty() ||
      name.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.") != std::string::npos) {
    return false;
  }
  const bool hasSecond = static_cast<bool>(words >> second);
  if (words >> extra) return false;
  if (name.rfind("piece.", 0) == 0 || name.rfind("passer.", 0) == 0) {
    return hasSecond && isSquareName(first) && first != "-" && isNumber(second);
  }
  if (!hasSecond) return isNumber(first) || isWord(first);
  return (isNumber(first) && isNumber(second)) || (isSquareName(first) && isSquareName(second));
}

// The trace as a table: name -> the words after it.
std::map<std::string, std::vector<std::string>> traceItems(const RunResult& r) {
  std::map<std::string, std::vector<std::string>> items;
  for (const std::string& line : r.lines) {
    std::istringstream words(line);
    std::string name, word;
    words >> name;
    while (words >> word) items[name].push_back(word);
  }
  return items;
}

int valueOf(const std::map<std::string, std::vector<std::string>>& items, const std::string& name, int index) {
  const auto it = items.find(name);
  if (it == items.end() || static_cast<int>(it->second.size()) <= index) {
    ADD_FAILURE() << "no value " << index << " for " << name;
    return 0;
  }
  return std::stoi(it->second[index]);
}

// The lines whose name starts with `prefix`, in order of appearance.
std::vector<std::string> linesStartingWith(const RunResult& r, const std::string& prefix) {
  std::vector<std::string> found;
  for (const std::string& line : r.lines) {
    if (line.rfind(prefix, 0) == 0) found.push_back(line);
  }
  return found;
}

// The score the think driver's root evaluation gives: cleared tables, iteration 0.
int rootEvaluation(const std::string& fen) {
  EXPECT_TRUE(prepareSearch(fen, 0));
  EvalContext.rootBonus[1] = 0;
  useSmallPositionTables();
  int8_t exact = 0;
  return evaluate(Board.sideToMove, 0, -9999, 9999, &exact);
}

TEST(EvalTrace, LinesAreNameAndValuesEndingWithTheTotal) {
  const std::string fen = "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 4 4";
  const RunResult r = runEval(quoted(fen));
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
                           "pawnFileInfo.a", "pawnFileInfo.h", "kingSafetyBase", "kingWeakness",
                           "kingAttackUnits", "kingContacts", "castleChance", "raceMoves", "raceSquare",
                           "lastPasserSquare", "endgameRule", "endgameRuleName"}) {
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

// Every non-king piece gets one record with its square; the records add up to pieceScore (with
// the bishop pair in the middlegame), and the king-safety value shown is capped at 0.
TEST(EvalTrace, PieceRecordsCoverEveryPieceAndAddUp) {
  struct Case {
    const char* fen;
    std::set<std::string> white, black;  // squares of the non-king pieces
  };
  const Case cases[] = {
      {"r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 4 4",
       {"a1", "b1", "c1", "d1", "h1", "f3", "c4"},
       {"a8", "c8", "d8", "f8", "h8", "c6", "f6"}},
      {"r5k1/5ppp/4b3/8/3K4/8/PPP2PPP/2B1R2R b - - 0 1", {"c1", "e1", "h1"}, {"a8", "e6"}},
      {"6k1/5p2/3b4/8/3PP3/8/4B3/6K1 w - - 0 1", {"e2"}, {"d6"}},  // the endgame road
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fen);
    const RunResult r = runEval(quoted(c.fen));
    ASSERT_EQ(r.status, 0);
    const auto items = traceItems(r);
    for (int colour = 0; colour < 2; ++colour) {
      const std::string word = colour == 0 ? "white" : "black";
      std::set<std::string> squares;
      int sum = 0;
      for (const std::string& line : linesStartingWith(r, "piece." + word + ".")) {
        std::istringstream fields(line);
        std::string name, square;
        int score = 0;
        fields >> name >> square >> score;
        EXPECT_TRUE(squares.insert(square).second) << line;
        sum += score;
      }
      EXPECT_EQ(squares, colour == 0 ? c.white : c.black);
      EXPECT_EQ(sum + valueOf(items, "bishopPairScore", colour), valueOf(items, "pieceScore", colour));
      if (valueOf(items, "gamePhase", 0) < 3) {  // the endgame road keeps a placement value there
        EXPECT_EQ(valueOf(items, "kingSafetyScore", colour), std::min(0, valueOf(items, "kingSafetyBase", colour)));
      }
    }
  }
  // The White king on d4 without a queen against it: a positive value, capped.
  const auto central = traceItems(runEval("r5k1/5ppp/4b3/8/3K4/8/PPP2PPP/2B1R2R w - - 0 1"));
  EXPECT_GT(valueOf(central, "kingSafetyBase", 0), 0);
  EXPECT_EQ(valueOf(central, "kingSafetyScore", 0), 0);
  // Without pawns no single piece is scored.
  const RunResult pawnless = runEval("8/8/8/4k3/8/8/8/R3K3 w - - 0 1");
  EXPECT_TRUE(linesStartingWith(pawnless, "piece.").empty());
  EXPECT_EQ(traceItems(pawnless)["endgameRuleName"], std::vector<std::string>{"pawnless"});
}

// Passer records and the race data: a pawn race (rule 4) and passers with pieces on the board.
TEST(EvalTrace, PassersAndRaceData) {
  const RunResult race = runEval("7k/8/1P6/8/6p1/8/8/K7 w - - 0 1");
  ASSERT_EQ(race.status, 0);
  auto items = traceItems(race);
  EXPECT_EQ(linesStartingWith(race, "passer."),
            (std::vector<std::string>{"passer.white.b b6 " + items["passerValue.b"][0],
                                      "passer.black.g g4 " + items["passerValue.g"][1]}));
  // White to move needs two moves (one less for the tempo), Black three.
  EXPECT_EQ(items["raceMoves"], (std::vector<std::string>{"1", "3"}));
  EXPECT_EQ(items["raceSquare"], (std::vector<std::string>{"b8", "g1"}));
  EXPECT_EQ(items["lastPasserSquare"], (std::vector<std::string>{"b6", "g4"}));
  EXPECT_EQ(items["endgameRule"], std::vector<std::string>{"4"});
  EXPECT_EQ(items["endgameRuleName"], std::vector<std::string>{"pawn-race"});

  // With pieces: White's d6 record is its whole passedPawnScore (Black's a7 pawn keeps it from
  // being an outside passer, and makes one itself); no race is run.
  const RunResult middle = runEval("r5k1/p4ppp/3P4/8/8/8/5PPP/3R2K1 w - - 0 1");
  ASSERT_EQ(middle.status, 0);
  items = traceItems(middle);
  const std::vector<std::string> passers = linesStartingWith(middle, "passer.");
  ASSERT_EQ(passers.size(), 2u);
  EXPECT_EQ(passers[0], "passer.white.d d6 " + items["passedPawnScore"][0]);
  EXPECT_EQ(passers[1].rfind("passer.black.a a7 ", 0), 0u) << passers[1];
  EXPECT_EQ(items["raceMoves"], (std::vector<std::string>{"20", "20"}));
  EXPECT_EQ(items["raceSquare"], (std::vector<std::string>{"-", "-"}));
  EXPECT_EQ(items["lastPasserSquare"], (std::vector<std::string>{"d6", "a7"}));
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
