// Pawn lookups, the pawn loops and file control, and the colour mirror of every pawn output.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "board/board.h"
#include "eval/attackmap.h"
#include "eval/evalstate.h"
#include "eval/pawnhash.h"
#include "eval/pawnterms.h"
#include "support/pawn_fixture.h"

namespace {

constexpr int FILE_F = 5;
constexpr const char* INITIAL = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

// Sets up the position, runs the structure evaluation and the pawn loop of `colour` (full or
// endgame variant), and returns what the loop added to its pawnStructureScore.
int loopPart(const std::string& fen, int colour, int side, int phase, bool endgame = false) {
  EXPECT_TRUE(setUpPawnTest(fen, side, phase)) << fen;
  evaluatePawnStructure();
  const int before = EvalState.pawnStructureScore[colour];
  if (endgame)
    evaluateEndgamePawnLoop(colour);
  else
    evaluatePawnLoop(colour);
  return EvalState.pawnStructureScore[colour] - before;
}

TEST(PawnLookups, FrontAndRearPawns) {
  ASSERT_TRUE(setUpPawnTest("4k3/5p2/8/5p2/5P2/8/5P2/4K3 w - - 0 1", WHITE, 0));
  EXPECT_EQ(frontPawnRank(WHITE, FILE_F), 3);
  EXPECT_EQ(rearPawnRank(WHITE, FILE_F), 1);
  EXPECT_EQ(frontPawnSquare(WHITE, FILE_F), F4);
  EXPECT_EQ(frontPawnRank(BLACK, FILE_F), 4);
  EXPECT_EQ(rearPawnRank(BLACK, FILE_F), 6);
  EXPECT_EQ(frontPawnSquare(BLACK, FILE_F), F5);
  // No pawn: rank 0, and the file's square on the first rank.
  EXPECT_EQ(frontPawnRank(WHITE, 0), 0);
  EXPECT_EQ(rearPawnRank(BLACK, 0), 0);
  EXPECT_EQ(frontPawnSquare(WHITE, 2), C1);
  // Tripled pawns: the scans find the outermost ones.
  ASSERT_TRUE(setUpPawnTest("4k3/8/2P5/8/2P5/8/2P5/4K3 w - - 0 1", WHITE, 0));
  EXPECT_EQ(frontPawnRank(WHITE, 2), 5);
  EXPECT_EQ(rearPawnRank(WHITE, 2), 1);
  EXPECT_EQ(frontPawnSquare(WHITE, 2), C6);
}

TEST(PawnLoop, HangingPawnAttackedByAKnight) {
  // e4 attacked by the f6 knight, defended by nothing.
  const std::string fen = "4k3/8/5n2/8/4P3/8/8/K7 w - - 0 1";
  loopPart(fen, WHITE, WHITE, 1);
  EXPECT_EQ(EvalState.hangingPawns[WHITE], 1);
  EXPECT_EQ(EvalState.threatScore[WHITE], -2 - 6);
  // With Black to move the first-hanging penalty is Black's business.
  loopPart(fen, WHITE, BLACK, 1);
  EXPECT_EQ(EvalState.hangingPawns[WHITE], 1);
  EXPECT_EQ(EvalState.threatScore[WHITE], -2);
  // A Black pawn on d5 attacks it too: it is not counted, but the side to move still pays.
  loopPart("4k3/8/5n2/3p4/4P3/8/8/K7 w - - 0 1", WHITE, WHITE, 1);
  EXPECT_EQ(EvalState.hangingPawns[WHITE], 0);
  EXPECT_EQ(EvalState.threatScore[WHITE], -2 - 6);
}

TEST(PawnLoop, PawnAttackedOnceAndDefendedOnce) {
  // e4: Black knight f6 against White knight f2.
  loopPart("4k3/8/5n2/8/4P3/8/5N2/K7 w - - 0 1", WHITE, WHITE, 1);
  EXPECT_EQ(EvalState.hangingPawns[WHITE], 0);
  EXPECT_EQ(EvalState.threatScore[WHITE], -2 - 2);
}

TEST(PawnLoop, MoreAttackersThanDefendersComparedByMapWords) {
  // Two rooks against the f2 knight: the rooks' word is below the knight's, so e4 hangs.
  loopPart("4r2k/8/8/8/r3P3/8/5N2/7K w - - 0 1", WHITE, WHITE, 1);
  EXPECT_EQ(EvalState.hangingPawns[WHITE], 1);
  EXPECT_EQ(EvalState.threatScore[WHITE], -4 - 6);
  // Knight and rook against the e1 rook: the knight bit puts Black's word above White's.
  loopPart("4k3/8/5n2/8/r3P3/8/8/4R2K w - - 0 1", WHITE, WHITE, 1);
  EXPECT_EQ(EvalState.hangingPawns[WHITE], 0);
  EXPECT_EQ(EvalState.threatScore[WHITE], -4);
}

TEST(PawnLoop, PieceInFrontOfThePawn) {
  // d2 with the own bishop on d3 (c2 beside it): -3; isolated: -6.
  EXPECT_EQ(loopPart("3k4/2pp4/8/8/8/3B4/2PP4/K7 w - - 0 1", WHITE, WHITE, 1), -3);
  EXPECT_EQ(loopPart("3k4/3p4/8/8/8/3B4/3P4/K7 w - - 0 1", WHITE, WHITE, 1), -6);
  // The endgame loop charges 3 only, and pays the pawn its rank.
  EXPECT_EQ(loopPart("3k4/3p4/8/8/8/3B4/3P4/K7 w - - 0 1", WHITE, WHITE, 3, true), -3 + 1);
  // Black's d7 pawn with a White knight on d6 (the colour of the piece does not matter).
  EXPECT_EQ(loopPart("3k4/3p4/3N4/8/8/8/3P4/K7 w - - 0 1", BLACK, WHITE, 1), -6);
}

TEST(PawnLoop, StopSquareControlledByTheEnemy) {
  // The Black knight on g4 takes e3 from the e2 pawn: the table value of e2.
  EXPECT_EQ(loopPart("4k3/4p3/8/8/6n1/8/4P3/K7 w - - 0 1", WHITE, WHITE, 1), -6);
  // With d2 and f2 guarding e3 it is White's square.
  EXPECT_EQ(loopPart("4k3/3ppp2/8/8/6n1/8/3PPP2/K7 w - - 0 1", WHITE, WHITE, 1), 0);
}

TEST(PawnLoop, AdvancedPoorlyDefendedPawns) {
  // An isolated e5 pawn facing e7: -4, then (1 + 1) * phase * 1.
  const std::string fen = "k7/4p3/8/4P3/8/8/8/K7 w - - 0 1";
  EXPECT_EQ(loopPart(fen, WHITE, WHITE, 0), -4);
  EXPECT_EQ(loopPart(fen, WHITE, WHITE, 2), -4 - 4);
  // Black's e4 pawn is advanced for Black.
  EXPECT_EQ(loopPart("k7/8/8/8/4p3/8/4P3/K7 w - - 0 1", BLACK, WHITE, 2), -8);
  // Endgame: rank 4, -4, phase 3 (-6), the Black king on d6 next to it (+16), e6 contested (-1);
  // the king attacks the pawn: -2 and, White to move, -6.
  EXPECT_EQ(loopPart("8/4p3/3k4/4P3/8/8/8/K7 w - - 0 1", WHITE, WHITE, 3, true), 4 - 4 - 6 + 16 - 1);
  EXPECT_EQ(EvalState.threatScore[WHITE], -8);
  EXPECT_EQ(EvalState.hangingPawns[WHITE], 1);
}

TEST(PawnLoop, PinnedPawn) {
  // d2 stands between the Black bishop b4 and the White king e1: pinned against the king.
  loopPart("3k4/3p4/8/8/1b6/8/3P4/4K3 w - - 0 1", WHITE, WHITE, 1);
  EXPECT_EQ(EvalState.pinInfo[D2], KING);
  EXPECT_EQ(loopPart("3k4/3p4/8/8/1b6/8/3P4/4K3 w - - 0 1", WHITE, WHITE, 1),
            loopPart("3k4/3p4/8/8/8/8/3P4/4K3 w - - 0 1", WHITE, WHITE, 1) - 5);
}

TEST(PawnLoop, DarkSquarePawns) {
  ASSERT_TRUE(setUpPawnTest(INITIAL, WHITE, 0));
  evaluatePawnStructure();
  evaluatePawnLoop(WHITE);
  evaluatePawnLoop(BLACK);
  EXPECT_EQ(EvalState.darkSquarePawns[WHITE], 4);
  EXPECT_EQ(EvalState.darkSquarePawns[BLACK], 4);
  loopPart("4k3/8/8/8/8/2P5/P1P5/4K3 w - - 0 1", WHITE, WHITE, 0);  // only c3 of a2, c2, c3 is dark
  EXPECT_EQ(EvalState.darkSquarePawns[WHITE], 1);
}

TEST(FileControl, InitialPositionGivesEightEach) {
  ASSERT_TRUE(setUpPawnTest(INITIAL, WHITE, 0));
  EvalState.fileControl[WHITE] = 77;  // nothing carries over
  evaluateFileControl();
  EXPECT_EQ(EvalState.fileControl[WHITE], 8);
  EXPECT_EQ(EvalState.fileControl[BLACK], 8);
}

TEST(FileControl, HalfOpenAndOpenFiles) {
  // e2 against the e8 rook: White 1 behind its pawn (and d3, f3 of the pawnless files its pawn
  // attacks), Black e3..e7 attacked and e8 occupied.
  ASSERT_TRUE(setUpPawnTest("k3r3/8/8/8/8/8/4P3/6K1 w - - 0 1", WHITE, 0));
  evaluateFileControl();
  EXPECT_EQ(EvalState.fileControl[WHITE], 1 + 2);
  EXPECT_EQ(EvalState.fileControl[BLACK], 6);
  // No pawns: the a1 rook alone holds a3..a6.
  ASSERT_TRUE(setUpPawnTest("4k3/8/8/8/8/8/8/R3K3 w - - 0 1", WHITE, 0));
  evaluateFileControl();
  EXPECT_EQ(EvalState.fileControl[WHITE], 4);
  EXPECT_EQ(EvalState.fileControl[BLACK], 0);
  // A square both attack counts for neither.
  ASSERT_TRUE(setUpPawnTest("r3k3/8/8/8/8/8/8/R3K3 w - - 0 1", WHITE, 0));
  evaluateFileControl();
  EXPECT_EQ(EvalState.fileControl[WHITE], 0);
  EXPECT_EQ(EvalState.fileControl[BLACK], 0);
}

}  // namespace

