// Perft of the whole suite at every published depth up to a billion leaves per entry (about
// seven billion leaves in all; the deepest published counts would take days).
#include <gtest/gtest.h>

#include "support/board_fixture.h"
#include "support/perft_suite.h"

namespace {

constexpr uint64_t SLOW_NODE_BUDGET = 1000000000;

TEST(PerftSlow, WholeSuiteDeep) {
  for (const PerftCase& c : loadPerftSuite()) {
    for (size_t d = 0; d < c.counts.size() && c.counts[d] <= SLOW_NODE_BUDGET; d++) {
      ASSERT_TRUE(setUpPosition(c.fen)) << c.fen;
      EXPECT_EQ(perftFromHere(static_cast<int>(d + 1)), c.counts[d]) << c.fen << " depth " << d + 1;
    }
  }
}

}  // namespace
