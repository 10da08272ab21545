// The time control a UCI "go" leaves behind: the clocks of both sides, the period, the increment
// and the depth limit, for each kind of limit.
#include "shell/ucigo.h"

#include <gtest/gtest.h>

#include "board/types.h"
#include "game/timecontrol.h"

namespace {

TimeControlData applied(const std::vector<std::string>& words, int side) {
  TimeControl = TimeControlData{};
  TimeControl.depthLimit = 5;  // an "sd" of an earlier search
  applyGoLimits(parseGoLimits(words), side);
  return TimeControl;
}

TEST(UciGoTimeControl, ClocksOfBothSidesForTheSideToMove) {
  // Black to move, no moves to go: the rest of the game, counted as 50 moves.
  const TimeControlData game = applied({"go", "wtime", "90000", "btime", "30000", "binc", "2000"}, BLACK);
  EXPECT_EQ(game.timeMode, TIME_MODE_GAME);
  EXPECT_EQ(game.movesPerPeriod, 50);
  EXPECT_EQ(game.movesToGo[WHITE], 50);
  EXPECT_EQ(game.movesToGo[BLACK], 50);
  EXPECT_EQ(game.TimeC[BLACK], 3000);
  EXPECT_EQ(game.TimeC[WHITE], 9000);
  EXPECT_EQ(game.timeCmd, 3000);
  EXPECT_EQ(game.otimCmd, 9000);
  EXPECT_EQ(game.Bedienerzeit, 2);
  EXPECT_EQ(game.baseMinutes, 0);
  EXPECT_EQ(game.baseSeconds, 30);
  EXPECT_EQ(game.clockRunning, 1);
  EXPECT_EQ(game.depthLimit, MAX_DEPTH_LIMIT);
  // One move to go is a period of one move, not the "level 1" mode; a missing opponent clock
  // is taken as equal to the own one.
  const TimeControlData period = applied({"go", "wtime", "5000", "movestogo", "1"}, WHITE);
  EXPECT_EQ(period.timeMode, TIME_MODE_PERIOD);
  EXPECT_EQ(period.movesPerPeriod, 1);
  EXPECT_EQ(period.movesToGo[BLACK], 1);
  EXPECT_EQ(period.TimeC[WHITE], 500);
  EXPECT_EQ(period.TimeC[BLACK], 500);
  EXPECT_EQ(period.Bedienerzeit, 0);
}

TEST(UciGoTimeControl, MoveTimeDepthAndEndlessSearch) {
  // A move time in whole seconds, never more than asked.
  const TimeControlData fixed = applied({"go", "movetime", "2999"}, WHITE);
  EXPECT_EQ(fixed.timeMode, TIME_MODE_FIXED_TIME);
  EXPECT_EQ(fixed.TimeC[WHITE], 200);
  EXPECT_EQ(fixed.baseSeconds, 2);
  EXPECT_EQ(fixed.Bedienerzeit, 0);
  EXPECT_EQ(fixed.depthLimit, MAX_DEPTH_LIMIT);
  // "depth N" completes iteration N, which "sd" counts as N - 2.
  const TimeControlData depth = applied({"go", "depth", "6"}, WHITE);
  EXPECT_EQ(depth.timeMode, TIME_MODE_FIXED_DEPTH);
  EXPECT_EQ(depth.depthLimit, 6);
  EXPECT_EQ(depth.clockRunning, 0);
  // "infinite" only lifts an earlier depth limit.
  TimeControl = TimeControlData{};
  TimeControl.depthLimit = 5;
  EXPECT_TRUE(applyGoLimits(parseGoLimits({"go", "infinite"}), WHITE));
  EXPECT_EQ(TimeControl.depthLimit, MAX_DEPTH_LIMIT);
  EXPECT_EQ(TimeControl.clockRunning, 0);
}

}  // namespace
