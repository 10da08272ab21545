// The time control: settings from the protocol, the clocks, and the per-think budget.
// All times in centiseconds unless named otherwise.
#pragma once
#include <cstdint>

constexpr int64_t CENTISECONDS_PER_SECOND = 100;
constexpr int64_t SECONDS_PER_MINUTE = 60;
constexpr uint32_t MILLISECONDS_PER_CENTISECOND = 10;

constexpr int TIME_MODE_GAME = 1;          // "level" with 0 moves (whole game, optional increment)
constexpr int TIME_MODE_ONE_MOVE = 2;      // "level" with 1 move per period
constexpr int TIME_MODE_FIXED_TIME = 3;    // "st"
constexpr int TIME_MODE_FIXED_DEPTH = 4;   // "sd"
constexpr int TIME_MODE_PERIOD = 5;        // "level" with 2 or more moves per period

// Responsetime while analysing: the search runs until input arrives.
constexpr int32_t ANALYSIS_RESPONSE_TIME = 999999900;

struct TimeControlData {
  int8_t timeMode;
  int16_t movesPerPeriod;
  int32_t baseMinutes;
  int32_t baseSeconds;       // for "st": seconds per move
  int32_t Bedienerzeit;      // increment per move, seconds
  int32_t timeCmd;           // last "time"
  int32_t otimCmd;           // last "otim"
  int8_t clockRunning;       // time limits apply
  int8_t depthLimit;         // last depth to complete ("sd" N gives N + 2); 48 by default
  int32_t TimeC[2];          // remaining time per side
  int16_t movesToGo[2];
  int32_t Responsetime;      // target time for this move
  int32_t reserveTime;       // spare time extensions may use
  int32_t maxTime;           // Responsetime + reserveTime at the start of the think
  int32_t extraTime;         // granted at the current root move
  int32_t elapsed;           // since the think started, never negative
  int32_t startTime;         // tick count / 10 at the start of the think
  int8_t failLowActive;      // the first root move failed low in this iteration
  int8_t timeExtended;       // a grant was made in this think (at most one)
  int16_t extensionCounter;  // E: 0 none, else the root move index at which the grant expires
  int32_t ComputerUhr;       // never set; debug output only
  int32_t GegnerUhr;         // never set; debug output only
};
extern TimeControlData TimeControl;

// The settings of "sd DEPTH": iterations up to DEPTH + 2, no clock.
void setFixedDepthControl(int64_t depth);
// "level": `moves` per period (0 a whole game, 1 one move; below 0 the mode stays as it is), the
// base time in minutes and seconds and the increment in seconds; then the clocks start afresh.
void setLevel(int16_t moves, int32_t minutes, int32_t seconds, int32_t increment);
// Both clocks at the base time and the moves to go at the period (none under a fixed depth).
void startTimeControl();
// A fixed time per move: mode 3 with one move per period, no moves to go, both clocks at `clock`
// (centiseconds) and the think's elapsed time at 0.
void setFixedTimeControl(int32_t clock);
// The seconds per move kept for the budgets of the thinks to come, without increment.
void keepSecondsPerMove(int32_t seconds);
// "st SECONDS": a fixed time per move of that many seconds, kept as above.
void setFixedTimePerMove(int32_t seconds);
// "time" (own) or "otim": the clock reading the interface reports, in centiseconds.
void setReportedClock(bool own, int32_t centiseconds);
// The clocks an interface sends with its search request, for `side` to move: `movesToGo` moves
// left in the period (0: the rest of the game, counted as 50), the remaining times of the side and
// of its opponent in centiseconds, and the side's increment in seconds. The clock runs, and the
// side's time is kept as the base of the periods to come.
void setClocksForSearch(int side, int64_t movesToGo, int32_t own, int32_t other, int32_t increment);
// No "sd" limit: the iterations may go on to MAX_DEPTH_LIMIT.
void clearDepthLimit();
void markClockRunning();
// The response time of the running think (a ponder hit lengthens it).
void setResponseTime(int32_t centiseconds);

// Start of every think (all modes): startTime from the tick count, elapsed 0.
void startThinkClock();
// Per-think budget (start of modes THINK_MOVE and THINK_PONDER). Reads EvalContext.rootSide,
// SearchState.pondering, EvalState.gamePhase and the queens of Board.typeCount.
void computeTimeBudget();
// The budget, the reserve and maxTime end a little before the engine's clock runs out (when a
// clock applies): part of computeTimeBudget, and again after a ponder hit lengthens the budget.
void keepWithinClock();
// The stop test of the search, to be called right after pollInput(1): 1 when the search must
// stop now (stopSearch is then set). Waiting input and the budget count only past depth 3; before
// that, from depth 2, only a clock whose budget and reserve are both spent.
int timeIsUp();
// Elapsed centiseconds since the think started, never negative: stored in TimeControl.elapsed
// and returned.
int32_t refreshElapsed();

constexpr int8_t MAX_DEPTH_LIMIT = 48;  // iterations allowed when no "sd" limits them
// A move of `side` was taken back: under a running clock with periods of several moves, that
// side has one more move to go.
void returnMoveToGo(int side);
// Start-up: the debug clock readings at zero.
void zeroDebugClocks();
// Start-up defaults of the settings: no depth limit, no clock running, no operator time, no base
// time, one move per period.
void setStartupTimeControl();
// A new game: no depth limit unless one was set, nothing elapsed, the start time now (the think
// driver replaces it by its own tick count).
void startGameClock();
// The first root move failed low: mark it for the clock when the position and depth are worth
// extra time.
void noteRootFailLow();
// Start of an iteration: no fail low yet, no running extension.
void resetIterationTimeState();
// Start of a think: as at the start of an iteration, and no grant made yet.
void resetThinkTimeState();
// Per-root-move rules after a legal root move was searched and unmade (searchDepth > 4).
// targetsOnSquare: how many generated root moves end on toSquare.
void applyRootMoveTimeRules(int moveIndex, int score, int toSquare, int targetsOnSquare);
// A new best root move from the scout search ends a running extension at the next check.
void noteNewBestRootMove();
// 1 when the clock leaves room for another iteration (always 1 when no clock applies).
int clockAllowsNextIteration();
// Clock update after the engine's move.
void updateClockAfterMove();
