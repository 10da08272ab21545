// Transposition table: clearing, replacement by depth and age, mate scores relative to the node,
// bound handling, the null-move store, aging, and reading the principal variation back.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "board/board.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "search/hashtable.h"
#include "search/search.h"
#include "search/searchstate.h"
#include "support/board_fixture.h"
#include "support/search_support.h"

namespace {

class HashTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(prepareSearch("4k3/8/8/8/8/8/4P3/4K3 w - -", 2));
    Ordering.ply = 4;
  }
  HashEntry& whiteEntry() { return hashEntryFor(WHITE, Board.hashKey); }
};

TEST_F(HashTableTest, ClearingEmptiesEveryEntrySoAnyStoreSucceeds) {
  for (int side = WHITE; side <= BLACK; ++side) {
    for (uint32_t i = 0; i <= HashTable.hashMask; ++i) {
      const HashEntry& e = HashTable.table[side][i];
      ASSERT_EQ(e.depth, HASH_EMPTY_DEPTH);
      ASSERT_EQ(e.age, 1);
      ASSERT_EQ(e.lock, 0u);
      ASSERT_EQ(e.move, 0);
    }
  }
  EXPECT_EQ(HashTable.usedEntries, 0u);
  // Even a quiescence depth far below zero is stored into a cleared entry.
  storeHash(WHITE, 17, -20, E2, E4, 0, BOUND_LOWER);
  EXPECT_EQ(whiteEntry().lock, Board.hashLock);
  EXPECT_EQ(whiteEntry().depth, -20);
  EXPECT_EQ(whiteEntry().move, moveCodeOf(E2, E4));
  EXPECT_EQ(HashTable.usedEntries, 1u);
  EXPECT_EQ(probeHash(BLACK), nullptr);  // the other side's table is separate
}

// Clearing writes every field of every entry, in tables of two entries (the smallest) and more,
// whatever the blocks held before.
TEST_F(HashTableTest, ClearingRewritesEveryFieldAtAnySize) {
  HashEntry* saved[2] = {HashTable.table[WHITE], HashTable.table[BLACK]};
  const uint32_t savedMask = HashTable.hashMask;
  for (uint32_t entries : {2u, 4u, 8u, 64u}) {
    std::vector<HashEntry> blocks[2] = {std::vector<HashEntry>(entries), std::vector<HashEntry>(entries)};
    for (int side = WHITE; side <= BLACK; ++side) {
      std::memset(blocks[side].data(), 0xA5, sizeof(HashEntry) * entries);
      HashTable.table[side] = blocks[side].data();
    }
    HashTable.hashMask = entries - 1;
    clearHashTables();
    for (int side = WHITE; side <= BLACK; ++side) {
      for (const HashEntry& e : blocks[side]) {
        ASSERT_EQ(e.lock, 0u);
        ASSERT_EQ(e.move, 0);
        ASSERT_EQ(e.score, 0);
        ASSERT_EQ(e.flags, 0);
        ASSERT_EQ(e.depth, HASH_EMPTY_DEPTH);
        ASSERT_EQ(e.age, 1);
      }
    }
  }
  HashTable.table[WHITE] = saved[WHITE];
  HashTable.table[BLACK] = saved[BLACK];
  HashTable.hashMask = savedMask;
}

TEST_F(HashTableTest, DeeperEntryOfCurrentAgeSurvivesUntilTheAgeAdvances) {
  HashTable.hashAge = 5;
  storeHash(WHITE, 40, 6, E2, E4, 0, BOUND_EXACT);
  storeHash(WHITE, -30, 3, E2, E3, 0, BOUND_EXACT);
  EXPECT_EQ(whiteEntry().score, 40);
  EXPECT_EQ(whiteEntry().depth, 6);
  storeHash(WHITE, -30, 6, E2, E3, 0, BOUND_EXACT);  // equal depth replaces
  EXPECT_EQ(whiteEntry().score, -30);
  storeHash(WHITE, 40, 8, E2, E4, 0, BOUND_EXACT);
  HashTable.hashAge = 6;
  storeHash(WHITE, 11, 2, E2, E3, 0, BOUND_LOWER);
  EXPECT_EQ(whiteEntry().score, 11);
  EXPECT_EQ(whiteEntry().depth, 2);
  EXPECT_EQ(whiteEntry().age, 6);
  EXPECT_EQ(whiteEntry().flags, BOUND_LOWER);
}

