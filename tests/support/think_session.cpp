#include "support/think_session.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

#include "board/board.h"
#include "board/makemove.h"
#include "board/setup.h"
#include "eval/pawnhash.h"
#include "eval/scoretable.h"
#include "game/notation.h"
#include "game/protocolstate.h"
#include "game/think.h"
#include "game/timecontrol.h"
#include "search/hashtable.h"
#include "search/searchstate.h"
#include "shell/commands.h"
#include "shell/input.h"
#include "support/board_fixture.h"
#include "support/shell_session.h"

namespace vostrel_test {

namespace {

constexpr int DEFAULT_DEPTH_LIMIT = 48;

// Standard input becomes an empty pipe whose writer stays open: nothing is ever waiting.
class SilentStdin {
 public:
  SilentStdin() {
    int ends[2];
    if (::pipe(ends) != 0) throw std::runtime_error("pipe failed");
    savedFd_ = ::dup(STDIN_FILENO);
    ::dup2(ends[0], STDIN_FILENO);
    ::close(ends[0]);
    writeFd_ = ends[1];
    Input.CBuf[0] = '\0';
    Input.endOfInput = 0;
  }
  ~SilentStdin() {
    ::dup2(savedFd_, STDIN_FILENO);
    ::close(savedFd_);
    ::close(writeFd_);
    Input.CBuf[0] = '\0';
    Input.endOfInput = 0;
  }
  SilentStdin(const SilentStdin&) = delete;
  SilentStdin& operator=(const SilentStdin&) = delete;

 private:
  int savedFd_;
  int writeFd_;
};

void clearPositionTables() {
  clearHashTables();
  clearPawnTable();
  clearScoreTable();
}

}  // namespace

bool startThinkPosition(const std::string& fen) {
  startShellGame();
  ProtocolState.ponderEnabled = 0;
  if (!setupPosition(("setboard " + fen).c_str())) return false;
  fillTypeCount();
  clearPositionTables();
  TimeControl.depthLimit = DEFAULT_DEPTH_LIMIT;
  return true;
}

void startThinkGame() {
  startShellGame();
  ProtocolState.ponderEnabled = 0;
  clearPositionTables();
  TimeControl.depthLimit = DEFAULT_DEPTH_LIMIT;
}

bool playGameMoves(const std::vector<std::string>& moves) {
  for (const std::string& text : moves) {
    std::string copy = text;
    Ordering.ply = 1;
    if (!enterMove(copy.data())) return false;
    Board.sideToMove = static_cast<int8_t>(Board.sideToMove ^ 1);
  }
  return true;
}

void setFixedTime(int seconds) {
  setFixedTimeControl(seconds * 100);
  TimeControl.baseSeconds = seconds;
  TimeControl.Bedienerzeit = 0;
}

void setLevel(int moves, int minutes, int increment, int ownClock, int opponentClock) {
  TimeControlData& tc = TimeControl;
  tc.baseSeconds = 0;
  tc.baseMinutes = minutes;
  tc.Bedienerzeit = increment;
  tc.movesPerPeriod = static_cast<int16_t>(moves == 0 ? 50 : moves);
  tc.timeMode = moves == 0 ? TIME_MODE_GAME : moves == 1 ? TIME_MODE_ONE_MOVE : TIME_MODE_PERIOD;
  tc.clockRunning = 1;
  tc.movesToGo[0] = tc.movesToGo[1] = tc.movesPerPeriod;
  tc.TimeC[0] = tc.TimeC[1] = minutes * 6000;
  tc.timeCmd = ownClock;
  tc.otimCmd = opponentClock;
}

std::string runThinkQuietly(int side, int mode) {
  SilentStdin quiet;
  StdoutCapture capture;
  EvalContext.searchDepth = 0;
  think(side, mode);
  return capture.finish();
}

std::string lastGameMove() {
  const GameRecord& record = GameHistory[Board.gameCount];
  return moveText(moveCodeFrom(record.moveCode), moveCodeTo(record.moveCode), record.flags);
}

}  // namespace vostrel_test
