// The command interpreter: one call starts pondering or analysis when the state asks for it, then
// reads and executes lines until a move was entered or a command ends the call.
#include "shell/commands.h"

#include <cstdint>
#include <cstring>

#include "board/attack.h"
#include "board/board.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "board/setup.h"
#include "config/logfile.h"
#include "config/settings.h"
#include "eval/pawnhash.h"
#include "eval/scoretable.h"
#include "game/notation.h"
#include "game/protocolstate.h"
#include "game/takeback.h"
#include "game/think.h"
#include "game/timecontrol.h"
#include "platform/output.h"
#include "search/hashtable.h"
#include "search/searchstate.h"
#include "shell/arguments.h"
#include "shell/dialect.h"
#include "shell/editmode.h"
#include "shell/input.h"
#include "shell/startup.h"

namespace {

// ---- Separators of the split line ----
constexpr const char* COMMAND_SEPARATORS = " ;";
constexpr const char* MINUTES_SEPARATORS = " :";

// ---- "level" move counts ----

// ---- "sd": iterations are counted from the pre-search, so depth N completes iteration N + 2 ----

// ---- Clock arithmetic ----
constexpr int32_t CENTISECONDS_PER_MINUTE = 6000;

// ---- Pondering ----
constexpr int PONDER_PLY = 2;  // the expected move is generated in this ply's segment
constexpr int FIRST_RANK = 0;
constexpr int LAST_RANK = 7;

// ---- Position of "wild 7" ----
constexpr int32_t WILD_POSITION_NUMBER = 7;
constexpr const char* WILD_POSITION = "setboard 4k3/5ppp/8/8/8/8/PPP5/3K4 w";

// What happens after a command line was executed.
enum class After {
  tail,      // log the line, restart a running analysis, read the next line
  nextLine,  // read the next line without the tail
  leave,     // return from processCommands
};

bool startsWith(const char* line, const char* prefix) {
  return std::strncmp(line, prefix, std::strlen(prefix)) == 0;
}

bool isWord(const char* line, const char* word) { return std::strcmp(line, word) == 0; }

// Keeps the low bits of a product the way the 32-bit fields store it.

void runThink(int side, int mode) {
  clearSearchDepth();
  think(side, mode);
}

void clearPositionTables() {
  clearHashTables();
  clearPawnTable();
  clearScoreTable();
}

// ---- Pondering ----

// A moveCode cannot name the promotion piece, so a pawn move onto the first or last rank is not
// pondered.
bool isPromotionCode(uint16_t code) {
  const int to = moveCodeTo(code);
  return Board.pieceAt[moveCodeFrom(code)] == PAWN && (rankOf(to) == FIRST_RANK || rankOf(to) == LAST_RANK);
}

// Finds the first generated move of the side to move with the squares of `code`.
bool findGeneratedMove(uint16_t code, Move& found) {
  setPly(PONDER_PLY);
  generateMoves(Board.sideToMove);
  setPly(1);
  const int first = MoveStack.plyStart[PONDER_PLY];
  const int end = MoveStack.plyStart[PONDER_PLY + 1];
  for (int i = first; i < end; ++i) {
    const Move& move = MoveStack.moveStack[i];
    if (moveCodeOf(move.from, move.to) == code) {
      found = move;  // a copy: the search reuses the stack
      return true;
    }
  }
  return false;
}

// Plays the expected opponent move and thinks on it until input arrives. Returns true when the
// opponent played the expected move: the think driver has then answered it already.
bool ponderExpectedMove() {
  const uint16_t code = ProtocolState.ponderMove;
  if (!positionIsPlayable(Board.sideToMove) || isPromotionCode(code)) return false;
  Move expected;
  if (!findGeneratedMove(code, expected)) return false;
  const int mover = Board.sideToMove;
  formatMove(expected.from, expected.to, 0);
  makeMove(mover, expected);
  if (isSquareAttacked(Board.pieceList[mover][0], mover ^ 1)) {
    unmakeMove(mover, expected);
    return false;
  }
  sendLine("Hint: %s\n", Notation.coordText);
  clearPonderHit();
  runThink(mover ^ 1, THINK_PONDER);
  if (ProtocolState.ponderHit) return true;
  unmakeMove(mover, expected);
  return false;
}

// ---- Time control commands ----

// "level MPS BASE INC", BASE in minutes or minutes:seconds.
void executeLevel(const char* line) {
  const int words = tokenize(line, COMMAND_SEPARATORS);
  const int16_t moves = static_cast<int16_t>(parseNumber(argumentWord(1, words)));
  const int32_t increment = parseNumber(argumentWord(3, words));
  char base[TOKEN_SIZE];
  std::strncpy(base, argumentWord(2, words), TOKEN_SIZE - 1);
  base[TOKEN_SIZE - 1] = '\0';
  int32_t minutes = 0;
  int32_t seconds = 0;
  if (std::strchr(base, ':') != nullptr) {
    const int parts = tokenize(base, MINUTES_SEPARATORS);
    minutes = parseNumber(argumentWord(0, parts));
    seconds = parseNumber(argumentWord(1, parts));
  } else {
    minutes = parseNumber(base);
  }
  setLevel(moves, minutes, seconds, increment);
}

// "st SECONDS": a fixed time per move.
void executeFixedTime(const char* line) {
  const int words = tokenize(line, COMMAND_SEPARATORS);
  setFixedTimePerMove(parseNumber(argumentWord(1, words)));
}

// "sd DEPTH": a fixed search depth, stored as the last iteration to complete.
void executeFixedDepth(const char* line) {
  const int words = tokenize(line, COMMAND_SEPARATORS);
  setFixedDepthControl(parseNumber(argumentWord(1, words)));
}

// "time CS" (own clock) or "otim CS" (the opponent's).
void executeClock(const char* line, bool own) {
  const int words = tokenize(line, COMMAND_SEPARATORS);
  const int32_t t = parseNumber(argumentWord(1, words));
  setReportedClock(own, t);
  if (own) {
    logRemainingTime("Vostrel", t, Board.sideToMove);
  } else {
    logRemainingTime("opponent", t, Board.sideToMove ^ 1);
  }
}

// ---- Position commands ----

void executePonder(const char* line) {
  const int words = tokenize(line, COMMAND_SEPARATORS);
  setPonderMove(parseMoveCode(argumentWord(1, words), WHITE));
  logPrintf("%s\n", line);
}

void executeCastle(const char* line) {
  const int words = tokenize(line, COMMAND_SEPARATORS);
  withdrawCastlingRight(argumentWord(1, words));
}

void executeEnPassant(const char* line) {
  const int words = tokenize(line, COMMAND_SEPARATORS);
  setEpSquare(parseSquareText(argumentWord(1, words)));
  logPrintf("EP-Feld: %d\n", Board.epSquare);
}

// "wild 7" sets up its position as a new game's record; returns false for any other number.
bool executeWild(const char* line) {
  const int words = tokenize(line, COMMAND_SEPARATORS);
  if (parseNumber(argumentWord(1, words)) != WILD_POSITION_NUMBER) return false;
  if (setupPosition(WILD_POSITION)) {
    restartGameRecord(0);
  }
  return true;
}

void executeHint() {
  const uint16_t code = ProtocolState.ponderMove;
  if (code == 0) return;
  formatMove(moveCodeFrom(code), moveCodeTo(code), 0);
  sendLine("Hint: %s\n", Notation.coordText);
}

void chooseSideToMove(int side) {
  setSideToMove(side);
  startPlaying();
}

// Anything no command claimed is taken as the opponent's move.
After executeMove(char* line) {
  setPly(1);
  if (!enterMove(line)) return After::tail;
  setSideToMove(Board.sideToMove ^ 1);
  if (ProtocolState.analyzing) return After::leave;
  if (!ProtocolState.forceMode) runThink(Board.sideToMove, THINK_MOVE);
  return After::leave;
}

// Runs the first command whose test the line passes, the commands being tested in this order.
After executeLine(char* line) {
  if (startsWith(line, "level")) {
    executeLevel(line);
    return After::tail;
  }
  // "st" and "sd" do their work and let the later commands test the line as well.
  if (startsWith(line, "st")) executeFixedTime(line);
  if (startsWith(line, "sd")) executeFixedDepth(line);
  if (startsWith(line, "time")) {
    executeClock(line, true);
    return After::tail;
  }
  if (startsWith(line, "otim")) {
    executeClock(line, false);
    return After::tail;
  }
  if (isWord(line, "post")) {
    setPostThinking(true);
    return After::tail;
  }
  if (isWord(line, "nopost")) {
    setPostThinking(false);
    return After::tail;
  }
  if (isWord(line, "quit")) {
    requestQuit();
    return After::tail;
  }
  if (isWord(line, "fritz")) {
    enterFritzMode();
    return After::tail;
  }
  if (isWord(line, "reset")) {
    clearPositionTables();
    return After::tail;
  }
  if (startsWith(line, "ponder")) {
    executePonder(line);
    return After::leave;
  }
  if (startsWith(line, "castle")) {
    executeCastle(line);
    return After::tail;
  }
  if (startsWith(line, "ep")) {
    executeEnPassant(line);
    return After::tail;
  }
  if (isWord(line, "exit")) {
    leaveAnalysis();
    return After::tail;
  }
  if (isWord(line, "analyze")) {
    enterAnalysis();
    logPrintf("%s\n", line);
    return After::leave;
  }
  if (isWord(line, "pb")) {
    togglePonderEnabled();
    return After::tail;
  }
  if (isWord(line, "xboard") || isWord(line, "?")) return After::tail;
  if (isWord(line, "easy")) {
    setPonderEnabled(false);
    return After::tail;
  }
  if (isWord(line, "hard")) {
    setPonderEnabled(true);
    return After::tail;
  }
  if (isWord(line, "edit")) {
    editMode();
    return After::tail;
  }
  if (isWord(line, "go")) {
    startPlaying();
    logPrintf("%s\n", line);
    runThink(Board.sideToMove, THINK_MOVE);
    return After::nextLine;
  }
  if (isWord(line, "force")) {
    setForceMode(true);
    return After::tail;
  }
  // "wild" with another number than 7 goes on to the commands after it.
  if (startsWith(line, "wild") && executeWild(line)) return After::tail;
  if (isWord(line, "new")) {
    newGame();
    return After::tail;
  }
  if (isWord(line, "hint")) {
    executeHint();
    return After::tail;
  }
  if (isWord(line, "white")) {
    chooseSideToMove(WHITE);
    return After::tail;
  }
  if (isWord(line, "black")) {
    chooseSideToMove(BLACK);
    return After::tail;
  }
  // "undo" and "remove" without enough moves fall through to move entry like unknown words.
  if (isWord(line, "undo") && Board.gameCount > 0) {
    takeBackMove();
    return After::tail;
  }
  if (isWord(line, "remove") && Board.gameCount > 1) {
    takeBackMove();
    takeBackMove();
    return After::tail;
  }
  if (isWord(line, "bk")) {
    setPly(1);
    runThink(Board.sideToMove, THINK_BOOKINFO);
    return After::tail;
  }
  if (isWord(line, "random")) {
    toggleRandomMode();
    return After::tail;
  }
  return executeMove(line);
}

// The common tail: the line goes to the log, and a running analysis restarts on the new state.
void finishLine(const char* line) {
  logPrintf("%s\n", line);
  if (ProtocolState.analyzing && !ProtocolState.quitRequested) runThink(Board.sideToMove, THINK_MOVE);
}

}  // namespace

