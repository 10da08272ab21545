// The own-king test after a move: its short cuts must answer exactly as the full attack test,
// for every generated move of the perft suite's positions and of the positions one move on.
#include <gtest/gtest.h>

#include <string>

#include "board/attack.h"
#include "board/board.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "search/searchstate.h"
#include "support/board_fixture.h"
#include "support/perft_suite.h"

namespace {

// Every generated move of the side to move at SearchState.ply, made and compared; when `deeper`,
// the same again one ply on after each legal move. Returns the number of moves compared.
int compareAfterEveryMove(const std::string& fen, bool deeper) {
  const int side = Board.sideToMove;
  const bool safe = isInCheck(side) == 0;
  const int ply = SearchState.ply;
  generateMoves(side);
  int compared = 0;
  for (int i = MoveStack.plyStart[ply]; i < MoveStack.plyStart[ply + 1]; i++) {
    const Move m = MoveStack.moveStack[i];
    makeMove(side, m);
    const int full = isInCheck(side);
    EXPECT_EQ(ownKingAttackedAfter(side, m, safe), full) << fen << " " << moveText(m.from, m.to, m.flags);
    EXPECT_EQ(ownKingAttackedAfter(side, m, false), full) << fen << " " << moveText(m.from, m.to, m.flags);
    compared += 1;
    if (deeper && full == 0) {
      Board.sideToMove ^= 1;
      SearchState.ply = ply + 1;
      compared += compareAfterEveryMove(fen, false);
      SearchState.ply = ply;
      Board.sideToMove ^= 1;
    }
    unmakeMove(side, m);
  }
  return compared;
}

TEST(OwnKingAttackedAfter, AgreesWithTheFullTestOverThePerftSuite) {
  int compared = 0;
  for (const PerftCase& c : loadPerftSuite()) {
    ASSERT_TRUE(setUpPosition(c.fen)) << c.fen;
    SearchState.ply = 1;
    MoveStack.plyStart[1] = 0;
    compared += compareAfterEveryMove(c.fen, true);
  }
  EXPECT_GT(compared, 100000);
}

// Positions where a single line decides: a pinned piece leaving or keeping its line, the pinner
// captured, en passant emptying a rank, and a king stepping along an attacked line.
TEST(OwnKingAttackedAfter, AgreesOnPinsAndDiscoveries) {
  const char* fens[] = {
      "4k3/8/8/8/8/8/4R3/4K2r w - - 0 1",          // the king is attacked: full test
      "4r1k1/8/8/8/8/8/4N3/4K3 w - - 0 1",         // knight pinned on the file
      "6k1/8/8/8/1b6/8/3B4/4K3 w - - 0 1",         // bishop pinned on the diagonal, may take the pinner
      "6k1/8/8/q7/8/8/3P4/4K3 w - - 0 1",          // pawn pinned diagonally by a queen
      "8/8/8/K2pP2q/8/8/8/7k w - d6 0 1",          // en passant would empty the king's rank
      "7k/8/8/8/r2PK3/8/8/8 w - - 0 1",            // king beside a line the pawn shields
      "4k3/4r3/8/8/8/8/4Q3/4K3 w - - 0 1",         // queen pinned on the file, may move along it
  };
  for (const char* fen : fens) {
    ASSERT_TRUE(setUpPosition(fen)) << fen;
    SearchState.ply = 1;
    MoveStack.plyStart[1] = 0;
    EXPECT_GT(compareAfterEveryMove(fen, true), 0) << fen;
  }
}

}  // namespace