TEST_F(HashTableTest, MateScoresAreStoredRelativeToTheNode) {
  Ordering.ply = 5;
  storeHash(WHITE, 9995, 4, E2, E4, 0, BOUND_EXACT);
  EXPECT_EQ(whiteEntry().score, 10000);
  EXPECT_EQ(hashScoreFromStore(whiteEntry().score, 3), 9997);
  storeHash(WHITE, -9995, 5, E2, E4, 0, BOUND_EXACT);
  EXPECT_EQ(whiteEntry().score, -10000);
  EXPECT_EQ(hashScoreFromStore(whiteEntry().score, 3), -9997);
  storeHash(WHITE, 9000, 6, E2, E4, 0, BOUND_EXACT);  // the edge of the range is not a mate
  EXPECT_EQ(whiteEntry().score, 9000);
  // The quiescence probe converts as well: the exact mate stored at ply 5 reads 9997 at ply 3.
  storeHash(WHITE, 9995, 7, E2, E4, 0, BOUND_EXACT);
  Ordering.ply = 3;
  EXPECT_EQ(quiesce(WHITE, 0, -9999, 9999), 9997);
}

TEST_F(HashTableTest, UpperBoundKeepsTheMoveOfTheSamePositionOnly) {
  storeHash(WHITE, 25, 3, E2, E4, 0, BOUND_LOWER);
  storeHash(WHITE, 10, 4, 0, 0, 0, BOUND_UPPER);
  EXPECT_EQ(whiteEntry().move, moveCodeOf(E2, E4));
  EXPECT_EQ(whiteEntry().flags, BOUND_UPPER);
  // A different position in the same slot loses the old move.
  whiteEntry().lock ^= 1;
  storeHash(WHITE, 10, 5, 0, 0, 0, BOUND_UPPER);
  EXPECT_EQ(whiteEntry().move, 0);
  EXPECT_EQ(whiteEntry().lock, Board.hashLock);
}

TEST_F(HashTableTest, InCheckNodeExtendedTwiceStoresOnePlyLessAndThreatMarksAreCopied) {
  const int ply = Ordering.ply;
  SearchState.nodeFlags[ply] = NODE_IN_CHECK | NODE_MATE_THREAT | NODE_THREAT;
  SearchState.extensions[ply] = 2;
  storeHash(WHITE, 5, 6, E2, E4, 1, BOUND_EXACT);
  EXPECT_EQ(whiteEntry().depth, 5);
  EXPECT_EQ(whiteEntry().flags, BOUND_EXACT | HASH_MATE_THREAT);
  SearchState.nodeFlags[ply] = NODE_THREAT;
  storeHash(WHITE, 5, 6, E2, E4, 1, BOUND_LOWER);
  EXPECT_EQ(whiteEntry().depth, 6);
  EXPECT_EQ(whiteEntry().flags, BOUND_LOWER | HASH_THREAT);
  storeHash(WHITE, 5, 6, E2, E4, 0, BOUND_LOWER);  // no copy asked
  EXPECT_EQ(whiteEntry().flags, BOUND_LOWER);
}

TEST_F(HashTableTest, NullMoveBoundAdjustsOnlyLosingMates) {
  Ordering.ply = 6;
  storeNullMoveBound(WHITE, -9990, 3);
  EXPECT_EQ(whiteEntry().score, -9996);
  EXPECT_EQ(whiteEntry().flags, BOUND_LOWER);
  EXPECT_EQ(whiteEntry().move, 0);
  storeHash(WHITE, 20, 3, E2, E4, 0, BOUND_EXACT);
  storeNullMoveBound(WHITE, 9990, 4);
  EXPECT_EQ(whiteEntry().score, 9990);
  EXPECT_EQ(whiteEntry().move, moveCodeOf(E2, E4));  // same position keeps its move
  storeNullMoveBound(WHITE, 50, 2);                   // shallower, same age: refused
  EXPECT_EQ(whiteEntry().score, 9990);
}

