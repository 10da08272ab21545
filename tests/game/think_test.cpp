// The think driver: iteration limits, the moves it plays or leaves, the guards that keep a
// search off impossible positions, the draw marks of root moves, the "st" clock through the
// binary and the bench signature.
#include "game/think.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "board/board.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "game/protocolstate.h"
#include "game/timecontrol.h"
#include "search/searchstate.h"
#include "support/engine_process.h"
#include "support/think_session.h"

using namespace vostrel_test;

namespace {

// The bench node total at depth 2: changes only when the search or the evaluation changes.
constexpr uint64_t BENCH_DEPTH_2_SIGNATURE = 781990;

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The root list entry of the move from-to after a think (the list stays in the stack).
const Move* rootEntry(int from, int to) {
  for (int i = MoveStack.plyStart[1]; i < MoveStack.plyStart[2]; ++i) {
    const Move& move = MoveStack.moveStack[i];
    if (move.from == from && move.to == to) return &move;
  }
  return nullptr;
}

TEST(ThinkTest, FixedDepthCompletesItsIterationAndPlays) {
  startThinkGame();
  setFixedDepthControl(1);
  const std::string out = runThinkQuietly(WHITE, THINK_MOVE);
  ASSERT_EQ(Board.gameCount, 1);
  EXPECT_EQ(GameHistory[1].depth, 3);  // "sd 1" completes the third iteration
  EXPECT_EQ(GameHistory[1].bookMark, 0);
  EXPECT_EQ(Board.sideToMove, BLACK);
  EXPECT_EQ(EvalContext.searchDepth, 0);
  EXPECT_EQ(out, "1. ... " + lastGameMove() + "\n");  // lines below the fourth iteration stay quiet
  EXPECT_NE(ProtocolState.ponderMove, 0);
  EXPECT_EQ(ProtocolState.gameOver, 0);

  // Black answers at a deeper fixed depth: the last thinking line shows the shown depth (the
  // iteration + 2) and a variation that starts with the move played.
  setFixedDepthControl(3);
  const std::vector<std::string> lines = splitLines(runThinkQuietly(BLACK, THINK_MOVE));
  ASSERT_EQ(Board.gameCount, 2);
  EXPECT_EQ(GameHistory[2].depth, 5);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines.back(), "2. ... " + lastGameMove());
  const std::string& last = lines[lines.size() - 2];
  EXPECT_EQ(last.rfind("7 ", 0), 0u) << last;
  std::istringstream fields(last);
  std::string depth, score, time, nodes, firstMove;
  fields >> depth >> score >> time >> nodes >> firstMove;
  EXPECT_EQ(firstMove, lastGameMove()) << last;
}

TEST(ThinkTest, FixedDepthIsNotCutShortByTheTimeRules) {
  // Here the first root move fails low at the sixth iteration and recovers: without a clock that
  // must neither grant time nor stop the iterations before the depth asked for.
  ASSERT_TRUE(startThinkPosition("r1b1k2r/1pp1q2p/p1n3p1/3QPp2/8/1BP3B1/P5PP/3R1RK1 w kq - 0 1"));
  setFixedDepthControl(5);
  runThinkQuietly(WHITE, THINK_MOVE);
  ASSERT_EQ(Board.gameCount, 1);
  EXPECT_EQ(GameHistory[1].depth, 7);
}

TEST(ThinkTest, SingleLegalMoveIsDecidedAfterTheFourthIteration) {
  // Only Kxb2: the pawns are blocked and the king's other squares are covered by the rook.
  ASSERT_TRUE(startThinkPosition("3k4/8/7p/7P/8/8/1r6/K7 w - - 0 1"));
  vostrel_test::setFixedTime(30);
  const auto start = std::chrono::steady_clock::now();
  runThinkQuietly(WHITE, THINK_MOVE);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(lastGameMove(), "a1b2");
  EXPECT_EQ(GameHistory[Board.gameCount].depth, 4);
  EXPECT_LT(seconds, 10.0);
}

TEST(ThinkTest, PonderingAndAnalysisNeverPlay) {
  startThinkGame();
  setFixedDepthControl(2);
  runThinkQuietly(WHITE, THINK_PONDER);
  EXPECT_EQ(Board.gameCount, 0);
  EXPECT_EQ(EvalContext.searchDepth, 0);
  ProtocolState.analyzing = 1;
  runThinkQuietly(WHITE, THINK_MOVE);
  ProtocolState.analyzing = 0;
  EXPECT_EQ(Board.gameCount, 0);
  EXPECT_EQ(Board.sideToMove, WHITE);
  EXPECT_TRUE(boardIsOk());
}

