// The engine's life: command-line forms, start-up, the new-game reset, the command loop or the
// single setboard search, and shutdown.
#include "shell/startup.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "board/board.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "board/setup.h"
#include "board/tables.h"
#include "config/logfile.h"
#include "config/settings.h"
#include "eval/evalstate.h"
#include "eval/pawnhash.h"
#include "eval/scoretable.h"
#include "game/book.h"
#include "game/learning.h"
#include "game/protocolstate.h"
#include "game/think.h"
#include "game/timecontrol.h"
#include "platform/clock.h"
#include "platform/output.h"
#include "platform/signals.h"
#include "search/hashtable.h"
#include "search/searchstate.h"
#include "search/tablesize.h"
#include "shell/arguments.h"
#include "shell/commands.h"
#include "shell/dialect.h"
#include "shell/input.h"

namespace {

// ---- Command-line table sizes ----
constexpr uint32_t MIN_HASH_ENTRIES = 16384;
constexpr uint32_t MIN_SCORE_ENTRIES = 50000;
constexpr long DEFAULT_HASH_ENTRIES = 131072;
constexpr uint32_t VALID_HASH_ENTRIES[] = {16384,  32768,   65536,   131072, 262144,
                                           524288, 1048576, 2097152, 4194304};
constexpr int ARGC_TWO_SIZES = 3;    // program name and two numbers
constexpr int ARGC_THREE_SIZES = 4;  // program name and three numbers

// ---- Exit statuses ----
constexpr int EXIT_NORMAL = 0;
constexpr int EXIT_BAD_TABLE_SIZE = 1;

// ---- initEngine results ----
constexpr int INIT_OK = 0;
constexpr int INIT_CONFIG_REWRITTEN = 1;
constexpr int INIT_NO_LOG_FILE = 7;  // no log file could be created; freeTables has run
constexpr int LOG_FILE_FAILED = 0;   // openLogFile: creating the first free name failed

// ---- Start values of the settings and the time control ----
constexpr int32_t START_SECONDS_PER_MOVE = 5;
constexpr int32_t START_CLOCK = 5;  // recomputed by the think driver before use
constexpr int32_t SETBOARD_CLOCK = 999999900;  // overwritten by the budget before it is used

// The wording of the command-line messages (0x81 = u umlaut, 0x84 = a umlaut).
constexpr const char* HASH_TOO_SMALL = "Wert f\x81r Hashtabelle (%7ld) ist zu klein!!\n";
constexpr const char* HASH_INVALID = "Ung\x81ltiger Wert (%7ld) f\x81r Hashtabelle!!\n";
constexpr const char* HASH_VALID_LIST =
    "\n G\x81ltige Werte: 16384, 32768, 65536, 131072, 262144, 524288,\n 1048576, 2097152, 4194304";
constexpr const char* HASH_ECHO = "Eintr\x84ge Hashtabelle: %7ld (default: %7ld)\n";
constexpr const char* SCORE_TOO_SMALL = "Wert f\x81r 2. Hashtabelle (%7ld) ist zu klein!!\n";
constexpr const char* SCORE_ECHO = "Eintr\x84ge Scoretabelle:%7ld (default: %7ld)\n";

constexpr const char* SETBOARD_WORD = "setboard";

bool isValidHashCount(uint32_t count) {
  for (uint32_t valid : VALID_HASH_ENTRIES) {
    if (count == valid) return true;
  }
  return false;
}

void echoHashCount(int32_t count) {
  setHashEntryCount(static_cast<uint32_t>(count));
  sendLine(HASH_ECHO, static_cast<long>(count), DEFAULT_HASH_ENTRIES);
}

void echoScoreCount(int32_t count) {
  setScoreEntryCount(static_cast<uint32_t>(count));
  sendLine(SCORE_ECHO, static_cast<long>(count), static_cast<long>(DEFAULT_SCORE_ENTRIES));
}

// The two-number form: both sizes are checked. Returns 0 to go on, else the exit status.
int readCheckedSizes(char** argv) {
  const int32_t hashCount = parseNumber(argv[1]);
  if (static_cast<uint32_t>(hashCount) < MIN_HASH_ENTRIES) {
    sendLine(HASH_TOO_SMALL, static_cast<long>(hashCount));
    return EXIT_BAD_TABLE_SIZE;
  }
  if (!isValidHashCount(static_cast<uint32_t>(hashCount))) {
    sendLine(HASH_INVALID, static_cast<long>(hashCount));
    sendLine("%s", HASH_VALID_LIST);
    return EXIT_BAD_TABLE_SIZE;
  }
  echoHashCount(hashCount);
  const int32_t scoreCount = parseNumber(argv[2]);
  if (static_cast<uint32_t>(scoreCount) < MIN_SCORE_ENTRIES) {
    sendLine(SCORE_TOO_SMALL, static_cast<long>(scoreCount));
    return EXIT_BAD_TABLE_SIZE;
  }
  echoScoreCount(scoreCount);
  return 0;
}

// The defaults of a fresh engine: "st 5" in effect until a time command arrives.
void setStartTimeControl() {
  setFixedTimeControl(START_CLOCK);
  keepSecondsPerMove(START_SECONDS_PER_MOVE);
}

// The single search of a command-line position. A refused position is not searched.
void runSetboardSearch(const char* position) {
  if (!setupPosition(position) || !positionIsPlayable(Board.sideToMove)) return;
  clearSearchDepth();
  forgetPonderMove();
  setFixedTimeControl(SETBOARD_CLOCK);
  setSetboardRun(true);
  sendLine("Hello from Vostrel!\n");
  think(Board.sideToMove, THINK_MOVE);
}

void shutDown() {
  if (EngineSettings.bookEnabled) closeBookFiles();
  if (EngineSettings.logEnabled) closeLogFile();
  freeTables();
}

// A new game's tables: cleared, with the learned records loaded again; in fritz mode the hash
// tables keep their contents and only forget their ages.
void resetPositionTables() {
  if (ProtocolState.fritzMode) {
    clearHashAges();
    return;
  }
  clearHashTables();
  if (EngineSettings.learningEnabled) loadLearning();
  clearPawnTable();
  clearScoreTable();
}

}  // namespace

