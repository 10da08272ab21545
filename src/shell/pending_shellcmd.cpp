// TEMPORARY STUBS (engineer "shellcmd"): stand-ins for routines and records of other subsystems
// that have not landed on this branch yet, so that the engine shell links and runs. Each block
// names its owner; delete a block as soon as the real code is merged.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "board/attack.h"
#include "board/board.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "board/perft.h"
#include "board/tables.h"
#include "config/logfile.h"
#include "config/settings.h"
#include "eval/evalstate.h"
#include "eval/pawnhash.h"
#include "eval/scoretable.h"
#include "game/book.h"
#include "game/learning.h"
#include "game/think.h"
#include "game/timecontrol.h"
#include "platform/clock.h"
#include "search/hashtable.h"
#include "search/searchstate.h"
#include "shell/input.h"
#include "shell/output.h"
#include "shell/setup.h"

// ---- STUB: board (lead) ----
BoardData Board;
MoveStackData MoveStack;
void setPieceValues(bool) {}
void placeInitialPieces() {}
void recomputeBoardState() {}
int hasOneKingEach() { return 1; }
void initMoveTables() {}
void initBoardTables() {}
void initHashKeys() {}
void initDistanceTables() {}
void clearMoveStack() {}
void generateMoves(int) { MoveStack.plyStart[SearchState.ply + 1] = MoveStack.plyStart[SearchState.ply]; }
void makeMove(int, const Move&) {}
void unmakeMove(int, const Move&) {}
void takeBackMove() {}
int isSquareAttacked(int, int) { return 0; }
int setupPosition(const char*) { return 0; }
int runPerftCommand(int, char**) { return 2; }

// ---- STUB: search, evaluation, think, time control ----
SearchData SearchState;
HashTableData HashTable;
ScoreTableData ScoreTable;
EvalData EvalState;
TimeControlData TimeControl;
int allocatePositionTables(int) { return 0; }
void freePositionTables() {}
void clearHashTables() {}
void clearPawnTable() {}
void clearScoreTable() {}
void think(int, int) {}

// ---- STUB: book and learning ----
BookData Book;
void initRatingDiff() {}
void openBookFiles() { EngineSettings.bookEnabled = 0; }
void closeBookFiles() {}
void openLearningFile() {}
void loadLearning() {}
void closeLearningFile() {}

// ---- STUB: shellio (input, output, configuration, log, clock) ----
InputData Input;
SettingsData EngineSettings;
int readConfigFile() {
  EngineSettings.hashMegabytes = 2;
  return 1;
}
int openLogFile() { return -1; }
void closeLogFile() {}
void logPrintf(const char*, ...) {}
void flushLog() {}
long calendarSeconds() { return static_cast<long>(std::time(nullptr)); }
void sendLine(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::vprintf(format, arguments);
  va_end(arguments);
  std::fflush(stdout);
}
int readLine(char* buffer, int size) {
  if (std::fgets(buffer, size, stdin) == nullptr) {
    buffer[0] = '\0';
    return -1;
  }
  buffer[std::strcspn(buffer, "\r\n")] = '\0';
  return 1;
}
int tokenize(const char* line, const char* separators) {
  char copy[LINE_SIZE];
  std::snprintf(copy, sizeof copy, "%s", line);
  int count = 0;
  for (char* word = std::strtok(copy, separators); word != nullptr && count < TOKEN_COUNT;
       word = std::strtok(nullptr, separators)) {
    std::snprintf(Input.tokens[count++], TOKEN_SIZE, "%s", word);
  }
  return count;
}
