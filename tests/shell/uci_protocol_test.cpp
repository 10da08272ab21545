// UCI through the real binary: start-up, positions with move lists, every form of "go", input
// during a search (isready, stop, ponderhit, quit), and bad input. Every announced move must be
// legal on a board kept here, and every "go" must be answered by exactly one "bestmove".
#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <string>
#include <vector>

#include "support/dialect_session.h"

using namespace vostrel_test;

namespace {

using Clock = std::chrono::steady_clock;

constexpr double MOVE_TIMEOUT = 30.0;
constexpr double STOP_LIMIT = 1.0;    // seconds from "stop" or "quit" to the answer during a deep search
                                      // (a safety net for loaded and checked builds; a release build
                                      // answers within a few hundredths)
constexpr double START_LIMIT = 1.0;   // seconds from "uci" to "uciok"
constexpr int DEEP_DEPTH = 7;         // an info line at this depth shows a search well under way

const char* const LINE_STARTS[] = {"id name ", "id author ", "option name ", "uciok", "readyok", "info ", "bestmove "};

bool isUciLine(const std::string& line) {
  for (const char* start : LINE_STARTS) {
    if (line.rfind(start, 0) == 0) return true;
  }
  return false;
}

int countStartingWith(const std::vector<std::string>& lines, const std::string& prefix) {
  int count = 0;
  for (const std::string& line : lines) count += line.rfind(prefix, 0) == 0 ? 1 : 0;
  return count;
}

class UciProtocol : public ::testing::Test {
 protected:
  void SetUp() override { start(); }

  void start() {
    const auto begin = Clock::now();
    session.send("uci");
    ASSERT_TRUE(session.waitFor("uciok", MOVE_TIMEOUT));
    startSeconds = secondsSince(begin);
  }

  // Sends "go ..." and returns the move of its one "bestmove" line.
  std::string goAndReadMove(const std::string& go, double timeout = MOVE_TIMEOUT) {
    session.send(go);
    const std::optional<std::string> best = session.waitFor("bestmove ", timeout);
    EXPECT_TRUE(best.has_value()) << go;
    return best ? wordAfter(*best, "bestmove") : "";
  }

  // Waits for an info line at least this deep.
  void waitForDepth(int depth) {
    const auto deepEnough = [depth](const std::string& line) {
      if (line.rfind("info depth ", 0) != 0) return false;
      return std::stoi(wordAfter(line, "depth")) >= depth;
    };
    ASSERT_TRUE(session.engine().waitForLine(deepEnough, MOVE_TIMEOUT));
  }

  // Nothing but UCI lines were ever printed, and the run ends cleanly.
  void TearDown() override {
    session.quitAndExpectCleanEnd();
    for (const std::string& line : session.transcript()) EXPECT_TRUE(isUciLine(line)) << line;
  }

  DialectSession session;
  double startSeconds = 0;
};

}  // namespace

TEST_F(UciProtocol, StartUpNamesTheEngineAndEveryOption) {
  const std::vector<std::string>& lines = session.transcript();
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines.front(), "id name Vostrel 1.0");
  EXPECT_EQ(lines.back(), "uciok");
  for (const char* option : {"option name Hash type spin default 2 min 2 max 384", "option name Ponder type check",
                             "option name OwnBook type check default false", "option name Learning type check",
                             "option name Selectivity type spin default 1 min 0 max 4",
                             "option name Combination type check", "option name Chess Knowledge type check",
                             "option name Log File type check", "option name Clear Hash type button"}) {
    EXPECT_EQ(countStartingWith(lines, option), 1) << option;
  }
  EXPECT_LT(startSeconds, START_LIMIT);
  std::cout << "[ figure ] uci to uciok: " << startSeconds * 1000 << " ms\n";
  session.send("isready");
  EXPECT_TRUE(session.waitFor("readyok"));
}

TEST_F(UciProtocol, PositionWithMovesAndEveryGoForm) {
  const std::vector<std::string> moves = {"e2e4", "e7e5", "g1f3"};
  session.send("position startpos moves e2e4 e7e5 g1f3");
  // Depth: the last info line is of that depth.
  session.send("go depth 5");
  const std::vector<std::string> lines = session.readUntil("bestmove ", MOVE_TIMEOUT);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(wordAfter(lines[lines.size() - 2], "depth"), "5");
  EXPECT_TRUE(isLegalAfter("startpos", moves, wordAfter(lines.back(), "bestmove"))) << lines.back();
  // A fixed time, clocks with and without moves to go and increments: each a legal move in time.
  for (const char* go : {"go movetime 1000", "go wtime 3000 btime 3000", "go wtime 2000 btime 9000 winc 100 binc 100",
                         "go wtime 5000 btime 5000 movestogo 1", "go btime 1000 wtime 1000 movestogo 40"}) {
    session.send("position startpos moves e2e4 e7e5 g1f3");
    const auto begin = Clock::now();
    const std::string move = goAndReadMove(go);
    EXPECT_TRUE(isLegalAfter("startpos", moves, move)) << go << ": " << move;
    EXPECT_LT(secondsSince(begin), 3.0) << go;
  }
  // Limits the engine does not support are refused in an info line; the search still ends.
  for (const char* go : {"go nodes 1000", "go mate 2 movetime 500", "go depth 0 movetime 500", "go depth 99 movetime 500",
                         "go wtime abc btime 1000"}) {
    session.send(go);
    const std::vector<std::string> answer = session.readUntil("bestmove ", MOVE_TIMEOUT);
    EXPECT_EQ(countStartingWith(answer, "info string "), 1) << go;
    EXPECT_TRUE(isLegalAfter("startpos", moves, wordAfter(answer.back(), "bestmove"))) << go;
  }
}

