// Evaluation driver: the material-only road, the balance terms, the ScoreTable, the lazy cut,
// the resets and the late-middlegame corrections. The term families are only read back from
// EvalState, so the expectations hold whatever values they contribute.
#include <gtest/gtest.h>

#include "board/board.h"
#include "board/makemove.h"
#include "config/settings.h"
#include "eval/evalstate.h"
#include "eval/evaluate.h"
#include "eval/scoretable.h"
#include "search/searchstate.h"
#include "support/search_support.h"

namespace {

constexpr int WIDE = 9999;

class EvaluateTest : public ::testing::Test {
 protected:
  void TearDown() override { EngineSettings.styleFlags = 0; }
  // The position with `rootSide` and the iteration depth as given; tables cleared.
  void setUp(const char* fen, int iteration = 0, int rootSide = WHITE) {
    ASSERT_TRUE(prepareSearch(fen, iteration));
    EvalContext.rootSide = static_cast<int8_t>(rootSide);
    clearScoreTable();
  }
  int eval(int side, int alpha = -WIDE, int beta = WIDE) { return evaluate(side, 0, alpha, beta, &exact); }
  int8_t exact = -1;
};

TEST_F(EvaluateTest, KnowledgeOffGivesExactMaterialOnly) {
  for (const char* fen : {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", "4k3/8/8/8/8/8/8/R3K3 b Q -",
                          "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -"}) {
    setUp(fen, 3);
    EngineSettings.styleFlags = STYLE_KNOWLEDGE_OFF;
    for (int side = WHITE; side <= BLACK; ++side) {
      EXPECT_EQ(eval(side), Board.material[side] - Board.material[side ^ 1]) << fen;
      EXPECT_EQ(exact, 0);
      EXPECT_EQ(EvalState.evalThreat, 0);
      EXPECT_EQ(EvalContext.materialBalance[Ordering.ply], Board.material[side] - Board.material[side ^ 1]);
    }
  }
}

TEST_F(EvaluateTest, MaterialOnlyRequestIsGrantedAboveSevenHundred) {
  setUp("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNB1KBNR b KQkq -");
  EXPECT_EQ(evaluate(BLACK, 1, -WIDE, WIDE, &exact), 1000);
  EXPECT_EQ(exact, 0);
  // King and rook against king: 525 of material in all, so the request is refused.
  setUp("4k3/8/8/8/8/8/8/R3K3 w - -");
  evaluate(WHITE, 1, -WIDE, WIDE, &exact);
  EXPECT_EQ(exact, 1);
  EXPECT_EQ(EvalState.gamePhase, 3);
}

TEST_F(EvaluateTest, GamePhaseThresholds) {
  setUp("4k3/8/8/8/8/8/8/4K3 w - -");
  const struct {
    int white, black, phase;
  } cases[] = {{3320, 1981, 0}, {3320, 1980, 1}, {2100, 2100, 1}, {2100, 2099, 2}, {885, 885, 2}, {885, 884, 3}};
  for (const auto& c : cases) {
    Board.pieceMaterial[WHITE] = static_cast<int16_t>(c.white);
    Board.pieceMaterial[BLACK] = static_cast<int16_t>(c.black);
    computeGamePhase();
    EXPECT_EQ(EvalState.gamePhase, c.phase) << c.white + c.black;
    EXPECT_EQ(EvalState.totalPieceMaterial, c.white + c.black);
  }
}

TEST_F(EvaluateTest, TradeDownTermFollowsTheLoserPieceMaterial) {
  // A queen ahead with all Black minors and rooks: (3320 - 2320) / 40 = 25, but the leader's
  // side has 8 pawns; Black keeps the exchange penalty 1000 / 7 of the piece balance.
  setUp("rnb1kbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -");
  eval(WHITE);
  EXPECT_EQ(EvalState.balanceBonus[WHITE], 2 + 25);
  EXPECT_EQ(EvalState.balanceBonus[BLACK], -142);
  // A second White queen against all Black pieces: min(35, (3320 - 3320) / 40) = 0.
  setUp("rnbqkbnr/pppppppp/8/8/8/4Q3/PPPPPPP1/RNBQKBNR w KQkq -");
  eval(WHITE);
  EXPECT_EQ(EvalState.balanceBonus[WHITE], 2);
  // Black down to a lone rook: min(35, 2795 / 40) = 35.
  setUp("4k2r/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQ -");
  eval(WHITE);
  EXPECT_EQ(EvalState.balanceBonus[WHITE], 2 + 35);
}

TEST_F(EvaluateTest, TradeDownFavoursTheRootSideBehindWithQueenAndCountsTheLeaderPawns) {
  // White a rook ahead: 13 for White; Black, the root side, keeps its queen: +10; the piece
  // balance costs Black 525 / 7 = 75.
  setUp("rnbqkbn1/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQq -", 0, BLACK);
  eval(WHITE);
  EXPECT_EQ(EvalState.balanceBonus[WHITE], 2 + 13);
  EXPECT_EQ(EvalState.balanceBonus[BLACK], 10 - 75);
  // A leader with three pawns gives the other side (6 - 3) * 5.
  setUp("4k3/8/8/8/8/8/PPP5/R3K3 b - -", 0, WHITE);
  eval(BLACK);
  EXPECT_EQ(EvalState.balanceBonus[BLACK], 2 + 15);
  EXPECT_EQ(EvalState.balanceBonus[WHITE], 35);
}

TEST_F(EvaluateTest, ExchangeTermPenalisesTheSideWithLessPieceMaterial) {
  // A knight for two pawns: 315 / 7 = 45 off White; Black, 115 ahead, gets (3320 - 3005) / 40 = 7.
  setUp("rnbqkbnr/ppp2ppp/8/8/8/8/PPPPPPPP/R1BQKBNR w KQkq -", 0, BLACK);
  eval(WHITE);
  EXPECT_EQ(EvalState.balanceBonus[WHITE], 2 - 45);
  EXPECT_EQ(EvalState.balanceBonus[BLACK], 7);
  // Two bishops and two knights against two rooks, a knight and a bishop: 110 apart costs 75.
  setUp("rn1qkb1r/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBN1 w Qkq -");
  eval(WHITE);
  EXPECT_EQ(EvalState.balanceBonus[BLACK], -75);
  // No exchange term in the endgame phase.
  setUp("4k3/pppp4/8/8/8/8/PPPPPP2/4KN2 w - -");
  eval(WHITE);
  EXPECT_EQ(EvalState.gamePhase, 3);
  EXPECT_EQ(EvalState.balanceBonus[BLACK], 0 + 0);
}

TEST_F(EvaluateTest, SecondCallIsAScoreTableHitWithTheStoredThreat) {
  setUp("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq -", 1);
  const int first = eval(WHITE);
  EXPECT_EQ(exact, 1);
  const uint32_t hits = EvalState.scoreTableHits;
  const uint32_t full = EvalState.fullEvaluations;
  scoreEntryForPosition().threat = 31;
  exact = -1;
  EXPECT_EQ(eval(WHITE), first);
  EXPECT_EQ(exact, 1);
  EXPECT_EQ(EvalState.scoreTableHits, hits + 1);
  EXPECT_EQ(EvalState.fullEvaluations, full);
  EXPECT_EQ(EvalState.evalThreat, 31);
  // The balance bonus is added outside the cache: a new per-think bonus shows at once.
  EvalContext.rootBonus[1] = 50;
  EXPECT_EQ(eval(WHITE), first + 50);
}

TEST_F(EvaluateTest, OtherSideMissesAndOverwritesTheSameSlot) {
  setUp("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq -", 1);
  eval(WHITE);
  const uint32_t hits = EvalState.scoreTableHits;
  eval(BLACK);
  EXPECT_EQ(EvalState.scoreTableHits, hits);
  EXPECT_EQ(scoreEntryForPosition().flags & 1, BLACK);
  eval(WHITE);
  EXPECT_EQ(EvalState.scoreTableHits, hits);
}

TEST_F(EvaluateTest, LostCastlingRightChangesTheFlagsAndMisses) {
  setUp("r3k2r/pppppppp/8/8/8/8/PPPPPPPP/R3K2R w KQkq -", 1);
  EXPECT_EQ(scoreFlagsFor(WHITE), SCORE_WHITE_LONG | SCORE_WHITE_SHORT | SCORE_BLACK_LONG | SCORE_BLACK_SHORT);
  eval(WHITE);
  const uint32_t hits = EvalState.scoreTableHits;
  // The h1 rook goes to g1 and back while Black's king does the same: same squares, one right less.
  const Move moves[] = {{H1, G1, 0, QUIET}, {E8, D8, 0, QUIET}, {G1, H1, 0, QUIET}, {D8, E8, 0, QUIET}};
  int side = WHITE;
  for (const Move& m : moves) {
    makeMove(side, m);
    side ^= 1;
  }
  EXPECT_EQ(scoreFlagsFor(WHITE), SCORE_WHITE_LONG);
  eval(WHITE);
  EXPECT_EQ(EvalState.scoreTableHits, hits);
  eval(WHITE);
  EXPECT_EQ(EvalState.scoreTableHits, hits + 1);
}

TEST_F(EvaluateTest, EndgameHitReturnsTheStoredValueAsItStands) {
  setUp("4k3/8/8/8/8/8/4P3/R3K3 w - -", 1);
  storeScoreEntry(WHITE, 321);  // the endgame cache holds the balance bonus already
  EvalContext.rootBonus[1] = 50;
  EXPECT_EQ(eval(WHITE), 321);
  EXPECT_EQ(exact, 1);
  // In the middlegame the balance bonus of this call is added to the cached value.
  setUp("r2qk3/pppppppp/8/8/8/8/PPPPPPPP/R2QK3 w - -", 1);
  storeScoreEntry(WHITE, 321);
  EvalContext.rootBonus[1] = 50;
  EXPECT_EQ(eval(WHITE), 321 + 52);
}

// The rough estimate the lazy cut compares, read back from the accumulators.
int lazyEstimate(int side) {
  const EvalData& e = EvalState;
  const int opp = side ^ 1;
  return Board.material[side] - Board.material[opp] + e.pawnStructureScore[side] - e.pawnStructureScore[opp] +
         e.kingAttackEstimate[side] - e.kingAttackEstimate[opp] + e.balanceBonus[side] - e.balanceBonus[opp];
}

TEST_F(EvaluateTest, LazyCutReturnsTheBoundOutsideTheWindow) {
  const char* fen = "rnb1kbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";
  setUp(fen, 2);
  const uint32_t full = EvalState.fullEvaluations;
  const int high = eval(WHITE, -WIDE, 0);
  EXPECT_EQ(exact, 0);
  EXPECT_EQ(high, lazyEstimate(WHITE) - 90);
  const int low = eval(BLACK, 0, WIDE);
  EXPECT_EQ(exact, 0);
  EXPECT_EQ(low, lazyEstimate(BLACK) + 90);
  EXPECT_EQ(EvalState.fullEvaluations, full);
  // Inside the window, or in the first iterations, the evaluation is full.
  eval(WHITE, -WIDE, 0);
  const int rough = lazyEstimate(WHITE);
  eval(WHITE, rough - 80, rough + 80);
  EXPECT_EQ(exact, 1);
  setUp(fen, 1);
  eval(WHITE, -WIDE, 0);
  EXPECT_EQ(exact, 1);
}

TEST_F(EvaluateTest, NothingCarriesOverFromThePreviousCall) {
  setUp("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", 0);
  EvalData& e = EvalState;
  for (int c = WHITE; c <= BLACK; ++c) {
    e.fileControl[c] = 99;
    e.kingContactScore[c] = 99;
    e.mobilityScore[c] = 99;
    e.kingAttackUnits[c] = 99;
    e.seventhRankCount[c] = 9;
    e.rookFile[c] = 3;
    e.bishopOnDark[c] = 1;
    e.hangingPawns[c] = 9;
    e.kingThreat[c] = 9;
    e.bishopPairScore[c] = 99;
  }
  e.passerSides = 3;
  eval(WHITE);
  const EvalData before = EvalState;
  // The same position again from cleared tables must give the same accumulators.
  clearScoreTable();
  eval(WHITE);
  for (int c = WHITE; c <= BLACK; ++c) {
    EXPECT_EQ(e.fileControl[c], before.fileControl[c]);
    EXPECT_EQ(e.kingContactScore[c], before.kingContactScore[c]);
    EXPECT_EQ(e.mobilityScore[c], before.mobilityScore[c]);
    EXPECT_EQ(e.positionalScore[c], before.positionalScore[c]);
    EXPECT_EQ(e.kingAttackUnits[c], before.kingAttackUnits[c]);
    EXPECT_EQ(e.hangingPawns[c], before.hangingPawns[c]);
    EXPECT_EQ(e.bishopPairScore[c], 19 - 3 * 4);
  }
  // A position without a bishop pair leaves no trace of the previous one.
  setUp("4k3/8/8/8/8/8/PPPPPPPP/RNBQK1NR w KQ -", 0);
  eval(WHITE);
  EXPECT_EQ(e.bishopPairScore[WHITE], 0);
  EXPECT_EQ(e.bishopPairScore[BLACK], 0);
}

// The centre-control points of colour c, recomputed from the attack maps of the evaluation.
int centrePoints(int c) {
  int points = 0;
  for (int q : {D4, E4, D5, E5}) {
    if (Board.pieceAt[q] != NONE) {
      points += Board.colorAt[q] == c ? 2 : 0;
    } else if ((EvalState.attackMap[c][q] & 0xFF) && !(EvalState.attackMap[c ^ 1][q] & 0xFF) &&
               Board.pawnAttacks[c ^ 1][q] == 0) {
      points += 3;
    }
  }
  return points;
}

// The positional score of colour c before the late-middlegame corrections.
int uncorrectedPositional(int c) {
  const EvalData& e = EvalState;
  return centrePoints(c) + e.fileControl[c] + e.kingContactScore[c] + e.kingSafetyScore[c] + e.threatScore[c] +
         e.pieceScore[c] + e.mobilityScore[c] + e.pawnStructureScore[c] + e.passedPawnScore[c];
}

TEST_F(EvaluateTest, QueenEndingHalvesAndTheStrongerSideNeedsPawns) {
  // Three pawns against one: halved, then -40 for the stronger side.
  setUp("3qk3/7p/8/8/8/8/PPP5/3QK3 w - -");
  eval(WHITE);
  ASSERT_EQ(EvalState.gamePhase, 2);
  EXPECT_EQ(EvalState.positionalScore[WHITE], (uncorrectedPositional(WHITE) >> 1) - 40);
  EXPECT_EQ(EvalState.positionalScore[BLACK], uncorrectedPositional(BLACK) >> 1);
  // One pawn on the fifth rank next to its king: -40 + 30; far from it: -40 - 10.
  setUp("3qk3/8/8/4P3/4K3/8/8/3Q4 w - -");
  eval(WHITE);
  EXPECT_EQ(EvalState.positionalScore[WHITE], (uncorrectedPositional(WHITE) >> 1) - 10);
  setUp("3qk3/8/8/8/8/8/4P3/3QK3 b - -");
  eval(BLACK);
  EXPECT_EQ(EvalState.positionalScore[WHITE], (uncorrectedPositional(WHITE) >> 1) - 50);
}

TEST_F(EvaluateTest, PawnlessQueenAgainstQueenAndMinorHolds) {
  setUp("3qkb2/8/8/8/8/8/8/3QK3 w - -");
  eval(WHITE);
  EXPECT_EQ(EvalState.positionalScore[WHITE], 0);
  EXPECT_EQ(EvalState.positionalScore[BLACK], -200);
  // Queen against queen alone is not touched by this rule.
  setUp("3qk3/8/8/8/8/8/8/3QK3 w - -");
  eval(WHITE);
  EXPECT_EQ(EvalState.positionalScore[BLACK], uncorrectedPositional(BLACK) >> 1);
}

}  // namespace
