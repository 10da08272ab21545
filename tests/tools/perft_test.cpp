// Perft against the published counts: every position of the suite to the depth that keeps the
// suite fast (the full depths run in the slow suite).
#include <gtest/gtest.h>

#include "support/board_fixture.h"
#include "support/perft_suite.h"

namespace {

constexpr uint64_t FAST_NODE_BUDGET = 150000;

TEST(Perft, SuiteWithinFastBudget) {
  std::vector<PerftCase> cases = loadPerftSuite();
  ASSERT_EQ(cases.size(), 133u);
  for (const PerftCase& c : cases) {
    for (size_t d = 0; d < c.counts.size(); d++) {
      if (c.counts[d] > FAST_NODE_BUDGET) break;
      ASSERT_TRUE(setUpPosition(c.fen)) << c.fen;
      EXPECT_EQ(perftFromHere(static_cast<int>(d + 1)), c.counts[d]) << c.fen << " depth " << d + 1;
    }
  }
}

TEST(Perft, InitialPositionShallow) {
  setUpInitialPosition();
  EXPECT_EQ(perftFromHere(1), 20u);
  EXPECT_EQ(perftFromHere(2), 400u);
  EXPECT_EQ(perftFromHere(3), 8902u);
  EXPECT_EQ(perftFromHere(4), 197281u);
}

}  // namespace