TEST_F(UciProtocol, APositionLineLongerThanTheClassicBufferKeepsEveryMove) {
  // 452 plies of knights going out and back: the line is far longer than a classic line may be.
  const std::vector<std::string> shuffle = {"g1f3", "g8f6", "f3g1", "f6g8"};
  std::vector<std::string> moves;
  std::string line = "position startpos moves";
  for (int i = 0; i < 452; ++i) {
    moves.push_back(shuffle[i % 4]);
    line += " " + moves.back();
  }
  moves.push_back("e2e4");
  line += " e2e4";
  ASSERT_GT(line.size(), 2048u);
  session.send(line);
  session.send("go depth 3");
  const std::vector<std::string> answer = session.readUntil("bestmove ", MOVE_TIMEOUT);
  EXPECT_EQ(countStartingWith(answer, "info string"), 0);
  EXPECT_TRUE(isLegalAfter("startpos", moves, wordAfter(answer.back(), "bestmove"))) << answer.back();
}

TEST_F(UciProtocol, InfiniteSearchAnswersIsreadyAndStopsAtOnce) {
  session.send("position fen r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3");
  session.send("go infinite");
  waitForDepth(DEEP_DEPTH);
  session.send("isready");
  const std::vector<std::string> untilReady = session.readUntil("readyok");
  EXPECT_EQ(countStartingWith(untilReady, "bestmove"), 0);
  session.send("go depth 3");  // a second "go" while searching is refused
  const auto begin = Clock::now();
  session.send("stop");
  const std::vector<std::string> answer = session.readUntil("bestmove ");
  const double latency = secondsSince(begin);
  EXPECT_LT(latency, STOP_LIMIT);
  std::cout << "[ figure ] stop during a deep search: " << latency * 1000 << " ms\n";
  EXPECT_EQ(countStartingWith(answer, "info string "), 1);
  EXPECT_TRUE(isLegalAfter("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq -", {},
                           wordAfter(answer.back(), "bestmove")));
  // No second bestmove follows.
  session.send("isready");
  EXPECT_EQ(countStartingWith(session.readUntil("readyok"), "bestmove"), 0);
}

TEST_F(UciProtocol, PonderThenPonderhitAndPonderThenStopEachGiveOneBestmove) {
  const std::vector<std::string> moves = {"e2e4", "e7e5", "g1f3", "b8c6"};
  session.send("position startpos moves e2e4 e7e5 g1f3 b8c6");
  session.send("go ponder wtime 4000 btime 4000");
  waitForDepth(4);
  session.send("ponderhit");
  std::string best = wordAfter(*session.waitFor("bestmove ", MOVE_TIMEOUT), "bestmove");
  EXPECT_TRUE(isLegalAfter("startpos", moves, best));

  session.send("position startpos moves e2e4 e7e5 g1f3 b8c6");
  session.send("go ponder wtime 60000 btime 60000");
  waitForDepth(DEEP_DEPTH);
  const auto begin = Clock::now();
  session.send("stop");
  best = wordAfter(*session.waitFor("bestmove "), "bestmove");
  EXPECT_LT(secondsSince(begin), STOP_LIMIT);
  EXPECT_TRUE(isLegalAfter("startpos", moves, best));
  session.send("isready");
  EXPECT_EQ(countStartingWith(session.readUntil("readyok"), "bestmove"), 0);
}

TEST_F(UciProtocol, SingleLegalMoveIsAnsweredOnceInEveryForm) {
  // White's king on h1 is in check from the queen and the rook: only Kxg2 is legal.
  const std::string fen = "7k/8/8/8/8/8/6q1/r6K w - - 0 1";
  struct Form {
    const char* go;
    bool needsStop;
  };
  for (const Form form : {Form{"go ponder wtime 5000 btime 5000", true}, Form{"go infinite", true},
                          Form{"go wtime 5000 btime 5000", false}}) {
    session.send("position fen " + fen);
    session.send(form.go);
    if (form.needsStop) {
      session.send("isready");
      ASSERT_TRUE(session.waitFor("readyok"));
      session.send("stop");
    }
    const std::vector<std::string> answer = session.readUntil("bestmove ", MOVE_TIMEOUT);
    EXPECT_EQ(wordAfter(answer.back(), "bestmove"), "h1g2") << form.go;
    session.send("isready");
    EXPECT_EQ(countStartingWith(session.readUntil("readyok"), "bestmove"), 0) << form.go;
  }
}

