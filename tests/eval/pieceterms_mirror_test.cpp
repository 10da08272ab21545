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

#include <cstring>
#include <random>
#include <vector>

#include "board/board.h"
#include "config/settings.h"
#include "eval/attackmap.h"
#include "eval/evalstate.h"
#include "eval/kingsafety.h"
#include "search/searchstate.h"
#include "support/board_fixture.h"
#include "support/pawn_fixture.h"
#include "support/piece_terms_fixture.h"

namespace {

constexpr int GAMES = 40;
constexpr int GAME_PLIES = 90;
constexpr int INTERVAL = 15;
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
  EvalContext.rootSide = static_cast<int8_t>(in.rootSide);
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

// The castling data the king terms read: king and rook home squares, castled flags.
struct CastlingData {
  int16_t squareMoves[6];  // e1, a1, h1, e8, a8, h8
  int16_t castled[2];
};
constexpr int CASTLING_SQUARES[6] = {E1, A1, H1, E8, A8, H8};

CastlingData randomCastlingData(std::mt19937& rng) {
  std::uniform_int_distribution<int> bit(0, 1);
  CastlingData data;
  for (int16_t& moves : data.squareMoves) moves = static_cast<int16_t>(bit(rng));
  for (int16_t& done : data.castled) done = static_cast<int16_t>(bit(rng));
  return data;
}

// e1 <-> e8 and so on: the mirror's data.
CastlingData mirrorCastlingData(const CastlingData& data) {
  CastlingData mirror;
  for (int i = 0; i < 6; ++i) mirror.squareMoves[(i + 3) % 6] = data.squareMoves[i];
  mirror.castled[WHITE] = data.castled[BLACK];
  mirror.castled[BLACK] = data.castled[WHITE];
  return mirror;
}

void applyCastlingData(const CastlingData& data) {
  std::memset(Board.squareMoves, 0, sizeof Board.squareMoves);
  for (int i = 0; i < 6; ++i) Board.squareMoves[CASTLING_SQUARES[i]] = data.squareMoves[i];
  Board.castled[WHITE] = data.castled[WHITE];
  Board.castled[BLACK] = data.castled[BLACK];
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
  std::uniform_int_distribution<int> bit(0, 1);
  std::uniform_int_distribution<int> phase(0, 2);
  const std::vector<PositionSnapshot> positions = randomGamePositions(SEED, GAMES, GAME_PLIES, INTERVAL);
  ASSERT_GT(positions.size(), 100u);
  for (size_t n = 0; n < positions.size(); ++n) {
    EngineSettings.attackStyleCA = static_cast<int8_t>(bit(rng));
    EngineSettings.attackStyleRI = static_cast<int8_t>(bit(rng));
    // Braced lists are evaluated left to right, so the draws are reproducible.
    const Inputs in{bit(rng), phase(rng), bit(rng),
                    {static_cast<int8_t>(bit(rng)), static_cast<int8_t>(bit(rng))}};
    const CastlingData castling = randomCastlingData(rng);
    restoreSnapshot(positions[n]);
    applyCastlingData(castling);
    const BoardData original = Board;
    PawnInputs pawns;
    const Outputs a = evaluateTerms(in, pawns, false);

    restoreSnapshot(mirrorSnapshot(positions[n]));
    applyCastlingData(mirrorCastlingData(castling));
    PawnInputs mirroredPawns = swapColours(pawns);
    const Inputs mirrored{in.evalSide ^ 1, in.gamePhase, in.rootSide ^ 1,
                          {in.rootCastlingChance[BLACK], in.rootCastlingChance[WHITE]}};
    const Outputs b = evaluateTerms(mirrored, mirroredPawns, true);
    SCOPED_TRACE(testing::Message() << "position " << n);
    expectMirrored(original, a, b);
    if (testing::Test::HasFailure()) break;
  }
  EngineSettings.attackStyleCA = 0;
  EngineSettings.attackStyleRI = 0;
}

}  // namespace