namespace {

// Everything the pawn terms produce for one colour.
struct ColourOutputs {
  int structure, shelterKing, shelterQueen, passer, firstFile, lastFile;
  int loopScore, threat, hanging, dark, endgameScore, fileControl;
  int fileInfo[8], front[8], rear[8], frontSquare[8];
};

// Runs the pawn terms as an evaluation for the side to move in `phase` would.
void collectOutputs(int phase, ColourOutputs out[2]) {
  const int side = Board.sideToMove;
  clearPawnTable();
  resetEvaluationState(side, phase);
  buildAttackMaps(side);
  evaluatePawnStructure();
  for (int c : {WHITE, BLACK}) {
    ColourOutputs& o = out[c];
    o.structure = EvalState.pawnStructureScore[c];
    o.shelterKing = EvalState.kingSideShelter[c];
    o.shelterQueen = EvalState.queenSideShelter[c];
    o.passer = (EvalState.passerSides >> c) & 1;
    o.firstFile = EvalState.firstPawnFile[c];
    o.lastFile = EvalState.lastPawnFile[c];
    for (int f = 0; f < 8; ++f) {
      o.fileInfo[f] = EvalState.pawnFileInfo[c][f];
      o.front[f] = frontPawnRank(c, f);
      o.rear[f] = rearPawnRank(c, f);
      o.frontSquare[f] = frontPawnSquare(c, f);
    }
  }
  for (int c : {WHITE, BLACK}) evaluatePawnLoop(c);
  evaluateFileControl();
  for (int c : {WHITE, BLACK}) {
    out[c].loopScore = EvalState.pawnStructureScore[c];
    out[c].threat = EvalState.threatScore[c];
    out[c].hanging = EvalState.hangingPawns[c];
    out[c].dark = EvalState.darkSquarePawns[c];
    out[c].fileControl = EvalState.fileControl[c];
    EvalState.pawnStructureScore[c] = static_cast<int16_t>(out[c].structure);
    EvalState.threatScore[c] = 0;
  }
  for (int c : {WHITE, BLACK}) evaluateEndgamePawnLoop(c);
  for (int c : {WHITE, BLACK}) out[c].endgameScore = EvalState.pawnStructureScore[c];
}

// The outputs of colour c in a position against those of the other colour in its mirror.
// Not a mirror image: darkSquarePawns, since a vertical mirror turns dark squares into light ones
// (the mirror's count is that colour's light-square pawns). No other rule treats Black apart.
void expectMirrored(const ColourOutputs& o, const ColourOutputs& m, int mirrorPawns, int index) {
  SCOPED_TRACE("position " + std::to_string(index));
  EXPECT_EQ(o.structure, m.structure);
  EXPECT_EQ(o.shelterKing, m.shelterKing);
  EXPECT_EQ(o.shelterQueen, m.shelterQueen);
  EXPECT_EQ(o.passer, m.passer);
  EXPECT_EQ(o.firstFile, m.firstFile);
  EXPECT_EQ(o.lastFile, m.lastFile);
  EXPECT_EQ(o.loopScore, m.loopScore);
  EXPECT_EQ(o.threat, m.threat);
  EXPECT_EQ(o.hanging, m.hanging);
  EXPECT_EQ(o.dark, mirrorPawns - m.dark);
  EXPECT_EQ(o.endgameScore, m.endgameScore);
  EXPECT_EQ(o.fileControl, m.fileControl);
  for (int f = 0; f < 8; ++f) {
    EXPECT_EQ(o.fileInfo[f], m.fileInfo[f]) << "file " << f;
    if (o.front[f] == 0) continue;  // no pawn on the file
    EXPECT_EQ(o.front[f], 7 - m.front[f]) << "file " << f;
    EXPECT_EQ(o.rear[f], 7 - m.rear[f]) << "file " << f;
    EXPECT_EQ(o.frontSquare[f], m.frontSquare[f] ^ 56) << "file " << f;
  }
}

TEST(PawnMirror, ColourFlippedPositionsGiveSwappedOutputs) {
  const std::vector<PositionSnapshot> positions = randomGamePositions(20240611u, 24, 90, 3);
  ASSERT_GT(positions.size(), 500u);
  int passers = 0, hanging = 0;
  for (size_t i = 0; i < positions.size(); ++i) {
    const int phase = static_cast<int>(i % 3);
    ColourOutputs original[2], mirrored[2];
    restoreSnapshot(positions[i]);
    collectOutputs(phase, original);
    restoreSnapshot(mirrorSnapshot(positions[i]));
    collectOutputs(phase, mirrored);
    for (int c : {WHITE, BLACK})
      expectMirrored(original[c], mirrored[c ^ 1], Board.pawnCount[c ^ 1], static_cast<int>(i));
    passers += original[WHITE].passer + original[BLACK].passer;
    hanging += original[WHITE].hanging + original[BLACK].hanging;
  }
  // The games must reach the rules under test.
  EXPECT_GT(passers, 20);
  EXPECT_GT(hanging, 20);
}

}  // namespace
