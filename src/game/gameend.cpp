// Game end: repetition and fifty-move marks on root moves, the outcome of the engine's choice,
// resignation, the draw offer and the result lines.
#include "game/gameend.h"

#include <cstdint>

#include "board/attack.h"
#include "board/board.h"
#include "board/makemove.h"
#include "config/logfile.h"
#include "game/protocolstate.h"
#include "game/thinkreport.h"
#include "game/timecontrol.h"
#include "platform/output.h"
#include "search/searchstate.h"

namespace {

// ---- Draw rules ----
constexpr int REPETITIONS_FOR_DRAW = 2;         // two earlier occurrences make the third
constexpr int REPETITION_STEP = 2;              // same side to move every second record
constexpr int MIN_GAME_COUNT_FOR_REPETITION = 4;

// ---- Resignation ----
constexpr int RESIGN_MIN_DEPTH = 7;
constexpr int RESIGN_MIN_DEPTH_WITH_QUEEN = 9;
constexpr int RESIGN_SCORE = -800;
constexpr int32_t OPPONENT_CLOCK_NEARLY_OUT = 41;   // plays on when the opponent may lose on time
constexpr int32_t OPPONENT_CLOCK_MARGIN = 15;
constexpr int32_t FRITZ_OWN_CLOCK_OUT = 5;

// ---- Draw offer ----
constexpr int32_t OPPONENT_CLOCK_LOW = 61;           // no offer when the opponent's flag is near

// ---- Statistics line ----
constexpr int32_t MIN_ELAPSED_FOR_RATE = 99;

bool isDrawFlagged(const Move& move) { return (move.flags & DRAW_FLAG) != 0; }

bool ownClocksAllowResignation() {
  const int32_t own = TimeControl.TimeC[EvalContext.rootSide];
  const int32_t opponent = TimeControl.TimeC[EvalContext.rootSide ^ 1];
  if (ProtocolState.fritzMode) return own > FRITZ_OWN_CLOCK_OUT;
  return !(opponent < OPPONENT_CLOCK_NEARLY_OUT && opponent - OPPONENT_CLOCK_MARGIN <= own);
}

// Resigns a hopeless position after a deep enough search, unless the opponent is about to
// lose on time.
void resignIfHopeless(int score, int bookMove) {
  const int depth = EvalContext.searchDepth;
  // Judged with the move made: a queen it has just promoted counts.
  const bool hasQueen = Board.typeCount[EvalContext.rootSide][QUEEN] > 0;
  if (!TimeControl.clockRunning || depth < RESIGN_MIN_DEPTH || score > RESIGN_SCORE || bookMove) return;
  if (depth < RESIGN_MIN_DEPTH_WITH_QUEEN && hasQueen) return;
  if (!ownClocksAllowResignation()) return;
  thinkReporter().resign();
  logPrintf("Vostrel resigns\n");
}

void logThinkStatistics() {
  const int64_t elapsed = TimeControl.elapsed;
  const uint64_t nodes = Ordering.nodes;
  const uint64_t rate = elapsed > MIN_ELAPSED_FOR_RATE ? nodes / static_cast<uint64_t>(elapsed / CENTISECONDS_PER_SECOND) : nodes;
  logPrintf("Elapsed time: %ld centiseconds, nodes: %9lu (nps: %6lu)\n", static_cast<long>(elapsed),
            static_cast<unsigned long>(nodes), static_cast<unsigned long>(rate));
}

// Equal material without pawns and a dead-level score: offer a draw, unless the opponent's
// flag is about to fall.
void offerDrawIfLevel(int score) {
  const bool levelMaterial = Board.material[WHITE] == Board.material[BLACK] && Board.pawnCount[WHITE] == 0 &&
                             Board.pawnCount[BLACK] == 0;
  if (!levelMaterial || ProtocolState.fritzMode || score != DRAW_SCORE) return;
  const int32_t own = TimeControl.TimeC[EvalContext.rootSide];
  const int32_t opponent = TimeControl.TimeC[EvalContext.rootSide ^ 1];
  if (opponent < OPPONENT_CLOCK_LOW && opponent <= own) return;
  thinkReporter().offerDraw();
}

bool onlyKingsLeft() {
  return Board.pieceCount[WHITE] == 0 && Board.pieceCount[BLACK] == 0 && Board.pawnCount[WHITE] == 0 &&
         Board.pawnCount[BLACK] == 0;
}

void sendResultLine(const char* line) {
  if (!ProtocolState.fritzMode) thinkReporter().gameResult(line);
}

}  // namespace

int rootMoveDraws() {
  const int count = Board.gameCount;
  const int irreversible = Board.lastIrreversible;
  if (count >= MIN_GAME_COUNT_FOR_REPETITION) {
    int found = 0;
    for (int i = count - FIRST_REPETITION_DISTANCE; i >= irreversible && i > 0; i -= REPETITION_STEP) {
      if (GameHistory[i].hashKey == Board.hashKey && ++found == REPETITIONS_FOR_DRAW) return 1;
    }
  }
  return count - irreversible >= FIFTY_MOVE_PLIES ? 1 : 0;
}

void judgeOutcome(Move& best, int score) {
  if (score == MATE_GIVEN_SCORE) {
    markGameOver();
  } else if (score == NO_LEGAL_MOVE_SCORE) {
    if (isInCheck(EvalContext.rootSide)) {
      markGameOver();
    } else {
      best.flags |= DRAW_FLAG;
    }
  } else if (Board.gameCount == GAME_LENGTH_LIMIT) {
    best.flags |= DRAW_FLAG;
  }
}

void announceAfterMove(Move& best, int score, int bookMove) {
  resignIfHopeless(score, bookMove);
  logThinkStatistics();
  offerDrawIfLevel(score);
  if (score == MATE_GIVEN_SCORE) {
    thinkReporter().gameResult(EvalContext.rootSide == WHITE ? "1-0 {White mates}\n" : "0-1 {Black mates}\n");
    logPrintf("Checkmate!\n");
  }
  if (onlyKingsLeft()) {
    best.flags |= DRAW_FLAG;
    sendResultLine("1/2-1/2 {Insufficient material}\n");
    logPrintf("Insufficient material !!!\n");
  } else if (isDrawFlagged(best)) {
    if (Board.gameCount - Board.lastIrreversible < FIFTY_MOVE_PLIES) {
      sendResultLine("1/2-1/2 {Draw by repetition}\n");
      logPrintf("Draw by repetition!!!\n");
    } else {
      sendResultLine("1/2-1/2 {Draw by 50 move rule}\n");
      logPrintf("Draw by 50 move rule !!!\n");
    }
  }
}

void announceStalemate() {
  thinkReporter().gameResult("1/2-1/2 {Stalemate}\n");
  logPrintf("Stalemate !!!\n");
}
