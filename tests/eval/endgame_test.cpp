// The endgame road: pawnless draws and mates, king-and-pawn endings and races, the special
// material rules, the lazy cut, the board restored after the race test, and colour mirroring.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "board/board.h"
#include "eval/endgame.h"
#include "eval/evalstate.h"
#include "eval/evaltables.h"
#include "eval/passedpawns.h"
#include "eval/pawnhash.h"
#include "support/endgame_fixture.h"
#include "support/pawn_fixture.h"

namespace {

int16_t scoreOf(const std::string& fen) {
  EXPECT_TRUE(setUpEvaluation(fen)) << fen;
  return endgameScore();
}

// Positional value of `colour` before any race or single-pawn term: tempo, structure, passers,
// king placement and the unstoppable-passer bonus.
int pawnEndingBase(int colour, int side) {
  return (colour == side ? 2 : 0) + EvalState.pawnStructureScore[colour] + EvalState.passedPawnScore[colour] +
         kingEndgameTable[colour][Board.pieceList[colour][0]] + 600;
}

TEST(Endgame, PawnlessDrawsAreZeroAndNotStored) {
  for (const char* fen : {"8/8/8/4k3/8/8/8/2NNK3 w - - 0 1",     // two knights
                          "8/8/8/4k3/8/B7/8/2B1K3 b - - 0 1",     // bishops on one colour
                          "8/8/8/4k3/8/8/8/2B1K3 w - - 0 1",      // a lone minor
                          "8/8/3n4/4k3/8/8/8/2B1K3 w - - 0 1",    // minor against minor
                          "3r4/8/8/4k3/8/8/8/R3K3 w - - 0 1"}) {  // equal material
    EXPECT_EQ(scoreOf(fen), 0) << fen;
    EXPECT_EQ(EvalState.endgameRule, ENDGAME_RULE_PAWNLESS_DRAW) << fen;
    EXPECT_EQ(scoreSlot().flags, SCORE_ENTRY_EMPTY) << fen;
    EXPECT_EQ(EvalState.scoreTableFills, 0u) << fen;
  }
  // Bishops on both colours can mate: valued and stored.
  const int16_t score = scoreOf("8/8/8/4k3/8/8/8/2B1KB2 w - - 0 1");
  EXPECT_GT(score, 600);
  EXPECT_EQ(scoreSlot().score, score);
  EXPECT_EQ(scoreSlot().lock, Board.hashLock);
  EXPECT_EQ(scoreSlot().flags, WHITE);
}

TEST(Endgame, BishopAndKnightDriveTheKingToTheBishopsCorner) {
  // Dark bishop (d4), weak king a1, kings two apart: 635 + 90 - 2.
  EXPECT_EQ(scoreOf("8/8/8/8/3BN3/2K5/8/k7 w - - 0 1"), 635 + 88);
  EXPECT_EQ(scoreOf("8/8/8/8/3BN3/2K5/8/k7 b - - 0 1"), -(635 + 88));
  // Light bishop (e4): a1 is the wrong corner.
  EXPECT_EQ(scoreOf("8/8/8/8/3NB3/2K5/8/k7 w - - 0 1"), 635 - 5 - 2);
  EXPECT_EQ(scoreOf("8/8/8/8/3NB3/5K2/8/7k w - - 0 1"), 635 + 90 - 2);
}

TEST(Endgame, PawnlessPiecesAgainstPieces) {
  // Rook and king against king: (70 - 4) x 3 + mateTable[e5], for White; Black is to move.
  EXPECT_EQ(scoreOf("8/8/8/4k3/8/8/8/R3K3 b - - 0 1"), -(525 + 208));
  // Rook against knight: kings on the centre table, the knight side 50 more (knight near its king).
  EXPECT_EQ(scoreOf("8/8/8/3k4/8/8/2n5/R3K3 w - - 0 1"), 210 + 18 - (36 + 50));
  // A knight four squares from its king costs 15 x 4.
  EXPECT_EQ(scoreOf("8/8/8/3k4/8/8/8/R3K1n1 w - - 0 1"), 210 + 18 - (36 + 50 - 60));
  // Queen against rook: 200 off the queen's side.
  EXPECT_EQ(scoreOf("8/8/8/3k4/8/8/2r5/Q3K3 w - - 0 1"), 475 + (18 - 200) - 36);
}

TEST(Endgame, LonePawnAgainstKing) {
  // e5/e6/e8, White to move: 25 x 4 + 300 + 18 - 2, without material; stored as returned.
  EXPECT_EQ(scoreOf("4k3/8/4K3/4P3/8/8/8/8 w - - 0 1"), 416);
  EXPECT_EQ(scoreSlot().score, 416);
  EXPECT_EQ(EvalState.endgameRule, ENDGAME_RULE_LONE_PAWNS);
  EXPECT_EQ(scoreOf("8/8/8/8/4p3/4k3/8/4K3 b - - 0 1"), 416);
  // Opposition: with White to move the king in front of its pawn gets nothing; Black to move loses.
  EXPECT_EQ(scoreOf("8/8/4k3/8/4K3/4P3/8/8 w - - 0 1"), 0);
  EXPECT_EQ(scoreOf("8/8/4k3/8/4K3/4P3/8/8 b - - 0 1"), -(50 + 18 - 4));
  // Rook pawn: the defending king in front of it draws; a king beside the corner does not.
  EXPECT_EQ(scoreOf("7k/8/6K1/7P/8/8/8/8 w - - 0 1"), 0);
  EXPECT_EQ(scoreOf("5k2/8/6K1/7P/8/8/8/8 w - - 0 1"), 5 * (5 + 2 * 4));
}

TEST(Endgame, RaceOfUnstoppablePassers) {
  // b6 needs two moves, one after the tempo; g4 needs three: White is faster by two.
  const int16_t score = scoreOf("7k/8/1P6/8/6p1/8/8/K7 w - - 0 1");
  EXPECT_EQ(EvalState.endgameRule, ENDGAME_RULE_PAWN_RACE);
  EXPECT_EQ(EvalState.raceMoves[WHITE], 1);
  EXPECT_EQ(EvalState.raceMoves[BLACK], 3);
  EXPECT_EQ(EvalState.positionalScore[WHITE], pawnEndingBase(WHITE, WHITE) + 500);
  EXPECT_EQ(EvalState.positionalScore[BLACK], pawnEndingBase(BLACK, WHITE));
  EXPECT_EQ(score, EvalState.positionalScore[WHITE] - EvalState.positionalScore[BLACK]);
}

TEST(Endgame, EvenRaceWithKingsBeyondThePawns) {
  // d4 (the b3 king is behind it) and g5 both need four moves; White to move queens first on d8,
  // which neither checks b3 nor wins g1: no 500. Both kings left of the pawns: White gets
  // 15 x taxicab[b3][d4], Black 15 x taxicab[a1][g5]. Passers 46 and 94, kings -55 and -10.
  const int16_t score = scoreOf("8/8/8/6p1/3P4/1k6/8/K7 w - - 0 1");
  EXPECT_EQ(EvalState.endgameRule, ENDGAME_RULE_PAWN_RACE);
  EXPECT_EQ(EvalState.raceMoves[WHITE], 3);
  EXPECT_EQ(EvalState.raceMoves[BLACK], 4);
  EXPECT_EQ(EvalState.positionalScore[WHITE], 2 + 46 - 55 + 45 + 600);
  EXPECT_EQ(EvalState.positionalScore[BLACK], 94 - 10 + 150 + 600);
  EXPECT_EQ(score, -196);
}

// rookEnding on set positional values 800 (White) and -160 (Black).
void runRookEnding(const std::string& fen) {
  ASSERT_TRUE(setUpEvaluation(fen)) << fen;
  evaluatePawnStructure();
  EvalState.positionalScore[WHITE] = 800;
  EvalState.positionalScore[BLACK] = -160;
  rookEnding(WHITE, BLACK, Board.pieceList[WHITE][0], Board.pieceList[BLACK][0]);
}

TEST(Endgame, RookEndingTerms) {
  // Rook and pawn against rook: the extra pawn gives Black 20, both values shifted by 3 (-140 >> 3
  // = -18); White (10 - 7) x 2 and 5 x 2 for the c6 king two files off; Black 2 x 2 - 20 + 4.
  runRookEnding("8/8/2k5/8/4P3/8/r7/4K2R w - - 0 1");
  EXPECT_EQ(EvalState.positionalScore[WHITE], 100 + 6 + 10);
  EXPECT_EQ(EvalState.positionalScore[BLACK], -18 - 16 + 4);
  // The rook on d1 between the king and the pawn: 20 more.
  runRookEnding("8/8/2k5/8/4P3/8/r7/3RK3 w - - 0 1");
  EXPECT_EQ(EvalState.positionalScore[WHITE], 100 + 6 + 10 + 20);
  // Pawns on both sides, only White's e-pawn passed: the d1 rook cuts the king off, 15 x 2.
  runRookEnding("8/p7/2k5/8/4P3/8/rP6/3RK3 w - - 0 1");
  EXPECT_EQ(EvalState.positionalScore[WHITE], 800 + 30);
  EXPECT_EQ(EvalState.positionalScore[BLACK], -160 + 20);
}

TEST(Endgame, RaceQueenTestRestoresTheBoardExactly) {
  struct Case {
    const char* fen;
    int winner;  // colour that gets the 500, or EMPTY
  };
  const Case cases[] = {
      {"7k/8/1P6/8/8/6p1/8/K7 w - - 0 1", WHITE},  // new queen on b8 checks along the rank
      {"1K6/8/1P6/7k/8/6p1/8/8 w - - 0 1", EMPTY},  // the queen is put where the own king stands
      {"7k/8/1P6/8/8/6p1/8/K7 b - - 0 1", BLACK},   // Black queens first, on g1, checking a1
      {"k7/8/6P1/8/8/1p6/8/7K b - - 0 1", BLACK},   // Black's queen on b1 checks the h1 king
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(setUpEvaluation(c.fen)) << c.fen;
    BoardData before;
    std::memcpy(&before, &Board, sizeof Board);
    const int side = Board.sideToMove;
    endgameScore();
    EXPECT_EQ(std::memcmp(&before, &Board, sizeof Board), 0) << c.fen;
    EXPECT_TRUE(boardIsOk()) << c.fen;
    EXPECT_EQ(EvalState.endgameRule, ENDGAME_RULE_PAWN_RACE) << c.fen;
    for (int colour = WHITE; colour <= BLACK; ++colour) {
      const int bonus = colour == c.winner ? 500 : 0;
      EXPECT_EQ(EvalState.positionalScore[colour], pawnEndingBase(colour, side) + bonus) << c.fen << " " << colour;
    }
  }
}

TEST(Endgame, OppositeColouredBishops) {
  // A pawn up (difference 100): halved.
  int16_t score = scoreOf("6k1/5p2/3b4/8/3PP3/8/4B3/6K1 w - - 0 1");
  EXPECT_EQ(EvalState.endgameRule, ENDGAME_RULE_OPPOSITE_BISHOPS);
  EXPECT_EQ(score, (100 + EvalState.positionalScore[WHITE] - EvalState.positionalScore[BLACK]) / 2);
  // Two pawns up: three quarters.
  score = scoreOf("6k1/5p2/3b4/8/2PPP3/8/4B3/6K1 w - - 0 1");
  EXPECT_EQ(score, (200 + EvalState.positionalScore[WHITE] - EvalState.positionalScore[BLACK]) * 75 / 100);
  // One pawn whose path the defending bishop controls: a token 10, without material.
  EXPECT_EQ(scoreOf("5bk1/8/8/3P4/8/8/4B3/6K1 w - - 0 1"), 10);
  EXPECT_EQ(EvalState.endgameRule, ENDGAME_RULE_OPPOSITE_BISHOPS_DRAW);
  EXPECT_EQ(scoreSlot().score, 10);
}

TEST(Endgame, BishopOfTheWrongColourWithARookPawn) {
  // The h8 corner is dark, the bishop light: the king on h8 holds.
  EXPECT_EQ(scoreOf("7k/8/8/7P/2B5/8/8/2K5 w - - 0 1"), 10);
  EXPECT_EQ(EvalState.endgameRule, ENDGAME_RULE_WRONG_BISHOP);
  EXPECT_EQ(scoreOf("7k/8/8/7P/2B5/8/8/2K5 b - - 0 1"), -10);
  // The king far away: the score is only halved.
  const int16_t score = scoreOf("k7/8/8/7P/2B5/8/8/2K5 w - - 0 1");
  EXPECT_EQ(EvalState.endgameRule, ENDGAME_RULE_BISHOP_PAWNS);
  EXPECT_EQ(score, (420 + EvalState.positionalScore[WHITE] - EvalState.positionalScore[BLACK]) / 2);
}

TEST(Endgame, MinorPiecesAgainstPawnsAndRook) {
  // A knight without pawns cannot win against a pawn.
  EXPECT_EQ(scoreOf("8/8/8/3k4/8/8/5p2/3NK3 w - - 0 1"), 0);
  EXPECT_EQ(EvalState.endgameRule, ENDGAME_RULE_MINOR_NO_WIN);
  // Rook (with pawns) against a bishop: the minor side's values are replaced.
  scoreOf("8/8/8/8/3k4/8/PP4b1/R3K3 w - - 0 1");
  EXPECT_EQ(EvalState.endgameRule, ENDGAME_RULE_ROOK_VS_MINOR);
  EXPECT_EQ(EvalState.positionalScore[WHITE], 0 + 10 - 3);
  EXPECT_EQ(EvalState.positionalScore[BLACK], 0);
}

TEST(Endgame, LazyCutWidenedByUnstoppablePassers) {
  // Rook and bishop against rook, far above beta: the lazy bound, not exact, not counted.
  int8_t exact = 1;
  ASSERT_TRUE(setUpEvaluation("r3k3/1p6/8/8/8/8/PP6/R3KB2 w - - 0 1"));
  const int16_t bound = endgameScore(-9999, 0, &exact);
  EXPECT_EQ(exact, 0);
  EXPECT_EQ(EvalState.endgameRule, ENDGAME_RULE_LAZY);
  EXPECT_EQ(EvalState.fullEvaluations, 0u);
  EXPECT_GT(bound, 0);
  // Black's a2 passer, uncatchable against two White pieces, counts three times its potential.
  ASSERT_TRUE(setUpEvaluation("r3k3/8/8/8/8/8/p7/4KB1R w - - 0 1"));
  endgameScore(-9999, 0, &exact);
  EXPECT_EQ(exact, 1);
  EXPECT_EQ(EvalState.fullEvaluations, 1u);
}

int16_t fullScoreOf(const std::string& fen) {
  EXPECT_TRUE(setUpEvaluation(fen)) << fen;
  return fullScore();
}

TEST(Endgame, EvaluateTakesTheEndgameRoadAndCachesItsValue) {
  int8_t exact = 0;
  ASSERT_TRUE(setUpEvaluation("4k3/8/4K3/4P3/8/8/8/8 w - - 0 1"));
  EXPECT_EQ(fullScore(&exact), 416);
  EXPECT_EQ(exact, 1);
  EXPECT_EQ(fullScore(&exact), 416);
  EXPECT_EQ(EvalState.scoreTableHits, 1u);
  // A pawnless draw is not stored, so it is evaluated again.
  ASSERT_TRUE(setUpEvaluation("8/8/8/4k3/8/8/8/2NNK3 w - - 0 1"));
  EXPECT_EQ(fullScore(), 0);
  EXPECT_EQ(fullScore(), 0);
  EXPECT_EQ(EvalState.scoreTableHits, 0u);
}

// Colour-mirrored positions score the same for the side to move, except where a rule treats the
// colours differently.
TEST(Endgame, ColourMirrorGivesTheSameScore) {
  const char* symmetric[] = {
      "4k3/8/4K3/4P3/8/8/8/8 w - - 0 1",
      "8/8/4k3/8/4K3/4P3/8/8 b - - 0 1",
      "5k2/8/6K1/7P/8/8/8/8 w - - 0 1",
      "7k/8/1P6/8/6p1/8/8/K7 w - - 0 1",
      "7k/8/1P6/8/8/6p1/8/K7 b - - 0 1",
      "8/5ppk/8/8/8/8/PPP5/1K6 w - - 0 1",
      "8/p4ppk/8/3p4/3P4/8/P4PP1/6K1 b - - 0 1",
      "6k1/5p1p/8/8/8/8/P4P2/6K1 w - - 0 1",
      "8/8/8/8/3BN3/2K5/8/k7 w - - 0 1",
      "8/8/8/4k3/8/8/8/R3K3 b - - 0 1",
      "4k3/8/8/3q4/8/8/8/R3K3 w - - 0 1",
      "6k1/5p2/3b4/8/3PP3/8/4B3/6K1 w - - 0 1",
      "5bk1/8/8/3P4/8/8/4B3/6K1 b - - 0 1",
      "7k/8/8/7P/2B5/8/8/2K5 w - - 0 1",
      "8/8/8/3k4/8/4pp2/8/3NK3 w - - 0 1",
      "8/5pk1/6p1/8/3R4/6P1/5PK1/3r4 w - - 0 1",
      "3k4/8/8/8/8/3PK3/8/r6R w - - 0 1",
      "8/8/8/8/3k4/8/PP4b1/R3K3 w - - 0 1",
      "r5k1/5ppp/8/3P4/8/8/5PPP/2R3K1 w - - 0 1",
      "2k5/8/1p6/1P3n2/8/4B3/5K2/8 b - - 0 1",
      "8/3PP3/8/8/8/8/5K2/k6r w - - 0 1",
      "r3k3/1p6/8/8/8/8/PP6/R3KB2 w - - 0 1",
  };
  for (const char* fen : symmetric) {
    const int16_t original = fullScoreOf(fen);
    EXPECT_EQ(fullScoreOf(mirroredFen(fen)), original) << fen;
  }

  // Pawn endings: Black's lone passer gets 50 whenever White has none; White's only together with
  // an outside passer.
  const char* lonePasser = "6k1/p6p/8/8/3p4/8/P6P/6K1 w - - 0 1";
  EXPECT_EQ(fullScoreOf(mirroredFen(lonePasser)) - fullScoreOf(lonePasser), 50);
  // The wrong-bishop walk: against a White pawn any touch of the defending king holds; against a
  // Black pawn only one the Black king cannot answer.
  const char* blackWrongBishop = "8/8/8/2b5/6Kp/8/6k1/8 b - - 0 1";
  EXPECT_EQ(fullScoreOf(mirroredFen(blackWrongBishop)), 10);
  EXPECT_NE(fullScoreOf(blackWrongBishop), 10);
  // "The first pawn" is the first in the pawn list, which mirroring reorders: a2 for White, but h6
  // (before a7) for Black.
  const char* firstPawn = "7r/8/3k4/8/8/7P/P7/1R2K3 w - - 0 1";
  EXPECT_NE(fullScoreOf(mirroredFen(firstPawn)), fullScoreOf(firstPawn));
}

// Random-game endgames (piece lists mirrored in order too): equal unless the pawn-ending lone-passer
// bonus or the wrong-bishop walk, which treat the colours differently, had a say.
TEST(Endgame, ColourMirrorOfRandomGameEndgames) {
  constexpr int ENDGAME_MATERIAL = 1770;
  int compared = 0;
  for (const PositionSnapshot& position : randomGamePositions(8, 60, 400, 5)) {
    restoreSnapshot(position);
    if (Board.pieceMaterial[WHITE] + Board.pieceMaterial[BLACK] >= ENDGAME_MATERIAL) continue;
    prepareEvaluation();
    const int16_t original = fullScore();
    const bool loneBonusAsymmetric = Board.pieceCount[WHITE] == 0 && Board.pieceCount[BLACK] == 0 &&
                                     Board.pawnCount[WHITE] > 1 && Board.pawnCount[BLACK] > 1 &&
                                     (EvalState.passerSides == 1 || EvalState.passerSides == 2);
    const int8_t rule = EvalState.endgameRule;
    restoreSnapshot(mirrorSnapshot(position));
    prepareEvaluation();
    const int16_t mirrored = fullScore();
    const bool wrongBishop = rule == ENDGAME_RULE_WRONG_BISHOP || EvalState.endgameRule == ENDGAME_RULE_WRONG_BISHOP ||
                             (rule == ENDGAME_RULE_BISHOP_PAWNS && EvalState.endgameRule == ENDGAME_RULE_BISHOP_PAWNS);
    if (loneBonusAsymmetric || wrongBishop) continue;
    EXPECT_EQ(mirrored, original) << "position " << compared;
    ++compared;
  }
  EXPECT_GT(compared, 500);
}

}  // namespace
