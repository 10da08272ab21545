// The evaluation driver: material-only answer, trade-down and exchange terms, the ScoreTable,
// the lazy estimate and the full opening/middlegame evaluation; the endgame phase goes to the endgame road.
// All score arithmetic is 16-bit signed; divisions truncate toward zero.
#include "eval/evaluate.h"

#include <algorithm>
#include <cassert>
#include <cstdlib>
#include <cstring>

#include "board/board.h"
#include "board/ordering.h"
#include "board/tables.h"
#include "config/settings.h"
#include "eval/attackmap.h"
#include "eval/endgame.h"
#include "eval/evalcontext.h"
#include "eval/evalstate.h"
#include "eval/evaltables.h"
#include "eval/kingsafety.h"
#include "eval/passedpawns.h"
#include "eval/pawnhash.h"
#include "eval/pawnterms.h"
#include "eval/pieces.h"
#include "eval/scoretable.h"

namespace {

// ---- Game phase: total piece material of both sides (pawns not counted)
constexpr int OPENING_MATERIAL = 5300;  // above: the opening
constexpr int MIDDLEGAME_MATERIAL = 4200;  // 4200..5300: the early middlegame
constexpr int ENDGAME_MATERIAL = 1770;  // 1770..4199: the late middlegame; below: the endgame

// ---- Material-only answer
constexpr int MATERIAL_ONLY_MINIMUM = 700;  // both sides together must have more

// ---- Tempo and trade-down
constexpr int TEMPO_BONUS = 2;
constexpr int TRADE_DOWN_LEAD = 80;           // material lead that starts the term
constexpr int FULL_PIECE_MATERIAL = 3320;     // one side's starting piece material
constexpr int TRADE_DOWN_DIVISOR = 40;
constexpr int TRADE_DOWN_CAP = 35;
constexpr int FEW_PAWNS = 5;                  // the leader with fewer pawns gives the other side...
constexpr int FEW_PAWNS_BASE = 6;             // ... (6 - pawns) * 5
constexpr int FEW_PAWNS_WEIGHT = 5;
constexpr int BEHIND_WITH_QUEEN_BONUS = 10;   // the engine's own side, behind but with a queen

// ---- Exchange term (before the endgame)
constexpr int EXCHANGE_THRESHOLD = 90;
constexpr int EXCHANGE_SMALL_LIMIT = 130;
constexpr int EXCHANGE_SMALL_PENALTY = 75;
constexpr int EXCHANGE_DIVISOR = 7;

// ---- Lazy estimate
constexpr int LAZY_MARGIN_BEFORE_ENDGAME = 90;  // the lazy cut of the opening and middlegame phases
constexpr int LAZY_FREE_DEPTH = 1;  // no lazy cut while searchDepth <= this
constexpr int SHELTER_WEIGHT_NUM = 5;  // shelter value * 5 / 3
constexpr int SHELTER_WEIGHT_DEN = 3;
constexpr int LAZY_CENTRE_KING_BASE = 5;
constexpr int LAZY_CENTRE_PAWN_MOVED = 4;
constexpr int LAST_PIECE_COUNT = 15;

// ---- Full evaluation
constexpr int BISHOP_PAIR_BONUS = 19;
constexpr int BISHOP_PAIR_CENTRE_PAWN = 3;
constexpr int THREAT_OWN = 31;          // own piece threatened or own king threatened
constexpr int THREAT_OWN_BOTH_KINGS = 41;
constexpr int THREAT_HANGING = 30;
constexpr int THREAT_HANGING_KING = 40;
constexpr int THREAT_ENEMY_KING = -40;
constexpr int HANGING_PAWN_WEIGHT = 3;
constexpr int THREATENED_PIECE_WEIGHT = 5;
constexpr int CENTRE_OCCUPIED = 2;
constexpr int CENTRE_CONTROLLED = 3;
constexpr int CENTRE_SQUARES[4] = {D4, E4, D5, E5};
constexpr int UNDEVELOPED_MINOR = 4;
constexpr int UNDEVELOPED_QUEEN_MOVED = 6;
constexpr int BLOCKED_CENTRE_PAWN = 20;
constexpr int KING_CONTACT_FACTOR = 3;
constexpr int MOBILITY_FACTOR = 2;
constexpr int FILE_CONTROL_FACTOR = 3;

// ---- Late-middlegame corrections
constexpr int QUEEN_ENDING_FEW_PAWNS = 5;
constexpr int QUEEN_ENDING_VERY_FEW_PAWNS = 4;
constexpr int QUEEN_ENDING_PAWN_PENALTY = 20;
constexpr int QUEEN_ENDING_LONE_PAWN_BONUS = 30;
constexpr int QUEEN_ENDING_LONE_PAWN_PENALTY = 10;
constexpr int QUEEN_ENDING_KING_DISTANCE = 2;
constexpr int PAWNLESS_QUEEN_PENALTY = 200;

constexpr int LOW_BYTE = 0xFF;

// ---- Files and ranks named by the rules
constexpr int D_FILE = 3;
constexpr int E_FILE = 4;
constexpr int FIFTH_RANK_WHITE = 4;       // rank index of White's fifth rank
constexpr int FIFTH_RANK_BLACK = 3;       // rank index of Black's fifth rank

// Development squares per colour: knights, bishops, the queen, and the blocked centre pawns.
struct DevelopmentSquares {
  int knights[2];
  int bishops[2];
  int queen;
  int ePawn, eFront, dPawn, dFront;
};
constexpr DevelopmentSquares DEVELOPMENT[2] = {
    {{B1, G1}, {C1, F1}, D1, E2, E3, D2, D3},
    {{B8, G8}, {C8, F8}, D8, E7, E6, D7, D6},
};

// Home squares of the d- and e-pawns, for the king-attack estimate of a king in the centre.
constexpr int D_PAWN_HOME[2] = {D2, D7};
constexpr int E_PAWN_HOME[2] = {E2, E7};

using Int16 = int16_t;

Int16 toInt16(int value) { return static_cast<Int16>(value); }

bool knowledgeOff() { return (EngineSettings.styleFlags & STYLE_KNOWLEDGE_OFF) != 0; }

bool hasQueen(int colour) { return Board.typeCount[colour][QUEEN] > 0; }

int kingSquareOf(int colour) { return Board.pieceList[colour][0]; }

bool isPieceAt(int square, int piece, int colour) {
  return Board.pieceAt[square] == piece && Board.colorAt[square] == colour;
}

int attackerCount(int colour, int square) { return EvalState.attackMap[colour][square] & LOW_BYTE; }

// The passed-pawn bookkeeping of the pawn files and races, to "none".
void resetPasserBookkeeping() {
  EvalData& e = EvalState;
  for (int c = WHITE; c <= BLACK; ++c) {
    e.firstPawnFile[c] = NO_FILE;
    e.lastPawnFile[c] = NO_FILE;
  }
  resetPassedPawnState();
}

// Every accumulator, counter and flag starts from zero on every call; nothing carries over.
void resetAccumulators(int side) {
  EvalData& e = EvalState;
  const int opp = side ^ 1;
  e.evalSide = static_cast<int8_t>(side);
  e.balanceBonus[opp] = 0;
  e.balanceBonus[side] = TEMPO_BONUS;
  e.balanceBonus[EvalContext.rootSide] = toInt16(e.balanceBonus[EvalContext.rootSide] + EvalContext.rootBonus[1]);
  for (int c = WHITE; c <= BLACK; ++c) {
    clearPieceAndKingTerms(c);
    e.positionalScore[c] = 0;
    e.pawnStructureScore[c] = 0;
    e.mobilityScore[c] = 0;
    e.passedPawnScore[c] = 0;
    e.fileControl[c] = 0;
    e.kingAttackEstimate[c] = 0;
    e.bishopPairScore[c] = 0;
    e.darkSquarePawns[c] = 0;
    e.castleChance[c] = 0;
    e.advancedPasserSeen[c] = 0;
    e.kingWeakness[c] = 0;
    e.kingContacts[c] = 0;
    e.kingSafetyBase[c] = 0;
  }
  e.endgameRule = ENDGAME_RULE_NONE;
  std::memset(e.pieceEvalScore, 0, sizeof e.pieceEvalScore);
  std::fill(&e.pieceEvalSquare[0][0], &e.pieceEvalSquare[0][0] + sizeof e.pieceEvalSquare, NO_SQUARE);
  e.passerSides = 0;
  resetPasserBookkeeping();
}

// Step 5. The side ahead in material likes to trade pieces, and the side behind likes to keep
// pawns.
void addTradeDownTerm() {
  EvalData& e = EvalState;
  const int white = Board.material[WHITE];
  const int black = Board.material[BLACK];
  if (std::abs(white - black) <= TRADE_DOWN_LEAD) return;
  const int leader = white > black + TRADE_DOWN_LEAD ? WHITE : BLACK;
  const int trailer = leader ^ 1;
  const int trade = (FULL_PIECE_MATERIAL - Board.pieceMaterial[trailer]) / TRADE_DOWN_DIVISOR;
  e.balanceBonus[leader] = toInt16(e.balanceBonus[leader] + std::min(TRADE_DOWN_CAP, trade));
  if (Board.pawnCount[leader] < FEW_PAWNS) {
    e.balanceBonus[trailer] =
        toInt16(e.balanceBonus[trailer] + (FEW_PAWNS_BASE - Board.pawnCount[leader]) * FEW_PAWNS_WEIGHT);
  }
  if (trailer == EvalContext.rootSide && hasQueen(trailer)) {
    e.balanceBonus[trailer] = toInt16(e.balanceBonus[trailer] + BEHIND_WITH_QUEEN_BONUS);
  }
}

// Step 6, for one colour: less piece material than the other side (a piece for pawns) costs.
void addExchangePenalty(int colour) {
  const int own = Board.pieceMaterial[colour];
  const int other = Board.pieceMaterial[colour ^ 1];
  if (other <= own + EXCHANGE_THRESHOLD) return;
  const int penalty = other < own + EXCHANGE_SMALL_LIMIT ? EXCHANGE_SMALL_PENALTY : (other - own) / EXCHANGE_DIVISOR;
  EvalState.balanceBonus[colour] = toInt16(EvalState.balanceBonus[colour] - penalty);
}

// Step 7. The cached evaluation, with this call's balance bonus added outside the cache.
bool probeCachedScore(int side, Int16* score) {
  if (!probeScoreTable(side, score)) return false;
  if (EvalState.gamePhase != PHASE_ENDGAME) {
    *score = toInt16(*score - EvalState.balanceBonus[side ^ 1] + EvalState.balanceBonus[side]);
  }
  return true;
}

// For one colour: a rough king danger from the shelter and the enemy's pieces.
int kingWeakness(int colour, int enemyPieces) {
  const int file = fileOf(kingSquareOf(colour));
  if (file >= KING_WING_FIRST_FILE) return EvalState.kingSideShelter[colour] * SHELTER_WEIGHT_NUM / SHELTER_WEIGHT_DEN;
  if (file <= QUEEN_WING_LAST_FILE) return EvalState.queenSideShelter[colour] * SHELTER_WEIGHT_NUM / SHELTER_WEIGHT_DEN;
  int w = enemyPieces + LAZY_CENTRE_KING_BASE;
  if (!isPieceAt(D_PAWN_HOME[colour], PAWN, colour)) w += LAZY_CENTRE_PAWN_MOVED;
  if (!isPieceAt(E_PAWN_HOME[colour], PAWN, colour)) w += LAZY_CENTRE_PAWN_MOVED;
  return w;
}

// Widens `margin` by the passed pawns of `owner` until the bound no longer holds.
// `stillBeyond` tells whether the estimate is still outside the window with a given margin.
template <typename Beyond>
int widenMarginForPassers(int owner, int margin, Beyond stillBeyond) {
  if ((EvalState.passerSides & (1 << owner)) == 0) return margin;
  for (int file = 0; file < 8 && stillBeyond(margin); ++file) {
    if (Board.filePawns[owner][file] == 0) continue;
    if ((EvalState.pawnFileInfo[owner][file] & PAWN_PASSED) == 0) continue;
    margin += passerBonus[owner][frontPawnRank(owner, file)];
  }
  return margin;
}

// The lazy cut: returns true with *bound set when the rough score lies far outside the window.
bool cutLazily(int side, int matDiff, int alpha, int beta, Int16* bound) {
  const EvalData& e = EvalState;
  const int opp = side ^ 1;
  evaluatePawnStructure();
  estimateKingAttack();
  const Int16 lazy = toInt16(matDiff + (e.pawnStructureScore[side] - e.pawnStructureScore[opp]) +
                             (e.kingAttackEstimate[side] - e.kingAttackEstimate[opp]) +
                             (e.balanceBonus[side] - e.balanceBonus[opp]) +
                             (e.positionalScore[side] - e.positionalScore[opp]));
  if (toInt16(lazy - LAZY_MARGIN_BEFORE_ENDGAME) > beta) {
    const int margin =
        widenMarginForPassers(opp, LAZY_MARGIN_BEFORE_ENDGAME, [&](int m) { return toInt16(lazy - m) > beta; });
    if (toInt16(lazy - margin) > beta) {
      *bound = toInt16(lazy - margin);
      return true;
    }
  } else if (toInt16(lazy + LAZY_MARGIN_BEFORE_ENDGAME) < alpha) {
    const int margin =
        widenMarginForPassers(side, LAZY_MARGIN_BEFORE_ENDGAME, [&](int m) { return toInt16(lazy + m) < alpha; });
    if (toInt16(lazy + margin) < alpha) {
      *bound = toInt16(lazy + margin);
      return true;
    }
  }
  return false;
}

// One colour's pieces: each piece's own term and its safety; the king is not scored here.
void evaluatePiecesOf(int colour) {
  EvalData& e = EvalState;
  for (int i = Board.pieceCount[colour]; i >= 1; --i) {
    const int s = Board.pieceList[colour][i];
    const int type = Board.pieceAt[s];
    Int16 v = 0;
    switch (type) {
      case KNIGHT: v = evaluateKnight(s); break;
      case BISHOP: v = evaluateBishop(s); break;
      case ROOK: v = evaluateRook(s); break;
      case QUEEN: v = evaluateQueen(s); break;
      default: assert(!"a piece list holds a king or pawn"); break;
    }
    e.pieceScore[colour] = toInt16(e.pieceScore[colour] + v);
    e.threatScore[colour] = toInt16(e.threatScore[colour] + pieceSafety(s, type));
    if (EvalContext.searchDepth < 1 && i < MAX_PIECE_RECORDS) {
      e.pieceEvalScore[colour][i] = v;
      e.pieceEvalSquare[colour][i] = static_cast<int8_t>(s);
    }
  }
}

// Two bishops are worth more while the centre files are free of pawns.
void addBishopPair() {
  EvalData& e = EvalState;
  const int centrePawns = Board.filePawns[WHITE][D_FILE] + Board.filePawns[WHITE][E_FILE] +
                          Board.filePawns[BLACK][D_FILE] + Board.filePawns[BLACK][E_FILE];
  for (int c = WHITE; c <= BLACK; ++c) {
    if (Board.typeCount[c][BISHOP] <= 1) continue;
    e.bishopPairScore[c] = toInt16(BISHOP_PAIR_BONUS - BISHOP_PAIR_CENTRE_PAWN * centrePawns);
    e.pieceScore[c] = toInt16(e.pieceScore[c] + e.bishopPairScore[c]);
  }
}

// King safety per colour, never positive.
void addKingSafety() {
  EvalData& e = EvalState;
  for (int c = WHITE; c <= BLACK; ++c) {
    e.kingSafetyScore[c] = toInt16(e.kingSafetyScore[c] + evaluateKingSafety(c));
    if (e.kingSafetyScore[c] > 0) e.kingSafetyScore[c] = 0;
  }
}

// The threat code the search reads to hold back static cut-offs.
int8_t computeThreatCode() {
  const EvalData& e = EvalState;
  const int s = e.evalSide;
  const int o = s ^ 1;
  if (e.threatenedPieces[s] > 0 || e.kingThreat[s] > 0) {
    return e.kingThreat[o] > 0 ? THREAT_OWN_BOTH_KINGS : THREAT_OWN;
  }
  if (e.hangingPawns[s] > 0 && e.threatenedPieces[o] == 0 && e.hangingPawns[s] > e.hangingPawns[o]) {
    return e.kingThreat[o] > 0 ? THREAT_HANGING_KING : THREAT_HANGING;
  }
  return e.kingThreat[o] > 0 ? THREAT_ENEMY_KING : 0;
}

// Several hanging pawns or threatened pieces of the side to move cost quadratically.
void addHangingPenalties() {
  EvalData& e = EvalState;
  const int s = e.evalSide;
  const int hanging = e.hangingPawns[s];
  const int threatened = e.threatenedPieces[s];
  if (hanging > 1) e.threatScore[s] = toInt16(e.threatScore[s] - HANGING_PAWN_WEIGHT * hanging * hanging);
  if (threatened > 1) {
    e.threatScore[s] = toInt16(e.threatScore[s] - THREATENED_PIECE_WEIGHT * threatened * threatened);
  }
}

// Occupying or solely controlling the four centre squares.
void addCentreControl() {
  EvalData& e = EvalState;
  for (int q : CENTRE_SQUARES) {
    if (Board.pieceAt[q] != NONE) {
      const int c = Board.colorAt[q];
      e.positionalScore[c] = toInt16(e.positionalScore[c] + CENTRE_OCCUPIED);
      continue;
    }
    for (int c = WHITE; c <= BLACK; ++c) {
      const int o = c ^ 1;
      if (attackerCount(c, q) > 0 && attackerCount(o, q) == 0 && Board.pawnAttacks[o][q] == 0) {
        e.positionalScore[c] = toInt16(e.positionalScore[c] + CENTRE_CONTROLLED);
      }
    }
  }
}

// Development of one colour: minor pieces left at home while castling is still possible, and a centre
// pawn blocked on its home square.
void addDevelopment(int c) {
  EvalData& e = EvalState;
  const DevelopmentSquares& d = DEVELOPMENT[c];
  if (e.castleChance[c]) {
    int athome = 0;
    for (int i = 0; i < 2; ++i) {
      athome += isPieceAt(d.knights[i], KNIGHT, c) ? 1 : 0;
      athome += isPieceAt(d.bishops[i], BISHOP, c) ? 1 : 0;
    }
    e.positionalScore[c] = toInt16(e.positionalScore[c] - UNDEVELOPED_MINOR * athome);
    const bool queenMoved = !isPieceAt(d.queen, QUEEN, c) || Board.squareMoves[d.queen] != 0;
    if (athome > 1 && queenMoved) {
      e.positionalScore[c] = toInt16(e.positionalScore[c] - UNDEVELOPED_QUEEN_MOVED * athome);
    }
  }
  const bool eBlocked = Board.pieceAt[d.ePawn] == PAWN && Board.pieceAt[d.eFront] != NONE;
  const bool dBlocked = Board.pieceAt[d.dPawn] == PAWN && Board.pieceAt[d.dFront] != NONE;
  if (eBlocked || dBlocked) e.positionalScore[c] = toInt16(e.positionalScore[c] - BLOCKED_CENTRE_PAWN);
}

// File control, then every term family into the positional score of its colour.
void sumTotals() {
  EvalData& e = EvalState;
  evaluateFileControl();
  for (int c = WHITE; c <= BLACK; ++c) {
    e.kingContactScore[c] = toInt16(e.kingContactScore[c] * KING_CONTACT_FACTOR);
    e.mobilityScore[c] = toInt16(e.mobilityScore[c] * MOBILITY_FACTOR);
    e.fileControl[c] = toInt16(e.fileControl[c] * FILE_CONTROL_FACTOR);
  }
  for (int c = WHITE; c <= BLACK; ++c) {
    e.positionalScore[c] = toInt16(e.positionalScore[c] + e.fileControl[c] + e.kingContactScore[c] +
                                   e.kingSafetyScore[c] + e.threatScore[c] + e.pieceScore[c] +
                                   e.mobilityScore[c] + e.pawnStructureScore[c] + e.passedPawnScore[c]);
  }
}

// Late middlegame, queen against queen: halved positional scores, and the stronger side needs pawns.
void correctQueenEnding() {
  EvalData& e = EvalState;
  for (int c = WHITE; c <= BLACK; ++c) e.positionalScore[c] = toInt16(e.positionalScore[c] >> 1);
  if (Board.material[WHITE] == Board.material[BLACK]) return;
  const int st = Board.material[WHITE] > Board.material[BLACK] ? WHITE : BLACK;
  const int pawns = Board.pawnCount[st];
  int correction = 0;
  if (pawns < QUEEN_ENDING_FEW_PAWNS) correction -= QUEEN_ENDING_PAWN_PENALTY;
  if (pawns < QUEEN_ENDING_VERY_FEW_PAWNS) correction -= QUEEN_ENDING_PAWN_PENALTY;
  if (pawns == 1) {
    const int p = Board.pawnList[st][1];
    const bool advanced = st == WHITE ? rankOf(p) >= FIFTH_RANK_WHITE : rankOf(p) <= FIFTH_RANK_BLACK;
    const bool escorted = BoardTables.distance[p][kingSquareOf(st)] <= QUEEN_ENDING_KING_DISTANCE;
    correction += advanced && escorted ? QUEEN_ENDING_LONE_PAWN_BONUS : -QUEEN_ENDING_LONE_PAWN_PENALTY;
  }
  e.positionalScore[st] = toInt16(e.positionalScore[st] + correction);
}

// Late middlegame, no pawns at all: a lone queen against a queen and at most a bishop more holds.
void correctPawnlessQueen() {
  EvalData& e = EvalState;
  const int queen = Board.pieceValue[QUEEN];
  const int bishop = Board.pieceValue[BISHOP];
  for (int c = WHITE; c <= BLACK; ++c) {
    const int o = c ^ 1;
    const int extra = Board.material[o] - queen;
    if (Board.material[c] == queen && extra > 0 && extra <= bishop) {
      e.positionalScore[c] = 0;
      e.positionalScore[o] = toInt16(-PAWNLESS_QUEEN_PENALTY);
    }
  }
}

void correctLateMiddlegame() {
  const int queen = Board.pieceValue[QUEEN];
  if (Board.pieceMaterial[WHITE] == queen && Board.pieceMaterial[BLACK] == queen) correctQueenEnding();
  if (Board.pawnCount[WHITE] == 0 && Board.pawnCount[BLACK] == 0) correctPawnlessQueen();
}

// The full evaluation of the opening and middlegame phases, term by term.
Int16 evaluateFully(int side, int matDiff, int8_t* exact) {
  EvalData& e = EvalState;
  const int opp = side ^ 1;
  // Exact score; count the full evaluation.
  *exact = 1;
  e.fullEvaluations += 1;
  // Attack maps of both colours, with the squares around each king.
  buildKingZones();
  buildAttackMap(side);
  buildAttackMap(opp);
  // Passed pawns.
  resetPasserBookkeeping();
  if (e.passerSides != 0) evaluatePassedPawns();
  // Pawn-by-pawn terms.
  evaluatePawnLoop(WHITE);
  evaluatePawnLoop(BLACK);
  // Pieces.
  evaluatePiecesOf(WHITE);
  evaluatePiecesOf(BLACK);
  // Bishop pair.
  addBishopPair();
  // King safety.
  addKingSafety();
  // The threat code for the search.
  e.evalThreat = computeThreatCode();
  // Hanging pawns and threatened pieces.
  addHangingPenalties();
  // Centre control.
  addCentreControl();
  // Development, in the opening only.
  if (e.gamePhase == PHASE_OPENING) {
    addDevelopment(WHITE);
    addDevelopment(BLACK);
  }
  // File control and the positional totals.
  sumTotals();
  // Queen endings and pawnless positions of the late middlegame.
  if (e.gamePhase == PHASE_LATE_MIDDLEGAME) correctLateMiddlegame();
  // The positional score goes to the cache without this call's balance bonus ...
  const Int16 cached = toInt16(matDiff + e.positionalScore[side] - e.positionalScore[opp]);
  storeScoreEntry(side, cached);
  // ... which is added for the result.
  return toInt16(cached + (e.balanceBonus[side] - e.balanceBonus[opp]));
}

}  // namespace