TEST_F(UciProtocol, BadInputIsReportedAndTheStateKept) {
  // "go" before any "position": the start position, with a word about it.
  std::vector<std::string> answer;
  session.send("go depth 2");
  answer = session.readUntil("bestmove ");
  EXPECT_EQ(countStartingWith(answer, "info string go before position"), 1);
  EXPECT_TRUE(isLegalAfter("startpos", {}, wordAfter(answer.back(), "bestmove")));
  // A malformed FEN keeps the position before it.
  session.send("position startpos moves d2d4");
  for (const char* bad : {"position fen 8/8/8/8 w - -", "position fen rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR x KQkq -",
                          "position fen 8/8/8/8/8/8/8/8 w - -", "position fen k7/8/8/8/8/8/8/RK6 w - -",
                          "position", "position somewhere"}) {
    session.send(bad);
    EXPECT_TRUE(session.waitFor("info string ")) << bad;
  }
  session.send("go depth 2");
  answer = session.readUntil("bestmove ");
  EXPECT_TRUE(isLegalAfter("startpos", {"d2d4"}, wordAfter(answer.back(), "bestmove"))) << answer.back();
  // A move list with an illegal move stops before it.
  session.send("position startpos moves e2e4 e7e5 e1e3 g1f3");
  EXPECT_EQ(*session.waitFor("info string "), "info string illegal move e1e3: the position ends before it");
  session.send("go depth 2");
  answer = session.readUntil("bestmove ");
  EXPECT_TRUE(isLegalAfter("startpos", {"e2e4", "e7e5"}, wordAfter(answer.back(), "bestmove")));
  // Commands out of place, unknown ones, bad option values and an over-long line.
  session.send("stop");
  EXPECT_TRUE(session.waitFor("info string stop without"));
  session.send("ponderhit");
  EXPECT_TRUE(session.waitFor("info string ponderhit without"));
  session.send("frobnicate");
  EXPECT_TRUE(session.waitFor("info string unknown command"));
  session.send("setoption name Selectivity value 9");
  EXPECT_TRUE(session.waitFor("info string bad value"));
  session.send("setoption name Hash value lots");
  EXPECT_TRUE(session.waitFor("info string bad value"));
  session.send("setoption name Nothing value 1");
  EXPECT_TRUE(session.waitFor("info string unknown option"));
  session.send("position startpos moves " + std::string(20000, 'x'));
  EXPECT_TRUE(session.waitFor("info string line too long"));
  session.send("protover 2");
  EXPECT_TRUE(session.waitFor("info string unknown command: protover"));
  // The position is still the one before.
  session.send("go depth 2");
  answer = session.readUntil("bestmove ");
  EXPECT_TRUE(isLegalAfter("startpos", {"e2e4", "e7e5"}, wordAfter(answer.back(), "bestmove")));
  session.send("isready");
  EXPECT_TRUE(session.waitFor("readyok"));
}

TEST_F(UciProtocol, SetoptionChangesThisRunOnlyAndTheGameGoesOn) {
  const std::string iniBefore = *session.dir().readFile("vostrel.ini");
  for (const char* line : {"setoption name Hash value 8", "setoption name Selectivity value 3",
                           "setoption name Combination value true", "setoption name Chess Knowledge value false",
                           "setoption name Clear Hash", "setoption name Ponder value true", "ucinewgame"}) {
    session.send(line);
  }
  session.send("isready");
  const std::vector<std::string> lines = session.readUntil("readyok");
  EXPECT_EQ(countStartingWith(lines, "info string"), 0);
  session.send("position startpos moves e2e4");
  EXPECT_TRUE(isLegalAfter("startpos", {"e2e4"}, goAndReadMove("go depth 4")));
  EXPECT_EQ(*session.dir().readFile("vostrel.ini"), iniBefore);
}

TEST(UciProtocolEnd, QuitAndEndOfInputEndADeepSearchAtOnce) {
  {
    DialectSession session;
    for (const char* line : {"uci", "position startpos", "go infinite"}) session.send(line);
    ASSERT_TRUE(session.waitFor("info depth 7", MOVE_TIMEOUT));
    const double seconds = session.quitAndExpectCleanEnd(STOP_LIMIT * 4);
    EXPECT_LT(seconds, STOP_LIMIT);
    std::cout << "[ figure ] quit during a deep search: " << seconds * 1000 << " ms\n";
  }
  {
    DialectSession session;
    for (const char* line : {"uci", "position startpos", "go infinite"}) session.send(line);
    ASSERT_TRUE(session.waitFor("info depth 7", MOVE_TIMEOUT));
    EXPECT_LT(session.closeInputAndExpectCleanEnd(STOP_LIMIT * 4), STOP_LIMIT);
  }
}
