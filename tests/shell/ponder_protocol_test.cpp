// Pondering and analysis through the real binary. Every write is timed by the engine's own output
// (its move, its "Hint:" line or a thinking line), never by sleeping. A board kept in this process
// follows the game; every move the engine announces must be legal on it, and each scenario ends
// with a legal continuation that the engine must answer.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "board/board.h"
#include "board/makemove.h"
#include "game/notation.h"
#include "game/takeback.h"
#include "support/board_fixture.h"
#include "support/engine_process.h"

using namespace vostrel_test;

namespace {

using Clock = std::chrono::steady_clock;


constexpr double MOVE_TIMEOUT = 30.0;   // safety net for one reply
constexpr double QUIT_LIMIT = 1.0;      // seconds from "quit" to the end of the process
constexpr int DEEP_PONDER_TIME = 300;   // centiseconds of pondering that make a search deep
constexpr int INITIAL_MOVES = 20;

// Moves tried, in order, when a test needs some legal move other than a given one.
const std::vector<std::string> CANDIDATES[2] = {
    {"d2d4", "g1f3", "b1c3", "c2c4", "d2d3", "a2a3", "h2h3", "g2g3"},
    {"g8f6", "b8c6", "d7d6", "e7e6", "a7a6", "h7h6", "g7g6", "c7c5"},
};

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// "N. ... MOVE", the engine's move.
struct MoveLine {
  int number = 0;
  std::string move;
};
std::optional<MoveLine> parseMoveLine(const std::string& line) {
  MoveLine parsed;
  char move[MOVE_TEXT_SIZE] = "";
  int used = 0;
  if (std::sscanf(line.c_str(), "%d. ... %7s%n", &parsed.number, move, &used) != 2) return std::nullopt;
  if (used != static_cast<int>(line.size())) return std::nullopt;
  parsed.move = move;
  return parsed;
}
bool isMoveLine(const std::string& line) { return parseMoveLine(line).has_value(); }

// "DEPTH SCORE TIME NODES PV... ", a thinking line.
struct Thinking {
  int depth = 0;
  int centiseconds = 0;
  long long nodes = 0;
  std::string firstMove;
};
std::optional<Thinking> parseThinking(const std::string& line) {
  Thinking parsed;
  int score = 0;
  int used = 0;
  if (std::sscanf(line.c_str(), "%d %d %d %lld%n", &parsed.depth, &score, &parsed.centiseconds, &parsed.nodes,
                  &used) != 4) {
    return std::nullopt;
  }
  if (line.back() != ' ' || line[used] != ' ') return std::nullopt;
  const size_t first = used + 1;
  parsed.firstMove = line.substr(first, line.find(' ', first) - first);
  return parsed;
}
bool isThinking(const std::string& line) { return parseThinking(line).has_value(); }

// "stat01: TIME NODES DEPTH LEFT TOTAL ", the analysis status.
struct Status {
  long centiseconds = 0;
  long long nodes = 0;
  int depth = 0;
  int movesLeft = 0;
  int moves = 0;
};
std::optional<Status> parseStatus(const std::string& line) {
  Status parsed;
  int used = 0;
  if (std::sscanf(line.c_str(), "stat01: %ld %lld %d %d %d%n", &parsed.centiseconds, &parsed.nodes, &parsed.depth,
                  &parsed.movesLeft, &parsed.moves, &used) != 5) {
    return std::nullopt;
  }
  if (line.substr(used) != " ") return std::nullopt;
  return parsed;
}

class PonderProtocol : public testing::Test {
 protected:
  void SetUp() override {
    setUpInitialPosition();
    writeIni(dir_);
    engine_ = std::make_unique<EngineProcess>(dir_.path());
  }

  void TearDown() override {
    if (!ended_) {
      engine_->writeLine("quit");
      const ExitResult exit = engine_->waitForExit(MOVE_TIMEOUT);
      EXPECT_TRUE(exit.exited && exit.status == 0) << "engine did not end cleanly";
    }
    EXPECT_EQ(engine_->stderrText(), "");
  }

  void send(const std::string& line) { ASSERT_TRUE(engine_->writeLine(line)); }

  // ---- The board of this process ----

  // 1 when `move` is legal for the side to move; the move is then made and the side flips.
  static bool makeRefereeMove(const std::string& move) {
    char text[MOVE_TEXT_SIZE + 1];
    std::snprintf(text, sizeof text, "%s", move.c_str());
    if (!enterMove(text)) return false;
    Board.sideToMove ^= 1;
    return true;
  }

