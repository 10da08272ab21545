// Commands that arrive while the engine ponders or analyses. The search's poll hands waiting input
// to handleInputWhileSearching, which runs between two nodes with the pondered position on the
// board: it changes settings and flags only, never the board, and asks the search to stop when
// the interpreter has to take over.
//
// What each word of a line does here:
//   - "?" and "exit" stop the search (exit also leaves analysis); "analyze" while analysing is
//     only logged; "quit" and the end of input stop the search and end the program.
//   - "black", "white", "post" change nothing; "easy", "hard" and "pb" switch pondering for the
//     moves to come; "force", "st", "sd", "time" and "otim" set what the interpreter would set.
//     None of these disturbs the running search.
//   - The expected opponent move is a ponder hit: the search becomes the engine's own.
//   - Any other word is an unexpected move or a command for the interpreter: the search stops and
//     the word goes back to the front of CBuf with the rest of its line.
#include "shell/ponderinput.h"

#include <cassert>
#include <cstdint>
#include <cstring>

#include "board/board.h"
#include "board/types.h"
#include "config/logfile.h"
#include "game/notation.h"
#include "game/protocolstate.h"
#include "game/timecontrol.h"
#include "platform/output.h"
#include "search/searchstate.h"
#include "shell/arguments.h"
#include "shell/commands.h"
#include "shell/input.h"

