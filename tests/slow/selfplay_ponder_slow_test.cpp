// Long self-play with both engines pondering at real clocks, as an interface plays: "level",
// "time"/"otim" and the moves arrive during the opponent's pondering. No illegal move, no hang,
// no loss on time.
#include <gtest/gtest.h>

#include <iostream>

#include "support/selfplay_referee.h"

using namespace vostrel_test;

namespace {

const std::vector<std::vector<std::string>> OPENINGS = {
    {"e2e4", "e7e5", "g1f3", "b8c6", "f1c4", "f8c5"},
    {"d2d4", "d7d5", "c2c4", "c7c6", "g1f3", "g8f6"},
};

TEST(SelfPlayPonderSlowTest, GamesWithBothEnginesPondering) {
  int hints = 0;
  int hits = 0;
  for (const auto& opening : OPENINGS) {
    SelfPlayOptions options;
    options.opening = opening;
    options.ponder = true;
    options.clockMinutes = 1;
    options.incrementSeconds = 1;
    options.maxPlies = 400;
    options.moveTimeoutSeconds = 120.0;
    const SelfPlayResult game = playSelfGame(options);
    EXPECT_EQ(game.failure, "");
    EXPECT_GE(game.lowestClock[0], 0);
    EXPECT_GE(game.lowestClock[1], 0);
    hints += game.hints;
    hits += game.ponderHits;
    std::cout << "pondering self-play at 1'+1\": " << game.plies << " plies, " << game.result << " "
              << game.reason << ", " << game.hints << " hints, " << game.ponderHits << " hits, lowest clocks "
              << game.lowestClock[0] << " / " << game.lowestClock[1] << " cs\n";
  }
  EXPECT_GT(hits, 0);  // some games ponder on the move actually played
}

}  // namespace
