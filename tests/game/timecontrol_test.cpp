// The time budget of every time control, the stop test of the search, the extensions granted at
// root moves and the clock update after a move.
#include "game/timecontrol.h"

#include <gtest/gtest.h>

#include "board/board.h"
#include "board/makemove.h"
#include "eval/evalstate.h"
#include "game/protocolstate.h"
#include "search/searchstate.h"
#include "support/think_session.h"

namespace {

class TimeBudgetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TimeControl = TimeControlData{};
    EvalContext.rootSide = WHITE;
    SearchState.pondering = 0;
    EvalContext.searchDepth = 0;
    SearchState.stopSearch = 0;
    SearchState.inputPending = 0;
    SearchState.rootScore = 0;
    SearchState.bestMoveStable = 1;
    ProtocolState.analyzing = 0;
    ProtocolState.fritzMode = 0;
    EvalState.gamePhase = 0;
    Board.typeCount[WHITE][QUEEN] = Board.typeCount[BLACK][QUEEN] = 1;
    Board.gameCount = 0;  // no game move to take back
  }

  // A whole-game budget at iteration 7 with a last best score of 50, no extension running.
  void startLateIteration() {
    vostrel_test::setLevel(0, 5, 0, 30000, 30000);
    computeTimeBudget();
    response = TimeControl.Responsetime;
    reserve = TimeControl.reserveTime;
    EvalContext.searchDepth = 7;
    SearchState.rootScore = 50;
    resetIterationTimeState();
  }
  int response = 0;
  int reserve = 0;

  // "level MOVES MINUTES 0" and the clocks, then the budget for phase `phase`.
  void budgetFor(int moves, int minutes, int increment, int own, int opponent, int phase) {
    vostrel_test::setLevel(moves, minutes, increment, own, opponent);
    EvalState.gamePhase = static_cast<int8_t>(phase);
    computeTimeBudget();
  }
};

TEST_F(TimeBudgetTest, WholeGameSharesTheClockByPhase) {
  // 30000 / 28 = 1071, plus a sixth in the opening; equal clocks leave it as it is.
  budgetFor(0, 5, 0, 30000, 30000, 0);
  EXPECT_EQ(TimeControl.Responsetime, 1249);
  EXPECT_EQ(TimeControl.reserveTime, 4 * 1249);  // (30000 - 1249) / 2 is more than 4 R
  EXPECT_EQ(TimeControl.maxTime, 5 * 1249);
  budgetFor(0, 5, 0, 30000, 30000, 1);
  EXPECT_EQ(TimeControl.Responsetime, 1071);
  budgetFor(0, 5, 0, 30000, 30000, 3);
  EXPECT_EQ(TimeControl.Responsetime, 30000 / 22);
  budgetFor(0, 5, 0, 30000, 30000, 2);
  EXPECT_EQ(TimeControl.Responsetime, 30000 / 24);
  Board.typeCount[BLACK][QUEEN] = 0;  // without the opponent's queen the middlegame share is smaller
  budgetFor(0, 5, 0, 30000, 30000, 2);
  EXPECT_EQ(TimeControl.Responsetime, 30000 / 26);
  // The clocks loaded for the root side and the other one.
  EXPECT_EQ(TimeControl.TimeC[WHITE], 30000);
  EXPECT_EQ(Board.sideToMove, WHITE);
}

TEST_F(TimeBudgetTest, ShortClocksUseFixedSharesAndTheIncrement) {
  budgetFor(0, 5, 0, 4000, 4000, 0);
  EXPECT_EQ(TimeControl.Responsetime, 100);  // 4000 / 40
  budgetFor(0, 5, 12, 4000, 4000, 0);
  EXPECT_EQ(TimeControl.Responsetime, 1300);  // 100 + min(1200, 3900 / 2)
  // At or below 1300 there is no reserve: no extension is possible.
  budgetFor(0, 5, 0, 1200, 1200, 0);
  EXPECT_EQ(TimeControl.Responsetime, 1200 / 45);
  EXPECT_EQ(TimeControl.reserveTime, 0);
  EXPECT_EQ(TimeControl.maxTime, TimeControl.Responsetime);
  // A small budget on a comfortable clock gets a second more (9000 / 28 / ... below 400).
  budgetFor(0, 5, 0, 9000, 9000, 1);
  EXPECT_EQ(TimeControl.Responsetime, 9000 / 28 + 100);
  // 1.6 s left against an opponent with almost nothing: of the lead bonus of 1.5 s only a tenth
  // of the clock is added.
  budgetFor(0, 5, 0, 160, 0, 0);
  EXPECT_EQ(TimeControl.Responsetime, 160 / 60 + 16);
  // With next to nothing left, a quarter of the clock is kept back.
  budgetFor(1, 5, 0, 20, 20, 0);
  EXPECT_EQ(TimeControl.Responsetime, 15);
}

