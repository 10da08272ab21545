#include <gtest/gtest.h>

#include "board/board.h"
#include "eval/evalstate.h"
#include "eval/pieces.h"
#include "support/board_fixture.h"
#include "support/piece_terms_fixture.h"

namespace {

void setUp(const char* fen, int evalSide = WHITE, int gamePhase = 0) {
  ASSERT_TRUE(setUpPosition(fen)) << fen;
  prepareTermState(evalSide, gamePhase);
}

int16_t termAt(const char* fen, int square, int gamePhase = 0) {
  setUp(fen, WHITE, gamePhase);
  return pieceTerm(square);
}

// Term of the piece at list position `index` of `colour` after the whole piece loop.
int16_t loopTerm(const char* fen, int colour, int index) {
  setUp(fen);
  PieceTermResults results;
  runPieceLoop(results);
  return results.term[colour][index];
}

TEST(PieceTerms, InitialPositionMobilityAndUnits) {
  setUpInitialPosition();
  prepareTermState(WHITE, 0);
  PieceTermResults results;
  runPieceLoop(results);
  // Knights 2 + 2, rooks 1 / 2 each, queen 2 / 2.
  EXPECT_EQ(EvalState.mobilityScore[WHITE], 5);
  EXPECT_EQ(EvalState.mobilityScore[BLACK], 5);
  EXPECT_EQ(EvalState.kingAttackUnits[WHITE], 0);
  EXPECT_EQ(EvalState.kingAttackUnits[BLACK], 0);
  EXPECT_EQ(EvalState.threatenedPieces[WHITE], 0);
  EXPECT_EQ(EvalState.bishopOnDark[WHITE], 1);   // c1
  EXPECT_EQ(EvalState.bishopOnLight[WHITE], 1);  // f1
}

TEST(PieceTerms, KnightOutposts) {
  // e5 defended by the d4 pawn, nothing can chase it: outpost 3 x 3, table 10, pawn support 2.
  EXPECT_EQ(termAt("4k3/8/8/4N3/3P4/8/8/4K3 w - -", E5), 9 + 10 + 2);
  // A Black pawn can contest e6: only 2 x 3.
  EXPECT_EQ(termAt("4k3/5p2/8/4N3/3P4/8/8/4K3 w - -", E5), 6 + 10 + 2);
  // A Black pawn attacks e5 itself: no outpost.
  EXPECT_EQ(termAt("4k3/8/3p4/4N3/3P4/8/8/4K3 w - -", E5), 10 + 2);
  // d4 is not deep enough to ignore d6: a Black pawn on c7 or e7 removes the bonus.
  EXPECT_EQ(termAt("4k3/2p5/8/8/3N4/4P3/8/4K3 w - -", D4), 7 + 2);
  EXPECT_EQ(termAt("4k3/4p3/8/8/3N4/4P3/8/4K3 w - -", D4), 7 + 2);
  EXPECT_EQ(termAt("4k3/p7/8/8/3N4/4P3/8/4K3 w - -", D4), 3 * 2 + 7 + 2);
  // Without pawn support a bishop's cover gives 2 x o.
  EXPECT_EQ(termAt("4k3/8/8/4N3/8/2B5/8/4K3 w - -", E5), 6 + 10 + 1);
  // The mirror for Black: d5 needs d3 free.
  setUp("4k3/8/4p3/3n4/8/8/2P5/4K3 w - -");
  EXPECT_EQ(pieceTerm(D5), 7 + 2);
}

TEST(PieceTerms, KnightInFrontOfItsCPawnEarly) {
  const char* fen = "4k3/8/8/3p4/8/2N5/2P5/4K3 w - -";
  EXPECT_EQ(termAt(fen, C3, 0) - termAt(fen, C3, 2), -4 - 7);
  // Defended by the b2 pawn: only the d5 part.
  const char* defended = "4k3/8/8/3p4/8/2N5/1PP5/4K3 w - -";
  EXPECT_EQ(termAt(defended, C3, 1) - termAt(defended, C3, 2), -7);
}

TEST(PieceTerms, TrappedBishopHitsThreatScoreOnly) {
  setUp("4k3/B7/1p6/8/8/8/8/4K3 w - -");
  pieceTerm(A7);
  EXPECT_EQ(EvalState.threatScore[WHITE], -110);
  EXPECT_EQ(EvalState.threatenedPieces[WHITE], 0);
  setUp("4k3/8/8/8/8/1P6/b7/4K3 w - -");
  pieceTerm(A2);
  EXPECT_EQ(EvalState.threatScore[BLACK], -110);
  setUp("4k3/B7/2p5/8/8/8/8/4K3 w - -");
  pieceTerm(A7);
  EXPECT_EQ(EvalState.threatScore[WHITE], 0);
}

TEST(PieceTerms, BadBishopExemptionOnlyForSecondPawnPair) {
  // A dark bishop on g3 with pawns d4+e5 pays 2 x 2 dark pawns; with d4+e3 it is exempt on g3.
  const int16_t walled = termAt("4k3/8/8/4P3/3P4/6B1/8/4K3 w - -", G3);
  const int16_t exempt = termAt("4k3/8/8/8/3P4/4P1B1/8/4K3 w - -", G3);
  EXPECT_EQ(walled - exempt, -4);
  EXPECT_EQ(EvalState.bishopOnDark[WHITE], 1);
  EXPECT_EQ(EvalState.bishopOnLight[WHITE], 0);
}

TEST(PieceTerms, DoubledRooksOnOpenFile) {
  // List: e1 at 1, e2 at 2; the loop scores e2 first, so e1 is the second rook on the file.
  const char* kingG8 = "6k1/8/8/8/8/8/4R3/4RK2 w - -";
  const char* kingH8 = "7k/8/8/8/8/8/4R3/4RK2 w - -";
  const char* kingC8 = "2k5/8/8/8/8/8/4R3/4RK2 w - -";
  const char* kingB8 = "1k6/8/8/8/8/8/4R3/4RK2 w - -";
  EXPECT_EQ(loopTerm(kingG8, WHITE, 2), 5 + 2 + 10);
  EXPECT_EQ(loopTerm(kingG8, WHITE, 1), 5 + 2 + 10 + 7);
  EXPECT_EQ(loopTerm(kingH8, WHITE, 1), 5 + 2 + 10);
  EXPECT_EQ(loopTerm(kingC8, WHITE, 1), 5 + 2 + 10 + 7);
  EXPECT_EQ(loopTerm(kingB8, WHITE, 1), 5 + 2 + 10);
  // A weak Black pawn on the half-open file earns the doubling whatever the king's file.
  const char* weakPawn = "7k/8/4p3/8/8/8/3PR3/4RK2 w - -";
  EXPECT_EQ(loopTerm(weakPawn, WHITE, 1) - loopTerm(weakPawn, WHITE, 2), 7);
}

TEST(PieceTerms, SeventhRankCountsOnlyWhenTheBonusApplies) {
  // a7 is scored after b7: +25 for each, +40 more for the second.
  const char* onBack = "6k1/RR6/8/8/8/8/8/4K3 w - -";
  const char* outside = "8/RR6/6k1/8/8/8/8/4K3 w - -";
  EXPECT_EQ(loopTerm(onBack, WHITE, 2) - loopTerm(outside, WHITE, 2), 25);
  EXPECT_EQ(loopTerm(onBack, WHITE, 1) - loopTerm(outside, WHITE, 1), 65);
  loopTerm(onBack, WHITE, 1);
  EXPECT_EQ(EvalState.seventhRankCount[WHITE], 2);
  loopTerm(outside, WHITE, 1);
  EXPECT_EQ(EvalState.seventhRankCount[WHITE], 0);
}

TEST(PieceSafety, QueenAgainstQueenAndAgainstRook) {
  // Attacked by the d8 queen, defended by the d1 rook: not threatened.
  setUp("3qk3/8/8/8/3Q4/8/8/3RK3 w - -");
  EXPECT_EQ(pieceSafety(D4, QUEEN), -2);
  EXPECT_EQ(EvalState.threatenedPieces[WHITE], 0);
  // A rook among the attackers threatens the queen; only the side to move pays the 12.
  setUp("3rk3/8/8/8/3Q4/8/8/3RK3 w - -", WHITE);
  EXPECT_EQ(pieceSafety(D4, QUEEN), -2 - 12);
  EXPECT_EQ(EvalState.threatenedPieces[WHITE], 1);
  setUp("3rk3/8/8/8/3Q4/8/8/3RK3 w - -", BLACK);
  EXPECT_EQ(pieceSafety(D4, QUEEN), -2);
  EXPECT_EQ(EvalState.threatenedPieces[WHITE], 1);
}

TEST(PieceSafety, TwelvePointPenaltiesOnlyForTheSideToMove) {
  // An undefended knight hit by a rook: attacked, threatened, exposed.
  const char* hanging = "4k3/8/8/3r4/8/3N4/8/4K3 w - -";
  setUp(hanging, WHITE);
  EXPECT_EQ(pieceSafety(D3, KNIGHT), -2 - 12 - 7);
  setUp(hanging, BLACK);
  EXPECT_EQ(pieceSafety(D3, KNIGHT), -2 - 7);
  EXPECT_EQ(EvalState.threatenedPieces[WHITE], 1);
  // A knight pinned to its king and hit by a pawn: 24 more for the side to move.
  const char* pinned = "4k3/8/8/8/1b6/4p3/3N4/4K3 w - -";
  setUp(pinned, WHITE);
  EXPECT_EQ(EvalState.pinInfo[D2], KING);
  EXPECT_EQ(pieceSafety(D2, KNIGHT), -4 - 12 - 24 - 7);
  setUp(pinned, BLACK);
  EXPECT_EQ(pieceSafety(D2, KNIGHT), -4 - 7);
}

TEST(PieceSafety, PawnDefenceAndBatteryTemperExposure) {
  // Rook attacked by a rook, defended by a pawn: no threat.
  setUp("4k3/8/8/3r4/8/3R4/2P5/4K3 w - -", WHITE);
  EXPECT_EQ(pieceSafety(D3, ROOK), -2);
  // Outnumbered by a rook and a queen but pawn-defended: only half the exposure.
  setUp("4k3/8/8/3r1q2/8/3R4/2P5/4K3 w - -", WHITE);
  EXPECT_EQ(pieceSafety(D3, ROOK), -4 - 3);
  // Without the pawn the d2 rook alone is outnumbered: threatened and exposed...
  setUp("4k3/8/8/3r1q2/8/3R4/3R4/4K3 w - -", WHITE);
  EXPECT_EQ(pieceSafety(D3, ROOK), -4 - 12 - 7);
  EXPECT_EQ(EvalState.threatenedPieces[WHITE], 1);
  // ...but the queen behind the d2 rook makes a battery that counts as a second defender.
  setUp("4k3/8/8/3r1q2/8/3R4/3R4/3QK3 w - -", WHITE);
  EXPECT_EQ(EvalState.batteryInfo[D3], ATTACK_QUEEN_BIT | 1);
  EXPECT_EQ(pieceSafety(D3, ROOK), -4 - 7);
  EXPECT_EQ(EvalState.threatenedPieces[WHITE], 0);
}

TEST(PieceTerms, EndgameVariants) {
  // Bishop c3 (dark), Black pawns c5 e5 dark, White pawn d2 dark: 5 + 3 x (2 x 2 - 1).
  setUp("4k3/8/8/2p1p3/8/2B5/3P4/4K3 w - -", WHITE, 3);
  EXPECT_EQ(endgameBishop(C3) - 2 * EvalState.safeMobility[C3], 5 + 9);
  // Rook behind its passed pawn +11, in front of it +5 (+25 on the seventh with the king behind).
  setUp("4k3/8/8/P7/8/8/8/R3K3 w - -", WHITE, 3);
  EXPECT_EQ(endgameRook(A1) - EvalState.safeMobility[A1], 11);
  setUp("4k3/R7/8/P7/8/8/8/4K3 w - -", WHITE, 3);
  EXPECT_EQ(endgameRook(A7) - EvalState.safeMobility[A7], 5 + 25);
  // Knight: half the table plus twice the safe mobility.
  setUp("4k3/8/8/8/8/8/8/N3K3 w - -", WHITE, 3);
  EXPECT_EQ(endgameKnight(A1), -25 / 2 + 2 * 2);
}

}  // namespace
