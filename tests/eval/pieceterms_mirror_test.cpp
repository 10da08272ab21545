// Colour mirror of the attack maps, piece terms and king safety: a position and its mirror (ranks
// mirrored, colours swapped, evalSide, rootSide and the castling data swapped) must give every
// colour's values to the other colour. Where the rules differ between the colours:
// - A colour's pieces are scored from the end of its list, and some results depend on that order
//   (the doubled-rook file, the second rook or queen on the seventh rank, the first uncovered
//   attack kept in pinInfo). The mirror therefore keeps every list in the same order.
// - The outpost's near-side limits (White s <= 28, Black s >= 35) are not exact mirrors: they
//   differ on f4-h4 against a5-c5, where the outpost table is 0, so the terms still agree.
// - Square colours swap under the mirror (a1 is dark for both colours): bishopOnDark of one side
//   is bishopOnLight of the other, and darkSquarePawns counts the other square colour.
// The pawn-file flags and shelters are taken from the original and swapped into the mirror, so
// that only this code is compared.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "board/attack.h"
#include "board/board.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "config/settings.h"
#include "eval/attackmap.h"
#include "eval/evalstate.h"
#include "eval/kingsafety.h"
#include "search/searchstate.h"
#include "support/board_fixture.h"
#include "support/piece_terms_fixture.h"

