// Attack detection: each piece of the attacking side is tried against the square through
// geometry tables, and a slider on a shared line by a walk between the two.
#include "board/attack.h"

#include <array>
#include <cstdint>

#include "board/board.h"
#include "board/makemove.h"
#include "board/ordering.h"
#include "board/tables.h"

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

// LINE_STEP[a][b]: the square step from a towards b when they share a line, else 0.
constexpr std::array<std::array<int8_t, 64>, 64> LINE_STEP = [] {
  std::array<std::array<int8_t, 64>, 64> steps{};
  for (int a = 0; a < 64; a++) {
    for (int b = 0; b < 64; b++) {
      if (LINE_KIND[a][b] == NO_LINE) continue;
      steps[a][b] = static_cast<int8_t>(8 * sign(rankOf(b) - rankOf(a)) + sign(fileOf(b) - fileOf(a)));
    }
  }
  return steps;
}();

// KNIGHT_JUMP[a][b]: a knight on a attacks b.
constexpr std::array<std::array<bool, 64>, 64> KNIGHT_JUMP = [] {
  std::array<std::array<bool, 64>, 64> jumps{};
  for (int a = 0; a < 64; a++) {
    for (int b = 0; b < 64; b++) {
      const int df = fileOf(b) - fileOf(a);
      const int dr = rankOf(b) - rankOf(a);
      jumps[a][b] = df * df + dr * dr == 5;
    }
  }
  return jumps;
}();

// LINE_END[a][b]: the last square on the board going from a through b, when they share a line.
constexpr std::array<std::array<int8_t, 64>, 64> LINE_END = [] {
  std::array<std::array<int8_t, 64>, 64> ends{};
  for (int a = 0; a < 64; a++) {
    for (int b = 0; b < 64; b++) {
      if (LINE_KIND[a][b] == NO_LINE) continue;
      const int df = sign(fileOf(b) - fileOf(a));
      const int dr = sign(rankOf(b) - rankOf(a));
      int f = fileOf(b), r = rankOf(b);
      while (f + df >= 0 && f + df < 8 && r + dr >= 0 && r + dr < 8) {
        f += df;
        r += dr;
      }
      ends[a][b] = static_cast<int8_t>(squareAt(r, f));
    }
  }
  return ends;
}();

// 1 when the first piece from `king` in the direction of `through` is a slider of `attacker`
// that moves along that line.
int sliderOnLine(int king, int through, int attacker) {
  const int slider = LINE_KIND[king][through] == STRAIGHT_LINE ? ROOK : BISHOP;
  const int step = LINE_STEP[king][through];
  const int end = LINE_END[king][through];
  for (int u = king + step;; u += step) {
    const int piece = Board.pieceAt[u];
    if (piece != NONE) return Board.colorAt[u] == attacker && (piece == QUEEN || piece == slider) ? 1 : 0;
    if (u == end) return 0;
  }
}

// No piece stands strictly between a and b, which share a line.
inline bool lineIsOpen(int a, int b) {
  const int step = LINE_STEP[a][b];
  for (int u = a + step; u != b; u += step)
    if (Board.pieceAt[u] != NONE) return false;
  return true;
}

// The entry of `square` goes to the end of its list, the later entries one place down: the
// order a removal and a re-append leave.
void moveToListEnd(int8_t* list, int count, int square) {
  for (int i = Board.listIndex[square]; i < count; i++) {
    list[i] = list[i + 1];
    Board.listIndex[list[i]] = static_cast<int8_t>(i);
  }
  list[count] = static_cast<int8_t>(square);
  Board.listIndex[square] = static_cast<int8_t>(count);
}

// REACH[a][b]: bit `piece` is set for the knights, bishops, rooks and queens that would attack b
// from a on an empty board.
constexpr std::array<std::array<uint8_t, 64>, 64> REACH = [] {
  std::array<std::array<uint8_t, 64>, 64> reach{};
  for (int a = 0; a < 64; a++) {
    for (int b = 0; b < 64; b++) {
      if (KNIGHT_JUMP[a][b]) reach[a][b] |= 1 << KNIGHT;
      if (LINE_KIND[a][b] == DIAGONAL_LINE) reach[a][b] |= 1 << BISHOP | 1 << QUEEN;
      if (LINE_KIND[a][b] == STRAIGHT_LINE) reach[a][b] |= 1 << ROOK | 1 << QUEEN;
    }
  }
  return reach;
}();

// 1 when the knight, bishop, rook or queen on p attacks s: it reaches s on an empty board, and a
// slider's line to s is open.
inline int pieceAttacks(int p, int s) {
  const int piece = Board.pieceAt[p];
  if (((REACH[p][s] >> piece) & 1) == 0) return 0;
  return piece == KNIGHT || lineIsOpen(p, s) ? 1 : 0;
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
  if (Board.pawnAttacks[side][s] != 0) return 1;
  if (BoardTables.distance[s][Board.pieceList[side][0]] == 1) return 1;
  const int8_t* pieces = Board.pieceList[side];
  for (int i = Board.pieceCount[side]; i >= 1; i--)
    if (pieceAttacks(pieces[i], s)) return 1;
  return 0;
}

int isSquareAttackedOnSquares(int s, int side) {
  if (sliderAttacks(s, side, BISHOP, BISHOP, QUEEN)) return 1;
  if (sliderAttacks(s, side, ROOK, ROOK, QUEEN)) return 1;
  const int8_t* jump = BoardTables.nextDirection[KNIGHT][s];
  for (int u = jump[s]; u != s; u = jump[u])
    if (Board.pieceAt[u] == KNIGHT && Board.colorAt[u] == side) return 1;
  if (Board.pawnAttacks[side][s] != 0) return 1;
  return BoardTables.distance[s][Board.pieceList[side][0]] == 1 ? 1 : 0;
}

