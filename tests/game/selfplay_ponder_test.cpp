// Self-play with both engines pondering: moves, clocks and time controls arrive while the
// opponent's move is being pondered, and the referee checks every move and the clocks.
#include <gtest/gtest.h>

#include <iostream>

#include "support/selfplay_referee.h"

using namespace vostrel_test;

TEST(SelfPlayPonderTest, BothEnginesPonderingPlayLegallyOnTime) {
  SelfPlayOptions options;
  options.opening = {"e2e4", "c7c5", "g1f3", "d7d6"};
  options.ponder = true;
  options.clockSeconds = 12;
  options.maxPlies = 40;
  options.moveTimeoutSeconds = 30.0;
  const SelfPlayResult game = playSelfGame(options);
  EXPECT_EQ(game.failure, "");
  EXPECT_GE(game.lowestClock[0], 0);
  EXPECT_GE(game.lowestClock[1], 0);
  EXPECT_GT(game.hints, 0);
  std::cout << "pondering self-play at 12\": " << game.plies << " plies, " << game.result << " " << game.reason
            << ", " << game.hints << " hints, " << game.ponderHits << " hits, lowest clocks "
            << game.lowestClock[0] << " / " << game.lowestClock[1] << " cs\n";
}
