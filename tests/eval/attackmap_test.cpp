#include <gtest/gtest.h>

#include <algorithm>

#include "board/board.h"
#include "eval/attackmap.h"
#include "eval/evalstate.h"
#include "eval/pieces.h"
#include "support/board_fixture.h"
#include "support/piece_terms_fixture.h"

namespace {

void setUp(const char* fen, int evalSide = WHITE) {
  ASSERT_TRUE(setUpPosition(fen)) << fen;
  prepareTermState(evalSide, 0);
}

TEST(AttackMap, InitialPositionSafeMobilityAndMapWords) {
  setUpInitialPosition();
  prepareTermState(WHITE, 0);
  for (int colour = WHITE; colour <= BLACK; ++colour) {
    const int flip = colour == WHITE ? 0 : 56;
    EXPECT_EQ(EvalState.safeMobility[B1 ^ flip], 2);
    EXPECT_EQ(EvalState.safeMobility[G1 ^ flip], 2);
    EXPECT_EQ(EvalState.safeMobility[A1 ^ flip], 1);
    EXPECT_EQ(EvalState.safeMobility[H1 ^ flip], 1);
    EXPECT_EQ(EvalState.safeMobility[C1 ^ flip], 0);
    EXPECT_EQ(EvalState.safeMobility[F1 ^ flip], 0);
    EXPECT_EQ(EvalState.safeMobility[D1 ^ flip], 2);
    // The queen behind the bishop on the first rank: a battery toward the knight, whatever the
    // direction of the line.
    EXPECT_EQ(EvalState.batteryInfo[B1 ^ flip], ATTACK_QUEEN_BIT | 1);
    EXPECT_EQ(EvalState.batteryInfo[F1 ^ flip], 0);
  }
  // d2 is covered by the knight, bishop, queen and king: four attackers and four type bits.
  EXPECT_EQ(EvalState.attackMap[WHITE][D2],
            ATTACK_KNIGHT_BIT | ATTACK_BISHOP_BIT | ATTACK_QUEEN_BIT | ATTACK_KING_BIT | 4);
  EXPECT_EQ(EvalState.attackMap[WHITE][F3], ATTACK_KNIGHT_BIT | 1);
  EXPECT_EQ(EvalState.attackMap[WHITE][E4], 0);  // pawns are never entered
  // The e1 king's zone, in the order of its move table.
  ASSERT_EQ(EvalState.kingZoneCount[WHITE], 5);
  const int8_t* zone = &EvalState.kingZone[WHITE][1];
  EXPECT_EQ(std::vector<int>(zone, zone + 5), (std::vector<int>{F1, E2, D1, D2, F2}));
  EXPECT_EQ(EvalState.kingZoneCount[BLACK], 5);
}

TEST(AttackMap, FacingRooksAttackEachOtherWithoutPin) {
  setUp("1k6/8/8/4r3/8/8/8/1K2R3 w - -");
  EXPECT_EQ(EvalState.attackMap[WHITE][E5], ATTACK_ROOK_BIT | 1);
  EXPECT_EQ(EvalState.attackMap[BLACK][E1], ATTACK_ROOK_BIT | 1);
  EXPECT_EQ(EvalState.attackMap[WHITE][E6], 0);  // the ray ends at the enemy rook
  EXPECT_EQ(EvalState.pinInfo[E5], 0);
  EXPECT_EQ(EvalState.pinInfo[E1], 0);
}

TEST(AttackMap, BishopPinsKnightToKing) {
  setUp("4k3/8/2n5/1B6/8/8/8/4K3 w - -");
  EXPECT_EQ(EvalState.pinInfo[C6], KING);
  EXPECT_EQ(EvalState.attackMap[WHITE][D7], 0);  // squares behind the knight are not attacked
  // The pinned knight pays the undefended weight of a pin against the king, less with a pawn.
  EXPECT_EQ(pinPenalty(C6), -30);
  setUp("4k3/1p6/2n5/1B6/8/8/8/4K3 w - -");
  EXPECT_EQ(pinPenalty(C6), -10);
}

TEST(AttackMap, XrayThroughOwnPieceAndBatteries) {
  setUp("q3k3/8/8/8/N7/8/8/R3K3 w - -");
  EXPECT_EQ(EvalState.xrayInfo[A8], ROOK);
  EXPECT_EQ(EvalState.attackMap[WHITE][A5], 0);

  setUp("4k3/8/8/8/8/3R4/3R4/3QK3 w - -");
  EXPECT_EQ(EvalState.batteryInfo[D3], ATTACK_QUEEN_BIT | 1);  // from the queen's walk
  EXPECT_EQ(EvalState.batteryInfo[D1], ATTACK_ROOK_BIT | 1);   // d3 rook behind d2 rook
  EXPECT_EQ(EvalState.batteryInfo[D2], 0);
}

TEST(AttackMap, QueenRayEndsAtRookOnItsLineButPassesRookOnDiagonal) {
  // A queen's file ray stops at an enemy rook; its diagonal ray passes an enemy rook (the pin below
  // it counts).
  setUp("3k4/3r4/8/8/8/8/8/2KQ4 w - -");
  EXPECT_EQ(EvalState.pinInfo[D7], 0);
  setUp("7k/6r1/8/8/8/8/8/Q1K5 w - -");
  EXPECT_EQ(EvalState.pinInfo[G7], KING);
}

TEST(AttackMap, UncoveredAttackOnA1DecodesItsSquare) {
  // The Black rook sees the knight on c1 with the rook on a1 behind it: moving the knight uncovers
  // an attack on a1. a1 is square 0, which must still read as a square, not as a pin.
  setUp("4k3/8/8/8/8/8/1K6/R1N4r w - -");
  EXPECT_EQ(EvalState.pinInfo[C1], PIN_UNCOVERED | A1 << 8 | ROOK);
  EXPECT_EQ(pinUncoveredSquare(EvalState.pinInfo[C1]), A1);
  // a1 is defended by the king and not attacked through the knight: no penalty.
  EXPECT_EQ(pinPenalty(C1), 0);
  // Without the king's cover the rook behind is at risk: the undefended rook weight.
  setUp("4k3/8/8/8/8/4K3/8/R1N4r w - -");
  EXPECT_EQ(pinUncoveredSquare(EvalState.pinInfo[C1]), A1);
  EXPECT_EQ(pinPenalty(C1), -14);
}

TEST(AttackMap, PinBeatsUncoveredAttackAndBiggerPinWins) {
  // Knight e4: the e8 rook sees the e1 bishop behind it (uncovered attack), the h7 bishop sees the
  // b1 rook behind it (a pin against the rook). The pin wins.
  setUp("4r2k/7b/8/8/4N3/8/8/1R2B1K1 w - -");
  EXPECT_EQ(EvalState.pinInfo[E4], ROOK);
  EXPECT_EQ(pinPenalty(E4), -14);
  // Pinned against the rook by the bishop and against the king by the rook: the king counts.
  setUp("4r2k/7b/8/8/4N3/8/8/1R2K3 w - -");
  EXPECT_EQ(EvalState.pinInfo[E4], KING);
}

TEST(AttackMap, EnemyPawnOnTheFileEndsARookRay) {
  setUp("4k3/8/8/4p3/8/8/8/K3R3 w - -");
  EXPECT_EQ(EvalState.attackMap[WHITE][E5], ATTACK_ROOK_BIT | 1);
  EXPECT_EQ(EvalState.pinInfo[E5], 0);  // no pin of the pawn against the king behind it
  // An enemy pawn on a bishop's diagonal does not end it: the pawn is pinned to its king.
  setUp("7k/6p1/8/8/8/8/8/B3K3 w - -");
  EXPECT_EQ(EvalState.pinInfo[G7], KING);
}

}  // namespace
