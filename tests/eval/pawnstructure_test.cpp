// The pawn skeleton and its cache: file flags, structure scores, shelters, majorities and the
// pawn hash table.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "board/board.h"
#include "eval/evalstate.h"
#include "eval/pawnhash.h"
#include "support/pawn_fixture.h"

namespace {

constexpr int FILE_A = 0, FILE_B = 1, FILE_C = 2, FILE_D = 3, FILE_E = 4, FILE_G = 6, FILE_H = 7;
constexpr const char* INITIAL = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

uint16_t flagsOf(int colour, int file) { return EvalState.pawnFileInfo[colour][file]; }

// Structure score of one colour alone, computed from scratch for the given placement.
int scoreOf(const std::string& placement, int colour) {
  EXPECT_TRUE(setUpPawnTest(placement + " w - - 0 1", WHITE, 0)) << placement;
  return evaluatePawns(colour);
}

TEST(PawnStructure, InitialPositionHasDuosAndNoShelterWeakness) {
  ASSERT_TRUE(setUpPawnTest(INITIAL, WHITE, 0));
  evaluatePawnStructure();
  for (int colour : {WHITE, BLACK}) {
    // The walk ahead goes on through squares the enemy pawns attack twice (once more than
    // "one more than ours"), so the files b to g count as free up to the last rank.
    for (int file = FILE_A; file <= FILE_H; ++file) {
      const bool inner = file != FILE_A && file != FILE_H;
      EXPECT_EQ(flagsOf(colour, file), PAWN_DUO | PAWN_UNDERDEFENDED | (inner ? PAWN_FREE_FILE : 0))
          << colour << " file " << file;
    }
    EXPECT_EQ(EvalState.kingSideShelter[colour], 0);
    EXPECT_EQ(EvalState.queenSideShelter[colour], 0);
    // File and square values of the home pawns: -4 0 0 -1 -1 0 0 -4; no duo bonus on rank 2.
    EXPECT_EQ(EvalState.pawnStructureScore[colour], -10);
    EXPECT_EQ(EvalState.firstPawnFile[colour], FILE_A);
    EXPECT_EQ(EvalState.lastPawnFile[colour], FILE_H);
  }
  EXPECT_EQ(EvalState.passerSides, 0);
}

TEST(PawnStructure, IsolatedPawnsCostMoreTogether) {
  // Each White pawn faces a Black pawn on its file, so none is passed.
  const int c = scoreOf("4k3/2p5/8/8/8/8/2P5/4K3", WHITE);
  const int e = scoreOf("4k3/4p3/8/8/8/8/4P3/4K3", WHITE);
  const int g = scoreOf("4k3/6p1/8/8/8/8/6P1/4K3", WHITE);
  const int a = scoreOf("4k3/p7/8/8/8/8/P7/4K3", WHITE);
  EXPECT_EQ(scoreOf("4k3/2p1p3/8/8/8/8/2P1P3/4K3", WHITE), c + e - 12);
  EXPECT_EQ(scoreOf("4k3/2p1p1p1/8/8/8/8/2P1P1P1/4K3", WHITE), c + e + g - 27);
  EXPECT_EQ(scoreOf("4k3/p1p1p1p1/8/8/8/8/P1P1P1P1/4K3", WHITE), a + c + e + g - 27);
  // A lone d-pawn: file 5, square -6, isolated -25 - 2 * 1; the file ahead is free.
  EXPECT_EQ(scoreOf("4k3/3p4/8/8/8/8/3P4/4K3", WHITE), -28);
  EXPECT_EQ(flagsOf(WHITE, FILE_D), PAWN_ISOLATED | PAWN_UNDERDEFENDED | PAWN_FREE_FILE);
}

TEST(PawnStructure, PassedPawnScoreIsLeftToThePasserTerms) {
  const int without = scoreOf("4k3/pp6/8/8/8/8/PP6/4K3", WHITE);
  // The e5 pawn is passed and isolated: its own value is not added, but it counts as isolated
  // (two isolated pawns would cost 12 more; a and b are not isolated, so nothing changes).
  EXPECT_EQ(scoreOf("4k3/pp6/8/4P3/8/8/PP6/4K3", WHITE), without);
  EXPECT_TRUE(flagsOf(WHITE, FILE_E) & PAWN_PASSED);
  EXPECT_EQ(EvalState.passerSides, 1);
  // With an isolated h-pawn beside it the isolated count does change.
  const int hPawn = scoreOf("4k3/pp5p/8/8/8/8/PP5P/4K3", WHITE);
  EXPECT_EQ(scoreOf("4k3/pp5p/8/4P3/8/8/PP5P/4K3", WHITE), hPawn - 12);
}

TEST(PawnStructure, BackwardPawnWithItsStopSquareAttacked) {
  // d3 behind c4 and e4; Black pawns on c5 and e5 attack d4 twice: backward, -40, and the
  // stop square is overwhelmed. c4 and e4 are blocked with the file ahead free.
  EXPECT_EQ(scoreOf("4k3/8/8/2p1p3/2P1P3/3P4/8/4K3", WHITE), 4 - 40 + 9);
  EXPECT_EQ(flagsOf(WHITE, FILE_C), PAWN_BLOCKED | PAWN_FREE_FILE);
  EXPECT_EQ(flagsOf(WHITE, FILE_D), PAWN_UNDERDEFENDED | PAWN_BACKWARD | PAWN_STOP_DOUBLY_ATTACKED |
                                        PAWN_STOP_OVERWHELMED | PAWN_FREE_FILE);
  EXPECT_EQ(flagsOf(WHITE, FILE_E), PAWN_BLOCKED | PAWN_FREE_FILE);

  // With c5 alone d4 is attacked once: backward, -25; e4 is now passed and not counted.
  EXPECT_EQ(scoreOf("4k3/8/8/2p5/2P1P3/3P4/8/4K3", WHITE), 4 - 21);
  EXPECT_EQ(flagsOf(WHITE, FILE_D), PAWN_UNDERDEFENDED | PAWN_BACKWARD);
  EXPECT_EQ(flagsOf(WHITE, FILE_E), PAWN_PASSED);
}

TEST(PawnStructure, DoubledPawns) {
  // e2 + e3 beside d2 and f2: doubled, not isolated, the file ahead free.
  scoreOf("4k3/3ppp2/8/8/8/4P3/3PPP2/4K3", WHITE);
  EXPECT_EQ(flagsOf(WHITE, FILE_E), PAWN_DOUBLED | PAWN_FREE_FILE);
  // The doubled g-file of a fianchetto (g3 with f2 beside it) is not penalised, only its free
  // file (-10): f2 0, g3 2 - 10, h2 -4. The b3 + c2 case is the same on the other wing.
  EXPECT_EQ(scoreOf("4k3/5ppp/8/8/8/6P1/5PPP/4K3", WHITE), -12);
  EXPECT_EQ(flagsOf(WHITE, FILE_G), PAWN_DOUBLED | PAWN_FREE_FILE);
  EXPECT_EQ(scoreOf("4k3/ppp5/8/8/8/1P6/PPP5/4K3", WHITE), -12);
}

TEST(PawnStructure, WeakPawnsAndBreakthroughs) {
  // d4 with e2 behind: weak once the Black f4 pawn takes e3 from the e-pawn's way up.
  scoreOf("4k3/3p4/8/8/3P1p2/8/4P3/4K3", WHITE);
  EXPECT_TRUE(flagsOf(WHITE, FILE_D) & PAWN_WEAK);
  scoreOf("4k3/3p4/8/8/3P4/8/4P3/4K3", WHITE);
  EXPECT_FALSE(flagsOf(WHITE, FILE_D) & PAWN_WEAK);

  // A rook pawn stopped by b7 with the b-pawn behind it as a lever.
  scoreOf("4k3/1p6/8/8/P7/8/1P6/4K3", WHITE);
  EXPECT_TRUE(flagsOf(WHITE, FILE_A) & PAWN_BREAKTHROUGH);
  // e5 blocked by e6, with d4 free to come up (d5 attacked once, level with e5: tolerated).
  scoreOf("4k3/8/4p3/4P3/3P4/8/8/4K3", WHITE);
  EXPECT_EQ(flagsOf(WHITE, FILE_E) & (PAWN_BLOCKED | PAWN_BREAKTHROUGH), PAWN_BLOCKED | PAWN_BREAKTHROUGH);
  // c6 attacks d5 as well: the left neighbour fails and the search ends, though f4 would do.
  scoreOf("4k3/8/2p1p3/4P3/3P1P2/8/8/4K3", WHITE);
  EXPECT_FALSE(flagsOf(WHITE, FILE_E) & PAWN_BREAKTHROUGH);
  // A Black pawn on the d-file rules the left neighbour out, so the right one is tried.
  scoreOf("4k3/8/4p3/4P3/3P1P2/3p4/8/4K3", WHITE);
  EXPECT_TRUE(flagsOf(WHITE, FILE_E) & PAWN_BREAKTHROUGH);
}

TEST(PawnStructure, ShelterValuesOfBothWings) {
  // White: a2 b3 f3 g2 h4; Black: a7 b4 g4.
  ASSERT_TRUE(setUpPawnTest("6k1/p7/8/8/1p4pP/1P3P2/P5P1/6K1 w - - 0 1", WHITE, 0));
  evaluatePawns(WHITE);
  evaluatePawns(BLACK);
  // Queen side: b3 (5), b4 two ranks off (2), no c-pawn (8), no Black c-pawn (5), b4 deep (4).
  EXPECT_EQ(EvalState.queenSideShelter[WHITE], 24);
  // King side: f3 (1), h-pawn off h2 (5), no Black f-pawn (1), g4 (2), h4 (8), no Black h-pawn (4),
  // g4 deep (4).
  EXPECT_EQ(EvalState.kingSideShelter[WHITE], 25);
  // Black queen side: b-pawn elsewhere (10), no c-pawn (8), no White c-pawn (5).
  EXPECT_EQ(EvalState.queenSideShelter[BLACK], 23);
  // Black king side: f-pawn gone (2), g-pawn off g7 (3), g-pawn elsewhere (10), no h-pawn (12),
  // two empty files (4).
  EXPECT_EQ(EvalState.kingSideShelter[BLACK], 31);
}

// The structure evaluation of `placement`; returns what it added to the stored score of `colour`.
int majorityPart(const std::string& placement, int colour) {
  EXPECT_TRUE(setUpPawnTest(placement + " w - - 0 1", WHITE, 0)) << placement;
  evaluatePawnStructure();
  const PawnHashEntry& entry = PawnTable.entries[Board.pawnHashKey & PAWN_HASH_MASK];
  return EvalState.pawnStructureScore[colour] - (colour == WHITE ? entry.scoreWhite : entry.scoreBlack);
}

TEST(PawnStructure, TwoAgainstOneOnTheWing) {
  // a2 + b2 against a7: the ranks 1 + 1 and 30 while Black has no pieces, 18 with one.
  EXPECT_EQ(majorityPart("4k3/p6p/8/8/8/8/PP5P/4K3", WHITE), 32);
  EXPECT_EQ(majorityPart("4k3/p6p/8/8/8/8/PP5P/4K3", BLACK), 0);
  EXPECT_EQ(majorityPart("4k1n1/p6p/8/8/8/8/PP5P/4K3", WHITE), 20);
  // Black's majority: 14 + 30 - (6 + 6).
  EXPECT_EQ(majorityPart("4k3/pp5p/8/8/8/8/P6P/4K3", BLACK), 32);
  // On the king side: g2 + h2 against h7.
  EXPECT_EQ(majorityPart("4k3/p6p/8/8/8/8/P5PP/4K3", WHITE), 32);
  // A Black c-pawn ahead of White's b-pawn spoils it; so does a blocked majority pawn.
  EXPECT_EQ(majorityPart("4k3/p6p/8/2p5/8/8/PP5P/4K3", WHITE), 0);
  EXPECT_EQ(majorityPart("4k3/7p/8/8/8/p7/PP5P/4K3", WHITE), 0);
}

TEST(PawnStructure, SameWingMajority) {
  // All pawns on the king side, more than two each, White one more: -20 in the stored score.
  ASSERT_TRUE(setUpPawnTest("4k3/5ppp/8/8/8/6P1/5PPP/4K3 w - - 0 1", WHITE, 0));
  evaluatePawnStructure();
  EXPECT_EQ(EvalState.pawnStructureScore[WHITE], -12 - 20);
  // Equal counts: nothing.
  const int equal = scoreOf("4k3/5ppp/8/8/8/8/5PPP/4K3", WHITE);
  evaluatePawnStructure();
  EXPECT_EQ(EvalState.pawnStructureScore[WHITE], equal);
  // A pawn on the other wing: nothing.
  const int spread = scoreOf("4k3/p4pp1/8/8/8/6P1/P4PPP/4K3", WHITE);
  evaluatePawnStructure();
  EXPECT_EQ(EvalState.pawnStructureScore[WHITE], spread);
}

// The outputs of the structure evaluation are those of `expected`.
void expectSameStructure(const EvalData& expected) {
  EXPECT_EQ(0, std::memcmp(EvalState.pawnFileInfo, expected.pawnFileInfo, sizeof expected.pawnFileInfo));
  EXPECT_EQ(EvalState.passerSides, expected.passerSides);
  for (int colour : {WHITE, BLACK}) {
    EXPECT_EQ(EvalState.pawnStructureScore[colour], expected.pawnStructureScore[colour]);
    EXPECT_EQ(EvalState.kingSideShelter[colour], expected.kingSideShelter[colour]);
    EXPECT_EQ(EvalState.queenSideShelter[colour], expected.queenSideShelter[colour]);
  }
}

TEST(PawnHashTable, HitReturnsTheStoredValues) {
  ASSERT_TRUE(setUpPawnTest("r3k2r/pp3ppp/2p5/3pP3/3P4/2P5/P4PPP/R3K2R w KQkq - 0 1", WHITE, 1));
  evaluatePawnStructure();
  EXPECT_EQ(EvalState.pawnTableFills, 1u);
  EXPECT_EQ(EvalState.pawnTableHits, 0u);
  const EvalData first = EvalState;

  // The driver's resets, then garbage in every output: a hit must restore all of them.
  resetEvaluationState(WHITE, 1);
  std::memset(EvalState.pawnFileInfo, 0xAB, sizeof EvalState.pawnFileInfo);
  EvalState.passerSides = 3;
  EvalState.kingSideShelter[WHITE] = EvalState.queenSideShelter[BLACK] = 99;
  EvalState.pawnStructureScore[BLACK] = 1234;
  evaluatePawnStructure();
  EXPECT_EQ(EvalState.pawnTableHits, 1u);
  expectSameStructure(first);
  for (int colour : {WHITE, BLACK}) {
    EXPECT_EQ(EvalState.firstPawnFile[colour], NO_FILE);
    EXPECT_EQ(EvalState.lastPawnFile[colour], NO_FILE);
  }

  // What comes back is the entry: a changed entry is returned as changed.
  PawnTable.entries[Board.pawnHashKey & PAWN_HASH_MASK].scoreWhite += 7;
  evaluatePawnStructure();
  EXPECT_EQ(EvalState.pawnStructureScore[WHITE], first.pawnStructureScore[WHITE] + 7);

  // After clearing, the next probe misses and counts a fill again.
  clearPawnTable();
  EXPECT_EQ(EvalState.pawnTableHits, 0u);
  evaluatePawnStructure();
  EXPECT_EQ(EvalState.pawnTableFills, 1u);
  EXPECT_EQ(EvalState.pawnStructureScore[WHITE], first.pawnStructureScore[WHITE]);
}

TEST(PawnHashTable, HitsAgreeWithFreshEvaluations) {
  for (const PositionSnapshot& position : randomGamePositions(77u, 8, 80, 4)) {
    restoreSnapshot(position);
    clearPawnTable();
    resetEvaluationState(Board.sideToMove, 1);
    evaluatePawnStructure();
    const EvalData fresh = EvalState;
    resetEvaluationState(Board.sideToMove, 1);
    evaluatePawnStructure();
    ASSERT_EQ(EvalState.pawnTableHits, 1u);
    expectSameStructure(fresh);
  }
}

}  // namespace