namespace {

// Where makeMove and unmakeMove leave them: a promoting pawn and a captured piece at the end of
// their lists.
void reorderListsAsMakeAndUnmake(int side, int from, int flags, int victimSquare, int victim) {
  const int opp = side ^ 1;
  if (flags & PROMOTION) moveToListEnd(Board.pawnList[side], Board.pawnCount[side], from);
  if (victim == PAWN) {
    moveToListEnd(Board.pawnList[opp], Board.pawnCount[opp], victimSquare);
  } else if (victim != NONE) {
    moveToListEnd(Board.pieceList[opp], Board.pieceCount[opp], victimSquare);
  }
}

}  // namespace

uint64_t checkAnswerSquares(int side) {
  const int opp = side ^ 1;
  const int king = Board.pieceList[side][0];
  uint64_t squares = 0;
  int checkers = 0;
  // An enemy pawn attacks the king from the squares the king's own pawn would attack from there.
  for (int p : {BoardTables.pawnAttackA[side][king], BoardTables.pawnAttackB[side][king]}) {
    if (p < 64 && Board.pieceAt[p] == PAWN && Board.colorAt[p] == opp) {
      squares |= uint64_t{1} << p;
      checkers += 1;
    }
  }
  for (int i = Board.pieceCount[opp]; i >= 1; i--) {
    const int p = Board.pieceList[opp][i];
    if (!pieceAttacks(p, king)) continue;
    checkers += 1;
    squares |= uint64_t{1} << p;
    if (Board.pieceAt[p] != KNIGHT) {
      const int step = LINE_STEP[p][king];
      for (int u = p + step; u != king; u += step) squares |= uint64_t{1} << u;
    }
  }
  if (checkers == 0) return ~uint64_t{0};
  return checkers == 1 ? squares : 0;
}

// The answer of makeMove, isInCheck and unmakeMove, found on the squares alone: the mover's
// squares are edited in place and put back, and a captured piece no longer attacks (its list
// entry is skipped, a captured pawn's attack taken off). Like makeMove it leaves the move's
// to-square in Board.lastTo, which the generator's recapture bonus reads for the next move.
int leavesKingInCheck(int from, int to, int flags) { return leavesKingInCheckAnswering(from, to, flags, ~uint64_t{0}); }

int leavesKingInCheckAnswering(int from, int to, int flags, uint64_t answers) {
  countNode();
  const int side = Board.colorAt[from];
  const int opp = side ^ 1;
  Board.lastTo = static_cast<int8_t>(to);
  int king = Board.pieceList[side][0];
  // The captured piece's square: `to`, or the pawn beside it for en passant.
  int victimSquare = to;
  if (flags & EN_PASSANT) victimSquare = rankOf(to) == 5 ? to - 8 : to + 8;
  const int8_t victim = Board.pieceAt[victimSquare];
  // A move other than the king's that neither takes the checker nor steps between stays in check.
  if (king != from && !(flags & EN_PASSANT) && ((answers >> to) & 1) == 0) {
    reorderListsAsMakeAndUnmake(side, from, flags, victimSquare, victim);
    return 1;
  }
  if (king == from) king = to;
  const int8_t victimColour = Board.colorAt[victimSquare];
  const int8_t mover = Board.pieceAt[from];
  const int8_t toPiece = Board.pieceAt[to];
  const int8_t toColour = Board.colorAt[to];
  int pawnAttackers = Board.pawnAttacks[opp][king];
  if (victim == PAWN && (BoardTables.pawnAttackA[opp][victimSquare] == king ||
                         BoardTables.pawnAttackB[opp][victimSquare] == king)) {
    pawnAttackers -= 1;
  }
  Board.pieceAt[victimSquare] = NONE;
  Board.colorAt[victimSquare] = EMPTY;
  Board.pieceAt[to] = mover;
  Board.colorAt[to] = static_cast<int8_t>(side);
  Board.pieceAt[from] = NONE;
  Board.colorAt[from] = EMPTY;
  int attacked = pawnAttackers != 0 || BoardTables.distance[king][Board.pieceList[opp][0]] == 1;
  const int8_t* pieces = Board.pieceList[opp];
  for (int i = Board.pieceCount[opp]; i >= 1 && !attacked; i--) {
    const int p = pieces[i];
    if (p == victimSquare) continue;
    attacked = pieceAttacks(p, king);
  }
  Board.pieceAt[from] = mover;
  Board.colorAt[from] = static_cast<int8_t>(side);
  Board.pieceAt[to] = toPiece;
  Board.colorAt[to] = toColour;
  Board.pieceAt[victimSquare] = victim;
  Board.colorAt[victimSquare] = victimColour;
  reorderListsAsMakeAndUnmake(side, from, flags, victimSquare, victim);
  return attacked;
}

int isInCheck(int side) { return isSquareAttacked(Board.pieceList[side][0], side ^ 1); }

int ownKingAttackedAfter(int side, const Move& move, bool kingWasSafe) {
  const int king = Board.pieceList[side][0];
  if (!kingWasSafe || king == move.to || (move.flags & EN_PASSANT) != 0) return isSquareAttacked(king, side ^ 1);
  if (LINE_KIND[king][move.from] == NO_LINE) return 0;
  return sliderOnLine(king, move.from, side ^ 1);
}
