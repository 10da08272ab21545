// Constant tables of the board: threaded move tables, pawn attack and en-passant origin tables,
// distances and the Zobrist key table. Filled once at start-up, then read only.
#pragma once
#include <cstdint>

struct ZobristEntry {
  uint32_t key;
  uint32_t lock;
};

struct BoardTablesData {
  // [moveType][from][current]: 32768 bytes each.
  int8_t nextSquare[8][64][64];
  int8_t nextDirection[8][64][64];
  // [moveType][from]: bit s set for every square the walk from `from` visits on an empty board.
  uint64_t reachMask[8][64];
  int8_t pawnAttackA[2][64];     // White s+9, Black s-9; 64 = none
  int8_t pawnAttackB[2][64];     // White s+7, Black s-7; 64 = none
  int8_t epOriginA[64];          // capture origin on file - 1 for an en-passant square (or the square)
  int8_t epOriginB[64];          // capture origin on file + 1
  int16_t distance[64][64];      // king distance
  int16_t taxicab[64][64];       // file + rank difference
  ZobristEntry zobrist[2][7][64];
  int8_t initialPieceAt[64];
  int8_t initialColorAt[64];
};
extern BoardTablesData BoardTables;

// moveType per colour and piece code (a Black pawn has type 7).
constexpr int8_t MOVE_TYPE[2][8] = {{0, 1, 2, 3, 4, 5, 6, 0}, {0, 7, 2, 3, 4, 5, 6, 0}};

void initMoveTables();
void initHashKeys();
void initDistanceTables();  // also the pawn-attack and en-passant origin tables and the initial arrays

// One-call set-up of every board table (keys, distances, move tables) for start-up, tools and tests.
void initBoardTables();