TEST_F(TimeBudgetTest, PeriodSharesTheClockByMovesLeft) {
  budgetFor(40, 5, 0, 18000, 18000, 2);
  TimeControl.movesToGo[WHITE] = 12;
  computeTimeBudget();
  EXPECT_EQ(TimeControl.Responsetime, 1500);
  EvalState.gamePhase = 1;
  computeTimeBudget();
  EXPECT_EQ(TimeControl.Responsetime, 1650);
  EvalState.gamePhase = 0;
  computeTimeBudget();
  EXPECT_EQ(TimeControl.Responsetime, 1800);
  // The last move of a period gets half the clock, without the phase bonus.
  TimeControl.movesToGo[WHITE] = 1;
  computeTimeBudget();
  EXPECT_EQ(TimeControl.Responsetime, 9000);
  // Moves left below 1 count as 1.
  TimeControl.movesToGo[WHITE] = 0;
  computeTimeBudget();
  EXPECT_EQ(TimeControl.Responsetime, 9000);
  EXPECT_EQ(TimeControl.movesToGo[WHITE], 1);
}

TEST_F(TimeBudgetTest, OpponentsClockShiftsTheBudget) {
  // The opponent has twice our time: half the budget.
  budgetFor(0, 5, 0, 30000, 60000, 0);
  EXPECT_EQ(TimeControl.Responsetime, 1249 / 2);
  // 3O >= 4T on a long clock: a third less.
  budgetFor(0, 5, 0, 30000, 40000, 0);
  EXPECT_EQ(TimeControl.Responsetime, 1249 - 1249 / 3);
  // 4O >= 5T: a quarter less.
  budgetFor(0, 5, 0, 30000, 37500, 0);
  EXPECT_EQ(TimeControl.Responsetime, 1249 - 1249 / 4);
  // We lead by more than the budget and 10 seconds: one second more.
  budgetFor(0, 5, 0, 30000, 20000, 0);
  EXPECT_EQ(TimeControl.Responsetime, 1349);
  // Tiny budget, clear lead: +150, then +100 for the big lead.
  budgetFor(0, 5, 0, 4000, 1000, 0);
  EXPECT_EQ(TimeControl.Responsetime, 100 + 150 + 100);
  // A budget above 4000 with a lead: +100 twice.
  budgetFor(1, 5, 0, 30000, 1000, 0);
  EXPECT_EQ(TimeControl.Responsetime, 30000 - 10);  // one move per period: no comparison, the whole clock but 0.1 s
  budgetFor(40, 5, 0, 30000, 1000, 2);
  TimeControl.movesToGo[WHITE] = 2;
  computeTimeBudget();
  EXPECT_EQ(TimeControl.Responsetime, 15000 + 200);
  // The comparison is off in fritz mode.
  ProtocolState.fritzMode = 1;
  budgetFor(0, 5, 0, 30000, 60000, 0);
  EXPECT_EQ(TimeControl.Responsetime, 1249);
}