namespace {

constexpr int GAMES = 150;
constexpr int MAX_GAME_PLIES = 90;
constexpr unsigned SEED = 20240607;

struct Inputs {
  int evalSide;
  int gamePhase;
  int rootSide;
  int8_t rootCastlingChance[2];
};

struct Outputs {
  PieceTermResults pieces;
  int16_t kingSafety[2];
  EvalData state;
};

// Plays random legal moves from the initial position; false when the game ended early.
bool playRandomGame(std::mt19937& rng, int plies) {
  setUpInitialPosition();
  int side = WHITE;
  for (int ply = 0; ply < plies; ++ply) {
    SearchState.ply = 1;
    MoveStack.plyStart[1] = 0;
    if (isInCheck(side))
      generateLegalMoves(side);
    else
      generateMoves(side);
    std::vector<Move> moves(MoveStack.moveStack + MoveStack.plyStart[1], MoveStack.moveStack + MoveStack.plyStart[2]);
    std::shuffle(moves.begin(), moves.end(), rng);
    bool moved = false;
    for (const Move& move : moves) {
      makeMove(side, move);
      if (!isInCheck(side)) {
        moved = true;
        break;
      }
      unmakeMove(side, move);
    }
    if (!moved) return false;
    side ^= 1;
  }
  Board.sideToMove = static_cast<int8_t>(side);
  return true;
}

// Pawn-structure results the terms read: taken from the original, swapped into the mirror.
struct PawnInputs {
  uint16_t fileInfo[2][8];
  uint8_t kingSide[2];
  uint8_t queenSide[2];
};

PawnInputs swapColours(const PawnInputs& p) {
  PawnInputs swapped;
  for (int colour = WHITE; colour <= BLACK; ++colour) {
    std::memcpy(swapped.fileInfo[colour ^ 1], p.fileInfo[colour], sizeof p.fileInfo[colour]);
    swapped.kingSide[colour ^ 1] = p.kingSide[colour];
    swapped.queenSide[colour ^ 1] = p.queenSide[colour];
  }
  return swapped;
}

// Runs the terms; `pawns` is filled from the pawn structure when `givenPawns` is false, else
// replaces it.
Outputs evaluateTerms(const Inputs& in, PawnInputs& pawns, bool givenPawns) {
  Outputs out;
  SearchState.rootSide = static_cast<int8_t>(in.rootSide);
  prepareTermState(in.evalSide, in.gamePhase);
  for (int colour = WHITE; colour <= BLACK; ++colour) {
    uint16_t* info = EvalState.pawnFileInfo[colour];
    if (givenPawns) {
      std::memcpy(info, pawns.fileInfo[colour], sizeof pawns.fileInfo[colour]);
      EvalState.kingSideShelter[colour] = pawns.kingSide[colour];
      EvalState.queenSideShelter[colour] = pawns.queenSide[colour];
    } else {
      std::memcpy(pawns.fileInfo[colour], info, sizeof pawns.fileInfo[colour]);
      pawns.kingSide[colour] = EvalState.kingSideShelter[colour];
      pawns.queenSide[colour] = EvalState.queenSideShelter[colour];
    }
    EvalState.rootCastlingChance[colour] = in.rootCastlingChance[colour];
  }
  runPieceLoop(out.pieces);
  out.kingSafety[WHITE] = evaluateKingSafety(WHITE);
  out.kingSafety[BLACK] = evaluateKingSafety(BLACK);
  out.state = EvalState;
  return out;
}

// Puts the mirror of `original` on the board, keeping the order of every list.
void setUpMirror(const BoardData& original) {
  for (int s = 0; s < 64; ++s) {
    const int m = s ^ 56;
    Board.pieceAt[m] = original.pieceAt[s];
    Board.colorAt[m] = static_cast<int8_t>(original.colorAt[s] == EMPTY ? EMPTY : original.colorAt[s] ^ 1);
    Board.squareMoves[m] = original.squareMoves[s];
  }
  recomputeBoardState();
  for (int colour = WHITE; colour <= BLACK; ++colour) {
    const int other = colour ^ 1;
    Board.castled[other] = original.castled[colour];
    for (int i = 0; i <= original.pieceCount[colour]; ++i) {
      const int m = original.pieceList[colour][i] ^ 56;
      Board.pieceList[other][i] = static_cast<int8_t>(m);
      Board.listIndex[m] = static_cast<int8_t>(i);
    }
  }
  fillTypeCount();
  ASSERT_TRUE(boardIsOk());
}

bool samePinInfo(int original, int mirrored) {
  if (original < PIN_PIECE_LIMIT || mirrored < PIN_PIECE_LIMIT) return original == mirrored;
  return (original & 0xFF) == (mirrored & 0xFF) &&
         pinUncoveredSquare(original) == (pinUncoveredSquare(mirrored) ^ 56);
}

void expectMirrored(const BoardData& board, const Outputs& a, const Outputs& b) {
  const EvalData& x = a.state;
  const EvalData& y = b.state;
  for (int c = WHITE; c <= BLACK; ++c) {
    const int o = c ^ 1;
    SCOPED_TRACE(testing::Message() << "colour " << c);
    for (int i = 1; i <= board.pieceCount[c]; ++i) {
      EXPECT_EQ(a.pieces.term[c][i], b.pieces.term[o][i]) << "term of list entry " << i;
      EXPECT_EQ(a.pieces.safety[c][i], b.pieces.safety[o][i]) << "safety of list entry " << i;
    }
    EXPECT_EQ(a.kingSafety[c], b.kingSafety[o]);
    EXPECT_EQ(x.mobilityScore[c], y.mobilityScore[o]);
    EXPECT_EQ(x.threatScore[c], y.threatScore[o]);
    EXPECT_EQ(x.threatenedPieces[c], y.threatenedPieces[o]);
    EXPECT_EQ(x.kingAttackUnits[c], y.kingAttackUnits[o]);
    EXPECT_EQ(x.seventhRankCount[c], y.seventhRankCount[o]);
    EXPECT_EQ(x.rookFile[c], y.rookFile[o]);
    EXPECT_EQ(x.bishopOnDark[c], y.bishopOnLight[o]);
    EXPECT_EQ(x.bishopOnLight[c], y.bishopOnDark[o]);
    EXPECT_EQ(x.kingWeakness[c], y.kingWeakness[o]);
    EXPECT_EQ(x.kingContacts[c], y.kingContacts[o]);
    EXPECT_EQ(x.kingContactScore[c], y.kingContactScore[o]);
    EXPECT_EQ(x.kingThreat[c], y.kingThreat[o]);
    EXPECT_EQ(x.castleChance[c], y.castleChance[o]);
    EXPECT_EQ(x.kingSideShelter[c], y.kingSideShelter[o]);
    EXPECT_EQ(x.queenSideShelter[c], y.queenSideShelter[o]);
    for (int s = 0; s < 64; ++s) EXPECT_EQ(x.attackMap[c][s], y.attackMap[o][s ^ 56]) << "map square " << s;
  }
  for (int s = 0; s < 64; ++s) {
    if (board.colorAt[s] == EMPTY) continue;
    const int m = s ^ 56;
    EXPECT_TRUE(samePinInfo(x.pinInfo[s], y.pinInfo[m])) << "pinInfo square " << s;
    EXPECT_EQ(x.xrayInfo[s], y.xrayInfo[m]) << "square " << s;
    EXPECT_EQ(x.batteryInfo[s], y.batteryInfo[m]) << "square " << s;
    if (board.pieceAt[s] != PAWN && board.pieceAt[s] != KING) {
      EXPECT_EQ(x.safeMobility[s], y.safeMobility[m]) << "square " << s;
    }
  }
}

TEST(PieceTermsMirror, RandomGamePositionsMirrorExactly) {
  std::mt19937 rng(SEED);
  std::uniform_int_distribution<int> plies(8, MAX_GAME_PLIES);
  std::uniform_int_distribution<int> bit(0, 1);
  std::uniform_int_distribution<int> phase(0, 2);
  int compared = 0;
  for (int game = 0; game < GAMES; ++game) {
    if (!playRandomGame(rng, plies(rng))) continue;
    EngineSettings.attackStyleCA = static_cast<int8_t>(bit(rng));
    EngineSettings.attackStyleRI = static_cast<int8_t>(bit(rng));
    const Inputs in{bit(rng), phase(rng), bit(rng), {static_cast<int8_t>(bit(rng)), static_cast<int8_t>(bit(rng))}};
    const BoardData original = Board;
    PawnInputs pawns;
    const Outputs a = evaluateTerms(in, pawns, false);
    PawnInputs mirroredPawns = swapColours(pawns);

    setUpMirror(original);
    const Inputs mirrored{in.evalSide ^ 1, in.gamePhase, in.rootSide ^ 1, {in.rootCastlingChance[BLACK], in.rootCastlingChance[WHITE]}};
    const Outputs b = evaluateTerms(mirrored, mirroredPawns, true);
    SCOPED_TRACE(testing::Message() << "game " << game);
    expectMirrored(original, a, b);
    if (testing::Test::HasFailure()) break;
    ++compared;
  }
  EngineSettings.attackStyleCA = 0;
  EngineSettings.attackStyleRI = 0;
  std::printf("compared %d\n", compared);
  EXPECT_GT(compared, GAMES / 2);
}

}  // namespace
