// Position texts: accepted forms, refused forms, and no access outside the text or the board.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "board/board.h"
#include "board/setup.h"
#include "support/board_fixture.h"

namespace {

TEST(SetupPosition, AcceptedTexts) {
  ASSERT_TRUE(setUpPosition("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1"));
  EXPECT_EQ(Board.sideToMove, BLACK);
  EXPECT_EQ(Board.epSquare, E3);
  EXPECT_EQ(Board.pieceAt[E4], PAWN);
  for (int sq : {A1, H1, A8, H8}) EXPECT_EQ(Board.squareMoves[sq], 0);
  ASSERT_TRUE(setUpPosition("4k3/8/8/8/8/8/8/R3K2R w Q -"));
  EXPECT_EQ(Board.squareMoves[A1], 0);
  EXPECT_EQ(Board.squareMoves[H1], 1);
  EXPECT_EQ(Board.squareMoves[A8], 1);
  EXPECT_EQ(Board.squareMoves[H8], 1);
  EXPECT_EQ(Board.epSquare, -1);
  // An empty board is accepted here; playing on it is refused elsewhere.
  ASSERT_TRUE(setUpPosition("8/8/8/8/8/8/8/8 w - -"));
  EXPECT_EQ(Board.pieceCount[WHITE], 0);
  // The text may end right after the side letter: no rights, no en-passant square.
  ASSERT_TRUE(setUpPosition("4k3/5ppp/8/8/8/8/PPP5/3K4 w"));
  for (int sq : {A1, H1, A8, H8}) EXPECT_EQ(Board.squareMoves[sq], 1);
  EXPECT_EQ(Board.epSquare, -1);
  // Sixteen men of a colour, promoted pieces among them, are a position games reach.
  ASSERT_TRUE(setUpPosition("QQQQk3/8/8/8/8/8/PPPP4/RNBQKBNR w - -"));
  EXPECT_EQ(Board.pieceCount[WHITE], 11);
}

TEST(SetupPosition, SkippedCharactersStaySkipped) {
  ASSERT_TRUE(setUpPosition("4k3/8/8/8/8/8/8/4K3 w - -"));
  uint32_t lock = Board.hashLock;
  ASSERT_TRUE(setUpPosition("4k3/x8/8/8/8/8/-8/4K3 w - -"));
  EXPECT_EQ(Board.hashLock, lock);
  ASSERT_TRUE(setUpPosition("4k3//8/8/8/8/8/8/4K3 w - -"));
  EXPECT_EQ(Board.hashLock, lock);
}

TEST(SetupPosition, RefusedTextsLeaveTheBoardAlone) {
  ASSERT_TRUE(setUpPosition("4k3/8/8/8/8/8/4P3/4K3 w - -"));
  BoardData before = Board;
  const char* refused[] = {
      "",                                     // empty
      "4k3",                                  // truncated placement
      "4k3/8/8/8/8/8/8/4K3",                  // ends before the side letter
      "4k3/8/8/8/8/8/8/4K3 ",                 // ends before the side letter
      "4k3/8/8/8/8/8/8/4K3 x - -",            // bad side letter
      "4k3/9/8/8/8/8/8/4K3 w - -",            // a 9 is skipped, then the rank is short
      "4k4/8/8/8/8/8/8/4K3 w - -",            // nine squares
      "4k2/8/8/8/8/8/8/4K3 w - -",            // seven squares
      "4k3/8/8/8/8/8/8/4K3/8 w - -",          // a ninth rank
      "4k3/8/8/8/8/8/8/4KP2 w - -",           // a pawn on the first rank
      "P3k3/8/8/8/8/8/8/4K3 w - -",           // a pawn on the last rank
      "bbbbbbbb/bbbbbbbb/bbbbbbbb/bbbbbbbb/bbbbbbbb/bbbbbbbb/bbbbbbbb/bbbbbbbb b - -",  // 64 bishops
      "4k3/8/8/8/8/QQ6/PPPPPPPP/RNBQKBNR w - -",  // seventeen White men
      "4k3/8/8/8/8/P7/PPPPPPPP/4K3 w - -",    // nine White pawns
      "4k3/pppppppp/p7/8/8/8/8/4K3 w - -",    // nine Black pawns
  };
  for (const char* fen : refused) {
    EXPECT_EQ(setupPosition(("setboard " + std::string(fen)).c_str()), 0) << fen;
    EXPECT_EQ(std::memcmp(&before, &Board, sizeof Board), 0) << fen;
  }
  EXPECT_EQ(setupPosition("setboard"), 0);
  EXPECT_EQ(setupPosition(""), 0);
}

// A fresh position forgets the record it replaces; one that cannot be played keeps the old board.
TEST(SetupPosition, FreshPositionStartsItsOwnRecord) {
  ASSERT_TRUE(setUpPosition("r3k2r/8/8/8/8/8/8/R3K2R w KQkq -"));
  Board.gameCount = 12;
  Board.lastIrreversible = 7;
  Board.castled[BLACK] = 1;
  Board.squareMoves[E1] = 3;
  ASSERT_EQ(setupFreshPosition("setboard r3k2r/8/8/8/8/8/8/R3K2R b Kq -"), 1);
  EXPECT_EQ(Board.gameCount, 0);
  EXPECT_EQ(Board.lastIrreversible, 0);
  EXPECT_EQ(Board.castled[BLACK], 0);
  EXPECT_EQ(Board.squareMoves[E1], 0);
  EXPECT_EQ(Board.squareMoves[H1], 0);
  EXPECT_EQ(Board.squareMoves[A1], 1);
  EXPECT_EQ(Board.sideToMove, BLACK);
  Board.gameCount = 5;
  BoardData before = Board;
  // Unreadable, and readable but without a black king: both refused, the board untouched.
  EXPECT_EQ(setupFreshPosition("setboard 4k3/8 w - -"), 0);
  EXPECT_EQ(std::memcmp(&before, &Board, sizeof Board), 0);
  EXPECT_EQ(setupFreshPosition("setboard 8/8/8/8/8/8/8/4K3 w - -"), 0);
  EXPECT_EQ(std::memcmp(&before, &Board, sizeof Board), 0);
}

TEST(SetupPosition, LongAndRandomTextsAreSafe) {
  std::string longText = "setboard " + std::string(100000, '8') + " w";
  EXPECT_EQ(setupPosition(longText.c_str()), 0);
  std::mt19937 rng(7);
  const std::string alphabet = "12345678/pnbrqkPNBRQK wb-KQkqabcdefgh0 x";
  for (int i = 0; i < 20000; i++) {
    std::string text = "setboard ";
    int length = static_cast<int>(rng() % 90);
    for (int j = 0; j < length; j++) text += alphabet[rng() % alphabet.size()];
    if (setupPosition(text.c_str())) {
      EXPECT_TRUE(boardIsOk()) << text;
    }
  }
}

}  // namespace
