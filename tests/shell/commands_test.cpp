// The command interpreter's effect on the engine's state, through processCommands with the lines
// fed on standard input.
#include <gtest/gtest.h>

#include <cstdint>

#include "board/board.h"
#include "game/protocolstate.h"
#include "game/timecontrol.h"
#include "search/hashtable.h"
#include "shell/commands.h"
#include "support/io_fixtures.h"
#include "support/shell_session.h"

using namespace vostrel_test;

namespace {

class CommandsTest : public ::testing::Test {
 protected:
  void SetUp() override { startShellGame(); }
};

void expectClocks(int32_t budget, int16_t movesToGo) {
  EXPECT_EQ(TimeControl.TimeC[WHITE], budget);
  EXPECT_EQ(TimeControl.TimeC[BLACK], budget);
  EXPECT_EQ(TimeControl.movesToGo[WHITE], movesToGo);
  EXPECT_EQ(TimeControl.movesToGo[BLACK], movesToGo);
}

}  // namespace

TEST_F(CommandsTest, LevelSetsModeAndStartsTheClocks) {
  runCommands({"level 40 5 0"});
  EXPECT_EQ(TimeControl.timeMode, TIME_MODE_PERIOD);
  EXPECT_EQ(TimeControl.movesPerPeriod, 40);
  EXPECT_EQ(TimeControl.baseMinutes, 5);
  EXPECT_EQ(TimeControl.baseSeconds, 0);
  EXPECT_EQ(TimeControl.clockRunning, 1);
  expectClocks(30000, 40);
  EXPECT_EQ(TimeControl.timeCmd, 30000);
  EXPECT_EQ(TimeControl.otimCmd, 30000);

  runCommands({"level 0 2 12"});
  EXPECT_EQ(TimeControl.timeMode, TIME_MODE_GAME);
  EXPECT_EQ(TimeControl.movesPerPeriod, 50);
  EXPECT_EQ(TimeControl.Bedienerzeit, 12);
  expectClocks(12000, 50);

  runCommands({"level 40 0:30 0"});
  EXPECT_EQ(TimeControl.baseMinutes, 0);
  EXPECT_EQ(TimeControl.baseSeconds, 30);
  expectClocks(3000, 40);

  runCommands({"level 1 1 0"});
  EXPECT_EQ(TimeControl.timeMode, TIME_MODE_ONE_MOVE);
  EXPECT_EQ(TimeControl.movesPerPeriod, 1);
}

TEST_F(CommandsTest, LevelMoveCountIsSixteenBitsAndNegativeKeepsTheMode) {
  runCommands({"level 65537 3 0"});  // reads as 1
  EXPECT_EQ(TimeControl.timeMode, TIME_MODE_ONE_MOVE);

  runCommands({"st 7", "level -3 2:15 0"});
  EXPECT_EQ(TimeControl.timeMode, TIME_MODE_FIXED_TIME);
  EXPECT_EQ(TimeControl.movesPerPeriod, 1);
  expectClocks(13500, 1);

  // Under a fixed depth the level's clocks stay off.
  runCommands({"sd 5", "level -1 5 0"});
  EXPECT_EQ(TimeControl.clockRunning, 0);
  expectClocks(0, 0);
  EXPECT_EQ(TimeControl.timeCmd, 0);
}

TEST_F(CommandsTest, FixedTimeAndFixedDepth) {
  TimeControl.elapsed = 77;
  TimeControl.Bedienerzeit = 9;
  runCommands({"st 10"});
  EXPECT_EQ(TimeControl.timeMode, TIME_MODE_FIXED_TIME);
  EXPECT_EQ(TimeControl.baseSeconds, 10);
  EXPECT_EQ(TimeControl.clockRunning, 1);
  EXPECT_EQ(TimeControl.movesPerPeriod, 1);
  EXPECT_EQ(TimeControl.elapsed, 0);
  EXPECT_EQ(TimeControl.Bedienerzeit, 0);
  expectClocks(1000, 0);

  runCommands({"sd 6"});
  EXPECT_EQ(TimeControl.timeMode, TIME_MODE_FIXED_DEPTH);
  EXPECT_EQ(TimeControl.depthLimit, 8);
  EXPECT_EQ(TimeControl.clockRunning, 0);
  expectClocks(0, 0);

  // The depth is stored in 8 bits.
  runCommands({"sd 254"});
  EXPECT_EQ(TimeControl.depthLimit, 0);
  runCommands({"sd 300"});
  EXPECT_EQ(TimeControl.depthLimit, 46);
}

TEST_F(CommandsTest, HugeArgumentsSaturateAndWrapWithoutOverflow) {
  runCommands({"st 99999999999"});
  EXPECT_EQ(TimeControl.baseSeconds, INT32_MAX);
  EXPECT_EQ(TimeControl.TimeC[WHITE], static_cast<int32_t>(static_cast<uint32_t>(int64_t{INT32_MAX} * 100)));
  runCommands({"level 40 -99999999999 0"});
  EXPECT_EQ(TimeControl.baseMinutes, INT32_MIN);
  runCommands({"time 99999999999", "otim -5"});
  EXPECT_EQ(TimeControl.timeCmd, INT32_MAX);
  EXPECT_EQ(TimeControl.otimCmd, -5);
}

