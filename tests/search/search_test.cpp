// Search and quiescence results that hold whatever the evaluation becomes: mates with exact
// scores, stalemate, repetition, the fifty-move rule, extensions, the ply limit, stand pat.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "board/attack.h"
#include "board/board.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "eval/evaluate.h"
#include "search/hashtable.h"
#include "search/search.h"
#include "search/searchstate.h"
#include "support/search_support.h"

namespace {

constexpr int WIDE = 9999;

// Searches the position as the node right after a root move: ply 2.
int searchAtPly(int ply, int depth, int alpha = -WIDE, int beta = WIDE) {
  Ordering.ply = ply;
  return search(Board.sideToMove, depth, alpha, beta, 0, 0);
}

int quiesceAtPly(int ply, int alpha = -WIDE, int beta = WIDE) {
  Ordering.ply = ply;
  return quiesce(Board.sideToMove, 0, alpha, beta);
}

void playMoves(std::initializer_list<Move> moves) {
  for (const Move& m : moves) {
    makeMove(Board.sideToMove, m);
    Board.sideToMove ^= 1;
  }
}

TEST(SearchMates, FoundWithExactMateScores) {
  const struct {
    const char* fen;
    int depth;
    int score;
  } cases[] = {
      {"6k1/5ppp/8/8/8/8/8/R5K1 w - -", 1, 9998},          // Ra8
      {"6k1/5ppp/8/8/8/8/8/R5K1 w - -", 4, 9998},
      {"k7/8/2K5/8/8/8/8/7R w - -", 3, 9996},              // Kb6 Kb8 Rh8, or Kc7 Ka7 Ra1
      {"k7/8/2K5/8/8/8/8/7R w - -", 5, 9996},
      {"6k1/pp3ppp/4r3/8/8/1Q6/PP3PPP/3R2K1 w - -", 3, 9996},  // Qxe6 fxe6 Rd8
      {"6k1/pp3ppp/4r3/8/8/1Q6/PP3PPP/3R2K1 w - -", 5, 9996},
      {"k7/8/8/3K4/8/8/8/7R w - -", 5, 9994},
      {"k7/8/8/3K4/8/8/8/7R w - -", 6, 9994},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(prepareSearch(c.fen, c.depth));
    const RootResult r = searchRoot(c.depth);
    EXPECT_EQ(r.score, c.score) << c.fen << " depth " << c.depth << " best " << moveName(r.best);
  }
}

TEST(SearchMates, PrincipalVariationReadBackFromTheTableIsTheMate) {
  ASSERT_TRUE(prepareSearch("k7/8/2K5/8/8/8/8/7R w - -", 4));
  const RootResult r = searchRoot(4);
  ASSERT_EQ(r.score, 9996);
  // As the think driver does: the best root move carries its score, pv[1] is played.
  const int index = MoveStack.plyStart[1] + r.bestIndex;
  MoveStack.moveStack[index].score = static_cast<int16_t>(r.score);
  SearchState.rootMoveIndex = static_cast<int16_t>(index);
  SearchState.pv[1] = moveCodeOf(r.best.from, r.best.to);
  SearchState.pvLocks[1] = Board.hashLock;
  makeMove(WHITE, r.best);
  Ordering.ply = 1;
  readPvFromHash(BLACK, 2);
  ASSERT_NE(SearchState.pv[2], 0);
  ASSERT_NE(SearchState.pv[3], 0);
  EXPECT_EQ(SearchState.pv[4], 0);
  // Black's reply and White's mate, played out, leave Black mated.
  const Move reply{static_cast<int8_t>(moveCodeFrom(SearchState.pv[2])), static_cast<int8_t>(moveCodeTo(SearchState.pv[2])),
                   0, static_cast<int32_t>(SearchState.pvFlags[2])};
  const Move mate{static_cast<int8_t>(moveCodeFrom(SearchState.pv[3])), static_cast<int8_t>(moveCodeTo(SearchState.pv[3])),
                  0, static_cast<int32_t>(SearchState.pvFlags[3])};
  makeMove(BLACK, reply);
  makeMove(WHITE, mate);
  Board.sideToMove = BLACK;
  Ordering.ply = 1;
  MoveStack.plyStart[1] = 0;
  generateLegalMoves(BLACK);
  EXPECT_TRUE(isInCheck(BLACK));
  EXPECT_EQ(MoveStack.plyStart[2], MoveStack.plyStart[1]);
}

// The null move is tried before the node has its list: the subtree must still stack its lists
// above every list of the path, and the board must come back whole.
TEST(SearchState, SearchLeavesTheBoardAndTheRootListIntact) {
  for (const char* fen : {"6k1/pp3ppp/4r3/8/8/1Q6/PP3PPP/3R2K1 w - -",
                          "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
                          "r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ -"}) {
    ASSERT_TRUE(prepareSearch(fen, 4));
    const BoardData before = Board;
    Ordering.ply = 1;
    MoveStack.plyStart[1] = 0;
    generateMoves(Board.sideToMove);
    std::vector<Move> rootList(MoveStack.moveStack + MoveStack.plyStart[1], MoveStack.moveStack + MoveStack.plyStart[2]);
    searchRoot(4);
    ASSERT_EQ(MoveStack.plyStart[2] - MoveStack.plyStart[1], static_cast<int>(rootList.size()));
    for (size_t i = 0; i < rootList.size(); ++i) {
      const Move& m = MoveStack.moveStack[MoveStack.plyStart[1] + i];
      EXPECT_TRUE(m.from == rootList[i].from && m.to == rootList[i].to && (m.flags & ~(THREAT_FOUND | MATE_THREAT_FOUND)) == rootList[i].flags) << fen;
    }
    EXPECT_TRUE(boardIsOk());
    EXPECT_EQ(std::memcmp(Board.pieceAt, before.pieceAt, sizeof Board.pieceAt), 0);
    EXPECT_EQ(Board.hashLock, before.hashLock);
    EXPECT_EQ(Board.gameCount, before.gameCount);
    EXPECT_EQ(Board.epSquare, before.epSquare);
    EXPECT_EQ(std::memcmp(Board.squareMoves, before.squareMoves, sizeof Board.squareMoves), 0);
  }
}

TEST(SearchEnds, MatedSideScoresPlyMinusMateAndStalemateScoresZero) {
  ASSERT_TRUE(prepareSearch("R5k1/5ppp/8/8/8/8/8/6K1 b - -", 3));
  EXPECT_EQ(searchAtPly(2, 3), 2 - 10000);
  EXPECT_EQ(searchAtPly(5, 0), 5 - 10000);
  EXPECT_EQ(quiesceAtPly(3), 3 - 10000);
  ASSERT_TRUE(prepareSearch("k7/2Q5/1K6/8/8/8/8/8 b - -", 3));
  EXPECT_EQ(searchAtPly(2, 3), 0);
}

TEST(SearchEnds, RepetitionInsideTheSearchScoresZero) {
  // White is a queen up; the knights go out and back.
  ASSERT_TRUE(prepareSearch("1n2k3/8/8/8/8/8/P7/1N1QK3 w - -", 4));
  playMoves({{B1, C3, 0, QUIET}, {B8, C6, 0, QUIET}, {C3, B1, 0, QUIET}, {C6, B8, 0, QUIET}});
  const uint64_t nodes = Ordering.nodes;
  EXPECT_EQ(searchAtPly(2, 4), 0);
  EXPECT_EQ(Ordering.nodes, nodes);
  // Three plies in, Black saves itself by going back with the knight.
  ASSERT_TRUE(prepareSearch("1n2k3/8/8/8/8/8/P7/1N1QK3 w - -", 4));
  playMoves({{B1, C3, 0, QUIET}, {B8, C6, 0, QUIET}, {C3, B1, 0, QUIET}});
  EXPECT_EQ(searchAtPly(2, 2), 0);
  // A pawn move in between makes the earlier position unreachable.
  ASSERT_TRUE(prepareSearch("1n2k3/8/8/8/8/8/P7/1N1QK3 w - -", 4));
  playMoves({{B1, C3, 0, QUIET}, {B8, C6, 0, QUIET}, {A2, A3, 0, QUIET}});
  EXPECT_LT(searchAtPly(2, 2), -500);
}

TEST(SearchEnds, FiftyMovesWithoutPawnMoveOrCaptureScoreZero) {
  ASSERT_TRUE(prepareSearch("4k3/8/8/8/8/8/8/3QK3 w - -", 3));
  std::memset(GameHistory, 0, sizeof GameHistory);
  Board.gameCount = 100;
  Board.lastIrreversible = 0;
  EXPECT_EQ(searchAtPly(2, 3), 0);
  Board.gameCount = 80;
  EXPECT_GT(searchAtPly(2, 3), 500);
  Board.gameCount = 0;
}

TEST(SearchExtensions, SingleLegalReplyInCheckExtendsTwice) {
  ASSERT_TRUE(prepareSearch("4R2k/6pp/8/8/8/8/K7/5r2 b - -", 3));
  searchAtPly(2, 2);
  EXPECT_EQ(SearchState.extensions[2], 2);  // the check, then the only reply
  EXPECT_TRUE(SearchState.nodeFlags[2] & NODE_IN_CHECK);
  ASSERT_TRUE(prepareSearch("4R2k/6pp/8/8/8/8/K7/4rr2 b - -", 3));
  searchAtPly(2, 2);
  EXPECT_EQ(SearchState.extensions[2], 1);
}

TEST(SearchLimits, PlyFortyEightReturnsBetaAndAStopReturnsZero) {
  ASSERT_TRUE(prepareSearch("4k3/8/8/8/8/8/4P3/4K3 w - -", 3));
  EXPECT_EQ(searchAtPly(48, 3, -40, 77), 77);
  EXPECT_EQ(quiesceAtPly(48, -40, 66), 66);
  EXPECT_EQ(Ordering.nodes, 0u);
  SearchState.stopSearch = 1;
  EXPECT_EQ(searchAtPly(2, 4), 0);
  EXPECT_EQ(quiesceAtPly(2), 0);
  EXPECT_EQ(Ordering.nodes, 0u);
}

TEST(SearchNullMove, NeverTriedBySideWithOnlyPawns) {
  ASSERT_TRUE(prepareSearch("4k3/8/8/3r4/8/8/PPP5/4K3 w - -", 6));
  searchRoot(6);
  EXPECT_EQ(SearchState.nullTries[WHITE], 0u);
}

TEST(Quiescence, QuietPositionStandsPat) {
  ASSERT_TRUE(prepareSearch("4k3/8/8/8/8/8/4P3/4K3 w - -", 3));
  Ordering.ply = 2;
  int8_t exact = 0;
  const int standPat = evaluate(WHITE, 0, -WIDE, WIDE, &exact);
  EXPECT_EQ(quiesceAtPly(2), standPat);
  // At or above beta it returns at once, without a move.
  EXPECT_EQ(quiesceAtPly(2, -WIDE, standPat - 10), standPat);
  EXPECT_EQ(Ordering.nodes, 0u);
}

TEST(Quiescence, QueenDoesNotTakeAPawnDefendedPawn) {
  ASSERT_TRUE(prepareSearch("4k3/8/5p2/4p3/3Q4/8/8/4K3 w - -", 3));
  quiesceAtPly(2);
  EXPECT_EQ(Ordering.nodes, 0u);
  ASSERT_TRUE(prepareSearch("4k3/8/8/4p3/3Q4/8/8/4K3 w - -", 3));
  quiesceAtPly(2);
  EXPECT_GT(Ordering.nodes, 0u);
}

TEST(Quiescence, PromotionIsSearchedEvenBelowTheDeltaMargin) {
  // A capture or push that cannot lift the static value by the margin (700 here, without more
  // than a queen of pieces) is skipped unmade; a promotion is still made and searched.
  ASSERT_TRUE(prepareSearch("7k/1P6/8/8/8/8/8/K7 w - -", 3));
  Ordering.ply = 2;
  int8_t exact = 0;
  const int standPat = evaluate(WHITE, 0, -WIDE, WIDE, &exact);
  const int alpha = standPat + 800;
  quiesceAtPly(2, alpha, alpha + 1);
  EXPECT_GT(Ordering.nodes, 0u);
  // The same margin keeps a plain pawn capture unmade.
  ASSERT_TRUE(prepareSearch("7k/8/8/8/2p5/1P6/8/K7 w - -", 3));
  Ordering.ply = 2;
  const int plain = evaluate(WHITE, 0, -WIDE, WIDE, &exact);
  quiesceAtPly(2, plain + 801, plain + 802);
  EXPECT_EQ(Ordering.nodes, 0u);
}

TEST(Quiescence, InCheckSearchesEvasions) {
  // The only legal moves take the checking rook or step aside.
  ASSERT_TRUE(prepareSearch("4k3/8/8/8/8/8/P7/r3K3 w - -", 3));
  const int v = quiesceAtPly(2);
  EXPECT_GT(v, -9000);
  EXPECT_GT(Ordering.nodes, 0u);
}

}  // namespace
