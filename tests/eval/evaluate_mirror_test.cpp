// Colour mirror of the whole evaluation: a position from a random game and its mirror (ranks
// mirrored, colours swapped, side to move, rootSide, the castling data and the root castling
// chances swapped) must get the same score from evaluate, each for its own side to move, in every
// game phase. Each evaluation starts from empty pawn and score tables and is a full one (iteration
// 0: no lazy cut, a full window).
//
// Where the rules treat the colours differently:
// - A colour's pieces and pawns are scored in list order, and some results depend on it (the
//   doubled-rook file, the second heavy piece on the seventh rank, "the stronger side's first
//   pawn"): the mirror keeps every list in the same order.
// - The outposts' near-side limits (White s > 28, Black s < 35) are no exact mirrors, but they only
//   differ on f4-h4 against a5-c5, where the outpost table is 0.
// - Square colours swap under the mirror (a1 is dark for both colours); every rule that reads
//   them compares a bishop with squares of the same board, so the scores still agree.
// - Pawn endings: Black's passed pawn earns the lone-passer 50 whenever White has none, White's only
//   together with the outside-passer bonus. With exactly one colour owning passers, the Black
//   owner's score may therefore be 50 higher than the White owner's, never lower.
// - The wrong-bishop walk stops differently for a White and a Black stronger side, so one of the
//   two may end in the token score and the other in the halved one.
// - The stronger side is Black on equal material; no rule that reads it can fire on equal
//   material, so this needs no exception.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "board/board.h"
#include "config/settings.h"
#include "eval/endgame.h"
#include "eval/evalstate.h"
#include "eval/evaluate.h"
#include "eval/pawnhash.h"
#include "eval/scoretable.h"
#include "search/searchstate.h"
#include "support/board_fixture.h"
#include "support/pawn_fixture.h"
#include "support/search_support.h"

