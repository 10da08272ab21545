// Endgames the engine plays against itself at fixed depths, judged on the board: the basic mates,
// bishop and knight from a far corner, king-and-pawn wins and draws, the Lucena and the Philidor
// positions. Deeper and longer versions are in tests/slow/endgame_play_slow_test.cpp.
#include <gtest/gtest.h>

#include "board/types.h"
#include "support/endgame_play.h"

using namespace vostrel_test;

namespace {

constexpr int MATE_DEPTH = 2;
constexpr int BISHOP_KNIGHT_DEPTH = 4;
// Below this depth the engine throws some king-and-pawn wins away: its value of the lone pawn
// grows with the pawn's rank, so it pushes before its king has taken the key square.
constexpr int PAWN_DEPTH = 6;
constexpr int ROOK_ENDING_DEPTH = 4;
constexpr int DRAW_PLIES = 200;
constexpr int PHILIDOR_PLIES = 120;

TEST(EndgamePlay, QueenOrRookMatesTheBareKing) {
  // Either colour the stronger, either to move, the bare king in the centre or in a corner.
  expectMateBy("8/8/8/4k3/8/8/8/3QK3 w - - 0 1", MATE_DEPTH, WHITE);
  expectMateBy("7K/8/8/8/3k4/8/8/q7 b - - 0 1", MATE_DEPTH, BLACK);
  expectMateBy("8/2Q5/8/8/4k3/8/8/7K b - - 0 1", MATE_DEPTH, WHITE);
  expectMateBy("8/8/8/4k3/8/8/8/R3K3 w - - 0 1", MATE_DEPTH, WHITE);
  expectMateBy("8/8/3k4/8/8/8/8/6RK b - - 0 1", MATE_DEPTH, WHITE);
  expectMateBy("r7/8/8/8/3K4/8/8/7k w - - 0 1", MATE_DEPTH, BLACK);
}

TEST(EndgamePlay, BishopAndKnightMateFromTheFarCorner) {
  // The light-squared bishop mates on a8 or h1; the bare king starts on h8.
  expectMateBy("7k/8/8/8/8/8/8/KBN5 w - - 0 1", BISHOP_KNIGHT_DEPTH, WHITE);
}

TEST(EndgamePlay, KingAndPawnWinsArePromotedAndMated) {
  // The king steps onto a key square of its pawn (d4 for c2, d3-c4 for d2), or stands on one.
  expectMateBy("8/8/8/1k6/8/2K5/2P5/8 w - - 0 1", PAWN_DEPTH, WHITE, true);
  expectMateBy("8/2p5/2k5/8/1K6/8/8/8 b - - 0 1", PAWN_DEPTH, BLACK, true);
  expectMateBy("8/8/8/8/6k1/8/3PK3/8 w - - 0 1", PAWN_DEPTH, WHITE, true);
  expectMateBy("4k3/8/4K3/4P3/8/8/8/8 b - - 0 1", PAWN_DEPTH, WHITE, true);
}

TEST(EndgamePlay, KingAndPawnDrawsAreHeld) {
  // The defender has the opposition in front of the pawn.
  expectHeldBy("8/8/8/4k3/8/4K3/4P3/8 w - - 0 1", PAWN_DEPTH, BLACK, DRAW_PLIES, true);
  expectHeldBy("8/8/3k4/8/3K4/3P4/8/8 w - - 0 1", PAWN_DEPTH, BLACK, DRAW_PLIES, true);
  // The pawn on the sixth rank ends in stalemate; the rook pawn cannot drive the king out.
  expectHeldBy("4k3/8/4P3/4K3/8/8/8/8 w - - 0 1", PAWN_DEPTH, BLACK, DRAW_PLIES, true);
  expectHeldBy("7k/8/8/6KP/8/8/8/8 w - - 0 1", PAWN_DEPTH, BLACK, DRAW_PLIES, true);
  expectHeldBy("8/8/8/8/pk6/8/K7/8 b - - 0 1", PAWN_DEPTH, WHITE, DRAW_PLIES, true);
}

TEST(EndgamePlay, LucenaIsWonAndPhilidorIsHeld) {
  // Lucena: the rook cuts the king off on the d-file and builds the bridge.
  expectMateBy("1K1k4/1P6/8/8/8/8/r7/2R5 w - - 0 1", ROOK_ENDING_DEPTH, WHITE, true);
  // Philidor: the defending rook holds the sixth rank, either side to move.
  expectHeldBy("4k3/R7/7r/3KP3/8/8/8/8 b - - 0 1", ROOK_ENDING_DEPTH, BLACK, PHILIDOR_PLIES, false);
  expectHeldBy("4k3/R7/7r/3KP3/8/8/8/8 w - - 0 1", ROOK_ENDING_DEPTH, BLACK, PHILIDOR_PLIES, false);
}

}  // namespace