TEST(ThinkTest, ImpossiblePositionsAndAFullGameRecordAreNotSearched) {
  // No Black king.
  ASSERT_TRUE(startThinkPosition("8/8/8/8/8/8/4P3/4K3 w - - 0 1"));
  setFixedDepthControl(2);
  EXPECT_EQ(runThinkQuietly(WHITE, THINK_MOVE), "");
  EXPECT_EQ(Board.gameCount, 0);
  // Two White kings.
  ASSERT_TRUE(startThinkPosition("4k3/8/8/8/8/8/4K3/4K3 w - - 0 1"));
  EXPECT_EQ(runThinkQuietly(WHITE, THINK_MOVE), "");
  // The side not to move in check.
  ASSERT_TRUE(startThinkPosition("4k3/8/8/8/8/8/4R3/4K3 b - - 0 1"));
  EXPECT_EQ(runThinkQuietly(WHITE, THINK_MOVE), "");
  EXPECT_EQ(Board.gameCount, 0);
  // The game record is full.
  ASSERT_TRUE(startThinkPosition("4k3/8/8/8/8/8/4P3/4K3 w - - 0 1"));
  Board.gameCount = GAME_MOVE_LIMIT;
  Board.lastIrreversible = GAME_MOVE_LIMIT;
  ProtocolState.ponderMove = 0x0C1C;  // left by an earlier think: no move is played, so no ponder
  EXPECT_EQ(runThinkQuietly(WHITE, THINK_MOVE), "");
  EXPECT_EQ(Board.gameCount, GAME_MOVE_LIMIT);
  EXPECT_EQ(EvalContext.searchDepth, 0);
  EXPECT_EQ(ProtocolState.ponderMove, 0);
}

TEST(ThinkTest, RootMoveRepeatingThePositionTwiceScoresADraw) {
  // Black, a queen down, can repeat the position for the third time and takes the draw.
  ASSERT_TRUE(startThinkPosition("rnb1kbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"));
  ASSERT_TRUE(playGameMoves({"g1f3", "g8f6", "f3g1", "f6g8", "g1f3", "g8f6", "f3g1"}));
  setFixedDepthControl(2);
  const std::string out = runThinkQuietly(BLACK, THINK_MOVE);
  const Move* repeat = rootEntry(F6, G8);
  ASSERT_NE(repeat, nullptr);
  EXPECT_EQ(repeat->score, 0);
  EXPECT_NE(repeat->flags & DRAW_FLAG, 0);
  EXPECT_EQ(lastGameMove(), "f6g8");
  EXPECT_TRUE(contains(out, "8. ... f6g8\n1/2-1/2 {Draw by repetition}\n")) << out;
  EXPECT_EQ(ProtocolState.gameOver, 1);
  EXPECT_EQ(ProtocolState.ponderMove, 0);
  EXPECT_EQ(Board.sideToMove, BLACK);  // a drawn game leaves the side as it was
  // A move that repeats the position only once is not marked.
  const Move* other = rootEntry(F6, H5);
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(other->flags & DRAW_FLAG, 0);
}

TEST(ThinkTest, QueenPromotionIsAPawnMoveForTheEarlyQueenPenalty) {
  // In the opening a queen that moves pays 5 at the root; a pawn that promotes to a queen does
  // not. Read as a queen move, d7xc8=Q would score 374 here.
  ASSERT_TRUE(startThinkPosition("rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8"));
  setFixedDepthControl(1);
  runThinkQuietly(WHITE, THINK_MOVE);
  ASSERT_EQ(lastGameMove(), "d7c8q");
  EXPECT_EQ(GameHistory[Board.gameCount].score, 379);
}

TEST(ThinkBinaryTest, FixedTimeMovesWithinItsSecond) {
  TempDir dir;
  writeIni(dir);
  EngineProcess engine(dir.path());
  engine.writeLine("new");
  engine.writeLine("easy");
  engine.writeLine("st 1");
  const auto start = std::chrono::steady_clock::now();
  engine.writeLine("go");
  const auto move = engine.waitForLineStartingWith("1. ... ");
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  ASSERT_TRUE(move.has_value());
  // The clock, not the depth, ends this search, at 0.9 s by the engine's clock, which counts whole
  // centiseconds from a start it truncates (and looks often at so short a budget).
  EXPECT_GT(seconds, 0.85);
  EXPECT_LT(seconds, 2.5);
  engine.writeLine("quit");
  EXPECT_TRUE(engine.waitForExit().exited);
}