  static bool isLegal(const std::string& move) {
    if (!makeRefereeMove(move)) return false;
    takeBackMove();
    return true;
  }

  // A legal move of the side to move other than `excluded`.
  static std::string otherLegalMove(const std::string& excluded) {
    for (const std::string& move : CANDIDATES[Board.sideToMove]) {
      if (move != excluded && isLegal(move)) return move;
    }
    ADD_FAILURE() << "no candidate move";
    return "";
  }

  // Plays the opponent's move on both boards.
  void play(const std::string& move) {
    ASSERT_TRUE(makeRefereeMove(move)) << move;
    send(move);
  }

  // ---- The engine's output ----

  // The engine's next move line: it must carry `number` and be legal here; it is made here.
  std::string awaitMove(int number, std::vector<std::string>* skipped = nullptr) {
    const auto line = engine_->waitForLine(
        isMoveLine, MOVE_TIMEOUT, skipped);
    if (!line) {
      ADD_FAILURE() << "no move (stderr: " << engine_->stderrText() << ")";
      return "";
    }
    const MoveLine parsed = *parseMoveLine(*line);
    EXPECT_EQ(parsed.number, number) << *line;
    const std::string& move = parsed.move;
    EXPECT_TRUE(makeRefereeMove(move)) << "illegal move " << move;
    return move;
  }

  // The expected move of the next "Hint:" line; it must be legal here (it is not made).
  std::string awaitHint(std::vector<std::string>* skipped = nullptr) {
    const auto line = engine_->waitForLine([](const std::string& text) { return text.rfind("Hint: ", 0) == 0; },
                                           MOVE_TIMEOUT, skipped);
    if (!line) {
      ADD_FAILURE() << "no hint";
      return "";
    }
    const std::string move = line->substr(6);
    EXPECT_TRUE(isLegal(move)) << "illegal hint " << move;
    return move;
  }

  // The next thinking line of at least the shown depth and time.
  Thinking awaitThinking(int minDepth, int minCentiseconds = 0) {
    Thinking found;
    const auto line = engine_->waitForLine(
        [&](const std::string& text) {
          const auto parsed = parseThinking(text);
          if (!parsed) return false;
          found = *parsed;
          return found.depth >= minDepth && found.centiseconds >= minCentiseconds;
        },
        MOVE_TIMEOUT);
    EXPECT_TRUE(line.has_value()) << "no thinking line of depth " << minDepth;
    return found;
  }

  // The engine answers 1.e4 with its first move and starts pondering on the move it expects.
  std::string openAndAwaitHint() {
    play("e2e4");
    awaitMove(2);
    const std::string hint = awaitHint();
    awaitThinking(0);
    return hint;
  }

  // After 1.e4 the engine takes White and ponders on the move the interface names, e7e5.
  void startPonderingAsWhite(const std::vector<std::string>& settings) {
    for (const std::string& line : settings) send(line);
    for (const char* line : {"force", "e2e4", "black", "ponder e7e5"}) send(line);
    ASSERT_TRUE(makeRefereeMove("e2e4"));
    EXPECT_EQ(awaitHint(), "e7e5");
    awaitThinking(0);
  }

  // Seconds from now until the process has ended (cleanly).
  double secondsUntilExit() {
    const auto start = Clock::now();
    const ExitResult exit = engine_->waitForExit(MOVE_TIMEOUT);
    const double seconds = secondsSince(start);
    EXPECT_TRUE(exit.exited) << "signal " << exit.signal;
    EXPECT_EQ(exit.status, 0);
    ended_ = true;
    return seconds;
  }