void computeGamePhase() {
  EvalData& e = EvalState;
  e.totalPieceMaterial = toInt16(Board.pieceMaterial[WHITE] + Board.pieceMaterial[BLACK]);
  const int total = e.totalPieceMaterial;
  if (total > OPENING_MATERIAL) {
    e.gamePhase = PHASE_OPENING;
  } else if (total >= MIDDLEGAME_MATERIAL) {
    e.gamePhase = PHASE_EARLY_MIDDLEGAME;
  } else if (total >= ENDGAME_MATERIAL) {
    e.gamePhase = PHASE_LATE_MIDDLEGAME;
  } else {
    e.gamePhase = PHASE_ENDGAME;
  }
}

// For each colour facing a queen and more than one other enemy piece: a rough king danger from
// the pawn shelter and the king's square.
void estimateKingAttack() {
  EvalData& e = EvalState;
  for (int c = WHITE; c <= BLACK; ++c) {
    const int o = c ^ 1;
    const int n = Board.pieceCount[o];
    if (!hasQueen(o) || n <= 1) continue;
    const int w = kingWeakness(c, n);
    const int k = kingSquareOf(c);
    const int estimate = (queenAttackScale[countIndex(n, LAST_PIECE_COUNT)] * w) / -2 - kingAreaWeight[c][k] * (n - 1);
    e.kingAttackEstimate[c] = toInt16(e.kingAttackEstimate[c] + estimate);
  }
}

