// The move-ordering record between iterations: the principal variation seeds the killers.
#include "board/ordering.h"

#include <gtest/gtest.h>

namespace {

TEST(SeedKillersFromPv, VariationMovesBecomeFirstKillersUntilItEnds) {
  clearKillersAndHistory(0);
  Ordering.killer1[1] = 0x0111;  // the variation's own move: kept, second killer cleared
  Ordering.killer2[1] = 0x0222;
  Ordering.killer1[2] = 0x0333;  // another move: replaced
  Ordering.killer2[2] = 0x0444;
  Ordering.killer1[4] = 0x0555;  // past the end of the variation: cleared
  Ordering.killer2[4] = 0x0666;
  Ordering.bestAtPly[2] = 0x0777;
  uint16_t pv[MAX_PLY] = {0, 0x0111, 0x0888, 0, 0x0999};  // ends at ply 3; ply 4 is stale
  seedKillersFromPv(pv, 4);
  EXPECT_EQ(Ordering.killer1[1], 0x0111);
  EXPECT_EQ(Ordering.killer2[1], 0);
  EXPECT_EQ(Ordering.killer1[2], 0x0888);
  EXPECT_EQ(Ordering.killer2[2], 0);
  EXPECT_EQ(Ordering.killer1[3], 0);
  EXPECT_EQ(Ordering.killer1[4], 0);
  EXPECT_EQ(Ordering.killer2[4], 0);
  EXPECT_EQ(Ordering.bestAtPly[2], 0);
}

}  // namespace
