// The end of the game: mate, stalemate and bare kings through the binary; repetition and
// fifty-move draws, the draw offer, resignation and the length limit in-process.
#include "game/gameend.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "board/board.h"
#include "board/makemove.h"
#include "game/protocolstate.h"
#include "game/think.h"
#include "game/timecontrol.h"
#include "search/searchstate.h"
#include "support/engine_process.h"
#include "support/shell_session.h"
#include "support/think_session.h"

using namespace vostrel_test;

namespace {

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Sets a position up through edit mode, names the side to move and lets the engine move at a
// fixed depth. Returns everything the engine printed until it quit.
std::string playFromEditedPosition(const std::vector<std::string>& white, const std::vector<std::string>& black,
                                   const std::string& side) {
  TempDir dir;
  writeIni(dir);
  std::vector<std::string> input = {"new", "easy", "edit", "#"};
  input.insert(input.end(), white.begin(), white.end());
  input.push_back("c");
  input.insert(input.end(), black.begin(), black.end());
  for (const std::string& line : {std::string("."), side, std::string("sd 2"), std::string("go"), std::string("quit")}) {
    input.push_back(line);
  }
  const EngineRun run = runEngine(dir, {}, input);
  EXPECT_TRUE(run.exit.exited && run.exit.status == 0) << run.errors;
  EXPECT_EQ(run.errors, "");
  return run.output;
}

TEST(GameEndBinaryTest, MateGivenIsAnnounced) {
  const std::string out = playFromEditedPosition({"Kg1", "Ra1"}, {"Kg8", "Pf7", "Pg7", "Ph7"}, "white");
  EXPECT_TRUE(contains(out, "1. ... a1a8\n1-0 {White mates}\n")) << out;
  const std::string black = playFromEditedPosition({"Kg1", "Pf2", "Pg2", "Ph2"}, {"Kg8", "Ra8"}, "black");
  EXPECT_TRUE(contains(black, "1. ... a8a1\n0-1 {Black mates}\n")) << black;
}

TEST(GameEndBinaryTest, StalemateAndMateOfTheEngine) {
  // Black to move has no legal move and is not in check.
  EXPECT_EQ(playFromEditedPosition({"Kb6", "Qc7"}, {"Ka8"}, "black"), "1/2-1/2 {Stalemate}\n");
  // Checkmated: no move and no line at all.
  EXPECT_EQ(playFromEditedPosition({"Kb6", "Qb7"}, {"Ka8"}, "black"), "");
}

TEST(GameEndBinaryTest, BareKingsAfterTheLastCapture) {
  const std::string out = playFromEditedPosition({"Ka1"}, {"Kh8", "Rb2"}, "white");
  EXPECT_TRUE(contains(out, "1. ... a1b2\n1/2-1/2 {Insufficient material}\n")) << out;
  // King and bishop against king plays on.
  const std::string bishop = playFromEditedPosition({"Ka1", "Bc1"}, {"Kh8", "Rb2"}, "white");
  EXPECT_FALSE(contains(bishop, "1/2-1/2")) << bishop;
}

class GameEndTest : public ::testing::Test {
 protected:
  // A position reached after `plies` reversible moves (no capture or pawn move since).
  void startAfterQuietMoves(const std::string& fen, int plies) {
    ASSERT_TRUE(startThinkPosition(fen));
    std::memset(&GameHistory[1], 0, sizeof(GameRecord) * plies);
    Board.gameCount = static_cast<int16_t>(plies);
    Board.lastIrreversible = 0;
    setFixedDepthControl(2);
  }
};

TEST_F(GameEndTest, FiftyMovesDrawAndTheDrawOffer) {
  // Rook against rook, no capture possible: every move makes the hundredth reversible ply.
  startAfterQuietMoves("4k2r/8/8/8/8/8/8/R3K3 w - - 0 1", 99);
  TimeControl.timeCmd = TimeControl.otimCmd = 1000;
  const std::string out = runThinkQuietly(WHITE, THINK_MOVE);
  EXPECT_TRUE(contains(out, "100. ... " + lastGameMove() + "\noffer draw\n1/2-1/2 {Draw by 50 move rule}\n")) << out;
  EXPECT_EQ(GameHistory[100].score, 0);
  EXPECT_EQ(ProtocolState.gameOver, 1);
  EXPECT_EQ(Board.sideToMove, WHITE);

  // No offer when the opponent's flag is about to fall.
  startAfterQuietMoves("4k2r/8/8/8/8/8/8/R3K3 w - - 0 1", 99);
  TimeControl.timeCmd = 1000;
  TimeControl.otimCmd = 50;
  const std::string late = runThinkQuietly(WHITE, THINK_MOVE);
  EXPECT_FALSE(contains(late, "offer draw")) << late;
  EXPECT_TRUE(contains(late, "1/2-1/2 {Draw by 50 move rule}\n")) << late;
}

TEST_F(GameEndTest, LengthLimitEndsTheGame) {
  startAfterQuietMoves("4k3/8/8/8/8/8/8/R3K3 w - - 0 1", 539);
  Board.lastIrreversible = 500;
  runThinkQuietly(WHITE, THINK_MOVE);
  EXPECT_EQ(Board.gameCount, GAME_LENGTH_LIMIT);
  EXPECT_EQ(ProtocolState.gameOver, 1);
  EXPECT_EQ(Board.sideToMove, WHITE);
  EXPECT_EQ(ProtocolState.ponderMove, 0);
}

TEST_F(GameEndTest, HopelessEngineResignsAfterItsMove) {
  // Black's lone king against two queens, searched to the ninth shown depth on a running clock.
  ASSERT_TRUE(startThinkPosition("k7/8/8/8/8/8/8/2QQ3K b - - 0 1"));
  vostrel_test::setFixedTime(30);
  TimeControl.depthLimit = 7;
  const std::string out = runThinkQuietly(BLACK, THINK_MOVE);
  EXPECT_TRUE(contains(out, "1. ... " + lastGameMove() + "\nresign\n")) << out;
}

// The resignation rule on its own: depth, score, queen, book move and the clocks.
class ResignationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(startThinkPosition("4k3/4p3/8/8/8/8/3QP3/4K3 w - - 0 1"));
    EvalContext.rootSide = WHITE;
    TimeControl.clockRunning = 1;
    TimeControl.TimeC[WHITE] = TimeControl.TimeC[BLACK] = 1000;
    ProtocolState.fritzMode = 0;
  }
  std::string announce(int depth, int score, int bookMove = 0) {
    EvalContext.searchDepth = static_cast<int8_t>(depth);
    Move best{};
    StdoutCapture capture;
    announceAfterMove(best, score, bookMove);
    return capture.finish();
  }
};

