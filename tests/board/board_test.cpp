// The board's tables, the initial position and the rebuilding of derived fields.
#include <gtest/gtest.h>

#include "board/board.h"
#include "board/tables.h"
#include "support/board_fixture.h"

namespace {

TEST(BoardTables, KeyGeneratorFirstEntriesAndRange) {
  setUpInitialPosition();
  EXPECT_EQ(BoardTables.zobrist[WHITE][PAWN][A1].key, 0x41CE8738u);
  EXPECT_EQ(BoardTables.zobrist[WHITE][PAWN][A1].lock, 0x41D6C108u);
  EXPECT_EQ(BoardTables.zobrist[BLACK][NONE][E4].key, 0u);
  // The state runs on across colours: no two keys repeat.
  EXPECT_NE(BoardTables.zobrist[BLACK][PAWN][A1].key, BoardTables.zobrist[WHITE][PAWN][A1].key);
}

TEST(BoardTables, RookWalkFromA1) {
  setUpInitialPosition();
  EXPECT_EQ(BoardTables.nextSquare[ROOK][A1][A1], B1);
  std::vector<int> walk;
  for (int u = BoardTables.nextSquare[ROOK][A1][A1]; u != A1; u = BoardTables.nextSquare[ROOK][A1][u]) walk.push_back(u);
  std::vector<int> expected = {B1, C1, D1, E1, F1, G1, H1, A2, A3, A4, A5, A6, A7, A8};
  EXPECT_EQ(walk, expected);
  // nextDirection jumps from anywhere on the first ray to the start of the second.
  EXPECT_EQ(BoardTables.nextDirection[ROOK][A1][D1], A2);
  EXPECT_EQ(BoardTables.nextDirection[ROOK][A1][A5], A1);
}

TEST(BoardTables, PawnThreads) {
  setUpInitialPosition();
  // White pawn on a2: push a3 then a4; its capture thread holds only b3.
  EXPECT_EQ(BoardTables.nextSquare[PAWN][A2][A2], A3);
  EXPECT_EQ(BoardTables.nextSquare[PAWN][A2][A3], A4);
  EXPECT_EQ(BoardTables.nextSquare[PAWN][A2][A4], A2);
  EXPECT_EQ(BoardTables.nextDirection[PAWN][A2][A2], B3);
  EXPECT_EQ(BoardTables.nextDirection[PAWN][A2][B3], A2);
  // No double step from a3.
  EXPECT_EQ(BoardTables.nextSquare[PAWN][A3][A4], A3);
  // Black pawn on h7 captures only toward g6; e7 pushes to e6 and e5.
  EXPECT_EQ(BoardTables.nextDirection[BLACK_PAWN_TYPE][H7][H7], G6);
  EXPECT_EQ(BoardTables.nextDirection[BLACK_PAWN_TYPE][H7][G6], H7);
  EXPECT_EQ(BoardTables.nextSquare[BLACK_PAWN_TYPE][E7][E7], E6);
  EXPECT_EQ(BoardTables.nextSquare[BLACK_PAWN_TYPE][E7][E6], E5);
}

TEST(BoardTables, PawnAttackAndEnPassantOrigins) {
  setUpInitialPosition();
  EXPECT_EQ(BoardTables.pawnAttackA[WHITE][E2], F3);
  EXPECT_EQ(BoardTables.pawnAttackB[WHITE][E2], D3);
  EXPECT_EQ(BoardTables.pawnAttackA[WHITE][H2], NO_SQUARE);
  EXPECT_EQ(BoardTables.pawnAttackB[WHITE][A2], NO_SQUARE);
  EXPECT_EQ(BoardTables.pawnAttackA[BLACK][A7], NO_SQUARE);
  EXPECT_EQ(BoardTables.pawnAttackA[WHITE][E1], NO_SQUARE);  // no White pawn on its first rank
  EXPECT_EQ(BoardTables.pawnAttackB[BLACK][E8], NO_SQUARE);
  EXPECT_EQ(BoardTables.epOriginA[C3], B4);
  EXPECT_EQ(BoardTables.epOriginB[C3], D4);
  EXPECT_EQ(BoardTables.epOriginB[H6], H6);
  EXPECT_EQ(BoardTables.epOriginA[E4], E4);
}

TEST(BoardTables, Distances) {
  setUpInitialPosition();
  EXPECT_EQ(BoardTables.distance[A1][H8], 7);
  EXPECT_EQ(BoardTables.taxicab[A1][H8], 14);
  EXPECT_EQ(BoardTables.distance[E4][F6], 2);
  EXPECT_EQ(BoardTables.taxicab[E4][F6], 3);
}

TEST(BoardState, InitialPosition) {
  setUpInitialPosition();
  EXPECT_EQ(Board.material[WHITE], 4120);
  EXPECT_EQ(Board.material[BLACK], 4120);
  EXPECT_EQ(Board.pieceMaterial[WHITE], 3320);
  EXPECT_EQ(Board.pieceCount[WHITE], 7);
  EXPECT_EQ(Board.pawnCount[BLACK], 8);
  EXPECT_EQ(Board.pieceList[WHITE][0], E1);
  EXPECT_EQ(Board.pieceList[BLACK][0], E8);
  EXPECT_EQ(Board.pawnAttacks[WHITE][A3], 1);
  EXPECT_EQ(Board.pawnAttacks[WHITE][C3], 2);
  EXPECT_EQ(Board.pawnAttacks[WHITE][NO_SQUARE], 2);  // the a- and h-pawns' missing targets
  // Lists in ascending square order after a rebuild.
  EXPECT_EQ(Board.pieceList[WHITE][1], A1);
  EXPECT_EQ(Board.pawnList[BLACK][1], A7);
  EXPECT_TRUE(boardIsOk());
}

TEST(BoardState, KeysIgnoreSideToMove) {
  ASSERT_TRUE(setUpPosition("4k3/8/8/8/8/8/4P3/4K3 w - -"));
  uint32_t key = Board.hashKey, lock = Board.hashLock;
  ASSERT_TRUE(setUpPosition("4k3/8/8/8/8/8/4P3/4K3 b - -"));
  EXPECT_EQ(Board.hashKey, key);
  EXPECT_EQ(Board.hashLock, lock);
  EXPECT_EQ(Board.pawnHashKey, BoardTables.zobrist[WHITE][PAWN][E2].lock);
}

TEST(BoardState, PlainPieceValuesAndCaptureValues) {
  setPieceValues(true);
  EXPECT_EQ(Board.pieceValue[KNIGHT], 330);
  EXPECT_EQ(Board.pieceValue[ROOK], 490);
  EXPECT_EQ(Board.captureValue[BISHOP], 315);  // ordered as a knight whatever the settings
  setPieceValues(false);
  EXPECT_EQ(Board.pieceValue[BISHOP], 320);
  EXPECT_EQ(Board.captureValue[BISHOP], 315);
}

TEST(BoardState, PlayablePositions) {
  ASSERT_TRUE(setUpPosition("4k3/8/8/8/8/8/8/4K3 w - -"));
  EXPECT_EQ(positionIsPlayable(WHITE), 1);
  ASSERT_TRUE(setUpPosition("8/8/8/8/8/8/8/4K3 w - -"));
  EXPECT_EQ(positionIsPlayable(WHITE), 0);
  ASSERT_TRUE(setUpPosition("4k3/8/8/8/8/8/8/2K1K3 w - -"));
  EXPECT_EQ(positionIsPlayable(WHITE), 0);
  // The side not to move stands in check: its king could be captured.
  ASSERT_TRUE(setUpPosition("4k3/8/8/8/8/8/8/R3K3 w - -"));
  EXPECT_EQ(positionIsPlayable(WHITE), 1);
  ASSERT_TRUE(setUpPosition("4k3/8/8/8/8/8/8/4K2R b - -"));
  EXPECT_EQ(positionIsPlayable(WHITE), 1);
  ASSERT_TRUE(setUpPosition("4k2R/8/8/8/8/8/8/4K3 w - -"));
  EXPECT_EQ(positionIsPlayable(WHITE), 0);
}

}  // namespace
