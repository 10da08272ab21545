// Passed pawns: rank values, the rule of the square, connected and outside passers, and the race
// data of pawn endings.
#include <gtest/gtest.h>

#include "board/board.h"
#include "eval/evalstate.h"
#include "eval/passedpawns.h"
#include "support/endgame_fixture.h"

namespace {

constexpr int D_FILE = 3;
constexpr int E_FILE = 4;
constexpr int A_FILE = 0;

int catchesWith(const std::string& fen, int colour, int pawn) {
  EXPECT_TRUE(setUpEvaluation(fen)) << fen;
  return kingCatchesPawn(colour, pawn);
}

TEST(PassedPawns, MiddlegamePasserByRankProtectionAndBlocker) {
  // e6 passer, nothing in front, not protected: the rank value alone.
  ASSERT_TRUE(setUpEvaluation("r2q2k1/p5pp/4P3/8/8/8/PP3PPP/R2QK3 w - - 0 1"));
  runPassedPawns(1);
  EXPECT_EQ(EvalState.passerValue[WHITE][E_FILE], 80);
  EXPECT_EQ(EvalState.passedPawnScore[WHITE], 80);

  // Defended by the d5 pawn: +35 (the d5 pawn is scored on its own file).
  ASSERT_TRUE(setUpEvaluation("r2q2k1/p5pp/4P3/3P4/8/8/PP3PPP/R2QK3 w - - 0 1"));
  runPassedPawns(1);
  EXPECT_EQ(EvalState.passerValue[WHITE][E_FILE], 80 + 35);

  // A Black piece anywhere in front on the file costs a third of the rank value.
  ASSERT_TRUE(setUpEvaluation("r2qn1k1/p5pp/4P3/8/8/8/PP3PPP/R2QK3 w - - 0 1"));
  runPassedPawns(1);
  EXPECT_EQ(EvalState.passerValue[WHITE][E_FILE], 80 - 80 / 3);
}

TEST(PassedPawns, KingCatchesPawnRuleOfTheSquare) {
  // a5 pawn, White to move, Black king c6: two moves to a8 for the king, three for the pawn.
  EXPECT_EQ(catchesWith("8/8/2k5/P7/8/8/8/7K w - - 0 1", WHITE, A5), 1);
  // A White king on b6 is not closer to a8 than the Black king: no shield.
  EXPECT_EQ(catchesWith("8/8/1Kk5/P7/8/8/8/8 w - - 0 1", WHITE, A5), 1);
  // On b7 it is: the pawn cannot be caught.
  EXPECT_EQ(catchesWith("8/1K6/2k5/P7/8/8/8/8 w - - 0 1", WHITE, A5), 0);
  // Outrun with White to move, caught with Black to move.
  EXPECT_EQ(catchesWith("8/8/8/P3k3/8/8/8/7K w - - 0 1", WHITE, A5), 0);
  EXPECT_EQ(catchesWith("8/8/8/P3k3/8/8/8/7K b - - 0 1", WHITE, A5), 1);
  // The double step: a2 counts as a3, so the king on g3 (six from a8) is too slow.
  EXPECT_EQ(catchesWith("8/8/8/8/8/6k1/P7/K7 w - - 0 1", WHITE, A2), 0);
  // A king below the pawn is behind it, unless it is to move and only one rank below.
  EXPECT_EQ(catchesWith("8/8/4P3/4k3/8/8/8/K7 w - - 0 1", WHITE, E6), 0);
  EXPECT_EQ(catchesWith("8/8/4P3/4k3/8/8/8/K7 b - - 0 1", WHITE, E6), 1);
  // Black mirrored: h4 pawn, White king f3.
  EXPECT_EQ(catchesWith("7k/8/8/8/7p/5K2/8/8 b - - 0 1", BLACK, H4), 1);
  EXPECT_EQ(catchesWith("7k/8/8/8/7p/8/8/2K5 b - - 0 1", BLACK, H4), 0);
}

// Two connected passers on the seventh rank: the d-pawn's value with the e-pawn beside it minus
// its value alone is the connected bonus.
int connectedBonus(const std::string& withPair, const std::string& alone) {
  EXPECT_TRUE(setUpEvaluation(withPair));
  runPassedPawns(3);
  const int pair = EvalState.passerValue[WHITE][D_FILE];
  EXPECT_TRUE(setUpEvaluation(alone));
  runPassedPawns(3);
  return pair - EvalState.passerValue[WHITE][D_FILE];
}

TEST(PassedPawns, ConnectedPassersOnTheSeventh) {
  // Against a lone rook and a distant king: 30 + 630.
  EXPECT_EQ(connectedBonus("8/3PP3/8/8/8/8/5K2/k6r w - - 0 1", "8/3P4/8/8/8/8/5K2/k6r w - - 0 1"), 30 + 630);
  // Rook and bishop (more than a rook, less than a queen), stop squares free: 30 + 250.
  EXPECT_EQ(connectedBonus("8/3PP3/8/8/8/8/5K2/kb5r w - - 0 1", "8/3P4/8/8/8/8/5K2/kb5r w - - 0 1"), 30 + 250);
  // A queen: 30 + 125.
  EXPECT_EQ(connectedBonus("8/3PP3/8/8/8/8/5K2/k6q w - - 0 1", "8/3P4/8/8/8/8/5K2/k6q w - - 0 1"), 30 + 125);
}

// Value of `colour`'s passer on `file` with pieces on the board, in the position's own phase.
int passerWithPiecesValue(const std::string& fen, int colour, int file) {
  EXPECT_TRUE(setUpEvaluation(fen)) << fen;
  runPassedPawns(EvalState.gamePhase);
  return EvalState.passerValue[colour][file];
}

// Each sum is base + few enemy pieces + enemy king on the stop square + rook ending + free path or
// blocker + catchability or run + endgame rule + material in hundreds + own king.
TEST(PassedPawns, LateTermsAddUpByBranch) {
  // Rook ending, e5 caught by the g8 king: 50 + 21 - 14 + 8 - 16 + 14 + 12.
  EXPECT_EQ(passerWithPiecesValue("6k1/8/8/4P3/3K4/8/8/r6R w - - 0 1", WHITE, E_FILE), 75);
  EXPECT_EQ(passerWithPiecesValue("R6r/8/8/3k4/4p3/8/8/6K1 b - - 0 1", BLACK, E_FILE), 75);
  // d7 with its rook behind runs against a lone rook: 125 + 21 - 6 + 3 x 6 + 12 + (100 + 41 + 100) + 21.
  EXPECT_EQ(passerWithPiecesValue("r6k/3P4/8/8/8/8/8/3R2K1 w - - 0 1", WHITE, D_FILE), 432);
  // Black to move: no 100 for the seventh rank, and Black's king is threatened.
  EXPECT_EQ(passerWithPiecesValue("r6k/3P4/8/8/8/8/8/3R2K1 b - - 0 1", WHITE, D_FILE), 332);
  EXPECT_EQ(EvalState.kingThreat[BLACK], 1);
  // e6 escorted by its king against a lone rook: 80 + 21 - 10 + 10 + (26 + 100) + 20 x 5 + 17 + 20 + 25.
  EXPECT_EQ(passerWithPiecesValue("7k/8/4PK2/8/8/8/8/r7 w - - 0 1", WHITE, E_FILE), 389);
  // e3 caught, own king far, against a knight (path free): 20 + 25 - 18 + 4 - 6 + 8.
  EXPECT_EQ(passerWithPiecesValue("8/8/8/3k4/8/4P3/8/K5n1 w - - 0 1", WHITE, E_FILE), 33);
  // The knight White's instead, so Black has no pieces: 20 + 32 - 18 + 4 - 6 - 2 x (20 / 2) + 9.
  EXPECT_EQ(passerWithPiecesValue("8/8/8/3k4/8/4P3/8/K5N1 w - - 0 1", WHITE, E_FILE), 21);
  // Phase 2, blocked by the d8 queen with an enemy rook behind: 50 + 1 - 14 - 16 + 4.
  EXPECT_EQ(passerWithPiecesValue("3qk3/8/8/3P4/8/8/3r4/4KQR1 w - - 0 1", WHITE, D_FILE), 25);
}

TEST(PassedPawns, OutsidePasserWithPieces) {
  // White's a-pawn is passed and left of every Black pawn; Black has one piece: 48.
  ASSERT_TRUE(setUpEvaluation("2r1k3/5ppp/8/8/P7/8/5PPP/2R1K3 w - - 0 1"));
  runPassedPawns(3);
  EXPECT_EQ(EvalState.passedPawnScore[WHITE] - EvalState.passerValue[WHITE][A_FILE], 48);
}

TEST(PassedPawns, PawnEndingLonePasserBonusDiffersByColour) {
  // Only Black has a passer (d4), not an outside one: Black gets 50 more.
  ASSERT_TRUE(setUpEvaluation("6k1/p6p/8/8/3p4/8/P6P/6K1 w - - 0 1"));
  runPawnEndingPassers();
  EXPECT_EQ(EvalState.passerSides, 2);
  EXPECT_EQ(EvalState.passedPawnScore[BLACK] - EvalState.passerValue[BLACK][D_FILE], 50);
  // The colour-mirrored position: White gets nothing more.
  ASSERT_TRUE(setUpEvaluation("6k1/p6p/8/3P4/8/8/P6P/6K1 b - - 0 1"));
  runPawnEndingPassers();
  EXPECT_EQ(EvalState.passerSides, 1);
  EXPECT_EQ(EvalState.passedPawnScore[WHITE], EvalState.passerValue[WHITE][D_FILE]);
}

TEST(PassedPawns, RaceDataOfUnstoppablePassers) {
  // b2 counts as b3: five moves; the own king on the file ahead adds one.
  ASSERT_TRUE(setUpEvaluation("7k/8/8/8/8/8/1P6/K7 w - - 0 1"));
  runPawnEndingPassers();
  EXPECT_EQ(EvalState.raceMoves[WHITE], 5);
  EXPECT_EQ(EvalState.raceSquare[WHITE], B8);
  EXPECT_EQ(EvalState.lastPasserSquare[WHITE], B2);
  ASSERT_TRUE(setUpEvaluation("7k/8/8/1K6/8/8/1P6/8 w - - 0 1"));
  runPawnEndingPassers();
  EXPECT_EQ(EvalState.raceMoves[WHITE], 6);
  // A pawn the king catches leaves no race data.
  ASSERT_TRUE(setUpEvaluation("8/8/8/8/2k5/8/1P6/K7 w - - 0 1"));
  runPawnEndingPassers();
  EXPECT_EQ(EvalState.raceMoves[WHITE], RACE_NONE);
}

}  // namespace
