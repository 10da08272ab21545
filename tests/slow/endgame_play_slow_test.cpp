// Deeper endgame play against itself: bishop and knight mate the bare king from far corners at
// the depth the mate reliably needs, king-and-pawn wins over a range of depths, and the Lucena
// and Philidor positions searched deeper.
#include <gtest/gtest.h>

#include "board/types.h"
#include "support/endgame_play.h"

using namespace vostrel_test;

namespace {

// Shallower searches still let the bare king escape from the wrong corner in some of these
// starts until the fifty-move rule ends the game.
constexpr int BISHOP_KNIGHT_DEPTH = 7;
constexpr int PAWN_FIRST_DEPTH = 6;
constexpr int PAWN_LAST_DEPTH = 8;
constexpr int ROOK_ENDING_DEPTH = 6;
constexpr int PHILIDOR_PLIES = 120;

TEST(EndgamePlaySlow, BishopAndKnightMateFromFarCorners) {
  // The bare king starts in a corner of the other colour than the bishop's, or drifts there.
  expectMateBy("7k/8/8/8/8/8/8/KBN5 w - - 0 1", BISHOP_KNIGHT_DEPTH, WHITE);
  expectMateBy("7k/8/8/8/8/8/8/KBN5 b - - 0 1", BISHOP_KNIGHT_DEPTH, WHITE);
  expectMateBy("K7/8/8/8/8/8/8/1bn4k b - - 0 1", BISHOP_KNIGHT_DEPTH, BLACK);
  expectMateBy("k7/8/8/8/8/8/8/B1N3K1 w - - 0 1", BISHOP_KNIGHT_DEPTH, WHITE);
  expectMateBy("k7/8/8/8/8/8/8/5NBK w - - 0 1", BISHOP_KNIGHT_DEPTH, WHITE);
  expectMateBy("7k/8/8/8/8/8/8/2B1K1N1 w - - 0 1", BISHOP_KNIGHT_DEPTH, WHITE);
}

TEST(EndgamePlaySlow, KingAndPawnWinsAtSeveralDepths) {
  for (int depth = PAWN_FIRST_DEPTH; depth <= PAWN_LAST_DEPTH; ++depth) {
    // The opposition: the defender to move must let the king onto a key square.
    expectMateBy("8/8/8/4k3/8/4K3/4P3/8 b - - 0 1", depth, WHITE, true);
    expectMateBy("8/8/3k4/8/3K4/3P4/8/8 b - - 0 1", depth, WHITE, true);
    expectMateBy("8/8/8/1k6/8/2K5/2P5/8 w - - 0 1", depth, WHITE, true);
    expectMateBy("8/2p5/2k5/8/1K6/8/8/8 b - - 0 1", depth, BLACK, true);
    expectMateBy("8/8/8/8/6k1/8/3PK3/8 w - - 0 1", depth, WHITE, true);
  }
}

TEST(EndgamePlaySlow, LucenaAndPhilidorSearchedDeeper) {
  expectMateBy("1K1k4/1P6/8/8/8/8/r7/2R5 w - - 0 1", ROOK_ENDING_DEPTH, WHITE, true);
  expectHeldBy("4k3/R7/7r/3KP3/8/8/8/8 b - - 0 1", ROOK_ENDING_DEPTH, BLACK, PHILIDOR_PLIES, false);
  expectHeldBy("4k3/R7/7r/3KP3/8/8/8/8 w - - 0 1", ROOK_ENDING_DEPTH, BLACK, PHILIDOR_PLIES, false);
}

}  // namespace
