// The threaded move tables nextSquare / nextDirection, built once from a 10x12 mailbox walk.
//
// For a piece type t on square f, nextSquare[t][f][f] is the first square of the first ray;
// after a square of a ray, nextSquare gives the next square along it and, after the ray's last
// square, the first square of the next ray; nextDirection jumps straight to the next ray. Reaching
// f again ends the walk. Pawns use the two tables as two threads: pushes and captures.
#include <cstring>

#include "board/tables.h"
#include "board/types.h"

namespace {

constexpr int MAILBOX_SIZE = 120;
constexpr int MAX_DIRECTIONS = 8;
constexpr int MAX_RAY = 7;

struct PieceMoves {
  int offsets[MAX_DIRECTIONS];  // mailbox offsets, 0 = no such direction
  int maxSteps;
};

// Indexed by move type 1..7 (White pawn, knight, bishop, rook, queen, king, Black pawn).
constexpr PieceMoves MOVE_PATTERNS[8] = {
    {{0}, 0},
    {{10, 9, 11}, 2},
    {{8, -8, 12, -12, 19, -19, 21, -21}, 1},
    {{9, 11, -9, -11}, 7},
    {{1, 10, -1, -10}, 7},
    {{1, 10, -1, -10, 9, 11, -9, -11}, 7},
    {{1, 10, -1, -10, 9, 11, -9, -11}, 1},
    {{-10, -9, -11}, 2},
};

int mailboxToSquare[MAILBOX_SIZE];

void initMailbox() {
  for (int m = 0; m < MAILBOX_SIZE; m++) mailboxToSquare[m] = -1;
  for (int rank = 0; rank < 8; rank++)
    for (int file = 0; file < 8; file++) mailboxToSquare[(rank + 2) * 10 + file + 1] = rank * 8 + file;
}

struct Ray {
  int squares[MAX_RAY];
  int length;
};

bool isPawnType(int type) { return type == PAWN || type == BLACK_PAWN_TYPE; }

// The rays of a piece type from mailbox cell m (square f), in direction order.
int collectRays(int type, int m, int f, Ray rays[MAX_DIRECTIONS]) {
  const PieceMoves& pattern = MOVE_PATTERNS[type];
  int count = 0;
  for (int d = 0; d < MAX_DIRECTIONS; d++) {
    int offset = pattern.offsets[d];
    if (offset == 0) continue;
    Ray& ray = rays[count++];
    ray.length = 0;
    int steps = pattern.maxSteps;
    if (isPawnType(type)) {
      bool push = (d == 0);
      bool doubleStep = push && BoardTables.initialPieceAt[f] == PAWN;
      steps = doubleStep ? 2 : 1;
    }
    int cell = m;
    for (int step = 0; step < steps; step++) {
      cell += offset;
      int sq = mailboxToSquare[cell];
      if (sq < 0) break;
      ray.squares[ray.length++] = sq;
    }
  }
  return count;
}

// Pieces: all rays threaded in order, empty rays left out.
void threadPieceRays(int type, int f, const Ray* rays, int rayCount) {
  int8_t (*next)[64] = BoardTables.nextSquare[type];
  int8_t (*jump)[64] = BoardTables.nextDirection[type];
  const Ray* nonEmpty[MAX_DIRECTIONS];
  int n = 0;
  for (int r = 0; r < rayCount; r++)
    if (rays[r].length > 0) nonEmpty[n++] = &rays[r];
  if (n == 0) return;
  next[f][f] = static_cast<int8_t>(nonEmpty[0]->squares[0]);
  jump[f][f] = static_cast<int8_t>(nonEmpty[0]->squares[0]);
  for (int r = 0; r < n; r++) {
    const Ray& ray = *nonEmpty[r];
    int nextRayStart = (r + 1 < n) ? nonEmpty[r + 1]->squares[0] : f;
    for (int i = 0; i < ray.length; i++) {
      int sq = ray.squares[i];
      next[f][sq] = static_cast<int8_t>(i + 1 < ray.length ? ray.squares[i + 1] : nextRayStart);
      jump[f][sq] = static_cast<int8_t>(nextRayStart);
    }
  }
}

// Pawns: nextSquare threads the push squares, nextDirection the capture squares.
void threadPawnRays(int type, int f, const Ray* rays, int rayCount) {
  int8_t (*next)[64] = BoardTables.nextSquare[type];
  int8_t (*jump)[64] = BoardTables.nextDirection[type];
  int at = f;
  for (int i = 0; i < rays[0].length; i++) {
    next[f][at] = static_cast<int8_t>(rays[0].squares[i]);
    at = rays[0].squares[i];
  }
  next[f][at] = static_cast<int8_t>(f);
  at = f;
  for (int r = 1; r < rayCount; r++) {
    if (rays[r].length == 0) continue;
    jump[f][at] = static_cast<int8_t>(rays[r].squares[0]);
    at = rays[r].squares[0];
  }
  jump[f][at] = static_cast<int8_t>(f);
}

}  // namespace

void initMoveTables() {
  initMailbox();
  for (int type = 0; type < 8; type++) {
    for (int f = 0; f < 64; f++) {
      std::memset(BoardTables.nextSquare[type][f], f, 64);
      std::memset(BoardTables.nextDirection[type][f], f, 64);
    }
  }
  for (int type = PAWN; type <= BLACK_PAWN_TYPE; type++) {
    for (int m = 21; m <= 98; m++) {
      int f = mailboxToSquare[m];
      if (f < 0) continue;
      Ray rays[MAX_DIRECTIONS];
      int rayCount = collectRays(type, m, f, rays);
      if (isPawnType(type)) {
        threadPawnRays(type, f, rays, rayCount);
        continue;
      }
      threadPieceRays(type, f, rays, rayCount);
      uint64_t reach = 0;
      for (int r = 0; r < rayCount; r++)
        for (int i = 0; i < rays[r].length; i++) reach |= uint64_t{1} << rays[r].squares[i];
      BoardTables.reachMask[type][f] = reach;
    }
  }
}