namespace {

// ---- Line splitting ----
constexpr const char* COMMAND_SEPARATORS = " ;";

// ---- Ponder hit: lengthening of the target time (centiseconds) ----
constexpr int32_t HIT_BONUS_STEP = 100;       // each step adds one second
constexpr int32_t HIT_SHORT_LIMIT = 100;      // at or below: the target stays as it is
constexpr int32_t HIT_MEDIUM_LIMIT = 500;     // above: a second step
constexpr int32_t HIT_LONG_LIMIT = 1500;      // above: a third step

// ---- Analysis statistics ----
constexpr int STAT_MIN_DEPTH = 5;             // "." answers from this iteration on
constexpr uint64_t SHOWN_NODES_FACTOR = 2;    // the interface is shown twice the node counter

// One line and its words, owned by one run of the handler: a nested run (through ".") splits its
// own line into the shared tokens, so every run keeps copies.
struct LineWords {
  char line[LINE_SIZE];
  char words[TOKEN_COUNT][TOKEN_SIZE];
  int count;
};

// How a run goes on after one word.
enum class Next {
  word,       // the next word of the line
  skipWord,   // the word after next (the argument is used up)
  stop,       // the run ends
};

bool isWord(const char* word, const char* text) { return std::strcmp(word, text) == 0; }

// Word i of the line, or "" past its last word (a missing argument reads as 0).
const char* wordAt(const LineWords& words, int i) { return i < words.count ? words.words[i] : ""; }

// Text of the line from the start of word i to its end, for putting it back whole.
const char* lineFromWord(const LineWords& words, int i) {
  const char* cursor = words.line;
  for (int word = 0;; ++word) {
    cursor += std::strspn(cursor, COMMAND_SEPARATORS);
    if (word == i || *cursor == '\0') return cursor;
    cursor += std::strcspn(cursor, COMMAND_SEPARATORS);
  }
}

const char* colourName(int colour) { return colour == WHITE ? "White" : "Black"; }

void splitLineWords(LineWords& words) {
  words.count = tokenize(words.line, COMMAND_SEPARATORS);
  for (int i = 0; i < words.count; ++i) std::memcpy(words.words[i], Input.tokens[i], TOKEN_SIZE);
}

void copyLineWords(LineWords& words, const char* line) {
  std::strncpy(words.line, line, LINE_SIZE - 1);
  words.line[LINE_SIZE - 1] = '\0';
  splitLineWords(words);
}

// Takes the next line out of CBuf and splits it. Returns false when there is nothing to do: an
// empty line, or the end of input (which ends the program as "quit" does).
bool readWords(LineWords& words) {
  if (readLine(words.line, LINE_SIZE) != 1) {
    requestQuit();
    requestSearchStop();
    return false;
  }
  splitLineWords(words);
  return words.count > 0;
}

// ---- Settings that do not disturb the search ----

// "time CS" or "otim CS": the clock the interface reports, with the side of the running search.
void setClockReading(bool own, int32_t t) {
  const int side = own ? EvalContext.rootSide : EvalContext.rootSide ^ 1;
  setReportedClock(own, t);
  if (own) {
    logRemainingTime("Vostrel", t, side);
  } else {
    logRemainingTime("opponent", t, side);
  }
  if (ProtocolState.fritzMode) markClockRunning();
}

// "." in analysis: one "stat01:" line with the progress of the running iteration.
void printAnalysisStatus(bool wordsFollow) {
  if (!ProtocolState.analyzing || EvalContext.searchDepth < STAT_MIN_DEPTH) return;
  const uint64_t nodes = Ordering.nodes;
  // A full poll may handle a further waiting line in a nested run. That run may read more input
  // into CBuf, so it is only allowed when nothing of this line can still have to go back there,
  // and only from the outer run: the lines after a nested "." wait for the next poll (a chain of
  // nested runs would grow the stack with every "." line waiting).
  pollInput(wordsFollow || Input.handlerRuns > 1 ? POLL_ELAPSED_ONLY : POLL_FULL);
  sendLine("stat01: %ld %llu %d %d %d \n", static_cast<long>(TimeControl.elapsed),
           static_cast<unsigned long long>(nodes * SHOWN_NODES_FACTOR),
           EvalContext.searchDepth + SHOWN_DEPTH_OFFSET,
           SearchState.legalRootMoves - SearchState.rootMovesSearched, SearchState.legalRootMoves);
}

// ---- The opponent's move ----

// The expected move arrived: the running search is now the engine's own, with a little more time
// than the budget fixed when pondering began.
void acceptPonderHit(const char* word) {
  takePonderHit();

  // The expected move stands on the board, so its mover owns the to-square.
  const int mover = Board.colorAt[moveCodeTo(ProtocolState.ponderMove)];
  logPrintf("Move entered during PONDERING: %s: %s\n", colourName(mover), word);
  logPrintf("CBuf: %s\n", Input.CBuf);

  // A move-now request that came with the move: play at once. The other interface variant takes
  // the request as a cancellation of the hit instead.
  if (std::strchr(Input.CBuf, '?') != nullptr) {
    if (ProtocolState.fritzMode) clearPonderHit();
    requestSearchStop();
  }
}

// Any other move or command: the interpreter takes over. The word goes back to the front of CBuf
// with the rest of its line, ahead of the lines that arrived after it.
void handOverToInterpreter(const LineWords& words, int i, uint16_t code) {
  logPrintf("Unexpected move entered during PONDERING: %s: %s\n",
            colourName(Board.colorAt[moveCodeTo(code)]), words.words[i]);
  requestSearchStop();
  // The line came out of CBuf in this run and nothing has been read since, so it fits again.
  const int fitted = unreadLine(lineFromWord(words, i));
  assert(fitted == 1);
  (void)fitted;
}

// A word that is no command of this handler: the opponent's move, or a command for the interpreter.
void handleMoveWord(const LineWords& words, int i) {
  const char* word = words.words[i];
  const uint16_t code = parseMoveCode(word, WHITE);
  const bool hit = ProtocolState.ponderMove != 0 && !ProtocolState.forceMode &&
                   code == ProtocolState.ponderMove;
  if (hit) {
    acceptPonderHit(word);  // the rest of the line is dropped
  } else {
    handOverToInterpreter(words, i, code);
  }
}

// ---- One line ----

// Executes word i of the line.
Next executeWord(const LineWords& words, int i) {
  const char* word = words.words[i];
  const char* argument = wordAt(words, i + 1);
  if (isWord(word, "black") || isWord(word, "white") || isWord(word, "post")) return Next::word;
  if (isWord(word, "easy") || isWord(word, "hard")) {
    setPonderEnabled(isWord(word, "hard"));
    return Next::word;
  }
  if (isWord(word, "pb")) {
    togglePonderEnabled();
    return Next::word;
  }
  if (isWord(word, ".")) {
    printAnalysisStatus(i + 1 < words.count);
    return Next::word;
  }
  if (isWord(word, "quit")) {
    requestQuit();
    requestSearchStop();  // the program ends as soon as the search has unwound
    return Next::word;
  }
  if (isWord(word, "force")) {
    setForceMode(true);
    return Next::word;
  }
  if (isWord(word, "st")) {
    setFixedTimePerMove(parseNumber(argument));
    return Next::skipWord;
  }
  if (isWord(word, "sd")) {
    setFixedDepthControl(parseNumber(argument));
    return Next::skipWord;
  }
  if (isWord(word, "time") || isWord(word, "otim")) {
    setClockReading(isWord(word, "time"), parseNumber(argument));
    return Next::skipWord;
  }
  handleMoveWord(words, i);
  return Next::stop;
}

// Runs one line. Returns false when the handler must not go on with further lines.
bool executeLine(const LineWords& words) {
  // Step 1. Words that decide about the whole line.
  const char* first = words.words[0];
  if (isWord(first, "analyze")) {
    if (ProtocolState.analyzing) {
      logPrintf("BEREITS IM ANALYSE-MODUS!! DENNOCH KOMMANDO  %s  EMPFANGEN\n", words.line);
      return false;
    }
    handleMoveWord(words, 0);  // pondering only: the interpreter switches to analysis
    return false;
  }
  if (isWord(first, "exit") || isWord(first, "?")) {
    if (isWord(first, "exit")) leaveAnalysis();
    requestSearchStop();
    logPrintf("%s\n", words.line);
    return false;
  }
  // Step 2. The words one by one.
  int i = 0;
  while (i < words.count) {
    const Next next = executeWord(words, i);
    if (next == Next::stop) return false;
    i += next == Next::skipWord ? 2 : 1;
  }
  logPrintf("I: %s\n", words.line);
  return true;
}

}  // namespace

void takePonderHit() {
  setPondering(false);
  markPonderHit();

  int32_t target = TimeControl.Responsetime;
  if (target > HIT_SHORT_LIMIT) {
    if (target > HIT_LONG_LIMIT) target += HIT_BONUS_STEP;
    if (target > HIT_MEDIUM_LIMIT) target += HIT_BONUS_STEP;
    target += HIT_BONUS_STEP;
  }
  setResponseTime(target);
  keepWithinClock();
}

bool executeLineWhileSearching(const char* line) {
  LineWords words;
  copyLineWords(words, line);
  if (words.count == 0) return true;
  return executeLine(words);
}

// Reads and executes the waiting line, and then every further complete line already in CBuf (one
// line per call in the other interface variant), until a line ends the run or the search has
// been asked to stop.
void handleInputWhileSearching() {
  const HandlerRunCount run;
  assert(Input.handlerRuns <= 2);
  LineWords words;
  for (;;) {
    if (!readWords(words)) return;
    if (!executeLine(words)) return;
    if (ProtocolState.fritzMode) return;
    if (SearchState.inputPending) return;  // a nested run ended the search; the rest is for the interpreter
    if (std::strchr(Input.CBuf, '\n') == nullptr) return;
  }
}