// Does nothing: installed once for the termination signal, it swallows the first one.
void onSignal(int) {}

int initEngine() {
  // Step 1. Nothing read yet, and the debug clocks at zero.
  clearInputBuffer();
  zeroDebugClocks();
  // Step 2. The move, history and pawn tables are static arrays: nothing to allocate.
  // Step 3. The settings, modes and switches the configuration file may change, at their defaults.
  setStartupSettings();
  setStartupProtocolState();
  // Step 4. The configuration file; a defective one has been rewritten and the user told.
  if (!readConfigFile()) return INIT_CONFIG_REWRITTEN;
  // Step 5. The opening books.
  openBookFiles();
  // Step 6. The hash, pawn and score tables.
  const int allocation = allocatePositionTables(EngineSettings.hashMegabytes);
  if (allocation != INIT_OK) return allocation;
  // Step 7. With all 999 names taken the log file opener switches logging off and we run on.
  if (EngineSettings.logEnabled && openLogFile() == LOG_FILE_FAILED) {
    freeTables();
    return INIT_NO_LOG_FILE;
  }
  // Step 8. Seed the random numbers from the calendar time.
  std::srand(static_cast<unsigned>(calendarSeconds()));
  // Step 9. The token buffers are part of Input.
  // Step 10. Settings defaults (the piece values are set by every new game).
  setStartupTimeControl();
  // Step 11. Constant tables and clean position tables.
  initHashKeys();
  clearHashTables();
  clearPawnTable();
  clearScoreTable();
  initDistanceTables();
  initRatingDiff();
  initMoveTables();
  // Step 12. Opening the learning file also loads its records.
  if (EngineSettings.learningEnabled) openLearningFile();
  return INIT_OK;
}

// Every record's owner resets its own part of the game.
void newGame() {
  // Step 1. Evaluation: the game phase unknown, White at the root, no iteration under way.
  forgetGamePhase();
  resetEvalContext();
  // Step 2. Hash age and the game marks the interface steers.
  resetHashAge();
  resetGameMarks();
  // Step 3. A fresh seed for the random choices.
  std::srand(static_cast<unsigned>(calendarSeconds()));
  // Step 4. Piece values for the chosen style.
  setPieceValues((EngineSettings.styleFlags & STYLE_KNOWLEDGE_OFF) != 0);
  // Step 5. The think driver's records, the node count and the move-ordering state.
  clearThinkRecords();
  // Step 6. Empty move stack, then cleared (or, in fritz mode, aged) position tables.
  clearMoveStack();
  resetPositionTables();
  // Step 7. The initial position.
  setupInitialPosition();
  // Step 8. The clock of the new game.
  startGameClock();
}

void freeTables() {
  freePositionTables();
  if (EngineSettings.learningEnabled) closeLearningFile();
}

int engineMain(int argc, char** argv) {
  // Step 1. Defaults for a run: no setboard search, default table sizes. Interfaces send the
  // interrupt signal at any time, also while the tables are still being cleared.
  ignoreInterrupts();
  setSetboardRun(false);
  setHashEntryCount(DEFAULT_HASH_MASK + 1);
  setScoreEntryCount(DEFAULT_SCORE_ENTRIES);
  // Step 2. A position argument sorts after the bare word; a number never does.
  const bool setboardForm = argc >= 2 && std::strcmp(argv[1], SETBOARD_WORD) > 0;
  if (!setboardForm && argc == ARGC_TWO_SIZES) {
    const int status = readCheckedSizes(argv);
    if (status != 0) return status;
  } else if (!setboardForm && argc == ARGC_THREE_SIZES) {
    echoHashCount(parseNumber(argv[1]));
    echoScoreCount(parseNumber(argv[2]));
  }
  // Step 3. Engine start-up; a failure ends the run quietly.
  if (initEngine() != INIT_OK) return EXIT_NORMAL;
  // Step 4. A new game.
  newGame();
  // Step 5. The termination signal is swallowed once.
  installSignalHandling(onSignal);
  // Step 6. The start-up time control.
  setStartTimeControl();
  // Step 7. End of input sets quitRequested like "quit" does.
  if (setboardForm) {
    runSetboardSearch(argv[1]);
  } else {
    openDialectChoice();
    while (!ProtocolState.quitRequested) processCommands();
  }
  // Step 8. Close the files and free the tables.
  shutDown();
  return EXIT_NORMAL;
}