TEST(ThinkBinaryTest, BookMovesArePlayedWithoutSearch) {
  TempDir dir;
  const std::string game = "[Event \"a\"]\n[White \"x\"]\n[Black \"y\"]\n[Result \"1-0\"]\n\n1. e4 e5 2. Nf3 Nc6 1-0\n\n";
  dir.writeFile("games.pgn", game + game);
  ASSERT_EQ(runEngine(dir, {"makebook", "--min-games", "1", "games.pgn"}, {}).exit.status, 0);
  IniOptions options;
  options.book = true;
  writeIni(dir, options);
  // The book answers both White moves of the line; no search, so no thinking line and no move
  // to ponder on.
  const EngineRun run = runEngine(dir, {}, {"new", "sd 3", "go", "hint", "e7e5", "hint", "quit"});
  EXPECT_EQ(run.output, "1. ... e2e4\n3. ... g1f3\n") << run.output;
}

TEST(ThinkBinaryTest, BookDisplayIsTheSameWhateverThinkCameBefore) {
  // "bk" measures the candidates against the evaluation of the position shown, not against the
  // one a think on another position left behind: here White a queen and two rooks up.
  TempDir dir;
  const std::string pgn = std::string(VOSTREL_TEST_DATA) + "/book_small.pgn";
  ASSERT_EQ(runEngine(dir, {"makebook", "--min-games", "1", pgn}, {}).exit.status, 0);
  IniOptions options;
  options.book = true;
  writeIni(dir, options);
  const EngineRun run = runEngine(
      dir, {}, {"bk", "new", "edit", "c", "xa8", "xd8", "xh8", ".", "sd 2", "go", "new", "bk", "quit"}, 60.0);
  const std::vector<std::string> lines = splitLines(run.output);
  ASSERT_EQ(lines.size(), 13u) << run.output;
  EXPECT_EQ(lines[4], "\tVostrel would play the move with a probability of 133%.") << run.output;
  EXPECT_EQ(lines[6].rfind("1. ... ", 0), 0u) << run.output;
  for (size_t i = 0; i < 6; ++i) EXPECT_EQ(lines[i], lines[i + 7]) << run.output;
}

// One search from a fresh game after a few forced moves: its thinking lines without the
// times, and the move line. Nothing else may be waiting on input while it runs, or it stops.
std::vector<std::string> searchAfterNewGame(EngineProcess& engine) {
  for (const char* line : {"new", "force", "a2a3", "h7h6", "post", "sd 5", "go"}) engine.writeLine(line);
  std::vector<std::string> thinking;
  const auto move = engine.waitForLine([](const std::string& text) { return contains(text, ". ... "); }, 120.0,
                                       &thinking);
  std::vector<std::string> seen;
  for (const std::string& line : thinking) {
    std::istringstream words(line);
    std::string depth, score, centiseconds, rest;
    words >> depth >> score >> centiseconds;
    std::getline(words, rest);
    seen.push_back(depth + " " + score + rest);
  }
  seen.push_back(move.value_or("no move"));
  return seen;
}

// "new" forgets everything a search leaves behind (hash tables, killers, history, clocks): the
// same position searched again takes the same nodes and plays the same move.
TEST(ThinkBinaryTest, NewGameRepeatsTheSameSearch) {
  TempDir dir;
  writeIni(dir);
  EngineProcess engine(dir.path());
  const std::vector<std::string> first = searchAfterNewGame(engine);
  const std::vector<std::string> second = searchAfterNewGame(engine);
  engine.writeLine("quit");
  EXPECT_EQ(engine.waitForExit().status, 0);
  ASSERT_GE(first.size(), 2u) << "no thinking line before the move";
  EXPECT_EQ(first, second);
}

TEST(ThinkBinaryTest, BenchSignatureIsStable) {
  TempDir dir;
  const EngineRun run = runEngine(dir, {"bench", "2"}, {}, 120.0);
  ASSERT_TRUE(run.exit.exited);
  EXPECT_EQ(run.exit.status, 0);
  const std::vector<std::string> lines = splitLines(run.output);
  ASSERT_GE(lines.size(), 33u);
  std::string total;
  for (const std::string& line : lines) {
    if (line.rfind("Nodes: ", 0) == 0) total = line.substr(7);
  }
  ASSERT_FALSE(total.empty()) << run.output;
  EXPECT_EQ(std::strtoull(total.c_str(), nullptr, 10), BENCH_DEPTH_2_SIGNATURE) << run.output;
  // Nothing of the protocol leaks into the bench output.
  EXPECT_FALSE(contains(run.output, ". ... ")) << run.output;
  EXPECT_EQ(runEngine(dir, {"bench", "0"}, {}).exit.status, 2);
}

}  // namespace