void logRemainingTime(const char* whose, int32_t t, int side) {
  if (!EngineSettings.logEnabled) return;
  const long minutes = t / CENTISECONDS_PER_MINUTE;
  const long seconds = (t - minutes * CENTISECONDS_PER_MINUTE) / CENTISECONDS_PER_SECOND;
  if (TimeControl.timeMode == TIME_MODE_PERIOD) {
    logPrintf("Remaining time (%s): %2ld:%2ld for %2ld moves\n", whose, minutes, seconds,
              static_cast<long>(TimeControl.movesToGo[side]));
  } else {
    logPrintf("Remaining time (%s): %2ld:%2ld\n", whose, minutes, seconds);
  }
}

void processCommands() {
  if (Dialect.kind == DialectKind::uci) {
    runUciSession();
    return;
  }
  // Step 1. The interpreter's ply, and no quit requested yet.
  setPly(1);
  clearQuitRequest();
  // Step 2. Background thinking at entry.
  if (ProtocolState.analyzing) {
    runThink(Board.sideToMove, THINK_MOVE);
  } else if (ProtocolState.ponderMove != 0 && ProtocolState.ponderEnabled &&
             !ProtocolState.forceMode) {
    if (ponderExpectedMove()) return;
  }
  // Step 3. The command loop.
  char line[LINE_SIZE];
  while (!ProtocolState.quitRequested) {
    if (readLine(line, LINE_SIZE) < 0) {
      requestQuit();  // end of input ends the engine as "quit" would
      return;
    }
    if (line[0] == '\0') continue;
    const DialectStep step = runDialectLine(line);
    if (step == DialectStep::leave) return;
    if (step == DialectStep::done) continue;
    if (step == DialectStep::tail) {
      finishLine(line);
      continue;
    }
    const After after = executeLine(line);
    if (after == After::leave) return;
    if (after == After::tail) finishLine(line);
  }
}