int16_t evaluate(int side, int materialOnly, int alpha, int beta, int8_t* exact) {
  EvalData& e = EvalState;
  const int opp = side ^ 1;
  assert(side == WHITE || side == BLACK);
  // Step 1. Material balance, game phase, no threat and no exact score yet.
  const Int16 matDiff = toInt16(Board.material[side] - Board.material[opp]);
  setMaterialBalance(Ordering.ply, matDiff);
  computeGamePhase();
  e.evalThreat = 0;
  *exact = 0;
  // Step 2. With the knowledge switched off, material decides.
  if (knowledgeOff()) return matDiff;
  // Step 3. A material-only call decides on material unless little is left.
  if (materialOnly > 0 && Board.material[WHITE] + Board.material[BLACK] > MATERIAL_ONLY_MINIMUM) return matDiff;
  // Step 4. Reset the accumulators.
  resetAccumulators(side);
  // Step 5. Trading down when ahead in material.
  addTradeDownTerm();
  // Step 6. Piece material given for pawns costs, except in the endgame.
  if (e.gamePhase != PHASE_ENDGAME) {
    addExchangePenalty(side);
    addExchangePenalty(opp);
  }
  // Step 7. The cached evaluation answers when it holds this position.
  Int16 cached = 0;
  if (probeCachedScore(side, &cached)) {
    *exact = 1;
    return cached;
  }
  // Step 8. The endgame has its own evaluation.
  if (e.gamePhase == PHASE_ENDGAME) return evaluateEndgame(side, alpha, beta, exact);
  // Opening and middlegame: the lazy cut once the search is past its first plies, then the full evaluation.
  if (EvalContext.searchDepth <= LAZY_FREE_DEPTH) {
    evaluatePawnStructure();
  } else {
    Int16 bound = 0;
    if (cutLazily(side, matDiff, alpha, beta, &bound)) return bound;
  }
  return evaluateFully(side, matDiff, exact);
}
