// Long self-play at real clocks: "level" with "time"/"otim" before every move, as an interface
// plays. No illegal move, no hang, no loss on time.
#include <gtest/gtest.h>

#include <iostream>

#include "support/selfplay_referee.h"

using namespace vostrel_test;

namespace {

const std::vector<std::vector<std::string>> OPENINGS = {
    {"e2e4", "e7e6", "d2d4", "d7d5", "b1c3", "g8f6"},
    {"d2d4", "g8f6", "c2c4", "g7g6", "b1c3", "f8g7", "e2e4", "d7d6"},
};

TEST(SelfPlaySlowTest, GamesAtRealClocks) {
  for (const auto& opening : OPENINGS) {
    SelfPlayOptions options;
    options.opening = opening;
    options.clockMinutes = 1;
    options.incrementSeconds = 1;
    options.maxPlies = 400;
    options.moveTimeoutSeconds = 120.0;
    const SelfPlayResult game = playSelfGame(options);
    EXPECT_EQ(game.failure, "");
    EXPECT_GE(game.lowestClock[0], 0);
    EXPECT_GE(game.lowestClock[1], 0);
    std::cout << "self-play at 1'+1\": " << game.plies << " plies, " << game.result << " " << game.reason
              << ", lowest clocks " << game.lowestClock[0] << " / " << game.lowestClock[1] << " cs\n";
  }
}

}  // namespace