TEST_F(TimeBudgetTest, FixedTimeFixedDepthAnalysisAndPondering) {
  vostrel_test::setFixedTime(10);
  TimeControl.timeCmd = TimeControl.otimCmd = 0;
  computeTimeBudget();
  // The move must arrive within the 10 seconds: the search aims 0.1 s short of them.
  EXPECT_EQ(TimeControl.Responsetime, 990);
  EXPECT_EQ(TimeControl.reserveTime, 0);
  EXPECT_EQ(TimeControl.maxTime, 990);
  EXPECT_EQ(TimeControl.TimeC[BLACK], 1000);

  setFixedDepthControl(6);
  computeTimeBudget();
  EXPECT_EQ(TimeControl.Responsetime, 0);
  EXPECT_EQ(TimeControl.depthLimit, 8);
  EvalContext.searchDepth = 7;
  EXPECT_EQ(clockAllowsNextIteration(), 1);

  // Analysis searches until input arrives; the fixed time of "st" is back after "exit".
  ProtocolState.analyzing = 1;
  vostrel_test::setFixedTime(5);
  computeTimeBudget();
  EXPECT_EQ(TimeControl.Responsetime, ANALYSIS_RESPONSE_TIME);
  ProtocolState.analyzing = 0;
  computeTimeBudget();
  EXPECT_EQ(TimeControl.Responsetime, 490);

  // Pondering keeps the engine's own clock bookkeeping instead of the interface's report.
  vostrel_test::setLevel(0, 5, 0, 30000, 30000);
  TimeControl.TimeC[WHITE] = TimeControl.TimeC[BLACK] = 12000;
  SearchState.pondering = 1;
  computeTimeBudget();
  EXPECT_EQ(TimeControl.TimeC[WHITE], 12000);
  EXPECT_EQ(TimeControl.Responsetime, 12000 / 28 + 12000 / 28 / 6);
}

TEST_F(TimeBudgetTest, StopTestHonoursDepthInputAndClock) {
  vostrel_test::setFixedTime(10);
  computeTimeBudget();
  TimeControl.elapsed = 989;
  EvalContext.searchDepth = 3;
  SearchState.inputPending = 1;
  EXPECT_EQ(timeIsUp(), 0);  // input and the budget wait for depth 4
  EvalContext.searchDepth = 4;
  TimeControl.elapsed = 990;
  EXPECT_EQ(timeIsUp(), 1);
  EXPECT_EQ(SearchState.inputPending, 0);
  EXPECT_EQ(SearchState.stopSearch, 1);

  SearchState.stopSearch = 0;
  TimeControl.elapsed = 989;
  EvalContext.searchDepth = 6;
  EXPECT_EQ(timeIsUp(), 0);
  TimeControl.elapsed = 990;
  EXPECT_EQ(timeIsUp(), 1);

  // With a reserve, up to depth 5 and after a fail low the search runs on to maxTime.
  SearchState.stopSearch = 0;
  vostrel_test::setLevel(0, 5, 0, 30000, 30000);
  computeTimeBudget();
  TimeControl.elapsed = TimeControl.Responsetime;
  EvalContext.searchDepth = 5;
  EXPECT_EQ(timeIsUp(), 0);
  EvalContext.searchDepth = 6;
  TimeControl.failLowActive = 1;
  EXPECT_EQ(timeIsUp(), 0);
  TimeControl.elapsed = TimeControl.maxTime;
  EXPECT_EQ(timeIsUp(), 1);
  // Pondering never stops on the clock.
  SearchState.stopSearch = 0;
  SearchState.pondering = 1;
  EXPECT_EQ(timeIsUp(), 0);
}

TEST_F(TimeBudgetTest, SpentClockStopsEvenTheFirstIterations) {
  // One second for the game: the budget is a centisecond and there is no reserve. A move that
  // waited for depth 4 would come after the flag in a slow build.
  vostrel_test::setLevel(0, 0, 0, 100, 100);
  computeTimeBudget();
  ASSERT_EQ(TimeControl.maxTime, TimeControl.Responsetime);
  TimeControl.elapsed = TimeControl.maxTime;
  EvalContext.searchDepth = 1;  // the pre-search has no move to play yet
  EXPECT_EQ(timeIsUp(), 0);
  EvalContext.searchDepth = 2;
  EXPECT_EQ(timeIsUp(), 1);
  EXPECT_EQ(SearchState.stopSearch, 1);

  // Below depth 4 the reserve is spent too before the clock stops the search.
  SearchState.stopSearch = 0;
  vostrel_test::setLevel(0, 5, 0, 30000, 30000);
  computeTimeBudget();
  ASSERT_GT(TimeControl.maxTime, TimeControl.Responsetime);
  EvalContext.searchDepth = 3;
  TimeControl.elapsed = TimeControl.maxTime - 1;
  EXPECT_EQ(timeIsUp(), 0);
  TimeControl.elapsed = TimeControl.maxTime;
  EXPECT_EQ(timeIsUp(), 1);

  // Pondering and analysis never stop on the clock, and a fixed depth has none.
  for (int mode = 0; mode < 3; ++mode) {
    SearchState.stopSearch = 0;
    SearchState.pondering = mode == 0;
    ProtocolState.analyzing = mode == 1;
    if (mode == 2) setFixedDepthControl(3);
    EXPECT_EQ(timeIsUp(), 0) << "mode " << mode;
  }
}

