// Passed pawns: their value by rank, free path, king distances, rook and king support and
// catchability, connected and outside passers; in pawn endings the race data as well.
// Every rule is written once for the pawn's colour `c`; ranks are read from c's side.
#include "eval/passedpawns.h"

#include <cassert>
#include <cstdlib>

#include "board/board.h"
#include "board/tables.h"
#include "config/settings.h"
#include "eval/evalcontext.h"
#include "eval/evalstate.h"
#include "eval/evaltables.h"
#include "eval/pawnterms.h"

namespace {

// ---- Files and ranks (rank indices from the pawn owner's side) ----
constexpr int A_FILE = 0;
constexpr int B_FILE = 1;
constexpr int D_FILE = 3;
constexpr int E_FILE = 4;
constexpr int G_FILE = 6;
constexpr int H_FILE = 7;
constexpr int START_RANK = 1;   // a pawn here may double step
constexpr int SHIELD_RANK = 3;  // the own king shields pawns from this rank on (one later when not to move)
constexpr int RANK_5 = 4;
constexpr int RANK_6 = 5;
constexpr int RANK_7 = 6;
constexpr int PROMOTION_RANK = 7;

// ---- Value of a passed pawn by its rank ----
constexpr int16_t passerBase[8] = {0, 10, 20, 35, 50, 80, 125, 0};
constexpr int16_t kingEscortBonus[8] = {0, 0, 0, 10, 15, 25, 50, 0};
constexpr int16_t protectedPasserBonus[8] = {0, 0, 0, 5, 20, 35, 50, 0};

// ---- King distances ----
constexpr int16_t stopSquareKing[8] = {-20, -18, -14, -10, -6, -2, 0, 0};  // enemy king to stop square
constexpr int16_t ownKingSupport[8] = {0, 30, 20, 12, 6, 3, 0, 0};         // beyond 7: nothing
constexpr int KING_BEHIND_PAWN_MEASURE = 3;  // support measure of a king right behind its pawn

// ---- By the enemy's piece count ----
constexpr int16_t unstoppableBonus[6] = {300, 100, 35, 25, 15, 5};
constexpr int16_t outsidePasserBonus[9] = {128, 48, 24, 12, 6, 3, 2, 1, 0};

// ---- Passers with pieces on the board ----
constexpr int DOUBLED_PASSER_PENALTY = 25;
constexpr int STYLE_RANK_WEIGHT = 6;          // attack-style settings, per rank
constexpr int LOW_MATERIAL_LIMIT = 1600;      // enemy piece material below this raises the passer
constexpr int LOW_MATERIAL_STEP = 50;
constexpr int MATERIAL_HUNDREDS_LIMIT = 19;   // the same in hundreds, weighted by rank
constexpr int RANK_WEIGHT_SHIFT = 2;
constexpr int BLOCKED_STOP_SQUARE = 10;       // blocker count when an enemy stands on the stop square
constexpr int ROOK_ENDING_NEAR_KING = 2;      // rook endings: enemy king farther than this from the stop square
constexpr int RUNNER_SEVENTH_BONUS = 100;
constexpr int KING_NEXT_TO_RUNNER = 2;        // own king closer than this to the pawn's next square
constexpr int RUNNER_KING_WEIGHT = 20;
constexpr int FAR_KING_DISTANCE = 2;          // own king farther than this from the stop square
constexpr int ESCORT_PROMOTION_BONUS = 25;
constexpr int ESCORT_FEW_PIECES = 4;
constexpr int ESCORT_BASE = 100;
constexpr int ESCORT_PER_PIECE = 30;

// ---- Connected passers ----
constexpr int CONNECTED_PAIR = 30;
constexpr int CONNECTED_TRIPLE = 60;
constexpr int CONNECTED_RANK_BONUS = 30;
constexpr int CONNECTED_ADVANCED = 125;
constexpr int CONNECTED_FREE = 250;
constexpr int CONNECTED_WINNING = 630;

// ---- Pawn endings ----
constexpr int ENDING_KING_RACE_WEIGHT = 4;
constexpr int ENDING_KING_ESCORT = 100;
constexpr int ENDING_NEIGHBOUR_PASSER = 50;
constexpr int ENDING_LONE_PASSER = 50;

int16_t pieceValueOf(int piece) { return Board.pieceValue[piece]; }

bool hasPassers(int colour) { return (EvalState.passerSides & (1u << colour)) != 0; }

bool isInsideBoard(int s) { return s >= A1 && s <= H8; }

// Squares ahead of the pawn (stop square first), up to and including the promotion square.
int squaresAhead(int colour, int s) { return PROMOTION_RANK - relativeRankOf(colour, s); }

// A pawn on its first move counts one rank further (it may double step).
int effectiveRank(int colour, int s) {
  const int r = relativeRankOf(colour, s);
  return r == START_RANK ? START_RANK + 1 : r;
}

bool enemyInFront(int colour, int s) {
  const int step = forwardStep(colour);
  for (int t = s + step, n = squaresAhead(colour, s); n > 0; t += step, --n) {
    if (Board.colorAt[t] == (colour ^ 1)) return true;
  }
  return false;
}

// Enemy occupants in front of the pawn; BLOCKED_STOP_SQUARE when one stands on the stop square.
int countBlockers(int colour, int s) {
  const int step = forwardStep(colour);
  if (Board.colorAt[s + step] == (colour ^ 1)) return BLOCKED_STOP_SQUARE;
  int blockers = 0;
  for (int t = s + step, n = squaresAhead(colour, s); n > 0; t += step, --n) {
    if (Board.colorAt[t] == (colour ^ 1)) ++blockers;
  }
  return blockers;
}

// Colour of the rook standing behind the pawn with nothing between (EMPTY when there is none).
int rookBehind(int colour, int s) {
  const int step = forwardStep(colour);
  for (int t = s - step; isInsideBoard(t); t -= step) {
    if (Board.pieceAt[t] == NONE) continue;
    return Board.pieceAt[t] == ROOK ? Board.colorAt[t] : EMPTY;
  }
  return EMPTY;
}

// Attack-style settings raise the engine's own passers or lower the opponent's.
int styleTerm(int colour, int r) {
  const bool ownSide = colour == EvalContext.rootSide;
  if (EngineSettings.attackStyleRI && ownSide) return STYLE_RANK_WEIGHT * r;
  if (!EngineSettings.attackStyleRI && EngineSettings.attackStyleCA && !ownSide) return -STYLE_RANK_WEIGHT * r;
  return 0;
}

// The pawn's way to the promotion square is open (no blocker): control of the promotion square,
// catchability and whether it simply runs.
int freePathTerm(int colour, int s, int r, int rookColour, bool catches) {
  const int enemy = colour ^ 1;
  const int q = promotionSquareOf(colour, s);
  const int rookHelp = rookColour == colour ? 1 : 0;
  const bool controlled = pieceAttackers(enemy, q) <= pieceAttackers(colour, q) + rookHelp ||
                          EvalState.attackMap[enemy][q] < EvalState.attackMap[colour][q];
  if (!controlled) return 0;
  int v = 2 * r;
  if (rookColour == enemy || catches) return catches ? v - passerBase[r] / 3 : v;
  const int step = forwardStep(colour);
  for (int t = s + step, n = squaresAhead(colour, s); n > 0; t += step, --n) {
    if (pieceAttackers(enemy, t) > pieceAttackers(colour, t) + rookHelp) return v;
  }
  if (r == RANK_7 && EvalState.evalSide == colour) v += RUNNER_SEVENTH_BONUS;
  v += passerBase[r] / 3;
  if (EvalState.gamePhase == 3) v += unstoppableBonus[countIndex(Board.pieceCount[enemy], 5)];
  return v;
}

// Endgame only: a pawn near promotion against a lone rook or queen, or a catchable pawn
// against fewer pieces.
int lowMaterialTerm(int colour, int s, int r, int blockers, bool catches) {
  const int enemy = colour ^ 1;
  const int enemyMaterial = Board.pieceMaterial[enemy];
  const int king = kingSquare(colour);
  if (enemyMaterial == pieceValueOf(ROOK) || enemyMaterial == pieceValueOf(QUEEN)) {
    const int t = EvalState.evalSide == colour ? s + forwardStep(colour) : s;
    if (relativeRankOf(colour, t) >= RANK_6 && BoardTables.distance[king][t] < KING_NEXT_TO_RUNNER && !catches) {
      return RUNNER_KING_WEIGHT * r;
    }
  } else if (enemyMaterial < pieceValueOf(ROOK) && catches &&
             BoardTables.distance[king][s + forwardStep(colour)] > FAR_KING_DISTANCE) {
    if (Board.pieceCount[enemy] == 0) return -2 * (passerBase[r] / 2);
    if (blockers > 0) return -(passerBase[r] / 2);
  }
  return 0;
}

// Own king behind, beside or in front of a far advanced pawn, and escorting it.
int kingSupportTerm(int colour, int s, int r) {
  const int enemy = colour ^ 1;
  const int king = kingSquare(colour);
  const int stop = s + forwardStep(colour);
  const int q = promotionSquareOf(colour, s);
  int v = 0;
  if (r >= RANK_5) {
    int d = KING_BEHIND_PAWN_MEASURE;
    if (king != s - forwardStep(colour)) {
      d = BoardTables.taxicab[king][stop] + (fileOf(king) == fileOf(s) ? 1 : 0) + (king == stop ? 1 : 0);
    }
    if (d < 8) v += ownKingSupport[d];
  }
  if (Board.colorAt[stop] != enemy && BoardTables.distance[king][stop] == 1) {
    v += kingEscortBonus[r];
    if (BoardTables.distance[king][q] == 1) {
      v += ESCORT_PROMOTION_BONUS;
      if (Board.pieceCount[enemy] < ESCORT_FEW_PIECES) v += ESCORT_BASE - ESCORT_PER_PIECE * Board.pieceCount[enemy];
    }
  }
  return v;
}

// Middlegame (phase 2) and endgame terms of a passed pawn on s.
int advancedPhaseTerms(int colour, int s, int r) {
  const int enemy = colour ^ 1;
  const int enemyMaterial = Board.pieceMaterial[enemy];
  const int stop = s + forwardStep(colour);
  int v = 0;
  // Step a. Few enemy pieces.
  if (enemyMaterial < LOW_MATERIAL_LIMIT) v += (LOW_MATERIAL_LIMIT - enemyMaterial) / LOW_MATERIAL_STEP;
  // Steps b and c. Rook behind and blockers in front.
  const int rookColour = rookBehind(colour, s);
  const int blockers = countBlockers(colour, s);
  // Step d. Enemy king and the stop square; rook endings.
  const int k = BoardTables.distance[stop][kingSquare(enemy)];
  v += stopSquareKing[k];
  const int rook = pieceValueOf(ROOK);
  if (Board.pieceMaterial[WHITE] == rook && Board.pieceMaterial[BLACK] == rook && r > RANK_5 && k > ROOK_ENDING_NEAR_KING) {
    v += rookColour == colour ? 3 * r : r;
  }
  // Steps e and f. Free or blocked path.
  const bool catches = kingCatchesPawn(colour, s) == 1;
  if (blockers == 0) {
    v += freePathTerm(colour, s, r, rookColour, catches);
  } else {
    v -= passerBase[r] / 3;
  }
  // Step g. Endgame against little material.
  if (EvalState.gamePhase == 3) v += lowMaterialTerm(colour, s, r, blockers, catches);
  // Step h. Enemy material in hundreds.
  const int hundreds = enemyMaterial / 100;
  if (hundreds < MATERIAL_HUNDREDS_LIMIT) v += ((MATERIAL_HUNDREDS_LIMIT - hundreds) * r) >> RANK_WEIGHT_SHIFT;
  // Steps i and j. Own king.
  return v + kingSupportTerm(colour, s, r);
}

// Passers on neighbouring files, by how far both have come.
int connectedTerm(int colour, int file, int s, int r) {
  if (file >= H_FILE || !hasPasserOnFile(colour, file + 1)) return 0;
  const int enemy = colour ^ 1;
  const int s2 = frontPawnSquare(colour, file + 1);
  const int r2 = relativeRankOf(colour, s2);
  int v = file < G_FILE && hasPasserOnFile(colour, file + 2) ? CONNECTED_TRIPLE : CONNECTED_PAIR;
  if (r < RANK_6) {
    if (r == RANK_5 && r2 >= RANK_6) v += CONNECTED_RANK_BONUS;
    return v;
  }
  if (r2 == RANK_5) return v + CONNECTED_RANK_BONUS;
  if (r2 < RANK_6) return v;
  const int enemyMaterial = Board.pieceMaterial[enemy];
  const int step = forwardStep(colour);
  const bool stopsFree = enemyMaterial < pieceValueOf(QUEEN) && Board.colorAt[s + step] != enemy &&
                         Board.colorAt[s2 + step] != enemy;
  if (stopsFree && enemyMaterial <= pieceValueOf(ROOK) &&
      (kingCatchesPawn(colour, s) == 0 || kingCatchesPawn(colour, s2) == 0)) {
    return v + CONNECTED_WINNING;
  }
  return v + (stopsFree ? CONNECTED_FREE : CONNECTED_ADVANCED);
}

// Value of the passed pawn at the front of `file` with pieces on the board.
int passerWithPieces(int colour, int file) {
  const int enemy = colour ^ 1;
  const int s = frontPawnSquare(colour, file);
  const int r = relativeRankOf(colour, s);
  assert(r > 0 && r < PROMOTION_RANK);
  EvalState.lastPasserSquare[colour] = static_cast<int8_t>(s);
  int v = passerBase[r];
  if (EvalState.pawnFileInfo[colour][file] & PAWN_DOUBLED) v -= DOUBLED_PASSER_PENALTY;
  if (EvalState.evalSide == enemy && r >= RANK_6) EvalState.kingThreat[enemy] = 1;
  v += styleTerm(colour, r);
  if (EvalState.gamePhase < 2) {
    if (enemyInFront(colour, s)) v -= passerBase[r] / 3;
  } else {
    v += advancedPhaseTerms(colour, s, r);
  }
  if (Board.pawnAttacks[colour][s] > 0) v += protectedPasserBonus[r];
  return v + connectedTerm(colour, file, s, r);
}

// Value of the passed pawn at the front of `file` in a king-and-pawn ending; records the race.
int passerInPawnEnding(int colour, int file) {
  const int enemy = colour ^ 1;
  const int s = frontPawnSquare(colour, file);
  const int r = relativeRankOf(colour, s);
  const int stop = s + forwardStep(colour);
  const int q = promotionSquareOf(colour, s);
  const int king = kingSquare(colour);
  const int enemyKing = kingSquare(enemy);
  EvalState.lastPasserSquare[colour] = static_cast<int8_t>(s);
  int v = 2 * (ENDING_KING_RACE_WEIGHT * (BoardTables.taxicab[enemyKing][stop] - BoardTables.taxicab[king][stop]) +
               passerBase[r]);
  if (BoardTables.distance[king][q] <= 1 && BoardTables.distance[king][stop] <= 1) v += ENDING_KING_ESCORT;
  if (file < H_FILE && hasPasserOnFile(colour, file + 1)) v += ENDING_NEIGHBOUR_PASSER;
  if (Board.pieceCount[WHITE] == 0 && Board.pieceCount[BLACK] == 0 && kingCatchesPawn(colour, s) == 0) {
    int moves = PROMOTION_RANK - effectiveRank(colour, s);
    if (fileOf(king) == fileOf(s) && relativeRankOf(colour, king) >= r) ++moves;
    if (moves < EvalState.raceMoves[colour]) {
      EvalState.raceMoves[colour] = static_cast<int8_t>(moves);
      EvalState.raceSquare[colour] = static_cast<int8_t>(q);
    }
  }
  return v;
}

// Runs `valuePasser` over every passed pawn of both colours into passedPawnScore.
void valueAllPassers(int (*valuePasser)(int, int)) {
  for (int colour = WHITE; colour <= BLACK; ++colour) {
    int16_t total = 0;
    for (int file = A_FILE; file <= H_FILE; ++file) {
      if (!hasPasserOnFile(colour, file)) continue;
      const int16_t value = static_cast<int16_t>(valuePasser(colour, file));
      EvalState.passerValue[colour][file] = value;
      EvalState.passerSquare[colour][file] = static_cast<int8_t>(frontPawnSquare(colour, file));
      total = static_cast<int16_t>(total + value);
    }
    if (hasPassers(colour)) EvalState.passedPawnScore[colour] = total;
  }
}

// The colour's outermost pawn on a wing is a passer beyond every enemy pawn.
bool hasOutsidePasser(int colour) {
  const int enemy = colour ^ 1;
  const int first = EvalState.firstPawnFile[colour];
  const int last = EvalState.lastPawnFile[colour];
  if (first >= 0 && first <= D_FILE && first < EvalState.firstPawnFile[enemy] && hasPasserOnFile(colour, first)) {
    return true;
  }
  return last >= E_FILE && last > EvalState.lastPawnFile[enemy] && hasPasserOnFile(colour, last);
}

bool bothHaveSeveralPawns() { return Board.pawnCount[WHITE] > 1 && Board.pawnCount[BLACK] > 1; }

int16_t outsideBonus(int colour) {
  return outsidePasserBonus[countIndex(Board.pieceCount[colour ^ 1], 8)];
}

void addPasserScore(int colour, int value) {
  EvalState.passedPawnScore[colour] = static_cast<int16_t>(EvalState.passedPawnScore[colour] + value);
}

}  // namespace