TEST_F(CommandsTest, ClockReadingsAndMissingArguments) {
  runCommands({"time 30000", "otim 29000"});
  EXPECT_EQ(TimeControl.timeCmd, 30000);
  EXPECT_EQ(TimeControl.otimCmd, 29000);
  runCommands({"time", "otim"});
  EXPECT_EQ(TimeControl.timeCmd, 0);
  EXPECT_EQ(TimeControl.otimCmd, 0);
}

TEST_F(CommandsTest, Switches) {
  runCommands({"nopost", "fritz", "pb", "random", "force"});
  EXPECT_EQ(ProtocolState.postThinking, 0);
  EXPECT_EQ(ProtocolState.fritzMode, 1);
  EXPECT_EQ(ProtocolState.ponderEnabled, 0);
  EXPECT_EQ(ProtocolState.randomMode, 1);
  EXPECT_EQ(ProtocolState.forceMode, 1);

  runCommands({"post", "pb", "random", "easy"});
  EXPECT_EQ(ProtocolState.postThinking, 1);
  EXPECT_EQ(ProtocolState.ponderEnabled, 0);
  EXPECT_EQ(ProtocolState.randomMode, 0);
  runCommands({"hard"});
  EXPECT_EQ(ProtocolState.ponderEnabled, 1);

  // Exact words only: a longer line is no switch.
  runCommands({"easy please", "force2"});
  EXPECT_EQ(ProtocolState.ponderEnabled, 1);

  runCommands({"force", "black"});
  EXPECT_EQ(ProtocolState.forceMode, 0);
  EXPECT_EQ(Board.sideToMove, BLACK);
  runCommands({"force", "white"});
  EXPECT_EQ(ProtocolState.forceMode, 0);
  EXPECT_EQ(Board.sideToMove, WHITE);
}

TEST_F(CommandsTest, NewKeepsTheInterfaceSwitches) {
  runCommands({"easy", "fritz", "nopost", "force", "new"});
  EXPECT_EQ(ProtocolState.ponderEnabled, 0);
  EXPECT_EQ(ProtocolState.fritzMode, 1);
  EXPECT_EQ(ProtocolState.postThinking, 1);
  EXPECT_EQ(ProtocolState.forceMode, 0);
}

TEST_F(CommandsTest, PonderStoresTheExpectedMoveAndEndsTheCall) {
  {
    StdinPipe input;
    input.send("force\nponder e7e5\nnopost\n");
    processCommands();
  }
  EXPECT_EQ(ProtocolState.ponderMove, 52 * 64 + 36);
  EXPECT_EQ(ProtocolState.postThinking, 1);  // the line after "ponder" was not read

  runCommands({"ponder"});
  EXPECT_EQ(ProtocolState.ponderMove, 0);
  runCommands({"ponder o-o"});
  EXPECT_EQ(ProtocolState.ponderMove, E1 * 64 + G1);
  runCommands({"ponder zz"});
  EXPECT_EQ(ProtocolState.ponderMove, 0);
}

TEST_F(CommandsTest, HintShowsTheExpectedMoveOnly) {
  EXPECT_EQ(runCommands({"hint"}), "");
  EXPECT_EQ(runCommands({"force", "ponder e7e5", "hint"}), "Hint: e7e5\n");
}

TEST_F(CommandsTest, CastleWithdrawsOneRightAndNeverRestoresOne) {
  runCommands({"castle -w000"});
  EXPECT_EQ(Board.squareMoves[A1], 1);
  EXPECT_EQ(Board.squareMoves[H1], 0);
  EXPECT_EQ(Board.squareMoves[A8], 0);
  EXPECT_EQ(Board.squareMoves[H8], 0);

  Board.squareMoves[H8] = 2;
  runCommands({"castle -b00", "castle -b000", "castle -w0000", "castle w00", "castle"});
  EXPECT_EQ(Board.squareMoves[H8], 2);
  EXPECT_EQ(Board.squareMoves[A8], 1);
  EXPECT_EQ(Board.squareMoves[H1], 0);
}

TEST_F(CommandsTest, EnPassantSquare) {
  runCommands({"ep e3"});
  EXPECT_EQ(Board.epSquare, 20);
  runCommands({"ep h6"});
  EXPECT_EQ(Board.epSquare, 47);
  for (const char* line : {"ep z3", "ep e9", "ep", "ep 3e"}) {
    Board.epSquare = 20;
    runCommands({line});
    EXPECT_EQ(Board.epSquare, -1) << line;
  }
}

TEST_F(CommandsTest, QuitEndsTheCallAndLeavesTheRestUnread) {
  StdinPipe input;
  input.send("force\nquit\nnopost\n");
  processCommands();
  EXPECT_EQ(ProtocolState.quitRequested, 1);
  EXPECT_EQ(ProtocolState.postThinking, 1);
}

TEST_F(CommandsTest, UnknownLinesAreSilent) {
  EXPECT_EQ(runCommands({"force", "setboard 8/8/8/8/8/8/8/8 w", "protover 2", "xboard", "?", "", ";", "undo",
                         "remove", "wild 3", "accepted", "e2e5"}),
            "");
  EXPECT_EQ(ProtocolState.quitRequested, 1);  // the end of input ended the loop
}
