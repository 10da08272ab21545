// The constant tables of the board: pawn attacks, en-passant origins, distances, the initial
// position's arrays and the Zobrist keys. Filled once at start-up.
#include "board/tables.h"

#include <cstdlib>

#include "board/types.h"

BoardTablesData BoardTables;

namespace {

// The initial position, rank 1 first.
constexpr int8_t INITIAL_BACK_RANK[8] = {ROOK, KNIGHT, BISHOP, QUEEN, KING, BISHOP, KNIGHT, ROOK};

// The key generator: x = x + (x >> 11), starting from this seed; the learning file and the
// special-move table rely on these exact values.
constexpr uint32_t ZOBRIST_SEED = 0x41C64E6F;
constexpr int ZOBRIST_SHIFT = 11;

void initInitialArrays() {
  for (int sq = 0; sq < 64; sq++) {
    int rank = rankOf(sq);
    int8_t piece = NONE;
    int8_t colour = EMPTY;
    if (rank == 0 || rank == 7) piece = INITIAL_BACK_RANK[fileOf(sq)];
    if (rank == 1 || rank == 6) piece = PAWN;
    if (rank <= 1) colour = WHITE;
    if (rank >= 6) colour = BLACK;
    BoardTables.initialPieceAt[sq] = piece;
    BoardTables.initialColorAt[sq] = colour;
  }
}

// A pawn on sq attacks sq + delta unless that leaves the board sideways
// (`edgeFile` is the file it cannot attack from) or the pawn cannot stand there.
int8_t pawnTarget(int sq, int delta, int edgeFile) {
  int rank = rankOf(sq);
  if (rank == 0 || rank == 7) return NO_SQUARE;
  if (fileOf(sq) == edgeFile) return NO_SQUARE;
  return static_cast<int8_t>(sq + delta);
}

void initPawnTables() {
  for (int sq = 0; sq < 64; sq++) {
    BoardTables.pawnAttackA[WHITE][sq] = pawnTarget(sq, 9, 7);
    BoardTables.pawnAttackB[WHITE][sq] = pawnTarget(sq, 7, 0);
    BoardTables.pawnAttackA[BLACK][sq] = pawnTarget(sq, -9, 0);
    BoardTables.pawnAttackB[BLACK][sq] = pawnTarget(sq, -7, 7);
  }
}

// For an en-passant square e, the squares from which a pawn captures onto it; e itself
// where there is none (e is empty, so such an entry never yields a move).
void initEnPassantOrigins() {
  for (int e = 0; e < 64; e++) {
    int file = fileOf(e);
    int8_t a = static_cast<int8_t>(e);
    int8_t b = static_cast<int8_t>(e);
    if (rankOf(e) == 2) {  // Black captures onto rank 3
      if (file > 0) a = static_cast<int8_t>(e + 7);
      if (file < 7) b = static_cast<int8_t>(e + 9);
    } else if (rankOf(e) == 5) {  // White captures onto rank 6
      if (file > 0) a = static_cast<int8_t>(e - 9);
      if (file < 7) b = static_cast<int8_t>(e - 7);
    }
    BoardTables.epOriginA[e] = a;
    BoardTables.epOriginB[e] = b;
  }
}

}  // namespace

void initDistanceTables() {
  for (int a = 0; a < 64; a++) {
    for (int b = 0; b < 64; b++) {
      int df = std::abs(fileOf(a) - fileOf(b));
      int dr = std::abs(rankOf(a) - rankOf(b));
      BoardTables.distance[a][b] = static_cast<int16_t>(df > dr ? df : dr);
      BoardTables.taxicab[a][b] = static_cast<int16_t>(df + dr);
    }
  }
  initPawnTables();
  initEnPassantOrigins();
  initInitialArrays();
}

void initHashKeys() {
  uint32_t x = ZOBRIST_SEED;
  for (int colour = 0; colour < 2; colour++) {
    for (int sq = 0; sq < 64; sq++) BoardTables.zobrist[colour][NONE][sq] = {0, 0};
    for (int piece = PAWN; piece <= KING; piece++) {
      for (int sq = 0; sq < 64; sq++) {
        x += x >> ZOBRIST_SHIFT;
        BoardTables.zobrist[colour][piece][sq].key = x;
        x += x >> ZOBRIST_SHIFT;
        BoardTables.zobrist[colour][piece][sq].lock = x;
      }
    }
  }
}

void initBoardTables() {
  initHashKeys();
  initDistanceTables();
  initMoveTables();
}