bool hasPasserOnFile(int colour, int file) {
  return Board.filePawns[colour][file] > 0 && (EvalState.pawnFileInfo[colour][file] & PAWN_PASSED) != 0;
}

void resetPassedPawnState() {
  for (int colour = WHITE; colour <= BLACK; ++colour) {
    EvalState.lastPasserSquare[colour] = NO_SQUARE;
    EvalState.raceMoves[colour] = RACE_NONE;
    EvalState.raceSquare[colour] = NO_SQUARE;
    for (int file = A_FILE; file <= H_FILE; ++file) {
      EvalState.passerValue[colour][file] = 0;
      EvalState.passerSquare[colour][file] = NO_SQUARE;
    }
  }
}

void recordPawnFileExtremes() {
  for (int colour = WHITE; colour <= BLACK; ++colour) {
    EvalState.firstPawnFile[colour] = NO_FILE;
    EvalState.lastPawnFile[colour] = NO_FILE;
    for (int file = A_FILE; file <= H_FILE; ++file) {
      if (Board.filePawns[colour][file] == 0) continue;
      if (EvalState.firstPawnFile[colour] < 0) EvalState.firstPawnFile[colour] = static_cast<int8_t>(file);
      EvalState.lastPawnFile[colour] = static_cast<int8_t>(file);
    }
  }
}