  TempDir dir_;
  std::unique_ptr<EngineProcess> engine_;
  bool ended_ = false;
};

// ---- Pondering ----

TEST_F(PonderProtocol, PonderHitPlaysOneMoveOnItsOwnTime) {
  send("st 2");
  play("e2e4");
  awaitMove(2);
  const std::string hint = awaitHint();
  const auto ponderStart = Clock::now();
  awaitThinking(0);
  play(hint);
  // The budget counts from the start of pondering. The hit lengthens it, but never past the
  // 2 seconds the interface allows for the move (it used to run to 3 s and lose on time).
  awaitMove(4);
  const double seconds = secondsSince(ponderStart);
  EXPECT_GT(seconds, 1.0);
  EXPECT_LT(seconds, 2.5);
  // One move was played: the game goes on with White's fourth ply.
  play(otherLegalMove(""));
  awaitMove(6);
}

TEST_F(PonderProtocol, PonderMissTakesTheExpectedMoveBack) {
  send("st 1");
  const std::string hint = openAndAwaitHint();
  play(otherLegalMove(hint));
  awaitMove(4);
  // Two plies back and another line: the engine's board must agree with ours.
  send("remove");
  takeBackMove();
  takeBackMove();
  play(otherLegalMove(""));
  awaitMove(4);
  for (const char* line : {"force", "undo", "undo"}) send(line);
  takeBackMove();
  takeBackMove();
  play(otherLegalMove(""));
  send("go");
  awaitMove(4);
}

TEST_F(PonderProtocol, MoveNowWhilePonderingStopsWithoutPlaying) {
  send("st 1");
  const std::string hint = openAndAwaitHint();
  send("?");
  send("hint");  // answered by the interpreter once pondering has ended
  std::vector<std::string> skipped;
  EXPECT_EQ(awaitHint(&skipped), hint);
  for (const std::string& line : skipped) EXPECT_FALSE(isMoveLine(line)) << line;
  play(otherLegalMove(hint));
  awaitMove(4);
}

TEST_F(PonderProtocol, MoveNowDuringTheEnginesOwnSearch) {
  send("st 30");
  play("e2e4");
  awaitThinking(0);
  const auto start = Clock::now();
  send("?");
  awaitMove(2);
  EXPECT_LT(secondsSince(start), 2.0);
}

TEST_F(PonderProtocol, MoveAndMoveNowTogetherPlayAtOnce) {
  // The engine plays White and ponders on the 30 s budget of its next move.
  startPonderingAsWhite({"st 30"});
  ASSERT_TRUE(makeRefereeMove("e7e5"));
  const auto start = Clock::now();
  ASSERT_TRUE(engine_->writeRaw("e7e5\n?\n"));
  awaitMove(3);
  EXPECT_LT(secondsSince(start), 2.0);
  // The game goes on.
  send("st 1");
  play(otherLegalMove(""));
  awaitMove(5);
}

TEST_F(PonderProtocol, MoveAndMoveNowTogetherCancelTheHitInTheOtherInterfaceVariant) {
  startPonderingAsWhite({"fritz", "st 1"});
  ASSERT_TRUE(engine_->writeRaw("e7e5\n?\n"));
  send("hint");
  std::vector<std::string> skipped;
  EXPECT_EQ(awaitHint(&skipped), "e7e5");
  for (const std::string& line : skipped) EXPECT_FALSE(isMoveLine(line)) << line;
  // The move was taken back and not read again: the interface sends it anew.
  play("e7e5");
  awaitMove(3);
}

TEST_F(PonderProtocol, CommandsWithArgumentsDuringPondering) {
  send("st 1");
  const std::string hint = openAndAwaitHint();
  // Handled at once: the ponder search goes on to deeper iterations.
  const Thinking before = awaitThinking(0);
  send("time 5000 otim 6000 st 2");
  awaitThinking(before.depth + 1);
  // Handed to the interpreter with its argument: the engine now ponders on that move.
  const std::string expected = otherLegalMove(hint);
  send("ponder " + expected);
  EXPECT_EQ(awaitHint(), expected);
  awaitThinking(0);
  // A miss: the engine thinks the new 2 s per move.
  play(otherLegalMove(expected));
  const auto start = Clock::now();
  awaitMove(4);
  EXPECT_GT(secondsSince(start), 1.5);
}

TEST_F(PonderProtocol, QuitDuringADeepPonderSearchEndsTheProcessAtOnce) {
  send("st 1");
  openAndAwaitHint();
  const Thinking deep = awaitThinking(0, DEEP_PONDER_TIME);
  send("quit");
  const double seconds = secondsUntilExit();
  EXPECT_LT(seconds, QUIT_LIMIT);
  std::cout << "quit after " << deep.centiseconds << " cs of pondering (depth " << deep.depth
            << "): process ended after " << seconds * 1000 << " ms\n";
}

TEST_F(PonderProtocol, QuitArrivingWithTheMoveEndsTheProcess) {
  startPonderingAsWhite({"st 30"});
  ASSERT_TRUE(engine_->writeRaw("e7e5\nquit\n"));
  EXPECT_LT(secondsUntilExit(), QUIT_LIMIT);
}

TEST_F(PonderProtocol, EndOfInputDuringPonderingEndsTheProcess) {
  send("st 1");
  openAndAwaitHint();
  engine_->closeInput();
  EXPECT_LT(secondsUntilExit(), QUIT_LIMIT);
}

// ---- Analysis ----

TEST_F(PonderProtocol, AnalysisStatusOnlyFromDepthSeven) {
  // Arriving together, "." reaches the very first poll of the analysis, where the search is still
  // shallow: no answer.
  ASSERT_TRUE(engine_->writeRaw("analyze\n.\n"));
  const Thinking deep = awaitThinking(7);
  send(".");
  std::vector<std::string> skipped;
  const auto line = engine_->waitForLine(
      [](const std::string& text) { return text.rfind("stat01:", 0) == 0; }, MOVE_TIMEOUT, &skipped);
  ASSERT_TRUE(line.has_value());
  for (const std::string& other : skipped) EXPECT_TRUE(isThinking(other)) << other;
  const auto status = parseStatus(*line);
  ASSERT_TRUE(status.has_value()) << *line;
  EXPECT_GE(status->depth, deep.depth);
  EXPECT_GE(status->nodes, deep.nodes);
  EXPECT_LE(status->movesLeft, INITIAL_MOVES);
  EXPECT_EQ(status->moves, INITIAL_MOVES);
  // "quit" ends the analysis and the process.
  send("quit");
  const double seconds = secondsUntilExit();
  EXPECT_LT(seconds, QUIT_LIMIT);
  std::cout << "quit during analysis: process ended after " << seconds * 1000 << " ms\n";
}

// A burst of "." lines: each is answered once, and handling them never nests deeper than one
// line (a chain of nested runs, one per waiting line, used to exhaust the stack).
TEST_F(PonderProtocol, BurstOfStatusRequestsIsAnsweredLineByLine) {
  constexpr int REQUESTS = 3000;
  send("analyze");
  awaitThinking(7);
  std::string burst;
  for (int i = 0; i < REQUESTS; ++i) burst += ".\n";
  ASSERT_TRUE(engine_->writeRaw(burst + "quit\n"));
  const std::string rest = engine_->readToEnd(MOVE_TIMEOUT);
  int answers = 0;
  for (size_t at = rest.find("stat01:"); at != std::string::npos; at = rest.find("stat01:", at + 1)) answers += 1;
  EXPECT_EQ(answers, REQUESTS);
  const ExitResult exit = engine_->waitForExit(MOVE_TIMEOUT);
  EXPECT_TRUE(exit.exited && exit.status == 0) << "signal " << exit.signal;
  ended_ = true;
}

TEST_F(PonderProtocol, AnalyzeWhileAnalysingChangesNothing) {
  send("analyze");
  const Thinking before = awaitThinking(7);
  // Both in one read: "." is taken at the next poll, by the same search unless it was restarted.
  ASSERT_TRUE(engine_->writeRaw("analyze\n.\n"));
  const auto line = engine_->waitForLine(
      [](const std::string& text) { return text.rfind("stat01:", 0) == 0; }, MOVE_TIMEOUT);
  ASSERT_TRUE(line.has_value()) << "the analysis was restarted";
  const auto status = parseStatus(*line);
  ASSERT_TRUE(status.has_value()) << *line;
  EXPECT_GE(status->depth, before.depth);
  EXPECT_GE(status->nodes, before.nodes);
}

TEST_F(PonderProtocol, ExitEndsTheAnalysis) {
  for (const char* line : {"st 1", "analyze"}) send(line);
  awaitThinking(7);
  send("exit");
  // Waiting again: a move is answered, not analysed. The analysis switched the clock off.
  send("st 1");
  play("e2e4");
  awaitMove(2);
}

TEST_F(PonderProtocol, NewWhileAnalysingAnalysesTheInitialPosition) {
  send("analyze");
  awaitThinking(0);
  play("e2e4");
  // Black's moves are analysed, then after "new" White's again.
  const auto blackLine = engine_->waitForLine(
      [](const std::string& text) {
        const auto parsed = parseThinking(text);
        return parsed && isLegal(parsed->firstMove);
      },
      MOVE_TIMEOUT);
  ASSERT_TRUE(blackLine.has_value());
  send("new");
  setUpInitialPosition();
  const auto whiteLine = engine_->waitForLine(
      [](const std::string& text) {
        const auto parsed = parseThinking(text);
        return parsed && isLegal(parsed->firstMove);
      },
      MOVE_TIMEOUT);
  ASSERT_TRUE(whiteLine.has_value());
  send("quit");
  EXPECT_LT(secondsUntilExit(), QUIT_LIMIT);
}

}  // namespace