TEST_F(ResignationTest, DeepEnoughAndLostEnough) {
  EXPECT_EQ(announce(9, -800), "resign\n");
  EXPECT_EQ(announce(9, -799), "");
  EXPECT_EQ(announce(8, -2000), "");  // still a queen: not before the ninth iteration
  EXPECT_EQ(announce(9, -800, 1), "");
  TimeControl.clockRunning = 0;
  EXPECT_EQ(announce(12, -5000), "");
  TimeControl.clockRunning = 1;
  Board.typeCount[WHITE][QUEEN] = 0;
  EXPECT_EQ(announce(7, -800), "resign\n");
  EXPECT_EQ(announce(6, -800), "");
}

TEST_F(ResignationTest, PlaysOnWhenTheOpponentsFlagIsFalling) {
  TimeControl.TimeC[BLACK] = 40;
  TimeControl.TimeC[WHITE] = 25;
  EXPECT_EQ(announce(9, -900), "");
  TimeControl.TimeC[WHITE] = 24;  // the opponent is more than 15 ahead
  EXPECT_EQ(announce(9, -900), "resign\n");
  TimeControl.TimeC[BLACK] = 41;
  TimeControl.TimeC[WHITE] = 1000;
  EXPECT_EQ(announce(9, -900), "resign\n");
  // Fritz mode resigns unless its own clock is out.
  ProtocolState.fritzMode = 1;
  TimeControl.TimeC[WHITE] = 5;
  EXPECT_EQ(announce(9, -900), "");
  TimeControl.TimeC[WHITE] = 6;
  EXPECT_EQ(announce(9, -900), "resign\n");
  ProtocolState.fritzMode = 0;
}

}  // namespace