TEST_F(TimeBudgetTest, LeadBonusIsATenthOfAShortClockAtMost) {
  // 196 cs against 83: the fixed bonus of a second would have made a budget of 103 cs.
  budgetFor(0, 0, 0, 196, 83, 0);
  EXPECT_EQ(TimeControl.Responsetime, 196 / 60 + 196 / 10);
  // Without a lead there is no bonus: a sixtieth of the clock.
  budgetFor(0, 0, 0, 196, 196, 0);
  EXPECT_EQ(TimeControl.Responsetime, 196 / 60);
  // A clock below zero (an interface that does not call flags) gets no bonus at all.
  budgetFor(0, 0, 0, -20, -300, 0);
  EXPECT_EQ(TimeControl.Responsetime, 0);
  // Where the bonus is at most a tenth of the clock it is added whole, however large the budget:
  // 8 moves left of a period with 200 s.
  budgetFor(40, 0, 0, 20000, 10000, 2);
  TimeControl.movesToGo[WHITE] = 8;
  computeTimeBudget();
  EXPECT_EQ(TimeControl.Responsetime, 20000 / 8 + 100);
}

TEST_F(TimeBudgetTest, IterationsStopAtEightyPercent) {
  vostrel_test::setLevel(0, 5, 0, 30000, 30000);
  computeTimeBudget();
  EvalContext.searchDepth = 4;
  TimeControl.elapsed = static_cast<int32_t>(TimeControl.Responsetime * 8 / 10) - 1;
  EXPECT_EQ(clockAllowsNextIteration(), 1);
  TimeControl.elapsed += 1;
  EXPECT_EQ(clockAllowsNextIteration(), 0);
  EvalContext.searchDepth = 3;  // the first iterations ignore the clock
  EXPECT_EQ(clockAllowsNextIteration(), 1);
  vostrel_test::setFixedTime(10);  // "st" has no 80 % rule
  computeTimeBudget();
  EvalContext.searchDepth = 6;
  TimeControl.elapsed = 999;
  EXPECT_EQ(clockAllowsNextIteration(), 1);
}

TEST_F(TimeBudgetTest, ScoreDropAndRecoveryGrantReserveOnce) {
  startLateIteration();
  // A drop of more than 30 late in the budget: reserve / 8 until root move 4.
  TimeControl.elapsed = response * 8 / 10;
  applyRootMoveTimeRules(0, 10, E4, 1);
  EXPECT_EQ(TimeControl.Responsetime, response + reserve / 8);
  EXPECT_EQ(TimeControl.extensionCounter, 4);
  // Later root moves keep the grant; the move at the expiry index ends the extension without
  // handing back time granted at an earlier move.
  applyRootMoveTimeRules(1, -500, E4, 1);
  EXPECT_EQ(TimeControl.extensionCounter, 4);
  applyRootMoveTimeRules(4, -500, E4, 1);
  EXPECT_EQ(TimeControl.extensionCounter, 0);
  EXPECT_EQ(TimeControl.Responsetime, response + reserve / 8);
  // At most one grant per think.
  resetIterationTimeState();
  applyRootMoveTimeRules(0, -100, E4, 1);
  EXPECT_EQ(TimeControl.extensionCounter, 0);
  EXPECT_EQ(TimeControl.Responsetime, response + reserve / 8);
}