// Rule of the square, with the pawn's double step, the side to move and the own king shielding
// the path on the neighbouring file.
int16_t kingCatchesPawn(int colour, int s) {
  const int enemyKing = kingSquare(colour ^ 1);
  const int king = kingSquare(colour);
  const int file = fileOf(s);
  const int q = promotionSquareOf(colour, s);
  const bool toMove = EvalState.evalSide == colour;
  const auto& distance = BoardTables.distance;
  // Step 1. Double step from the starting rank.
  const int r = effectiveRank(colour, s);
  // Step 2. The enemy king is already behind the pawn.
  if (r > relativeRankOf(colour, enemyKing) + (toMove ? 0 : 1)) return 0;
  // Step 3. The pawn outruns the king.
  const int movesLeft = (toMove ? PROMOTION_RANK : PROMOTION_RANK + 1) - r;
  if (movesLeft < distance[enemyKing][q]) return 0;
  // Step 4. The own king shields the path.
  if (file == A_FILE || file == H_FILE) {
    const int shieldFile = file == A_FILE ? B_FILE : G_FILE;
    if (fileOf(king) == shieldFile && distance[king][q] < distance[enemyKing][q]) return 0;
  } else if (std::abs(fileOf(king) - file) == 1 && distance[king][q] <= distance[enemyKing][q] &&
             r >= (toMove ? SHIELD_RANK : SHIELD_RANK + 1)) {
    return 0;
  }
  return 1;
}

void evaluatePassedPawns() {
  recordPawnFileExtremes();
  valueAllPassers(passerWithPieces);
  if (!bothHaveSeveralPawns()) return;
  for (int colour = WHITE; colour <= BLACK; ++colour) {
    if (hasOutsidePasser(colour)) addPasserScore(colour, outsideBonus(colour));
  }
}

// The lone-passer bonus differs by colour: White gets it only with an outside passer while Black
// has no passer, Black whenever White has no passer.
void evaluatePawnEndingPassers() {
  recordPawnFileExtremes();
  valueAllPassers(passerInPawnEnding);
  if (!bothHaveSeveralPawns()) return;
  if (hasOutsidePasser(WHITE)) {
    addPasserScore(WHITE, outsideBonus(WHITE));
    if (!hasPassers(BLACK)) addPasserScore(WHITE, ENDING_LONE_PASSER);
  }
  if (hasOutsidePasser(BLACK)) addPasserScore(BLACK, outsideBonus(BLACK));
  if (!hasPassers(WHITE)) addPasserScore(BLACK, ENDING_LONE_PASSER);
}
