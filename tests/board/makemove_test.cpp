// Make and unmake: random games checked field by field, and the particular moves.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "board/attack.h"
#include "board/board.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "board/tables.h"
#include "game/takeback.h"
#include "search/searchstate.h"
#include "support/board_fixture.h"
#include "support/perft_suite.h"

namespace {

void fillTypeCountFromSquares(int8_t counts[2][8]) {
  std::memset(counts, 0, 16);
  for (int sq = 0; sq < 64; sq++)
    if (Board.colorAt[sq] != EMPTY && Board.pieceAt[sq] != KING) counts[Board.colorAt[sq]][Board.pieceAt[sq]] += 1;
}

std::vector<int> sortedList(const int8_t* list, int first, int count) {
  std::vector<int> out(list + first, list + count + 1);
  std::sort(out.begin(), out.end());
  return out;
}

// Bit-for-bit equality except lastTo; lists (and so listIndex) compared as sets.
void expectSameBoard(const BoardData& a, const BoardData& b) {
  BoardData x = a, y = b;
  for (int c = 0; c < 2; c++) {
    EXPECT_EQ(sortedList(x.pieceList[c], 1, x.pieceCount[c]), sortedList(y.pieceList[c], 1, y.pieceCount[c]));
    EXPECT_EQ(sortedList(x.pawnList[c], 1, x.pawnCount[c]), sortedList(y.pawnList[c], 1, y.pawnCount[c]));
    std::memset(x.pieceList[c] + 1, 0, 63);
    std::memset(y.pieceList[c] + 1, 0, 63);
    std::memset(x.pawnList[c], 0, 64);
    std::memset(y.pawnList[c], 0, 64);
  }
  std::memset(x.listIndex, 0, 64);
  std::memset(y.listIndex, 0, 64);
  x.lastTo = y.lastTo = 0;
  EXPECT_EQ(std::memcmp(&x, &y, sizeof x), 0);
}

TEST(MakeMove, RandomGamesKeepEveryField) {
  std::mt19937 rng(20261207);
  int moves = 0;
  const char* starts[] = {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
                          "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
                          "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -",
                          "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -", "4k3/1P6/8/8/8/8/6p1/4K3 w - -"};
  for (int game = 0; game < 60; game++) {
    ASSERT_TRUE(setUpPosition(starts[game % 5]));
    fillTypeCount();
    int side = Board.sideToMove;
    for (int ply = 0; ply < 120; ply++) {
      Ordering.ply = 1;
      MoveStack.plyStart[1] = 0;
      generateMoves(side);
      std::vector<Move> legal;
      for (int i = MoveStack.plyStart[1]; i < MoveStack.plyStart[2]; i++) {
        Move m = MoveStack.moveStack[i];
        BoardData before = Board;
        makeMove(side, m);
        ASSERT_TRUE(boardIsOk());
        int8_t counts[2][8];
        fillTypeCountFromSquares(counts);
        for (int c = 0; c < 2; c++)
          for (int p = PAWN; p <= QUEEN; p++) ASSERT_EQ(Board.typeCount[c][p], counts[c][p]);
        bool ok = !isInCheck(side);
        unmakeMove(side, m);
        expectSameBoard(before, Board);
        if (ok) legal.push_back(m);
        moves++;
      }
      if (legal.empty() || Board.gameCount - Board.lastIrreversible > 100) break;
      makeMove(side, legal[rng() % legal.size()]);
      side ^= 1;
    }
  }
  EXPECT_GT(moves, 50000);
}

TEST(MakeMove, DoubleStepSetsEnPassantSquareAlways) {
  setUpInitialPosition();
  makeMove(WHITE, Move{E2, E4, 0, QUIET});
  EXPECT_EQ(Board.epSquare, E3);
  EXPECT_EQ(Board.lastIrreversible, 1);
  makeMove(BLACK, Move{G8, F6, 0, QUIET});
  EXPECT_EQ(Board.epSquare, -1);
  unmakeMove(BLACK, Move{G8, F6, 0, QUIET});
  EXPECT_EQ(Board.epSquare, E3);
}

TEST(MakeMove, CastlingKingSide) {
  ASSERT_TRUE(setUpPosition("4k3/8/8/8/8/8/8/R3K2R w KQ -"));
  uint32_t key = Board.hashKey, lock = Board.hashLock;
  int rookIndex = Board.listIndex[H1];
  makeMove(WHITE, Move{E1, G1, 0, CASTLING});
  EXPECT_EQ(Board.pieceAt[G1], KING);
  EXPECT_EQ(Board.pieceAt[F1], ROOK);
  EXPECT_EQ(Board.castled[WHITE], 1);
  EXPECT_EQ(Board.squareMoves[E1], 1);
  EXPECT_EQ(Board.squareMoves[H1], 1);
  EXPECT_EQ(Board.listIndex[F1], rookIndex);
  const auto& z = BoardTables.zobrist[WHITE];
  EXPECT_EQ(Board.hashKey, key ^ z[KING][E1].key ^ z[KING][G1].key ^ z[ROOK][H1].key ^ z[ROOK][F1].key);
  EXPECT_EQ(Board.hashLock, lock ^ z[KING][E1].lock ^ z[KING][G1].lock ^ z[ROOK][H1].lock ^ z[ROOK][F1].lock);
  EXPECT_EQ(GameHistory[1].capturedColor, WHITE);
  EXPECT_TRUE(boardIsOk());
}

TEST(MakeMove, RookThatReturnsLosesTheRight) {
  ASSERT_TRUE(setUpPosition("4k3/8/8/8/8/8/8/R3K2R w KQ -"));
  makeMove(WHITE, Move{H1, H2, 0, QUIET});
  makeMove(BLACK, Move{E8, E7, 0, QUIET});
  makeMove(WHITE, Move{H2, H1, 0, QUIET});
  EXPECT_EQ(Board.squareMoves[H1], 1);
  EXPECT_EQ(castle(WHITE, E1, G1, CASTLE_TEST), 0);
  EXPECT_EQ(castle(WHITE, E1, C1, CASTLE_TEST), 1);
  // A capture on a1 marks the square too.
  ASSERT_TRUE(setUpPosition("4k3/8/8/8/8/8/1b6/R3K2R b KQ -"));
  makeMove(BLACK, Move{B2, A1, 0, CAPTURE});
  EXPECT_EQ(Board.squareMoves[A1], 1);
}

TEST(MakeMove, CapturingPromotion) {
  ASSERT_TRUE(setUpPosition("1n2k3/P7/8/8/8/8/8/4K3 w - -"));
  BoardData before = Board;
  fillTypeCount();
  Move m{A7, B8, 0, PROMOTION + QUEEN};
  makeMove(WHITE, m);
  EXPECT_EQ(Board.material[WHITE], before.material[WHITE] + 1000 - 100);
  EXPECT_EQ(Board.pieceMaterial[WHITE], before.pieceMaterial[WHITE] + 1000);
  EXPECT_EQ(Board.material[BLACK], before.material[BLACK] - 315);
  EXPECT_EQ(Board.pieceMaterial[BLACK], before.pieceMaterial[BLACK] - 315);
  EXPECT_EQ(Board.filePawns[WHITE][0], 0);
  EXPECT_EQ(Board.pieceAt[B8], QUEEN);
  EXPECT_EQ(Board.squareMoves[B8], 1);
  EXPECT_EQ(GameHistory[1].capturedPiece, KNIGHT);
  EXPECT_TRUE(boardIsOk());
  unmakeMove(WHITE, m);
  expectSameBoard(before, Board);
}

TEST(MakeMove, EnPassantRecordAndSquareMoves) {
  ASSERT_TRUE(setUpPosition("4k3/8/8/3pP3/8/8/8/4K3 w - d6"));
  BoardData before = Board;
  Move m{E5, D6, 0, EN_PASSANT};
  makeMove(WHITE, m);
  EXPECT_EQ(Board.pieceAt[D5], NONE);
  EXPECT_EQ(Board.colorAt[D5], EMPTY);
  EXPECT_EQ(Board.squareMoves[E5], 0);
  EXPECT_EQ(Board.squareMoves[D6], 0);
  EXPECT_EQ(GameHistory[1].capturedPiece, PAWN);
  EXPECT_EQ(GameHistory[1].capturedColor, BLACK);
  EXPECT_TRUE(boardIsOk());
  unmakeMove(WHITE, m);
  expectSameBoard(before, Board);
}

// The book is consulted while one of the last two moves was a book move: the record of an
// opponent's move must not carry a mark from an earlier game played to the same length.
TEST(MakeMove, RecordStartsWithoutBookMark) {
  setUpInitialPosition();
  GameHistory[1].bookMark = 1;
  makeMove(WHITE, Move{E2, E4, 0, QUIET});
  EXPECT_EQ(GameHistory[1].bookMark, 0);
  unmakeMove(WHITE, Move{E2, E4, 0, QUIET});
}

TEST(MakeMove, TakeBackMoveFlipsSideAndRestores) {
  setUpInitialPosition();
  BoardData before = Board;
  makeMove(WHITE, Move{G1, F3, 0, QUIET});
  Board.sideToMove = BLACK;
  takeBackMove();
  EXPECT_EQ(Board.sideToMove, WHITE);
  expectSameBoard(before, Board);
}

TEST(Attack, EdgeCases) {
  setUpInitialPosition();
  EXPECT_EQ(isSquareAttacked(E3, WHITE), 1);
  EXPECT_EQ(isSquareAttacked(E4, WHITE), 0);
  EXPECT_EQ(isSquareAttacked(F3, WHITE), 1);
  // Only the enemy king attacks d2 here, and d2 holds a piece of the asking side.
  ASSERT_TRUE(setUpPosition("8/8/8/8/8/8/3Pk3/K7 w - -"));
  EXPECT_EQ(isSquareAttacked(D2, BLACK), 1);
  // A rook behind its own rook does not attack through it.
  ASSERT_TRUE(setUpPosition("k7/8/8/8/8/4R3/4R3/K7 w - -"));
  EXPECT_EQ(isSquareAttacked(E4, WHITE), 1);
  ASSERT_TRUE(setUpPosition("k7/8/8/8/8/4r3/4R3/K7 w - -"));  // the front rook is the other side's
  EXPECT_EQ(isSquareAttacked(E4, WHITE), 0);
  // The square walk reads the squares alone, so an edit of the squares is seen at once.
  ASSERT_TRUE(setUpPosition("k7/8/8/8/8/4R3/4R3/K7 w - -"));
  Board.colorAt[E3] = BLACK;
  EXPECT_EQ(isSquareAttackedOnSquares(E4, WHITE), 0);
}

// The keys a move will give, worked out before it is made (the search's prefetch asks for the
// table entries under them), are the keys makeMove leaves: every kind of move of the perft suite.
TEST(MakeMove, KeysAfterAMoveAreKnownBeforeIt) {
  int compared = 0;
  for (const PerftCase& c : loadPerftSuite()) {
    ASSERT_TRUE(setUpPosition(c.fen)) << c.fen;
    const int side = Board.sideToMove;
    generateMoves(side);
    for (int i = MoveStack.plyStart[1]; i < MoveStack.plyStart[2]; i++) {
      const Move m = MoveStack.moveStack[i];
      const uint32_t key = hashKeyAfter(side, m);
      const uint32_t pawnKey = pawnHashKeyAfter(side, m);
      makeMove(side, m);
      EXPECT_EQ(key, Board.hashKey) << c.fen << " " << moveText(m.from, m.to, m.flags);
      EXPECT_EQ(pawnKey, Board.pawnHashKey) << c.fen << " " << moveText(m.from, m.to, m.flags);
      unmakeMove(side, m);
      compared += 1;
    }
  }
  EXPECT_GT(compared, 1500);
}

TEST(Attack, LeavesKingInCheckCountsOneNodeEach) {
  ASSERT_TRUE(setUpPosition("4k3/8/8/8/8/8/4r3/4K3 w - -"));
  Ordering.nodes = 10;
  EXPECT_EQ(leavesKingInCheck(E1, D2, QUIET), 1);
  EXPECT_EQ(leavesKingInCheck(E1, E2, CAPTURE), 0);
  EXPECT_EQ(Ordering.nodes, 12u);
}

}  // namespace
