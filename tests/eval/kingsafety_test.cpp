#include <gtest/gtest.h>

#include "board/board.h"
#include "config/settings.h"
#include "eval/evalstate.h"
#include "eval/evaltables.h"
#include "eval/kingsafety.h"
#include "eval/pawnhash.h"
#include "search/searchstate.h"
#include "support/board_fixture.h"
#include "support/piece_terms_fixture.h"

namespace {

// King safety as the full evaluation reaches it: maps built, piece terms run (attack units,
// bishop flags, seventh-rank counts), default styles, White thinking.
class KingSafety : public ::testing::Test {
 protected:
  void SetUp() override {
    EngineSettings.attackStyleCA = 0;
    EngineSettings.attackStyleRI = 0;
    EvalContext.rootSide = WHITE;
  }
  void TearDown() override {
    EngineSettings.attackStyleCA = 0;
    EngineSettings.attackStyleRI = 0;
  }
  void setUp(const char* fen, int gamePhase = 0) {
    ASSERT_TRUE(setUpPosition(fen)) << fen;
    prepareTermState(WHITE, gamePhase);
    PieceTermResults results;
    runPieceLoop(results);
  }
};

TEST_F(KingSafety, InitialPositionWithCastlingChance) {
  setUpInitialPosition();
  prepareTermState(WHITE, 0);
  PieceTermResults results;
  runPieceLoop(results);
  EvalState.rootCastlingChance[WHITE] = 1;
  // Base -8 x 6; the e1 king: w = 7 + 4, pulled halfway toward the raised king-side shelter 5
  // (f1 crowded 3 + g1 2; queen side 2 x 3 = 6): 8; all zone squares own: +1. 5 x 9 / -2 = -22.
  EXPECT_EQ(evaluateKingSafety(WHITE), -48 - 22);
  EXPECT_EQ(EvalState.castleChance[WHITE], 1);
  EXPECT_EQ(EvalState.kingWeakness[WHITE], 9);
  EXPECT_EQ(EvalState.kingSideShelter[WHITE], 5);
  EXPECT_EQ(EvalState.queenSideShelter[WHITE], 6);
  // Only the working copies are raised, never the pawn hash entry.
  const PawnHashEntry& entry = PawnTable.entries[Board.pawnHashKey & PAWN_HASH_MASK];
  EXPECT_EQ(entry.key, Board.pawnHashKey);
  EXPECT_EQ(entry.shelters[0], 0);
  EXPECT_EQ(entry.shelters[1], 0);
  // Without a castling chance the shelters stay and w is 7 + 4 + 1.
  EXPECT_EQ(evaluateKingSafety(BLACK), -48 - (5 * 12) / 2);
  EXPECT_EQ(EvalState.castleChance[BLACK], 0);
  EXPECT_EQ(EvalState.kingSideShelter[BLACK], 0);
}

TEST_F(KingSafety, KingWithoutEnemyQueenUsesEndgameTable) {
  const char* fen = "6k1/r7/8/8/8/8/5PPP/6K1 w - -";
  setUp(fen, 1);
  EXPECT_EQ(evaluateKingSafety(WHITE), -40);
  // From phase 2 on, the g1 king behind its three pawns fears the back rank: 4 + 4 x 1 rook.
  setUp(fen, 2);
  EXPECT_EQ(evaluateKingSafety(WHITE), -40 - 8);
}

TEST_F(KingSafety, ResultIsNotCappedHere) {
  setUp("7k/8/8/3K4/8/8/8/8 w - -");
  EXPECT_EQ(evaluateKingSafety(WHITE), 25);
}

TEST_F(KingSafety, G1KingBehindThreePawnsCountsItsShelter) {
  setUp("r2qk3/8/8/8/8/8/5PPP/5RK1 w - -");
  EvalState.kingSideShelter[WHITE] = 7;
  evaluateKingSafety(WHITE);
  EXPECT_EQ(EvalState.kingWeakness[WHITE], 7);  // h1 is free
  setUp("r2qk3/8/8/8/8/8/5PPP/5RKN w - -");
  EvalState.kingSideShelter[WHITE] = 7;
  evaluateKingSafety(WHITE);
  EXPECT_EQ(EvalState.kingWeakness[WHITE], 7 + 1);  // no free square next to the king
}

TEST_F(KingSafety, KingMovedWithoutCastling) {
  const char* fen = "r2qk3/8/8/8/8/8/5PPP/5K1R w K -";
  setUp(fen);
  EvalState.rootCastlingChance[WHITE] = 0;
  const int16_t noChanceAtRoot = evaluateKingSafety(WHITE);
  setUp(fen);
  Board.squareMoves[E1] = 1;
  EvalState.rootCastlingChance[WHITE] = 1;
  EXPECT_EQ(evaluateKingSafety(WHITE), noChanceAtRoot - 50);
  EXPECT_EQ(EvalState.castleChance[WHITE], 0);
  // Castled kings are not asked.
  setUp(fen);
  Board.squareMoves[E1] = 1;
  Board.castled[WHITE] = 1;
  EvalState.rootCastlingChance[WHITE] = 1;
  EXPECT_EQ(evaluateKingSafety(WHITE), noChanceAtRoot);
}

TEST_F(KingSafety, QueenAndSecondAttackerOnOneZoneSquare) {
  // The h4 queen hits f2 and h2; the d6 bishop adds a second attack on h2, which only the king
  // defends: that square costs 1 + 8 and is a contact.
  setUp("1n2k3/8/8/8/7q/8/5PPP/6K1 w - -");
  EvalState.kingSideShelter[WHITE] = 0;
  evaluateKingSafety(WHITE);
  EXPECT_EQ(EvalState.kingWeakness[WHITE], 2);
  EXPECT_EQ(EvalState.kingContacts[WHITE], 0);
  EXPECT_EQ(EvalState.kingThreat[WHITE], 0);

  setUp("4k3/8/3b4/8/7q/8/5PPP/6K1 w - -");
  EvalState.kingSideShelter[WHITE] = 0;
  evaluateKingSafety(WHITE);
  EXPECT_EQ(EvalState.kingWeakness[WHITE], 1 + 9);
  EXPECT_EQ(EvalState.kingContacts[WHITE], 1);
  EXPECT_EQ(EvalState.kingContactScore[BLACK], 1);
  EXPECT_EQ(EvalState.kingThreat[WHITE], 1);
}

TEST_F(KingSafety, QueenSideOppositeWingsWeighsMoreForTheEngine) {
  const char* fen = "r2q1rk1/pppb1ppp/8/8/8/8/PPP5/1K1R4 w - -";
  EvalContext.rootSide = WHITE;
  setUp(fen);
  evaluateKingSafety(WHITE);
  const int forEngine = EvalState.kingWeakness[WHITE];
  EvalContext.rootSide = BLACK;
  setUp(fen);
  evaluateKingSafety(WHITE);
  EXPECT_EQ(forEngine - EvalState.kingWeakness[WHITE], 4);
}

// "RI" sharpens the attack on the opponent's king, "CA" alone the care for the engine's own king.
TEST_F(KingSafety, AttackStyleAmplification) {
  struct Case {
    int ri, ca;
    bool ownKing;  // the king belongs to the side the engine thinks for
    bool amplified;
  };
  const Case cases[] = {
      {0, 0, true, false}, {0, 0, false, false}, {1, 0, true, false}, {1, 0, false, true},
      {0, 1, true, true},  {0, 1, false, false}, {1, 1, true, false}, {1, 1, false, true},
  };
  for (int colour = WHITE; colour <= BLACK; ++colour) {
    for (const Case& c : cases) {
      EngineSettings.attackStyleRI = static_cast<int8_t>(c.ri);
      EngineSettings.attackStyleCA = static_cast<int8_t>(c.ca);
      EvalContext.rootSide = static_cast<int8_t>(c.ownKing ? colour : colour ^ 1);
      setUpInitialPosition();
      prepareTermState(WHITE, 0);
      EvalState.kingAttackUnits[colour] = 10;
      evaluateKingSafety(colour);
      SCOPED_TRACE(testing::Message() << "colour " << colour << " RI " << c.ri << " CA " << c.ca
                                      << " own " << c.ownKing);
      // Units below 30 rise by half; w = 12 gains B - 2 = 5 and then 70 percent.
      EXPECT_EQ(EvalState.kingAttackUnits[colour], c.amplified ? 15 : 10);
      EXPECT_EQ(EvalState.kingWeakness[colour], c.amplified ? 17 + 17 * 70 / 100 : 12);
    }
  }
}

TEST_F(KingSafety, AmplifiedUnitsRiseEvenWithoutEnemyQueen) {
  EngineSettings.attackStyleRI = 1;
  EvalContext.rootSide = BLACK;
  setUp("6k1/r7/8/8/8/8/5PPP/6K1 w - -");
  EvalState.kingAttackUnits[WHITE] = 20;
  evaluateKingSafety(WHITE);
  EXPECT_EQ(EvalState.kingAttackUnits[WHITE], 30);
  EvalState.kingAttackUnits[WHITE] = 30;
  evaluateKingSafety(WHITE);
  EXPECT_EQ(EvalState.kingAttackUnits[WHITE], 30);
}

}  // namespace

namespace {

TEST(EvalTables, BlackRowsMirrorWhite) {
  for (int s = 0; s < 64; ++s) {
    EXPECT_EQ(kingAreaWeight[BLACK][s], kingAreaWeight[WHITE][s ^ 56]) << s;
    EXPECT_EQ(kingEndgameTable[BLACK][s], kingEndgameTable[WHITE][s ^ 56]) << s;
  }
  for (int r = 0; r < 8; ++r) EXPECT_EQ(passerBonus[BLACK][r], passerBonus[WHITE][7 - r]);
}

}  // namespace
