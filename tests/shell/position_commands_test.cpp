// Commands that change the position: edit mode, "wild 7", moves in force mode, undo and remove,
// and the start of pondering.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board/board.h"
#include "board/setup.h"
#include "game/protocolstate.h"
#include "support/shell_session.h"

using namespace vostrel_test;

namespace {

class PositionCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override { startShellGame(); }
};

int pieceCount() {
  int count = 0;
  for (int s = 0; s < 64; ++s) count += Board.pieceAt[s] != NONE;
  return count;
}

void expectPiece(int square, int colour, int piece) {
  EXPECT_EQ(Board.pieceAt[square], piece) << square;
  EXPECT_EQ(Board.colorAt[square], piece == NONE ? EMPTY : colour) << square;
}

}  // namespace

TEST_F(PositionCommandsTest, EditModePlacesPiecesOfTheChosenColour) {
  Board.castled[WHITE] = 1;
  Board.epSquare = 20;
  runCommands({"force", "e2e4", "edit", "#", "Ke1", "Pe2", "Rh1", "c", "Ke8", "."});
  expectPiece(E1, WHITE, KING);
  expectPiece(E2, WHITE, PAWN);
  expectPiece(H1, WHITE, ROOK);
  expectPiece(E8, BLACK, KING);
  EXPECT_EQ(pieceCount(), 4);
  EXPECT_EQ(Board.gameCount, 0);
  EXPECT_EQ(Board.lastIrreversible, 1);
  EXPECT_EQ(Board.epSquare, -1);  // the last game's en-passant square is gone
  EXPECT_EQ(Board.castled[WHITE], 0);
  EXPECT_EQ(Board.sideToMove, BLACK);  // edit mode leaves the side to move alone
  EXPECT_EQ(ProtocolState.bookAllowed, 0);
  EXPECT_TRUE(boardIsOk());
  for (int s = 0; s < 64; ++s) EXPECT_EQ(Board.squareMoves[s], 0) << s;

  // The rights edit mode granted can be used.
  runCommands({"white", "force", "o-o"});
  expectPiece(G1, WHITE, KING);
  expectPiece(F1, WHITE, ROOK);
}

TEST_F(PositionCommandsTest, EditModeIgnoresMalformedPlacements) {
  runCommands({"edit", "#", "Ke1", "ke8", "Qd1", "xd1", "Pe2", " e2", "Pa1", "Ph8", "Ke9", "K", "Ki1", "Nb",
               "Bc4x", "c", "rh8", "."});
  expectPiece(E1, WHITE, KING);
  expectPiece(E8, WHITE, KING);  // the letter's case does not choose the colour
  expectPiece(D1, WHITE, NONE);  // "xd1" emptied it again
  expectPiece(E2, WHITE, NONE);  // so did " e2"
  expectPiece(A1, WHITE, NONE);  // no pawn on the first or last rank
  expectPiece(H8, BLACK, ROOK);
  expectPiece(C4, WHITE, BISHOP);
  EXPECT_EQ(pieceCount(), 4);
  EXPECT_TRUE(boardIsOk());
}

// A colour gets at most sixteen men and eight pawns: a board filled with one colour's pieces
// would overrun its piece list.
TEST_F(PositionCommandsTest, EditModeIgnoresMenBeyondWhatAGameHas) {
  std::vector<std::string> lines = {"edit", "#"};
  for (int s = 0; s < 64; ++s) lines.push_back(std::string("B") + char('a' + s % 8) + char('1' + s / 8));
  for (const char* pawn : {"Pa2", "Pb2", "Pc2", "Pd2", "Pe2", "Pf2", "Pg2", "Ph2", "Pa3"}) lines.push_back(pawn);
  lines.push_back(".");
  runCommands(lines);
  EXPECT_EQ(pieceCount(), 16);  // eight bishops on the first rank, the pawns in place of the others
  EXPECT_EQ(Board.pieceCount[WHITE], 8);
  EXPECT_EQ(Board.pawnCount[WHITE], 8);
  EXPECT_TRUE(boardIsOk());
  // Replacing a man keeps the count; the pawns stop at eight.
  runCommands({"edit", "#", "Ke1", "Pa2", "Pb2", "Pc2", "Pd2", "Pe2", "Pf2", "Pg2", "Ph2", "Pa3", "Qa2", "Pa3",
               "."});
  EXPECT_EQ(Board.pawnCount[WHITE], 8);
  expectPiece(A2, WHITE, QUEEN);
  expectPiece(A3, WHITE, PAWN);
  EXPECT_EQ(pieceCount(), 10);
  EXPECT_TRUE(boardIsOk());
}

TEST_F(PositionCommandsTest, EditModeEnPassantAndCastlingLines) {
  runCommands({"edit", "#", "Ke1", "Ra1", "Rh1", "Pe4", "c", "Ke8", "Pd4", "castle -w00", "castle -b000",
               "ep e3", "."});
  EXPECT_EQ(Board.epSquare, 20);
  EXPECT_EQ(Board.squareMoves[H1], 1);
  EXPECT_EQ(Board.squareMoves[A1], 0);
  EXPECT_EQ(Board.squareMoves[A8], 1);

  runCommands({"edit", "ep z9", "."});
  EXPECT_EQ(Board.epSquare, -1);
}

