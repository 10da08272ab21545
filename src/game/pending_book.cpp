// PENDING (book): temporary stand-ins for routines and globals owned by other parts of the engine,
// so that the book, the learning file and the book builder build and test on their own. Every
// definition here goes when its owner's code lands.
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
#include "config/settings.h"
#include "platform/clock.h"
#include "search/hashtable.h"
#include "search/searchstate.h"
#include "shell/notation.h"
#include "shell/output.h"
#include "shell/startup.h"

// PENDING (book): globals of the board, search, settings, hash table and notation owners.
BoardData Board;
BoardTablesData BoardTables;
MoveStackData MoveStack;
GameRecord GameHistory[GAME_HISTORY_SIZE];
SearchData SearchState;
SettingsData EngineSettings;
HashTableData HashTable;
NotationData Notation;

// PENDING (book): output funnel, clock and move text (coordinates only).
void sendLine(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vprintf(format, args);
  va_end(args);
  std::fflush(stdout);
}

long calendarSeconds() { return static_cast<long>(std::time(nullptr)); }

void formatMove(int from, int to, int flags) {
  (void)flags;
  std::snprintf(Notation.coordText, sizeof(Notation.coordText), "%c%c%c%c", 'a' + (from & 7), '1' + (from >> 3),
                'a' + (to & 7), '1' + (to >> 3));
}

// PENDING (book): the board (lands with the lead's work).
void initBoardTables() {}
void setPieceValues(bool) {}
void placeInitialPieces() {}
void clearMoveStack() {}
void recomputeBoardState() {}
void generateMoves(int) {}
void makeMove(int, const Move&) {}
void unmakeMove(int, const Move&) {}
int isSquareAttacked(int, int) { return 0; }

// PENDING (book): program entry points owned by others.
int engineMain(int, char**) { return 0; }
int runPerftCommand(int, char**) { return 0; }