namespace {

constexpr unsigned SEED = 20240611;
constexpr int GAMES = 50;
constexpr int GAME_PLIES = 260;
constexpr int INTERVAL = 4;
constexpr int PHASES = 4;
constexpr int MIN_POSITIONS_PER_PHASE = 60;
constexpr int LONE_PASSER_BONUS = 50;
constexpr int MIRROR = 56;
constexpr int16_t ROOT_BONUSES[] = {0, 0, -5, -10, 45, 50};

// Everything outside the position that the evaluation reads.
struct Context {
  int rootSide;
  int16_t rootBonus;
  int8_t rootCastlingChance[2];
  int8_t attackStyleCA;
  int8_t attackStyleRI;
  std::array<int16_t, 64> squareMoves;  // 0 or 1: whether anything moved from the square
  int16_t castled[2];
};

Context randomContext(std::mt19937& rng) {
  std::uniform_int_distribution<int> bit(0, 1);
  std::uniform_int_distribution<int> bonus(0, sizeof ROOT_BONUSES / sizeof ROOT_BONUSES[0] - 1);
  Context c{};
  c.rootSide = bit(rng);
  c.rootBonus = ROOT_BONUSES[bonus(rng)];
  for (int8_t& chance : c.rootCastlingChance) chance = static_cast<int8_t>(bit(rng));
  c.attackStyleCA = static_cast<int8_t>(bit(rng));
  c.attackStyleRI = static_cast<int8_t>(bit(rng));
  // Mostly unmoved home squares, so that castling chances and development terms come up.
  std::uniform_int_distribution<int> moved(0, 3);
  for (int16_t& m : c.squareMoves) m = static_cast<int16_t>(moved(rng) == 0 ? 1 : 0);
  for (int16_t& done : c.castled) done = static_cast<int16_t>(moved(rng) == 0 ? 1 : 0);
  return c;
}

Context mirrorContext(const Context& c) {
  Context m = c;
  m.rootSide = c.rootSide ^ 1;
  m.rootCastlingChance[WHITE] = c.rootCastlingChance[BLACK];
  m.rootCastlingChance[BLACK] = c.rootCastlingChance[WHITE];
  for (int s = 0; s < 64; ++s) m.squareMoves[s ^ MIRROR] = c.squareMoves[s];
  m.castled[WHITE] = c.castled[BLACK];
  m.castled[BLACK] = c.castled[WHITE];
  return m;
}

struct Evaluation {
  int16_t score;
  int8_t exact;
  EvalData state;
};

// evaluate for the side to move of the snapshot, from empty tables, as at the root.
Evaluation evaluateFresh(const PositionSnapshot& position, const Context& c) {
  restoreSnapshot(position);
  for (int s = 0; s < 64; ++s) Board.squareMoves[s] = c.squareMoves[s];
  Board.castled[WHITE] = c.castled[WHITE];
  Board.castled[BLACK] = c.castled[BLACK];
  EngineSettings.attackStyleCA = c.attackStyleCA;
  EngineSettings.attackStyleRI = c.attackStyleRI;
  EvalContext.rootSide = static_cast<int8_t>(c.rootSide);
  EvalContext.rootBonus[1] = c.rootBonus;
  EvalContext.searchDepth = 0;
  Ordering.ply = 1;
  EvalState.rootCastlingChance[WHITE] = c.rootCastlingChance[WHITE];
  EvalState.rootCastlingChance[BLACK] = c.rootCastlingChance[BLACK];
  clearScoreTable();
  clearPawnTable();
  Evaluation e{};
  e.score = evaluate(Board.sideToMove, 0, -9999, 9999, &e.exact);
  e.state = EvalState;
  return e;
}

bool isPawnEnding() {
  return Board.pieceCount[WHITE] == 0 && Board.pieceCount[BLACK] == 0 && Board.pawnCount[WHITE] > 0 &&
         Board.pawnCount[BLACK] > 0;
}

// Pawn ending, both colours with several pawns, passers of one colour only: the colour whose
// lone-passer bonus differs.
int lonePasserOwner(const EvalData& state) {
  if (!isPawnEnding() || Board.pawnCount[WHITE] < 2 || Board.pawnCount[BLACK] < 2) return -1;
  if (state.passerSides == 1) return WHITE;
  if (state.passerSides == 2) return BLACK;
  return -1;
}

bool wrongBishopDecided(int rule) {
  return rule == ENDGAME_RULE_WRONG_BISHOP || rule == ENDGAME_RULE_BISHOP_PAWNS;
}

// Per-colour results of the original against the other colour's in the mirror.
void expectSwappedAccumulators(const EvalData& x, const EvalData& y) {
  for (int c = WHITE; c <= BLACK; ++c) {
    const int o = c ^ 1;
    SCOPED_TRACE(testing::Message() << "colour " << c);
    EXPECT_EQ(x.balanceBonus[c], y.balanceBonus[o]);
    EXPECT_EQ(x.positionalScore[c], y.positionalScore[o]);
    EXPECT_EQ(x.pawnStructureScore[c], y.pawnStructureScore[o]);
    EXPECT_EQ(x.threatScore[c], y.threatScore[o]);
    EXPECT_EQ(x.pieceScore[c], y.pieceScore[o]);
    EXPECT_EQ(x.mobilityScore[c], y.mobilityScore[o]);
    EXPECT_EQ(x.kingSafetyScore[c], y.kingSafetyScore[o]);
    EXPECT_EQ(x.kingContactScore[c], y.kingContactScore[o]);
    EXPECT_EQ(x.passedPawnScore[c], y.passedPawnScore[o]);
    EXPECT_EQ(x.fileControl[c], y.fileControl[o]);
    EXPECT_EQ(x.castleChance[c], y.castleChance[o]);
    EXPECT_EQ(x.kingThreat[c], y.kingThreat[o]);
    EXPECT_EQ(x.raceMoves[c], y.raceMoves[o]);
    if (x.raceSquare[c] != NO_SQUARE) {
      EXPECT_EQ(x.raceSquare[c], y.raceSquare[o] ^ MIRROR);
    }
  }
  EXPECT_EQ(x.evalThreat, y.evalThreat);
  EXPECT_EQ(x.endgameRule, y.endgameRule);
}

// Tallies of the positions compared and of the stated asymmetries met.
struct MirrorCounts {
  int perPhase[PHASES] = {0, 0, 0, 0};
  int perRule[ENDGAME_RULE_LAZY + 1] = {};
  int loneBonus = 0;
};

// Evaluates the position and its mirror and compares them; false after a failure.
bool compareWithMirror(const PositionSnapshot& position, const Context& context, MirrorCounts& counts) {
  const Evaluation a = evaluateFresh(position, context);
  const int owner = lonePasserOwner(a.state);
  const int sideToMove = Board.sideToMove;
  const Evaluation b = evaluateFresh(mirrorSnapshot(position), mirrorContext(context));
  EXPECT_EQ(a.exact, 1);
  EXPECT_EQ(b.exact, 1);
  counts.perPhase[a.state.gamePhase] += 1;
  counts.perRule[a.state.endgameRule] += 1;
  if (owner >= 0) {
    // Both scores from the passer owner's point of view; the Black owner may be 50 better off.
    const int originalView = sideToMove == owner ? a.score : -a.score;
    const int mirroredView = (sideToMove ^ 1) == (owner ^ 1) ? b.score : -b.score;
    const int blackAdvantage = owner == WHITE ? mirroredView - originalView : originalView - mirroredView;
    EXPECT_TRUE(blackAdvantage == 0 || blackAdvantage == LONE_PASSER_BONUS) << blackAdvantage;
    counts.loneBonus += blackAdvantage != 0 ? 1 : 0;
    return !testing::Test::HasFailure();
  }
  if (a.state.endgameRule != b.state.endgameRule && wrongBishopDecided(a.state.endgameRule) &&
      wrongBishopDecided(b.state.endgameRule)) {
    return true;
  }
  EXPECT_EQ(a.score, b.score);
  expectSwappedAccumulators(a.state, b.state);
  return !testing::Test::HasFailure();
}

void restoreDefaultStyle() {
  EngineSettings.attackStyleCA = 0;
  EngineSettings.attackStyleRI = 0;
}

TEST(EvaluateMirror, WholeEvaluationOfRandomGamePositionsInEveryPhase) {
  useSmallPositionTables();
  std::mt19937 rng(SEED);
  const std::vector<PositionSnapshot> positions = randomGamePositions(SEED, GAMES, GAME_PLIES, INTERVAL);
  MirrorCounts counts;
  for (size_t n = 0; n < positions.size(); ++n) {
    SCOPED_TRACE(testing::Message() << "position " << n);
    if (!compareWithMirror(positions[n], randomContext(rng), counts)) break;
  }
  restoreDefaultStyle();
  for (int phase = 0; phase < PHASES; ++phase) {
    EXPECT_GE(counts.perPhase[phase], MIN_POSITIONS_PER_PHASE) << "phase " << phase;
  }
}

// ---- Random endgames: few pieces, placed at random, so that every endgame rule comes up ----

constexpr int ENDGAME_POSITIONS = 6000;
constexpr int MAX_PAWNS = 4;
constexpr int MIN_POSITIONS_PER_RULE = 20;
const char* const PIECE_SETS[] = {"", "", "", "", "N", "B", "B", "R", "R", "Q", "BN", "RB", "RN", "NN", "BB", "RR", "QR"};

// A random legal placement of kings, the given pieces (White's upper case) and pawns.
std::string randomPlacement(std::mt19937& rng, const std::string& men) {
  std::uniform_int_distribution<int> anySquare(0, 63);
  char board[64];
  std::memset(board, 0, sizeof board);
  for (char man : men) {
    for (;;) {
      const int s = anySquare(rng);
      const int rank = s / 8;
      if (board[s] != 0 || ((man == 'P' || man == 'p') && (rank == 0 || rank == 7))) continue;
      board[s] = man;
      break;
    }
  }
  std::string fen;
  for (int rank = 7; rank >= 0; --rank) {
    int empty = 0;
    for (int file = 0; file < 8; ++file) {
      const char man = board[rank * 8 + file];
      if (man == 0) {
        ++empty;
        continue;
      }
      if (empty > 0) fen += static_cast<char>('0' + empty);
      empty = 0;
      fen += man;
    }
    if (empty > 0) fen += static_cast<char>('0' + empty);
    if (rank > 0) fen += '/';
  }
  return fen;
}

std::string lowerCase(std::string text) {
  for (char& c : text) c = static_cast<char>(c - 'A' + 'a');
  return text;
}

// A playable random endgame on the board: random piece sets and pawn counts for both colours.
void setUpRandomEndgame(std::mt19937& rng) {
  std::uniform_int_distribution<int> set(0, sizeof PIECE_SETS / sizeof PIECE_SETS[0] - 1);
  std::uniform_int_distribution<int> pawns(0, MAX_PAWNS);
  std::uniform_int_distribution<int> bit(0, 1);
  for (;;) {
    std::string men = std::string("K") + "k" + PIECE_SETS[set(rng)] + lowerCase(PIECE_SETS[set(rng)]);
    men += std::string(pawns(rng), 'P') + std::string(pawns(rng), 'p');
    const int side = bit(rng);
    const std::string fen = randomPlacement(rng, men) + (side == WHITE ? " w - -" : " b - -");
    if (setUpPosition(fen) && positionIsPlayable(side)) return;
  }
}

TEST(EvaluateMirror, WholeEvaluationOfRandomEndgames) {
  useSmallPositionTables();
  std::mt19937 rng(SEED);
  MirrorCounts counts;
  for (int n = 0; n < ENDGAME_POSITIONS; ++n) {
    setUpRandomEndgame(rng);
    const PositionSnapshot position = takeSnapshot();
    SCOPED_TRACE(testing::Message() << "endgame " << n);
    if (!compareWithMirror(position, randomContext(rng), counts)) break;
  }
  restoreDefaultStyle();
  // The placements reach the special rules (the rare blockades and the lazy bound aside) and the
  // lone-passer asymmetry.
  for (int rule : {ENDGAME_RULE_PAWNLESS_DRAW, ENDGAME_RULE_PAWNLESS, ENDGAME_RULE_LONE_PAWNS, ENDGAME_RULE_PAWN_RACE,
                   ENDGAME_RULE_MINOR_NO_WIN, ENDGAME_RULE_BISHOP_PAWNS, ENDGAME_RULE_ROOK_ENDING,
                   ENDGAME_RULE_ROOK_VS_MINOR, ENDGAME_RULE_OPPOSITE_BISHOPS}) {
    EXPECT_GE(counts.perRule[rule], MIN_POSITIONS_PER_RULE) << "rule " << rule;
  }
  EXPECT_GT(counts.loneBonus, 0);
}

}  // namespace
