// Attack detection: walks outward from the square along the move tables.
#include "board/attack.h"

#include <array>

#include "board/board.h"
#include "board/makemove.h"
#include "board/tables.h"
#include "search/searchstate.h"

namespace {

// LINE_KIND[a][b]: how a and b share a line; a square shares none with itself.
constexpr int8_t NO_LINE = 0;
constexpr int8_t STRAIGHT_LINE = 1;  // rank or file
constexpr int8_t DIAGONAL_LINE = 2;
constexpr std::array<std::array<int8_t, 64>, 64> LINE_KIND = [] {
  std::array<std::array<int8_t, 64>, 64> kinds{};
  for (int a = 0; a < 64; a++) {
    for (int b = 0; b < 64; b++) {
      const int df = fileOf(b) - fileOf(a);
      const int dr = rankOf(b) - rankOf(a);
      if (a == b) kinds[a][b] = NO_LINE;
      else if (df == 0 || dr == 0) kinds[a][b] = STRAIGHT_LINE;
      else if (df == dr || df == -dr) kinds[a][b] = DIAGONAL_LINE;
      else kinds[a][b] = NO_LINE;
    }
  }
  return kinds;
}();

constexpr int sign(int v) { return (v > 0) - (v < 0); }

// 1 when the first piece from `king` in the direction of `through` is a slider of `attacker`
// that moves along that line.
int sliderOnLine(int king, int through, int attacker) {
  const int straight = LINE_KIND[king][through] == STRAIGHT_LINE;
  const int df = sign(fileOf(through) - fileOf(king));
  const int dr = sign(rankOf(through) - rankOf(king));
  for (int f = fileOf(king) + df, r = rankOf(king) + dr; f >= 0 && f < 8 && r >= 0 && r < 8; f += df, r += dr) {
    const int sq = squareAt(r, f);
    const int piece = Board.pieceAt[sq];
    if (piece == NONE) continue;
    return Board.colorAt[sq] == attacker && (piece == QUEEN || piece == (straight ? ROOK : BISHOP)) ? 1 : 0;
  }
  return 0;
}

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
  SearchState.nodes += 1;
  int side = Board.colorAt[from];
  Move move{static_cast<int8_t>(from), static_cast<int8_t>(to), 0, flags};
  makeMove(side, move);
  int attacked = isSquareAttacked(Board.pieceList[side][0], side ^ 1);
  unmakeMove(side, move);
  return attacked;
}

int isInCheck(int side) { return isSquareAttacked(Board.pieceList[side][0], side ^ 1); }

int ownKingAttackedAfter(int side, const Move& move, bool kingWasSafe) {
  const int king = Board.pieceList[side][0];
  if (!kingWasSafe || king == move.to || (move.flags & EN_PASSANT) != 0) return isSquareAttacked(king, side ^ 1);
  if (LINE_KIND[king][move.from] == NO_LINE) return 0;
  return sliderOnLine(king, move.from, side ^ 1);
}
