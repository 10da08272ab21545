// Generation order, ordering scores and the special moves.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "board/attack.h"
#include "board/board.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "search/searchstate.h"
#include "support/board_fixture.h"
#include "support/perft_suite.h"

namespace {

struct Listed {
  std::string text;
  int score;
  int flags;
};

std::vector<Listed> listMoves(void (*generate)(int)) {
  generate(Board.sideToMove);
  std::vector<Listed> out;
  for (int i = MoveStack.plyStart[1]; i < MoveStack.plyStart[2]; i++) {
    const Move& m = MoveStack.moveStack[i];
    out.push_back({moveText(m.from, m.to, m.flags), m.score, m.flags});
  }
  return out;
}

std::vector<std::string> texts(const std::vector<Listed>& moves) {
  std::vector<std::string> out;
  for (const Listed& m : moves) out.push_back(m.text);
  return out;
}

const Listed* find(const std::vector<Listed>& moves, const std::string& text) {
  for (const Listed& m : moves)
    if (m.text == text) return &m;
  return nullptr;
}

TEST(MoveGeneration, InitialPositionOrder) {
  setUpInitialPosition();
  std::vector<std::string> expected = {"g1f3", "g1h3", "b1a3", "b1c3", "h2h3", "h2h4", "g2g3", "g2g4", "f2f3", "f2f4",
                                       "e2e3", "e2e4", "d2d3", "d2d4", "c2c3", "c2c4", "b2b3", "b2b4", "a2a3", "a2a4"};
  EXPECT_EQ(texts(listMoves(generateMoves)), expected);
}

TEST(MoveGeneration, PromotionQuartet) {
  ASSERT_TRUE(setUpPosition("4k3/1P6/8/8/8/8/8/4K3 w - -"));
  std::vector<Listed> moves = listMoves(generateMoves);
  // History 0 is below 1: the base becomes 1000.
  ASSERT_NE(find(moves, "b7b8q"), nullptr);
  size_t q = find(moves, "b7b8q") - moves.data();
  ASSERT_LE(q + 3, moves.size() - 1);
  EXPECT_EQ(moves[q + 1].text, "b7b8n");
  EXPECT_EQ(moves[q + 2].text, "b7b8b");
  EXPECT_EQ(moves[q + 3].text, "b7b8r");
  EXPECT_EQ(moves[q].score, 1000);
  EXPECT_EQ(moves[q + 1].score, 250);
  EXPECT_EQ(moves[q + 2].score, 250);
  EXPECT_EQ(moves[q + 3].score, 450);
  EXPECT_EQ(moves[q].flags, 13);
  EXPECT_EQ(moves[q + 3].flags, 12);
}

TEST(MoveGeneration, OrderingScores) {
  ASSERT_TRUE(setUpPosition("4k3/8/2n5/3P4/8/6P1/5P2/4K3 w - -"));
  Ordering.history[WHITE][moveCodeOf(F2, F4)] = 7;
  Ordering.killer1[1] = moveCodeOf(F2, F3);
  Ordering.killer2[1] = moveCodeOf(G3, G4);
  Ordering.hashMove = moveCodeOf(G3, G4);  // the hash move wins over its killer entry
  Ordering.bestAtPly[1] = moveCodeOf(E1, D1);
  Board.lastTo = C6;
  std::vector<Listed> moves = listMoves(generateMoves);
  EXPECT_EQ(find(moves, "g3g4")->score, 5000);
  EXPECT_EQ(find(moves, "e1d1")->score, 2000);
  EXPECT_EQ(find(moves, "f2f3")->score, 100);
  EXPECT_EQ(find(moves, "f2f4")->score, 7);
  // Capture of a knight by a pawn on the last move's square: 315 - 1 + 50.
  EXPECT_EQ(find(moves, "d5c6")->score, 364);
  EXPECT_EQ(find(moves, "d5c6")->flags, 0x200 | 0x80);  // onto White's 6th rank
  Ordering.killer1[1] = moveCodeOf(D5, C6);  // a killer capture is scored as a capture
  Board.lastTo = -1;
  moves = listMoves(generateMoves);
  EXPECT_EQ(find(moves, "d5c6")->score, 314);
  EXPECT_EQ(find(moves, "d5d6")->flags, 0x40 | 0x80);
}

TEST(MoveGeneration, SeventhRankPush) {
  ASSERT_TRUE(setUpPosition("4k3/8/3P4/8/8/8/8/4K3 w - -"));
  Ordering.history[WHITE][moveCodeOf(D6, D7)] = -32000;
  std::vector<Listed> moves = listMoves(generateMoves);
  EXPECT_EQ(find(moves, "d6d7")->score, 750);
  EXPECT_EQ(find(moves, "d6d7")->flags, 0x40 | 0x80);
  Ordering.killer1[1] = moveCodeOf(D6, D7);
  moves = listMoves(generateMoves);
  EXPECT_EQ(find(moves, "d6d7")->score, 850);
}

TEST(MoveGeneration, EnPassantOnlyWithGenuineSquare) {
  ASSERT_TRUE(setUpPosition("4k3/8/8/3pP3/8/8/8/4K3 w - d6"));
  std::vector<Listed> moves = listMoves(generateMoves);
  ASSERT_NE(find(moves, "e5d6"), nullptr);
  EXPECT_EQ(find(moves, "e5d6")->flags, 0x20 | 0x80);
  Board.epSquare = 0;  // "none" as after a new game
  EXPECT_EQ(find(listMoves(generateMoves), "e5d6"), nullptr);
  Board.epSquare = -1;
  EXPECT_EQ(find(listMoves(generateMoves), "e5d6"), nullptr);
  // A bogus square with no pawn behind it yields nothing.
  ASSERT_TRUE(setUpPosition("4k3/8/8/4P3/8/8/8/4K3 w - d6"));
  EXPECT_EQ(find(listMoves(generateMoves), "e5d6"), nullptr);
  ASSERT_TRUE(setUpPosition("4k3/8/8/3pP3/8/8/8/4K3 w - d3"));
  EXPECT_EQ(find(listMoves(generateMoves), "e5d6"), nullptr);
  // The tactical generators score it 100.
  ASSERT_TRUE(setUpPosition("4k3/8/8/3pP3/8/8/8/4K3 w - d6"));
  moves = listMoves(generateCaptures);
  ASSERT_NE(find(moves, "e5d6"), nullptr);
  EXPECT_EQ(find(moves, "e5d6")->score, 100);
}

TEST(MoveGeneration, CastlingRules) {
  ASSERT_TRUE(setUpPosition("4k3/8/8/8/8/8/8/R3K2R w KQ -"));
  std::vector<Listed> moves = listMoves(generateMoves);
  ASSERT_NE(find(moves, "e1g1"), nullptr);
  ASSERT_NE(find(moves, "e1c1"), nullptr);
  EXPECT_EQ(find(moves, "e1g1")->flags, 0x10);
  // A bishop attacking f1 forbids king-side castling only.
  ASSERT_TRUE(setUpPosition("4k3/8/8/8/8/8/7b/R3K2R w KQ -"));
  moves = listMoves(generateMoves);
  EXPECT_EQ(find(moves, "e1g1"), nullptr);
  EXPECT_NE(find(moves, "e1c1"), nullptr);
  // An attacked b1 does not prevent queen-side castling; an occupied b1 does.
  ASSERT_TRUE(setUpPosition("4k3/8/8/8/8/8/8/Rr2K2R w KQ -"));
  EXPECT_EQ(find(listMoves(generateMoves), "e1c1"), nullptr);
  ASSERT_TRUE(setUpPosition("1r2k3/8/8/8/8/8/8/R3K2R w KQ -"));
  EXPECT_NE(find(listMoves(generateMoves), "e1c1"), nullptr);
  // No right, or a castled mark: no castling.
  ASSERT_TRUE(setUpPosition("4k3/8/8/8/8/8/8/R3K2R w Q -"));
  EXPECT_EQ(find(listMoves(generateMoves), "e1g1"), nullptr);
  Board.castled[WHITE] = 1;
  EXPECT_EQ(find(listMoves(generateMoves), "e1c1"), nullptr);
  // In check the legal generator never castles.
  ASSERT_TRUE(setUpPosition("4k3/8/8/8/8/8/4r3/R3K2R w KQ -"));
  moves = listMoves(generateLegalMoves);
  EXPECT_EQ(find(moves, "e1g1"), nullptr);
  EXPECT_EQ(find(moves, "e1c1"), nullptr);
  EXPECT_NE(find(moves, "e1e2"), nullptr);
}

TEST(MoveGeneration, LegalGeneratorCountsNodes) {
  ASSERT_TRUE(setUpPosition("4k3/8/8/8/8/8/4r3/4K3 w - -"));
  Ordering.nodes = 0;
  std::vector<Listed> moves = listMoves(generateLegalMoves);
  // The king has five candidate squares (d1, d2, e2, f1, f2); each was tested once.
  EXPECT_EQ(Ordering.nodes, 5u);
  EXPECT_EQ(texts(moves), (std::vector<std::string>{"e1f1", "e1e2", "e1d1"}));
}

TEST(MoveGeneration, TacticalGenerators) {
  ASSERT_TRUE(setUpPosition("3r2k1/4P3/8/8/1q6/8/3Q4/4K2R w - -"));
  std::vector<Listed> moves = listMoves(generateCaptures);
  // Pawn: quiet queen promotion e8 (860), capture-promotion onto d8 (525 - 1 + 860); queen takes b4.
  ASSERT_NE(find(moves, "e7e8q"), nullptr);
  EXPECT_EQ(find(moves, "e7e8q")->score, 860);
  ASSERT_NE(find(moves, "e7d8q"), nullptr);
  EXPECT_EQ(find(moves, "e7d8q")->score, 525 - 1 + 860);
  EXPECT_EQ(find(moves, "d2b4")->score, 1000 - 5);
  EXPECT_EQ(find(moves, "e7e8n"), nullptr);
  size_t captures = moves.size();
  moves = listMoves(generateCapturesAndChecks);
  EXPECT_GT(moves.size(), captures);
  // Quiet moves that may check the king on g8 (blockers not examined), scored by piece code.
  ASSERT_NE(find(moves, "d2g5"), nullptr);
  EXPECT_EQ(find(moves, "d2g5")->score, QUEEN);
  EXPECT_NE(find(moves, "d2g2"), nullptr);
  ASSERT_NE(find(moves, "h1h8"), nullptr);
  EXPECT_EQ(find(moves, "h1h8")->score, ROOK);
  EXPECT_NE(find(moves, "h1g1"), nullptr);
  EXPECT_EQ(find(moves, "d2e3"), nullptr);
  EXPECT_EQ(find(moves, "h1h2"), nullptr);
  EXPECT_EQ(find(moves, "e1f1"), nullptr);  // never the king
}

TEST(MoveGeneration, PickBestTiesKeepFirst) {
  setUpInitialPosition();
  generateMoves(WHITE);
  int first = MoveStack.plyStart[1], last = MoveStack.plyStart[2] - 1;
  std::vector<Move> before(MoveStack.moveStack + first, MoveStack.moveStack + last + 1);
  pickBest(first, last);
  for (int i = first; i <= last; i++) EXPECT_EQ(MoveStack.moveStack[i].to, before[i - first].to);
  MoveStack.moveStack[last].score = 9;
  MoveStack.moveStack[last - 1].score = 9;
  pickBest(first, last);
  EXPECT_EQ(MoveStack.moveStack[first].to, before[last - 1 - first].to);  // the first of the equal best
}

// The captures list holds exactly the full list's captures, queen promotions and en-passant
// captures, in the full list's order (both walk the pieces from the end of the list, then the
// pawns); with checks it holds them too, in the same order. Returns the captures compared.
int compareCaptureLists(const std::string& fen) {
  std::vector<std::string> expected;
  for (const Listed& m : listMoves(generateMoves)) {
    const int kind = m.flags & ~PAWN_SIXTH_SEVENTH;
    if (kind == CAPTURE || kind == PROMOTION + QUEEN || kind == EN_PASSANT) expected.push_back(m.text);
  }
  EXPECT_EQ(texts(listMoves(generateCaptures)), expected) << fen;
  std::vector<std::string> withChecks;
  for (const Listed& m : listMoves(generateCapturesAndChecks))
    if (m.flags != QUIET) withChecks.push_back(m.text);
  EXPECT_EQ(withChecks, expected) << fen;
  return static_cast<int>(expected.size());
}

// Over the perft suite's positions and every position one legal move on.
TEST(MoveGeneration, CapturesFollowTheFullListOverThePerftSuite) {
  int compared = 0;
  for (const PerftCase& c : loadPerftSuite()) {
    ASSERT_TRUE(setUpPosition(c.fen)) << c.fen;
    compared += compareCaptureLists(c.fen);
    const int side = Board.sideToMove;
    generateMoves(side);
    const std::vector<Move> moves(MoveStack.moveStack + MoveStack.plyStart[1], MoveStack.moveStack + MoveStack.plyStart[2]);
    for (const Move& m : moves) {
      makeMove(side, m);
      if (!isInCheck(side)) {
        Board.sideToMove = static_cast<int8_t>(side ^ 1);
        compared += compareCaptureLists(c.fen + " " + moveText(m.from, m.to, m.flags));
        Board.sideToMove = static_cast<int8_t>(side);
      }
      unmakeMove(side, m);
    }
  }
  EXPECT_GT(compared, 2000);
}

// Selecting the best move over and over must give the order of a plain scan that keeps the first
// of equal scores, for lists of every length up to a long one, with many equal scores.
TEST(MoveGeneration, PickBestOrdersAsAPlainScan) {
  uint32_t state = 12345;
  auto next = [&state] {
    state = state * 1103515245u + 12345u;
    return static_cast<int>((state >> 16) & 0x7fff);
  };
  for (int length = 1; length <= 70; length++) {
    for (int round = 0; round < 20; round++) {
      const int first = 100 + round % 3;
      const int last = first + length - 1;
      std::vector<Move> reference;
      for (int i = 0; i < length; i++) {
        const int range = round % 2 == 0 ? 4 : 3000;
        Move m{static_cast<int8_t>(i), static_cast<int8_t>(round), static_cast<int16_t>(next() % range - range / 2), 0};
        MoveStack.moveStack[first + i] = m;
        reference.push_back(m);
      }
      for (int i = 0; i < length; i++) {
        int best = i;
        for (int j = i + 1; j < length; j++)
          if (reference[j].score > reference[best].score) best = j;
        std::swap(reference[i], reference[best]);
        pickBest(first + i, last);
        ASSERT_EQ(MoveStack.moveStack[first + i].from, reference[i].from) << "length " << length << " pick " << i;
      }
      for (int i = 0; i < length; i++) EXPECT_EQ(MoveStack.moveStack[first + i].from, reference[i].from);
    }
  }
}

}  // namespace