TEST_F(PositionCommandsTest, EndOfInputInsideEditModeLeavesItAndEndsTheEngine) {
  runCommands({"edit", "#", "Ke1", "c", "Ke8"});
  EXPECT_EQ(ProtocolState.quitRequested, 1);
  expectPiece(E1, WHITE, KING);
  expectPiece(E8, BLACK, KING);
  EXPECT_EQ(pieceCount(), 2);
  EXPECT_TRUE(boardIsOk());
}

TEST_F(PositionCommandsTest, WildSevenStartsItsOwnRecord) {
  runCommands({"force", "e2e4", "e7e5", "g1f3", "wild 7"});
  EXPECT_EQ(Board.gameCount, 0);
  EXPECT_EQ(Board.lastIrreversible, 0);
  EXPECT_EQ(Board.sideToMove, WHITE);
  expectPiece(D1, WHITE, KING);
  expectPiece(E8, BLACK, KING);
  for (int s : {A2, B2, C2}) expectPiece(s, WHITE, PAWN);
  for (int s : {F7, G7, H7}) expectPiece(s, BLACK, PAWN);
  EXPECT_EQ(pieceCount(), 8);
  EXPECT_TRUE(boardIsOk());

  // Nothing of the previous game can be taken back.
  runCommands({"undo", "remove"});
  EXPECT_EQ(Board.gameCount, 0);
  expectPiece(D1, WHITE, KING);
}

TEST_F(PositionCommandsTest, OtherWildNumbersDoNothing) {
  runCommands({"force", "e2e4", "wild 3", "wild", "wild 77"});
  EXPECT_EQ(Board.gameCount, 1);
  expectPiece(E4, WHITE, PAWN);
  EXPECT_EQ(pieceCount(), 32);
}

TEST_F(PositionCommandsTest, ForceModeMovesUndoAndRemove) {
  runCommands({"undo", "remove"});  // nothing to take back
  EXPECT_EQ(Board.gameCount, 0);
  EXPECT_EQ(Board.sideToMove, WHITE);

  runCommands({"force", "e2e4", "e7e5", "remove"});
  EXPECT_EQ(Board.gameCount, 0);
  EXPECT_EQ(Board.sideToMove, WHITE);
  EXPECT_EQ(pieceCount(), 32);

  runCommands({"force", "e2e4", "remove"});
  EXPECT_EQ(Board.gameCount, 1);  // "remove" needs two moves

  runCommands({"force", "e7e5", "Sf3", "undo"});
  EXPECT_EQ(Board.gameCount, 2);
  EXPECT_EQ(Board.sideToMove, WHITE);
  expectPiece(G1, WHITE, KNIGHT);
  expectPiece(E5, BLACK, PAWN);
  EXPECT_TRUE(boardIsOk());

  // Moves alternate sides: White cannot move twice.
  runCommands({"force", "g1f3", "d2d4"});
  EXPECT_EQ(Board.gameCount, 3);
  EXPECT_EQ(Board.sideToMove, BLACK);
  expectPiece(D2, WHITE, PAWN);
}

TEST_F(PositionCommandsTest, PonderingIsSkippedWhenTheExpectedMoveCannotBePlayed) {
  // No generated move has these squares.
  ProtocolState.ponderMove = moveCodeOf(E2, E5);
  EXPECT_EQ(runCommands({"nopost"}), "");
  EXPECT_EQ(pieceCount(), 32);
  EXPECT_EQ(ProtocolState.postThinking, 0);

  // The expected move would leave the mover's king attacked: made and taken back at once.
  ASSERT_TRUE(setupPosition("setboard 4k3/4r3/8/8/8/8/4B3/4K3 w - -"));
  ProtocolState.ponderMove = moveCodeOf(E2, D3);
  EXPECT_EQ(runCommands({"post"}), "");
  expectPiece(E2, WHITE, BISHOP);
  EXPECT_EQ(Board.gameCount, 0);
  EXPECT_TRUE(boardIsOk());

  // A promotion is never pondered: a moveCode cannot tell its piece.
  ASSERT_TRUE(setupPosition("setboard 7k/4P3/8/8/8/8/8/4K3 w - -"));
  ProtocolState.ponderMove = moveCodeOf(E7, E8);
  EXPECT_EQ(runCommands({"post"}), "");
  expectPiece(E7, WHITE, PAWN);

  // Nor in force mode or with pondering off.
  startShellGame();
  ProtocolState.ponderMove = moveCodeOf(E2, E4);
  ProtocolState.ponderEnabled = 0;
  EXPECT_EQ(runCommands({"post"}), "");
  ProtocolState.ponderEnabled = 1;
  ProtocolState.forceMode = 1;
  EXPECT_EQ(runCommands({"hint"}), "Hint: e2e4\n");
  EXPECT_EQ(pieceCount(), 32);
  EXPECT_EQ(Board.gameCount, 0);
}
