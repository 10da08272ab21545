// Making and unmaking moves with the game record, and castling.
#pragma once
#include <cstddef>
#include <cstdint>
#include "board/types.h"

// One record per move made (game and search moves alike), 48 bytes:
//   offset  0 uint16 moveCode          makeMove
//   offset  2 int16  score             think driver (engine's moves)
//   offset  4 int16  bookMark          makeMove clears it, think driver: 1 = book move
//   offset  6 int8   depth             think driver: iteration reached
//   offset  8 int32  timeUsed          think driver, centiseconds
//   offset 12 int8   capturedPiece     0 none, 1 for en passant
//   offset 13 int8   capturedColor     EMPTY none; the mover's colour for castling
//   offset 16 int32  flags             the move's flags
//   offset 20 int16  lastIrreversible  before the move
//   offset 24 int32  nodes             think driver (low 32 bits)
//   offset 28 uint32 hashKey           before the move
//   offset 32 uint32 hashLock          before the move
//   offset 36 uint32 pawnHashKey       before the move
//   offset 40 int8   epSquare          before the move
struct GameRecord {
  uint16_t moveCode;
  int16_t score;
  int16_t bookMark;
  int8_t depth;
  int8_t unused7;
  int32_t timeUsed;
  int8_t capturedPiece;
  int8_t capturedColor;
  int8_t unused14[2];
  int32_t flags;
  int16_t lastIrreversible;
  int8_t unused22[2];
  int32_t nodes;
  uint32_t hashKey;
  uint32_t hashLock;
  uint32_t pawnHashKey;
  int8_t epSquare;
  int8_t unused41[7];
};
static_assert(sizeof(GameRecord) == 48, "a game record is 48 bytes");
static_assert(offsetof(GameRecord, capturedPiece) == 12 && offsetof(GameRecord, flags) == 16 &&
                  offsetof(GameRecord, hashKey) == 28 && offsetof(GameRecord, epSquare) == 40,
              "game record layout");

// Record 0 exists and stays zero; the first move of a game fills record 1.
constexpr int GAME_HISTORY_SIZE = 1024;
// Once gameCount reaches this, no game move is entered and no search is started.
constexpr int GAME_MOVE_LIMIT = 960;
extern GameRecord GameHistory[GAME_HISTORY_SIZE];

// Draw landmarks of the game record.
constexpr int FIFTY_MOVE_PLIES = 100;          // plies since lastIrreversible that make the fifty-move draw
constexpr int FIRST_REPETITION_DISTANCE = 3;   // record gameCount - 3 holds the position 4 plies back

constexpr int LIST_REMOVE = 1;
constexpr int LIST_APPEND = 0;
void updatePieceList(int side, int square, int mode);
void updatePawnList(int side, int square, int mode);

void makeMove(int side, const Move& move);
// Board.hashKey as makeMove(side, move) will leave it, without making the move.
uint32_t hashKeyAfter(int side, const Move& move);
// Board.pawnHashKey as makeMove(side, move) will leave it.
uint32_t pawnHashKeyAfter(int side, const Move& move);
void unmakeMove(int side, const Move& move);

// The null move passes the turn: a GameHistory record without a move, no en-passant square and
// no last to-square. unmakeNullMove restores the keys and marks from that record and puts back
// the last to-square the caller kept.
void makeNullMove();
void unmakeNullMove(int8_t lastTo);

constexpr int CASTLE_TEST = 0;
constexpr int CASTLE_MAKE = 1;
constexpr int CASTLE_UNMAKE = 2;
// mode 0 tests whether castling is allowed (1/0); modes 1 and 2 make/unmake it and return 1.
int castle(int side, int kingFrom, int kingTo, int mode);

// The think driver's entries in the record of the engine's move just made: its score, the
// iteration reached, the time and nodes spent, and whether it came from the book.
void recordThinkResult(int score, int depth, int32_t timeUsed, int32_t nodes, bool bookMove);
