// What the think driver tells the interface: thinking lines, the move it chose, the end of the
// game, resignation and the draw offer. Each interface dialect supplies its own reporter; the
// classic one is installed at start and prints the classic lines.
#pragma once
#include <cstdint>

#include "board/types.h"

// Kinds of thinking line, by the point of the search that reports it.
constexpr int THINKING_ITERATION_START = 0;  // first root move of an iteration, before its search
constexpr int THINKING_FAIL_LOW = 1;         // the first root move failed low
constexpr int THINKING_FAIL_HIGH = 3;        // the first root move failed high
constexpr int THINKING_FAIL_HIGH_AGAIN = 4;  // a re-search or a scout search failed high again
constexpr int THINKING_NEW_BEST = 5;         // a root move became the best of the iteration
constexpr int THINKING_FINAL = 7;            // the chosen move has been made on the board

class ThinkReporter {
 public:
  virtual ~ThinkReporter() = default;
  // A thinking line: score for the root side, principal variation in pv[1..] up to a 0.
  virtual void thinking(int score, const uint16_t* pv, int kind) = 0;
  // The engine's move, already made on the board; Notation's texts hold its renderings.
  virtual void moveChosen(const Move& move) = 0;
  // The game has ended: the classic result line with its line feed ("1-0 {White mates}\n").
  virtual void gameResult(const char* line) = 0;
  virtual void resign() = 0;
  virtual void offerDraw() = 0;
};

// The reporter in use; the classic one until setThinkReporter installs another.
ThinkReporter& thinkReporter();
// Installs a reporter for the rest of the run (nullptr goes back to the classic one).
void setThinkReporter(ThinkReporter* reporter);