TEST_F(TimeBudgetTest, RecoveryAfterFailLowAndNewBestMove) {
  startLateIteration();
  noteRootFailLow();
  EXPECT_EQ(TimeControl.failLowActive, 1);
  // A move far below the old score changes nothing.
  TimeControl.elapsed = response * 7 / 10;
  applyRootMoveTimeRules(2, -200, E4, 1);
  EXPECT_EQ(TimeControl.failLowActive, 1);
  // A later move that nearly recovers ends the fail low and buys reserve / 8 until the next move.
  applyRootMoveTimeRules(3, 40, E4, 1);
  EXPECT_EQ(TimeControl.failLowActive, 0);
  EXPECT_EQ(TimeControl.extensionCounter, 4);
  EXPECT_EQ(TimeControl.Responsetime, response + reserve / 8);
  // A new best move lets the extension expire at the next check.
  noteNewBestRootMove();
  EXPECT_EQ(TimeControl.extensionCounter, 1);
  TimeControl.elapsed = TimeControl.Responsetime;
  applyRootMoveTimeRules(4, 0, E4, 1);
  EXPECT_EQ(TimeControl.extensionCounter, 0);
  EXPECT_EQ(SearchState.stopSearch, 1);

  // No fail low in clear positions or in early iterations.
  SearchState.stopSearch = 0;
  resetIterationTimeState();
  SearchState.rootScore = 600;
  noteRootFailLow();
  EXPECT_EQ(TimeControl.failLowActive, 0);
  SearchState.rootScore = 50;
  EvalContext.searchDepth = 5;
  noteRootFailLow();
  EXPECT_EQ(TimeControl.failLowActive, 0);
}

TEST_F(TimeBudgetTest, EasyRecaptureStopsEarly) {
  // Black has just taken a pawn on e3; White's first root move takes back there.
  ASSERT_TRUE(vostrel_test::startThinkPosition("4k3/8/8/8/3p4/4P3/2N5/3K4 w - - 0 1"));
  ASSERT_TRUE(vostrel_test::playGameMoves({"d1e1", "d4e3"}));
  vostrel_test::setLevel(0, 5, 0, 30000, 30000);
  EvalContext.rootSide = WHITE;
  EvalState.gamePhase = 3;
  computeTimeBudget();
  EvalContext.searchDepth = 5;
  SearchState.bestMoveStable = 1;
  SearchState.nodeFlags[1] = 0;
  resetIterationTimeState();
  // A pawn that is the only piece able to take back: stop at 30 % of the budget.
  TimeControl.elapsed = TimeControl.Responsetime * 30 / 100 - 1;
  applyRootMoveTimeRules(0, 0, E3, 1);
  EXPECT_EQ(SearchState.stopSearch, 0);
  TimeControl.elapsed += 1;
  applyRootMoveTimeRules(0, 0, E3, 1);
  EXPECT_EQ(SearchState.stopSearch, 1);
  // Two ways to take back: 50 %.
  SearchState.stopSearch = 0;
  TimeControl.elapsed = TimeControl.Responsetime * 30 / 100;
  applyRootMoveTimeRules(0, 0, E3, 2);
  EXPECT_EQ(SearchState.stopSearch, 0);
  // Another square is no recapture.
  TimeControl.elapsed = TimeControl.Responsetime;
  applyRootMoveTimeRules(0, 0, E4, 1);
  EXPECT_EQ(SearchState.stopSearch, 0);
}

TEST_F(TimeBudgetTest, ClockUpdateAfterTheMove) {
  vostrel_test::setLevel(40, 5, 0, 30000, 30000);
  computeTimeBudget();
  TimeControl.movesToGo[WHITE] = 2;
  TimeControl.elapsed = 700;
  updateClockAfterMove();
  EXPECT_EQ(TimeControl.TimeC[WHITE], 29300);
  EXPECT_EQ(TimeControl.movesToGo[WHITE], 1);
  EXPECT_EQ(TimeControl.elapsed, 0);
  // The last move of the period starts a new one for both sides.
  TimeControl.elapsed = 100;
  updateClockAfterMove();
  EXPECT_EQ(TimeControl.movesToGo[WHITE], 40);
  EXPECT_EQ(TimeControl.movesToGo[BLACK], 40);
  EXPECT_EQ(TimeControl.TimeC[BLACK], 30000);
  // The whole-game control ends its "period" with empty clocks; the next think reloads them.
  vostrel_test::setLevel(0, 5, 0, 30000, 30000);
  TimeControl.movesToGo[WHITE] = 1;
  updateClockAfterMove();
  EXPECT_EQ(TimeControl.TimeC[WHITE], 0);
  EXPECT_EQ(TimeControl.movesToGo[BLACK], 0);
  // No clock, no bookkeeping.
  setFixedDepthControl(3);
  TimeControl.elapsed = 50;
  updateClockAfterMove();
  EXPECT_EQ(TimeControl.elapsed, 50);
}

}  // namespace
