// Attack detection: walks outward from the square along the move tables.
#include "board/attack.h"

#include "board/board.h"
#include "board/makemove.h"
#include "board/ordering.h"
#include "board/tables.h"

namespace {

// Walks the rays of `type` from s; 1 at the first occupied square holding `a` or `b` of `side`.
inline int sliderAttacks(int s, int side, int type, int a, int b) {
  const int8_t* next = BoardTables.nextSquare[type][s];
  const int8_t* jump = BoardTables.nextDirection[type][s];
  int u = next[s];
  while (u != s) {
    int piece = Board.pieceAt[u];
    if (piece == NONE) {
      u = next[u];
    } else {
      if ((piece == a || piece == b) && Board.colorAt[u] == side) return 1;
      u = jump[u];
    }
  }
  return 0;
}

}  // namespace

int isSquareAttacked(int s, int side) {
  if (sliderAttacks(s, side, BISHOP, BISHOP, QUEEN)) return 1;
  if (sliderAttacks(s, side, ROOK, ROOK, QUEEN)) return 1;
  const int8_t* jump = BoardTables.nextDirection[KNIGHT][s];
  for (int u = jump[s]; u != s; u = jump[u])
    if (Board.pieceAt[u] == KNIGHT && Board.colorAt[u] == side) return 1;
  if (Board.pawnAttacks[side][s] != 0) return 1;
  return BoardTables.distance[s][Board.pieceList[side][0]] == 1 ? 1 : 0;
}

int leavesKingInCheck(int from, int to, int flags) {
  Ordering.nodes += 1;
  int side = Board.colorAt[from];
  Move move{static_cast<int8_t>(from), static_cast<int8_t>(to), 0, flags};
  makeMove(side, move);
  int attacked = isSquareAttacked(Board.pieceList[side][0], side ^ 1);
  unmakeMove(side, move);
  return attacked;
}

int isInCheck(int side) { return isSquareAttacked(Board.pieceList[side][0], side ^ 1); }
