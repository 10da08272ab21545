// Perft of the whole suite at every published depth (long).
#include <gtest/gtest.h>

#include "support/board_fixture.h"
#include "support/perft_suite.h"

TEST(PerftSlow, WholeSuiteAllDepths) {
  for (const PerftCase& c : loadPerftSuite()) {
    for (size_t d = 0; d < c.counts.size(); d++) {
      ASSERT_TRUE(setUpPosition(c.fen)) << c.fen;
      EXPECT_EQ(perftFromHere(static_cast<int>(d + 1)), c.counts[d]) << c.fen << " depth " << d + 1;
    }
  }
}
