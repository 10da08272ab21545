// Time management: the budget of one think, the stop test of the search, the extensions granted
// at root moves and the clock update after the engine's move. Every product and comparison of
// times is done in 64 bits so that long clocks and long analyses cannot wrap.
#include "game/timecontrol.h"

#include <algorithm>
#include <cstdint>

#include "board/board.h"
#include "board/makemove.h"
#include "config/logfile.h"
#include "eval/evalstate.h"
#include "game/protocolstate.h"
#include "platform/clock.h"
#include "search/searchstate.h"

TimeControlData TimeControl;

namespace {

// ---- Whole-game budget (TIME_MODE_GAME): divisors of the remaining time by game phase ----
constexpr int64_t ENDGAME_SHORT_CLOCK = 6000;      // below this the endgame divisor is larger
constexpr int64_t ENDGAME_DIVISOR_SHORT = 26;
constexpr int64_t ENDGAME_DIVISOR = 22;
constexpr int64_t LATE_MIDDLEGAME_DIVISOR_QUEEN = 24;  // opponent still has a queen
constexpr int64_t LATE_MIDDLEGAME_DIVISOR = 26;
constexpr int64_t OPENING_DIVISOR = 28;
constexpr int64_t OPENING_BONUS_DIVISOR = 6;           // the opening adds a sixth of the budget
// Short clocks: fixed divisors that override the phase rule.
constexpr int64_t SHORT_CLOCK_1 = 4500, SHORT_DIVISOR_1 = 40;
constexpr int64_t SHORT_CLOCK_2 = 1500, SHORT_DIVISOR_2 = 45;
constexpr int64_t SHORT_CLOCK_3 = 1000, SHORT_DIVISOR_3 = 50;
constexpr int64_t SHORT_CLOCK_4 = 600, SHORT_DIVISOR_4 = 60;
// A small budget on a comfortable clock gets one second more.
constexpr int64_t SMALL_BUDGET = 400;
constexpr int64_t COMFORTABLE_CLOCK = 8000;
constexpr int64_t SMALL_BUDGET_BONUS = 100;

// ---- Moves-per-period budget (TIME_MODE_PERIOD) ----
constexpr int64_t LAST_MOVE_DIVISOR = 2;           // the last move of a period gets half the clock
constexpr int64_t PERIOD_MIDDLEGAME_BONUS_DIVISOR = 10;  // the early middlegame adds a tenth of the budget
constexpr int64_t PERIOD_OPENING_BONUS_DIVISOR = 5;      // the opening adds a fifth of the budget

// ---- Comparison with the opponent's clock (whole game and moves per period) ----
constexpr int64_t LARGE_BUDGET = 4000;             // the two branches split here
constexpr int64_t TINY_BUDGET = 300, TINY_LEAD = 150, TINY_BONUS = 150;
constexpr int64_t SMALL_LEAD_BUDGET = 450, SMALL_LEAD = 100, SMALL_LEAD_BONUS = 100;
constexpr int64_t BIG_LEAD = 1000, BIG_LEAD_BONUS = 100;
constexpr int64_t LEAD_BONUS = 100;
constexpr int64_t SHORT_OWN_CLOCK = 1500;          // below this the cuts are harsher
constexpr int64_t MIN_BUDGET_TO_CUT_SMALL = 1;     // small branch: cut only a budget above 1
constexpr int64_t MIN_BUDGET_TO_CUT_LARGE = 100;   // large branch: cut only a budget above 100
// The lead bonuses are fixed amounts made for clocks of minutes. On a clock of seconds they would
// spend most of what is left on one move (196 cs against 83: a budget of 103 cs), so a bonus is
// at most a tenth of the engine's clock.
constexpr int64_t LEAD_BONUS_CLOCK_SHARE = 10;

// ---- Reserve ----
constexpr int64_t NO_RESERVE_CLOCK = 1300;         // at or below this there is no reserve
constexpr int64_t RESERVE_BUDGET_FACTOR = 4;       // reserve at most 4 budgets

// ---- Safety margin on the engine's clock ----
// The interface's clock runs from the moment it sends the move until our answer arrives: the poll
// interval, the last steps of the think and the pipe all come on top of the budget. A budget equal
// to the clock ("st", one move per period) would lose on time.
constexpr int64_t CLOCK_SAFETY_MARGIN = 10;        // centiseconds kept back from the clock
constexpr int64_t CLOCK_SAFETY_SHARE = 4;          // but never more than a quarter of it

// ---- Fixed depth ----
constexpr int DEPTH_LIMIT_OFFSET = 2;              // "sd N" completes iteration N + 2

// ---- Search and iteration limits ----
constexpr int FIRST_DEPTH_WITH_STOPS = 4;          // input and the budget stop only from here
// Below that depth only a spent clock stops the search: the budget and its reserve both used up.
// Depth 3 is usually over long before; on a clock of a few seconds, or in a slow build, the move
// would otherwise arrive after the flag. Iteration 1, the pre-search, has already ordered the
// root moves, so from iteration 2 on there is always a move to play.
constexpr int FIRST_DEPTH_WITH_CLOCK_STOP = 2;
constexpr int LAST_DEPTH_RUNNING_TO_MAX = 5;       // up to here the search may run to maxTime
constexpr int64_t ITERATION_SHARE_NUM = 8, ITERATION_SHARE_DEN = 10;   // 80 % rule
constexpr int64_t RECOVERY_SHARE_NUM = 7, RECOVERY_SHARE_DEN = 10;     // 70 % rule

// ---- Fail low at the first root move ----
constexpr int FAIL_LOW_MIN_DEPTH = 6;              // searchDepth > 5
constexpr int FAIL_LOW_SCORE_LOW = -250;           // only for roughly balanced positions
constexpr int FAIL_LOW_SCORE_HIGH = 500;

// ---- Easy recapture ----
constexpr int RECAPTURE_K_QUEEN = -10, RECAPTURE_K_QUEEN_SHARED = 10;
constexpr int RECAPTURE_K_PAWN = 0, RECAPTURE_K_PAWN_SHARED = 20;
constexpr int RECAPTURE_K_PIECE = -5, RECAPTURE_K_PIECE_SHARED = 15;
constexpr int RECAPTURE_BASE_PERCENT = 30;
constexpr int64_t RECAPTURE_MAX_ELAPSED = 18000;
constexpr int RECAPTURE_IN_CHECK_FACTOR = 2;
constexpr int MIN_GAME_COUNT_FOR_RECAPTURE = 2;

// ---- Extensions at root moves ----
constexpr int DROP_SLACK = 5;                      // up to 5 above the previous best counts as a drop
constexpr int DROP_LARGE = 30, DROP_MEDIUM = 15;
constexpr int DROP_EXPIRY_LARGE = 4, DROP_EXPIRY_MEDIUM = 3, DROP_EXPIRY_SMALL = 2, DROP_EXPIRY_NONE = 1;
constexpr int SMALL_GRANT_DIVISOR = 8;             // reserve / 8
constexpr int LARGE_GRANT_DIVISOR = 5;             // reserve / 5
constexpr int RECOVERED_MARGIN = 25;               // less than 25 below the previous best: recovered
constexpr int RECOVERED_WINNING = 100, RECOVERED_WINNING_GAP = 50;
constexpr int PARTIAL_RECOVERY_MARGIN = 60;
constexpr int WINNING_RECOVERY_MARGIN = 150;
constexpr int FIRST_MOVE_EXPIRY = 2;               // a recovery at the first root move extends until root move 2
constexpr int FIRST_MOVE_LONG_EXPIRY = 6;

constexpr int64_t PERCENT = 100;

bool usesClockRules() {
  const int mode = TimeControl.timeMode;
  return mode == TIME_MODE_GAME || mode == TIME_MODE_ONE_MOVE || mode == TIME_MODE_PERIOD;
}

int64_t elapsedNow() { return TimeControl.elapsed; }

int64_t shareOfResponse(int64_t numerator, int64_t denominator) {
  return static_cast<int64_t>(TimeControl.Responsetime) * numerator / denominator;
}

int64_t periodBaseTime() {
  return (static_cast<int64_t>(TimeControl.baseMinutes) * SECONDS_PER_MINUTE + TimeControl.baseSeconds) *
         CENTISECONDS_PER_SECOND;
}

int32_t toClock(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

// Whole game: a share of the remaining time by game phase, fixed shares on a short clock.
int64_t wholeGameBudget(int64_t t, int phase, int opponent) {
  int64_t r;
  if (phase == PHASE_ENDGAME) {
    r = t < ENDGAME_SHORT_CLOCK ? t / ENDGAME_DIVISOR_SHORT : t / ENDGAME_DIVISOR;
  } else if (phase == PHASE_LATE_MIDDLEGAME) {
    const bool opponentQueen = Board.typeCount[opponent][QUEEN] > 0;
    r = t >= ENDGAME_SHORT_CLOCK && opponentQueen ? t / LATE_MIDDLEGAME_DIVISOR_QUEEN : t / LATE_MIDDLEGAME_DIVISOR;
  } else {
    r = t / OPENING_DIVISOR;
    if (phase == PHASE_OPENING) r += r / OPENING_BONUS_DIVISOR;
  }
  if (t <= SHORT_CLOCK_1) {
    r = t / SHORT_DIVISOR_1;
    if (t <= SHORT_CLOCK_2) r = t / SHORT_DIVISOR_2;
    if (t <= SHORT_CLOCK_3) r = t / SHORT_DIVISOR_3;
    if (t <= SHORT_CLOCK_4) r = t / SHORT_DIVISOR_4;
    const int64_t increment = static_cast<int64_t>(TimeControl.Bedienerzeit) * CENTISECONDS_PER_SECOND;
    if (increment != 0) r += std::min(increment, (t - r) / 2);
  }
  if (r < SMALL_BUDGET && t > COMFORTABLE_CLOCK) r += SMALL_BUDGET_BONUS;
  return r;
}

void logWholeGameBudget(int64_t t, int64_t o, int64_t r) {
  logPrintf("TimeC_Seite: %ld\n", static_cast<long>(t));
  logPrintf("TimeC_GegenSeite: %ld\n", static_cast<long>(o));
  logPrintf("Responsetime: %ld\n", static_cast<long>(r));
  logPrintf("Bedienerzeit: %ld\n", static_cast<long>(static_cast<int64_t>(TimeControl.Bedienerzeit) * CENTISECONDS_PER_SECOND));
  logPrintf("ComputerUhr: %ld\n", static_cast<long>(TimeControl.ComputerUhr));
  logPrintf("GegnerUhr: %ld\n", static_cast<long>(TimeControl.GegnerUhr));
}

// Moves per period: the remaining time shared by the moves left, more in the opening.
int64_t periodBudget(int64_t t, int phase, int movesLeft) {
  if (movesLeft == 1) return t / LAST_MOVE_DIVISOR;
  int64_t r = t / movesLeft;
  if (phase == PHASE_EARLY_MIDDLEGAME) r += r / PERIOD_MIDDLEGAME_BONUS_DIVISOR;
  if (phase == PHASE_OPENING) r += r / PERIOD_OPENING_BONUS_DIVISOR;
  return r;
}

// Time modes 1 and 5: a little more when we lead on the clock, less when the opponent has far
// more time left. The branch is chosen once, on the budget at entry.
int64_t compareWithOpponentClock(int64_t r, int64_t t, int64_t o) {
  if (r <= LARGE_BUDGET) {
    const int64_t withoutBonus = r;
    if (r < TINY_BUDGET && o < t - r - TINY_LEAD) {
      r += TINY_BONUS;
    } else if (r < SMALL_LEAD_BUDGET && o < t - r - SMALL_LEAD) {
      r += SMALL_LEAD_BONUS;
    }
    if (o < t - r - BIG_LEAD) r += BIG_LEAD_BONUS;
    const int64_t bonusLimit = std::max<int64_t>(t / LEAD_BONUS_CLOCK_SHARE, 0);
    r = withoutBonus + std::min(r - withoutBonus, bonusLimit);
    if (r > MIN_BUDGET_TO_CUT_SMALL) {
      if (o >= 2 * t) {
        r = r / 2;
      } else if (3 * o >= 4 * t) {
        r = t >= SHORT_OWN_CLOCK ? r - r / 3 : r / 2;
      } else if (4 * o >= 5 * t) {
        r = t >= SHORT_OWN_CLOCK ? r - r / 4 : r - r / 3;
      }
    }
    return r;
  }
  if (o < t - r) {
    r += LEAD_BONUS;
    if (o < t - r - BIG_LEAD) r += LEAD_BONUS;
  }
  if (r > MIN_BUDGET_TO_CUT_LARGE) {
    if (o >= 2 * t) {
      r = r / 2;
    } else if (3 * o >= 4 * t) {
      r = r - r / 3;
    }
  }
  return r;
}

// Moves part of the reserve into the budget of this move.
void grantReserve(int divisor) {
  TimeControlData& tc = TimeControl;
  tc.extraTime = tc.reserveTime / divisor;
  tc.Responsetime += tc.extraTime;
  tc.reserveTime -= tc.extraTime;
  tc.timeExtended = 1;
}

// Easy recapture: the opponent just captured on the square the first root move goes to. An en
// passant capture counts too: its record holds the pawn taken, and its to-square is where the
// capturing pawn now stands.
void stopOnEasyRecapture(int toSquare, int targetsOnSquare) {
  const GameRecord& last = GameHistory[Board.gameCount];
  const bool capturedOurs = last.capturedPiece != NONE && last.capturedColor == EvalContext.rootSide;
  if (!capturedOurs || moveCodeTo(last.moveCode) != toSquare) return;
  const bool shared = targetsOnSquare >= 2;
  int k;
  switch (Board.pieceAt[toSquare]) {
    case QUEEN: k = shared ? RECAPTURE_K_QUEEN_SHARED : RECAPTURE_K_QUEEN; break;
    case PAWN: k = shared ? RECAPTURE_K_PAWN_SHARED : RECAPTURE_K_PAWN; break;
    default: k = shared ? RECAPTURE_K_PIECE_SHARED : RECAPTURE_K_PIECE; break;
  }
  const int factor = (SearchState.nodeFlags[1] & NODE_IN_CHECK) ? RECAPTURE_IN_CHECK_FACTOR : 1;
  const bool spentEnough =
      (k + RECAPTURE_BASE_PERCENT) * static_cast<int64_t>(TimeControl.Responsetime) / PERCENT <= factor * elapsedNow() ||
      elapsedNow() > RECAPTURE_MAX_ELAPSED;
  if (spentEnough && !SearchState.pondering && EvalContext.searchDepth >= FIRST_DEPTH_WITH_STOPS) {
    stopSearchNow();
  }
}

// The first root move scores below the last iteration's best: more time when most is spent.
void extendOnScoreDrop(int score, int previous) {
  TimeControlData& tc = TimeControl;
  if (score > previous + DROP_SLACK || tc.timeExtended) return;
  if (elapsedNow() < shareOfResponse(ITERATION_SHARE_NUM, ITERATION_SHARE_DEN)) return;
  if (score < previous - DROP_LARGE) {
    tc.extensionCounter = DROP_EXPIRY_LARGE;
  } else if (score < previous - DROP_MEDIUM) {
    tc.extensionCounter = DROP_EXPIRY_MEDIUM;
  } else if (score < previous) {
    tc.extensionCounter = DROP_EXPIRY_SMALL;
  } else {
    tc.extensionCounter = DROP_EXPIRY_NONE;
  }
  grantReserve(SMALL_GRANT_DIVISOR);
}

// After a fail low: a root move that recovers most of the score ends the fail-low state, and
// late in the budget buys time to confirm it.
void extendOnRecovery(int moveIndex, int score, int previous) {
  TimeControlData& tc = TimeControl;
  const int expiry = moveIndex == 0 ? FIRST_MOVE_EXPIRY : moveIndex + 1;
  const bool late = elapsedNow() >= shareOfResponse(RECOVERY_SHARE_NUM, RECOVERY_SHARE_DEN) && !tc.timeExtended;
  if (score > previous - RECOVERED_MARGIN || (score > RECOVERED_WINNING && previous - score < RECOVERED_WINNING_GAP)) {
    tc.failLowActive = 0;
    if (late) {
      tc.extensionCounter = static_cast<int16_t>(expiry);
      grantReserve(SMALL_GRANT_DIVISOR);
    }
  } else if (score > previous - PARTIAL_RECOVERY_MARGIN) {
    tc.failLowActive = 0;
    if (late && score <= 0) {
      tc.extensionCounter = static_cast<int16_t>(moveIndex == 0 ? FIRST_MOVE_LONG_EXPIRY : moveIndex + 1);
      grantReserve(LARGE_GRANT_DIVISOR);
    }
  } else if (score > previous - WINNING_RECOVERY_MARGIN && score > RECOVERED_WINNING) {
    tc.failLowActive = 0;
    if (late) {
      tc.extensionCounter = static_cast<int16_t>(expiry);
      grantReserve(LARGE_GRANT_DIVISOR);
    }
  }
}

// A running extension ends at its move index or when its time is used; only time granted at
// this same move goes back to the reserve.
void expireExtension(int moveIndex) {
  TimeControlData& tc = TimeControl;
  if (tc.extensionCounter == 0) return;
  if (moveIndex < tc.extensionCounter && elapsedNow() < tc.Responsetime) return;
  tc.extensionCounter = 0;
  tc.reserveTime += tc.extraTime;
  tc.Responsetime -= tc.extraTime;
  tc.extraTime = 0;
  if (!SearchState.pondering && EvalContext.searchDepth >= FIRST_DEPTH_WITH_STOPS &&
      elapsedNow() >= tc.Responsetime) {
    stopSearchNow();
  }
}

}  // namespace

void setFixedDepthControl(int64_t depth) {
  TimeControlData& tc = TimeControl;
  tc.depthLimit = static_cast<int8_t>(static_cast<uint8_t>(depth + DEPTH_LIMIT_OFFSET));
  tc.timeMode = TIME_MODE_FIXED_DEPTH;
  tc.clockRunning = 0;
  tc.movesPerPeriod = 1;
  tc.movesToGo[0] = tc.movesToGo[1] = 0;
  tc.TimeC[0] = tc.TimeC[1] = 0;
  tc.elapsed = 0;
  tc.Bedienerzeit = 0;
}

void startThinkClock() {
  TimeControl.startTime = static_cast<int32_t>(tickCount() / MILLISECONDS_PER_CENTISECOND);
  TimeControl.elapsed = 0;
}

void computeTimeBudget() {
  TimeControlData& tc = TimeControl;
  // Step 1. Analysis: search until input arrives. The clock setting is left as it is, so that
  // the engine's own moves after "exit" are timed again.
  if (ProtocolState.analyzing) {
    tc.Responsetime = ANALYSIS_RESPONSE_TIME;
    return;
  }
  // Step 2. The clocks the interface reported count, unless this think ponders.
  tc.Responsetime = 0;
  const int side = EvalContext.rootSide;
  const int opponent = side ^ 1;
  if (!SearchState.pondering) {
    setSideToMove(side);
    tc.TimeC[side] = tc.timeCmd;
    tc.TimeC[opponent] = tc.otimCmd;
  }
  if (!tc.clockRunning) return;
  tc.reserveTime = 0;
  if (tc.movesToGo[side] < 1) tc.movesToGo[side] = 1;
  const int64_t t = tc.TimeC[side];
  const int64_t o = tc.TimeC[opponent];
  const int phase = EvalState.gamePhase;

  // Steps 3 to 6. The budget of the time mode (0 for a mode without a rule).
  int64_t r = 0;
  switch (tc.timeMode) {
    case TIME_MODE_GAME:
      r = wholeGameBudget(t, phase, opponent);
      logWholeGameBudget(t, o, r);
      break;
    case TIME_MODE_ONE_MOVE:
      r = t;
      break;
    case TIME_MODE_FIXED_TIME:
      tc.movesPerPeriod = 1;
      tc.TimeC[side] = tc.TimeC[opponent] = toClock(static_cast<int64_t>(tc.baseSeconds) * CENTISECONDS_PER_SECOND);
      r = tc.TimeC[side];
      break;
    case TIME_MODE_PERIOD:
      r = periodBudget(t, phase, tc.movesToGo[side]);
      break;
    default:
      break;
  }

  // Step 7. Comparison with the opponent's clock.
  if ((tc.timeMode == TIME_MODE_GAME || tc.timeMode == TIME_MODE_PERIOD) && !ProtocolState.fritzMode) {
    r = compareWithOpponentClock(r, t, o);
  }

  // Step 8. Reserve for extensions.
  if (t > NO_RESERVE_CLOCK && tc.timeMode != TIME_MODE_FIXED_TIME) {
    tc.reserveTime = toClock(std::min((t - r) / 2, RESERVE_BUDGET_FACTOR * r));
  }
  tc.maxTime = toClock(r + tc.reserveTime);
  tc.Responsetime = toClock(r);
  keepWithinClock();
  r = tc.Responsetime;

  // Step 9. Log.
  if (SearchState.pondering) {
    logPrintf("Pondering! Else Vostrel would use about %ld centiseconds to think about his next move.\n",
              static_cast<long>(r));
  } else {
    logPrintf("Vostrel will use about %ld centiseconds to think about his next move.\n", static_cast<long>(r));
  }
}

void keepWithinClock() {
  TimeControlData& tc = TimeControl;
  if (!tc.clockRunning || ProtocolState.analyzing) return;
  const int64_t clock = tc.TimeC[EvalContext.rootSide];
  const int64_t limit = std::max<int64_t>(clock - std::min(CLOCK_SAFETY_MARGIN, clock / CLOCK_SAFETY_SHARE), 0);
  if (tc.Responsetime > limit) tc.Responsetime = toClock(limit);
  const int64_t room = limit - tc.Responsetime;
  if (tc.reserveTime > room) tc.reserveTime = toClock(room);
  if (tc.maxTime > limit) tc.maxTime = toClock(limit);
}

int timeIsUp() {
  const SearchData& search = SearchState;
  const TimeControlData& tc = TimeControl;
  if (EvalContext.searchDepth < FIRST_DEPTH_WITH_STOPS) {
    const bool clockSpent = EvalContext.searchDepth >= FIRST_DEPTH_WITH_CLOCK_STOP && tc.clockRunning &&
                            !search.pondering && !ProtocolState.analyzing && tc.elapsed >= tc.Responsetime &&
                            tc.elapsed >= tc.maxTime;
    if (!clockSpent) return 0;
    stopSearchNow();
    return 1;
  }
  if (search.inputPending) {
    clearInputPending();
    stopSearchNow();
    return 1;
  }
  if (!tc.clockRunning || search.pondering || tc.elapsed < tc.Responsetime) return 0;
  const bool mayRunOn = tc.failLowActive || EvalContext.searchDepth <= LAST_DEPTH_RUNNING_TO_MAX;
  if (mayRunOn && tc.elapsed < tc.maxTime) return 0;
  stopSearchNow();
  return 1;
}

void noteRootFailLow() {
  const int previous = SearchState.rootScore;
  if (EvalContext.searchDepth >= FAIL_LOW_MIN_DEPTH && previous > FAIL_LOW_SCORE_LOW && previous < FAIL_LOW_SCORE_HIGH &&
      TimeControl.timeMode != TIME_MODE_FIXED_TIME) {
    TimeControl.failLowActive = 1;
    logPrintf("fail low!\n");
  }
}

void resetIterationTimeState() {
  TimeControl.failLowActive = 0;
  TimeControl.extensionCounter = 0;
  TimeControl.extraTime = 0;
}

void applyRootMoveTimeRules(int moveIndex, int score, int toSquare, int targetsOnSquare) {
  TimeControlData& tc = TimeControl;
  const int previous = SearchState.rootScore;
  // Step 1. Nothing granted at this move yet.
  tc.extraTime = 0;
  // Step 2. Easy recapture.
  if (moveIndex == 0 && !tc.failLowActive && usesClockRules() && SearchState.bestMoveStable &&
      Board.gameCount >= MIN_GAME_COUNT_FOR_RECAPTURE) {
    stopOnEasyRecapture(toSquare, targetsOnSquare);
  }
  // Step 3. Score drop at the first move.
  if (moveIndex == 0 && !tc.failLowActive && usesClockRules()) extendOnScoreDrop(score, previous);
  // Without a clock (a fixed depth) there is no time to grant or to run out: the iterations
  // must reach their depth.
  if (!tc.clockRunning) return;
  // Step 4. Recovery after a fail low.
  if (tc.failLowActive) extendOnRecovery(moveIndex, score, previous);
  // Step 5. Expiry of a running extension.
  expireExtension(moveIndex);
}

void noteNewBestRootMove() {
  if (TimeControl.extensionCounter != 0) TimeControl.extensionCounter = 1;
}

int clockAllowsNextIteration() {
  const TimeControlData& tc = TimeControl;
  const bool clockApplies = !SearchState.pondering && tc.clockRunning &&
                            EvalContext.searchDepth >= FIRST_DEPTH_WITH_STOPS &&
                            tc.timeMode != TIME_MODE_FIXED_TIME;
  if (!clockApplies) return 1;
  return elapsedNow() < shareOfResponse(ITERATION_SHARE_NUM, ITERATION_SHARE_DEN) ? 1 : 0;
}

void updateClockAfterMove() {
  TimeControlData& tc = TimeControl;
  if (!tc.clockRunning) return;
  const int side = EvalContext.rootSide;
  tc.TimeC[side] = toClock(static_cast<int64_t>(tc.TimeC[side]) - tc.elapsed);
  tc.movesToGo[side] -= 1;
  if (tc.movesToGo[side] == 0) {
    if (tc.timeMode == TIME_MODE_GAME) {
      tc.movesToGo[0] = tc.movesToGo[1] = 0;
      tc.TimeC[0] = tc.TimeC[1] = 0;
    } else {
      tc.movesToGo[0] = tc.movesToGo[1] = tc.movesPerPeriod;
      tc.TimeC[0] = tc.TimeC[1] = toClock(periodBaseTime());
    }
  }
  tc.elapsed = 0;
}

int32_t refreshElapsed() {
  const int64_t now = tickCount() / MILLISECONDS_PER_CENTISECOND;
  const int64_t elapsed = now - TimeControl.startTime;
  TimeControl.elapsed = elapsed < 0 ? 0 : static_cast<int32_t>(elapsed);
  return TimeControl.elapsed;
}

void returnMoveToGo(int side) {
  if (TimeControl.clockRunning && TimeControl.movesPerPeriod > 1) TimeControl.movesToGo[side] += 1;
}

void zeroDebugClocks() {
  TimeControl.GegnerUhr = 0;
  TimeControl.ComputerUhr = 0;
}

void setStartupTimeControl() {
  TimeControl.depthLimit = MAX_DEPTH_LIMIT;
  TimeControl.clockRunning = 0;
  TimeControl.Bedienerzeit = 0;
  TimeControl.baseSeconds = 0;
  TimeControl.baseMinutes = 0;
  TimeControl.movesPerPeriod = 1;
}

void startGameClock() {
  if (TimeControl.depthLimit == 0) TimeControl.depthLimit = MAX_DEPTH_LIMIT;
  TimeControl.elapsed = 0;
  TimeControl.startTime = static_cast<int32_t>(calendarSeconds());
}

namespace {

constexpr int16_t GAME_IN_MOVES = 50;  // the period length a whole-game control counts with

int32_t truncateTo32(int64_t value) { return static_cast<int32_t>(static_cast<uint32_t>(value)); }

}  // namespace

void setLevel(int16_t moves, int32_t minutes, int32_t seconds, int32_t increment) {
  TimeControl.baseSeconds = seconds;
  TimeControl.Bedienerzeit = increment;
  TimeControl.baseMinutes = minutes;
  if (moves == 0) {
    TimeControl.movesPerPeriod = GAME_IN_MOVES;
    TimeControl.timeMode = TIME_MODE_GAME;
  } else if (moves == 1) {
    TimeControl.movesPerPeriod = 1;
    TimeControl.timeMode = TIME_MODE_ONE_MOVE;
  } else if (moves >= 2) {
    TimeControl.movesPerPeriod = moves;
    TimeControl.timeMode = TIME_MODE_PERIOD;
  }
  startTimeControl();
}

void startTimeControl() {
  if (TimeControl.timeMode == TIME_MODE_FIXED_DEPTH) {
    TimeControl.clockRunning = 0;
    TimeControl.movesToGo[WHITE] = TimeControl.movesToGo[BLACK] = 0;
    TimeControl.TimeC[WHITE] = TimeControl.TimeC[BLACK] = 0;
    TimeControl.timeCmd = TimeControl.otimCmd = 0;
    return;
  }
  TimeControl.clockRunning = 1;
  TimeControl.movesToGo[WHITE] = TimeControl.movesToGo[BLACK] = TimeControl.movesPerPeriod;
  const int64_t seconds =
      static_cast<int64_t>(TimeControl.baseMinutes) * SECONDS_PER_MINUTE + TimeControl.baseSeconds;
  const int32_t budget = truncateTo32(seconds * CENTISECONDS_PER_SECOND);
  TimeControl.TimeC[WHITE] = TimeControl.TimeC[BLACK] = budget;
  TimeControl.timeCmd = TimeControl.otimCmd = budget;
}

void setFixedTimeControl(int32_t clock) {
  TimeControl.timeMode = TIME_MODE_FIXED_TIME;
  TimeControl.movesPerPeriod = 1;
  TimeControl.clockRunning = 1;
  TimeControl.movesToGo[WHITE] = TimeControl.movesToGo[BLACK] = 0;
  TimeControl.TimeC[WHITE] = TimeControl.TimeC[BLACK] = clock;
  TimeControl.elapsed = 0;
}

void setFixedTimePerMove(int32_t seconds) {
  setFixedTimeControl(truncateTo32(seconds * CENTISECONDS_PER_SECOND));
  keepSecondsPerMove(seconds);
}

void keepSecondsPerMove(int32_t seconds) {
  TimeControl.baseSeconds = seconds;
  TimeControl.Bedienerzeit = 0;
}

void setReportedClock(bool own, int32_t centiseconds) {
  if (own)
    TimeControl.timeCmd = centiseconds;
  else
    TimeControl.otimCmd = centiseconds;
}

void markClockRunning() { TimeControl.clockRunning = 1; }

void setResponseTime(int32_t centiseconds) { TimeControl.Responsetime = centiseconds; }

void setClocksForSearch(int side, int64_t movesToGo, int32_t own, int32_t other, int32_t increment) {
  TimeControlData& tc = TimeControl;
  if (movesToGo > 0) {
    tc.timeMode = TIME_MODE_PERIOD;
    tc.movesPerPeriod = static_cast<int16_t>(movesToGo);
  } else {
    tc.timeMode = TIME_MODE_GAME;
    tc.movesPerPeriod = GAME_IN_MOVES;
  }
  tc.movesToGo[WHITE] = tc.movesToGo[BLACK] = tc.movesPerPeriod;
  tc.Bedienerzeit = increment;
  tc.baseMinutes = 0;
  tc.baseSeconds = static_cast<int32_t>(own / CENTISECONDS_PER_SECOND);
  tc.clockRunning = 1;
  tc.timeCmd = own;
  tc.otimCmd = other;
  tc.TimeC[side] = own;
  tc.TimeC[side ^ 1] = other;
}

void clearDepthLimit() { TimeControl.depthLimit = MAX_DEPTH_LIMIT; }

void resetThinkTimeState() {
  resetIterationTimeState();
  TimeControl.timeExtended = 0;
}
