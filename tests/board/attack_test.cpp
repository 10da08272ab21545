// Attack detection against a plain geometric reference on every square, and the own-king test
// after a move, whose short cuts must answer exactly as the full attack test, for every
// generated move of the perft suite's positions and of the positions one move on.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "board/attack.h"
#include "board/board.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "board/ordering.h"
#include "support/board_fixture.h"
#include "support/perft_suite.h"

namespace {

// Does the piece on `from` attack `to`? Pawns, knights and kings by their offsets, sliders by a
// walk within the board that stops at the first piece.
bool referenceAttacks(int from, int to) {
  const int piece = Board.pieceAt[from];
  const int df = fileOf(to) - fileOf(from);
  const int dr = rankOf(to) - rankOf(from);
  const int forward = Board.colorAt[from] == WHITE ? 1 : -1;
  switch (piece) {
    case PAWN: return dr == forward && std::abs(df) == 1;
    case KNIGHT: return (std::abs(df) == 1 && std::abs(dr) == 2) || (std::abs(df) == 2 && std::abs(dr) == 1);
    case KING: return from != to && std::abs(df) <= 1 && std::abs(dr) <= 1;
    default: break;
  }
  const bool straight = df == 0 || dr == 0;
  const bool diagonal = std::abs(df) == std::abs(dr);
  if (from == to || (!straight && !diagonal)) return false;
  if (piece == ROOK && !straight) return false;
  if (piece == BISHOP && !diagonal) return false;
  const int sf = (df > 0) - (df < 0), sr = (dr > 0) - (dr < 0);
  for (int f = fileOf(from) + sf, r = rankOf(from) + sr; squareAt(r, f) != to; f += sf, r += sr)
    if (Board.pieceAt[squareAt(r, f)] != NONE) return false;
  return true;
}

int referenceIsSquareAttacked(int s, int side) {
  for (int from = 0; from < 64; from++)
    if (Board.colorAt[from] == side && referenceAttacks(from, s)) return 1;
  return 0;
}

// Every square, both sides; returns the number of comparisons.
int compareEverySquare(const std::string& fen) {
  for (int side = WHITE; side <= BLACK; side++)
    for (int s = 0; s < 64; s++) {
      const int expected = referenceIsSquareAttacked(s, side);
      EXPECT_EQ(isSquareAttacked(s, side), expected) << fen << " square " << s << " side " << side;
      EXPECT_EQ(isSquareAttackedOnSquares(s, side), expected) << fen << " square " << s << " side " << side;
    }
  return 128;
}

// Every generated move of the side to move at Ordering.ply, made and compared; when `deeper`,
// the same again one ply on after each legal move. Returns the number of moves compared.
int compareAfterEveryMove(const std::string& fen, bool deeper) {
  const int side = Board.sideToMove;
  const bool safe = isInCheck(side) == 0;
  const int ply = Ordering.ply;
  generateMoves(side);
  int compared = 0;
  for (int i = MoveStack.plyStart[ply]; i < MoveStack.plyStart[ply + 1]; i++) {
    const Move m = MoveStack.moveStack[i];
    makeMove(side, m);
    const int full = isInCheck(side);
    if (deeper) compareEverySquare(fen);
    EXPECT_EQ(ownKingAttackedAfter(side, m, safe), full) << fen << " " << moveText(m.from, m.to, m.flags);
    EXPECT_EQ(ownKingAttackedAfter(side, m, false), full) << fen << " " << moveText(m.from, m.to, m.flags);
    compared += 1;
    if (deeper && full == 0) {
      Board.sideToMove ^= 1;
      Ordering.ply = ply + 1;
      compared += compareAfterEveryMove(fen, false);
      Ordering.ply = ply;
      Board.sideToMove ^= 1;
    }
    unmakeMove(side, m);
  }
  return compared;
}

TEST(IsSquareAttacked, AgreesWithTheGeometricReferenceOverThePerftSuite) {
  int compared = 0;
  for (const PerftCase& c : loadPerftSuite()) {
    ASSERT_TRUE(setUpPosition(c.fen)) << c.fen;
    compared += compareEverySquare(c.fen);
  }
  EXPECT_GT(compared, 10000);
}

// The endgame's race test lifts pawns and puts a queen down by writing the squares alone: the
// square walk must see the new queen and no longer see a lifted piece.
TEST(IsSquareAttackedOnSquares, SeesSquaresEditedWithoutTheLists) {
  ASSERT_TRUE(setUpPosition("7k/8/8/8/8/8/8/R3K3 w - - 0 1"));
  Board.pieceAt[A1] = NONE;
  Board.colorAt[A1] = EMPTY;
  Board.pieceAt[D4] = QUEEN;
  Board.colorAt[D4] = WHITE;
  EXPECT_EQ(isSquareAttackedOnSquares(H8, WHITE), 1);  // the new queen, along the long diagonal
  EXPECT_EQ(isSquareAttackedOnSquares(A8, WHITE), 0);  // the lifted rook no longer
  for (int side = WHITE; side <= BLACK; side++)
    for (int s = 0; s < 64; s++) EXPECT_EQ(isSquareAttackedOnSquares(s, side), referenceIsSquareAttacked(s, side)) << s;
}

// Runs a comparison of every move (and one move on) from each position of the perft suite;
// returns the number of moves compared.
int compareOverThePerftSuite(int (*compare)(const std::string& fen, bool deeper)) {
  int compared = 0;
  for (const PerftCase& c : loadPerftSuite()) {
    EXPECT_TRUE(setUpPosition(c.fen)) << c.fen;
    Ordering.ply = 1;
    MoveStack.plyStart[1] = 0;
    compared += compare(c.fen, true);
  }
  return compared;
}

TEST(OwnKingAttackedAfter, AgreesWithTheFullTestOverThePerftSuite) {
  EXPECT_GT(compareOverThePerftSuite(compareAfterEveryMove), 30000);
}

// The legality test of the in-check generator edits the squares in place: every generated move of
// the suite's positions and of the positions one move on (castling aside, which that generator never
// tries) must answer as makeMove, isInCheck and unmakeMove do, count one node, and leave the board
// as they leave it: the move's to-square as the last one, and a captured piece (or a promoting pawn)
// moved to the end of its list, where unmakeMove puts it back.
void expectSameLists(const BoardData& a, const BoardData& b, const std::string& where) {
  EXPECT_EQ(std::memcmp(a.pieceAt, b.pieceAt, sizeof a.pieceAt), 0) << where;
  EXPECT_EQ(std::memcmp(a.colorAt, b.colorAt, sizeof a.colorAt), 0) << where;
  // The live entries of the lists; slots past the counts hold left-overs.
  for (int c = WHITE; c <= BLACK; c++) {
    ASSERT_EQ(a.pieceCount[c], b.pieceCount[c]) << where;
    ASSERT_EQ(a.pawnCount[c], b.pawnCount[c]) << where;
    EXPECT_EQ(std::memcmp(a.pieceList[c], b.pieceList[c], a.pieceCount[c] + 1), 0) << where;
    EXPECT_EQ(std::memcmp(a.pawnList[c] + 1, b.pawnList[c] + 1, a.pawnCount[c]), 0) << where;
  }
  // An empty square's entry is a left-over that nobody reads.
  for (int sq = 0; sq < 64; sq++) {
    if (a.pieceAt[sq] != NONE) {
      EXPECT_EQ(a.listIndex[sq], b.listIndex[sq]) << where << " square " << sq;
    }
  }
  EXPECT_EQ(std::memcmp(a.pawnAttacks, b.pawnAttacks, sizeof a.pawnAttacks), 0) << where;
  EXPECT_EQ(a.lastTo, b.lastTo) << where;
  EXPECT_EQ(a.hashKey, b.hashKey) << where;
  EXPECT_EQ(a.gameCount, b.gameCount) << where;
}

int compareLeavesKingInCheck(const std::string& fen, bool deeper) {
  const int side = Board.sideToMove;
  const int ply = Ordering.ply;
  generateMoves(side);
  int compared = 0;
  for (int i = MoveStack.plyStart[ply]; i < MoveStack.plyStart[ply + 1]; i++) {
    const Move m = MoveStack.moveStack[i];
    const std::string where = fen + " " + moveText(m.from, m.to, m.flags);
    const BoardData start = Board;
    makeMove(side, m);
    const int full = isInCheck(side);
    unmakeMove(side, m);
    if (!(m.flags & CASTLING)) {
      const BoardData reference = Board;
      Board = start;
      const uint64_t nodes = Ordering.nodes;
      EXPECT_EQ(leavesKingInCheck(m.from, m.to, m.flags), full) << where;
      EXPECT_EQ(Ordering.nodes, nodes + 1) << where;
      expectSameLists(reference, Board, where);
      // Told the squares that answer a check, the test says the same and leaves the same board.
      Board = start;
      EXPECT_EQ(leavesKingInCheckAnswering(m.from, m.to, m.flags, checkAnswerSquares(side)), full) << where;
      EXPECT_EQ(Ordering.nodes, nodes + 2) << where;
      expectSameLists(reference, Board, where);
      Board = reference;
    }
    if (deeper && full == 0) {
      makeMove(side, m);
      Board.sideToMove ^= 1;
      Ordering.ply = ply + 1;
      compared += compareLeavesKingInCheck(fen, false);
      Ordering.ply = ply;
      Board.sideToMove ^= 1;
      unmakeMove(side, m);
    }
    compared += 1;
  }
  return compared;
}

TEST(LeavesKingInCheck, AgreesWithMakingTheMoveOverThePerftSuite) {
  EXPECT_GT(compareOverThePerftSuite(compareLeavesKingInCheck), 30000);
}

// Positions where a single line decides: a pinned piece leaving or keeping its line, the pinner
// captured, en passant emptying a rank, and a king stepping along an attacked line.
TEST(OwnKingAttackedAfter, AgreesOnPinsAndDiscoveries) {
  const char* fens[] = {
      "3k4/8/8/8/8/8/4R3/4K2r w - - 0 1",          // the king is attacked: full test
      "4r1k1/8/8/8/8/8/4N3/4K3 w - - 0 1",         // knight pinned on the file
      "6k1/8/8/8/1b6/8/3B4/4K3 w - - 0 1",         // bishop pinned on the diagonal, may take the pinner
      "6k1/8/8/q7/8/8/3P4/4K3 w - - 0 1",          // pawn pinned diagonally by a queen
      "8/8/8/K2pP2q/8/8/8/7k w - d6 0 1",          // en passant would empty the king's rank
      "7k/8/8/8/r2PK3/8/8/8 w - - 0 1",            // king beside a line the pawn shields
      "4k3/4r3/8/8/8/8/4Q3/4K3 w - - 0 1",         // queen pinned on the file, may move along it
  };
  for (const char* fen : fens) {
    ASSERT_TRUE(setUpPosition(fen)) << fen;
    Ordering.ply = 1;
    MoveStack.plyStart[1] = 0;
    EXPECT_GT(compareAfterEveryMove(fen, true), 0) << fen;
  }
}

}  // namespace
