// The engine plays itself at a small fixed depth from varied openings; the referee checks every
// move and the result line.
#include <gtest/gtest.h>

#include <iostream>

#include "support/selfplay_referee.h"

using namespace vostrel_test;

namespace {

const std::vector<std::vector<std::string>> OPENINGS = {
    {"e2e4", "e7e5", "g1f3", "b8c6", "f1b5", "a7a6"},
    {"d2d4", "d7d5", "c2c4", "e7e6", "b1c3", "g8f6"},
    {"e2e4", "c7c5", "g1f3", "d7d6", "d2d4", "c5d4", "f3d4", "g8f6", "b1c3", "a7a6"},
    {"c2c4", "e7e5", "b1c3", "g8f6", "g2g3"},
};

TEST(SelfPlayTest, GamesAtFixedDepthStayLegalAndEndCorrectly) {
  for (size_t i = 0; i < OPENINGS.size(); ++i) {
    const auto& opening = OPENINGS[i];
    SelfPlayOptions options;
    options.opening = opening;
    options.fixedDepth = 1 + static_cast<int>(i % 2);
    options.maxPlies = 300;
    const SelfPlayResult game = playSelfGame(options);
    EXPECT_EQ(game.failure, "");
    EXPECT_GT(game.plies, static_cast<int>(opening.size()));
    std::cout << "self-play: " << game.plies << " plies, " << game.result << " " << game.reason << "\n";
  }
}

}  // namespace