TEST_F(HashTableTest, AgingRestartsAboveTwoHundredFifty) {
  storeHash(WHITE, 1, 3, E2, E4, 0, BOUND_EXACT);
  HashTable.hashAge = 249;
  ageHashTables();
  EXPECT_EQ(HashTable.hashAge, 250);
  EXPECT_EQ(whiteEntry().age, 1);
  ageHashTables();
  EXPECT_EQ(HashTable.hashAge, 1);
  EXPECT_EQ(whiteEntry().age, 0);
  EXPECT_EQ(HashTable.table[BLACK][0].age, 0);
}

// The principal variation: the root list is generated at ply 1, the root move record carries
// the score that the stored entries must match.
class PvTest : public ::testing::Test {
 protected:
  void prepare(const char* fen, int rootScore) {
    ASSERT_TRUE(prepareSearch(fen, 2));
    generateMoves(Board.sideToMove);
    SearchState.rootMoveIndex = MoveStack.plyStart[1];
    MoveStack.moveStack[SearchState.rootMoveIndex].score = static_cast<int16_t>(rootScore);
  }
  // Stores `code` as the exact best move of the position after `moves` were made.
  void storeAfter(std::initializer_list<Move> moves, int side, uint16_t code, int score) {
    int mover = Board.sideToMove;
    for (const Move& m : moves) {
      makeMove(mover, m);
      mover ^= 1;
    }
    storeHash(side, score, 3, moveCodeFrom(code), moveCodeTo(code), 0, BOUND_EXACT);
    for (auto it = std::rbegin(moves); it != std::rend(moves); ++it) {
      mover ^= 1;
      unmakeMove(mover, *it);
    }
  }
};

TEST_F(PvTest, PromotionWithoutContinuationEndsTheVariationBeforeIt) {
  prepare("7k/1P6/8/8/8/8/8/K7 w - -", 120);
  storeAfter({}, WHITE, moveCodeOf(B7, B8), 120);
  readPvFromHash(WHITE, 2);
  EXPECT_EQ(SearchState.pv[2], 0);
  EXPECT_EQ(SearchState.pvFlags[2], 0);
}

TEST_F(PvTest, PromotionTriesTheNextPieceWhenOnlyItContinues) {
  prepare("7k/1P6/8/8/8/8/8/K7 w - -", 120);
  storeAfter({}, WHITE, moveCodeOf(B7, B8), 120);
  const Move knightPromotion{B7, B8, 0, PROMOTION | KNIGHT};
  storeAfter({knightPromotion}, BLACK, moveCodeOf(H8, G7), -120);
  readPvFromHash(WHITE, 2);
  EXPECT_EQ(SearchState.pv[2], moveCodeOf(B7, B8));
  EXPECT_EQ(SearchState.pvFlags[2], PROMOTION | KNIGHT);
  EXPECT_EQ(SearchState.pv[3], moveCodeOf(H8, G7));
  EXPECT_EQ(SearchState.pv[4], 0);
  EXPECT_EQ(Ordering.ply, 1);
}

TEST_F(PvTest, EntryWithAnotherScoreOrAnIllegalMoveIsNotFollowed) {
  prepare("7k/8/8/8/8/8/8/K6R w - -", 35);
  storeAfter({}, WHITE, moveCodeOf(H1, H2), 34);  // score of another line
  readPvFromHash(WHITE, 2);
  EXPECT_EQ(SearchState.pv[2], 0);
  storeAfter({}, WHITE, moveCodeOf(A1, A2), -35);  // same size, opposite sign: followed
  readPvFromHash(WHITE, 2);
  EXPECT_EQ(SearchState.pv[2], moveCodeOf(A1, A2));
  storeAfter({}, WHITE, moveCodeOf(C3, C4), 35);   // no such move here
  readPvFromHash(WHITE, 2);
  EXPECT_EQ(SearchState.pv[2], 0);
}

}  // namespace
