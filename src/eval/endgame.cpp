// The endgame road of evaluate (the endgame phase, after a ScoreTable miss): positions without pawns,
// kings and pawns only, and pieces with pawns, followed by the rules for special material.
// `st` is the stronger side by material (Black on equal material), `wk` the other one.
#include "eval/endgame.h"

#include <array>
#include <cassert>
#include <cstdlib>

#include "board/attack.h"
#include "board/board.h"
#include "board/tables.h"
#include "eval/attackmap.h"
#include "eval/evalcontext.h"
#include "eval/evalstate.h"
#include "eval/evaltables.h"
#include "eval/passedpawns.h"
#include "eval/pawnhash.h"
#include "eval/pawnterms.h"
#include "eval/pieces.h"
#include "eval/scoretable.h"

namespace {

using SquareTable = std::array<int16_t, 64>;
constexpr int SQUARE_MIRROR = 56;  // square ^ 56 mirrors the ranks

// Vertical mirror of a square table (rank 1 becomes rank 8).
constexpr SquareTable mirrorRanks(const SquareTable& table) {
  SquareTable mirrored{};
  for (int s = 0; s < 64; ++s) mirrored[s ^ SQUARE_MIRROR] = table[s];
  return mirrored;
}

// ---- Square tables (rows rank 1 to 8, files a to h) ----

// Weak king's square when one side has only its king: drive it to the edge and the corners.
constexpr SquareTable mateTable = {
    75, 70, 65, 60, 60, 65, 70, 75,  //
    70, 50, 40, 30, 30, 40, 50, 70,  //
    65, 40, 30, 20, 20, 30, 40, 65,  //
    60, 30, 20, 10, 10, 20, 30, 60,  //
    60, 30, 20, 10, 10, 20, 30, 60,  //
    65, 40, 30, 20, 20, 30, 40, 65,  //
    70, 50, 40, 30, 30, 40, 50, 70,  //
    75, 70, 65, 60, 60, 65, 70, 75};

// Bishop and knight: the weak king belongs in a corner of the bishop's colour.
constexpr SquareTable bishopKnightMateDark = {
    90, 40, 20, 10, -2, -3, -4, -5,  //
    40, 20, 10, 5,  -1, -2, -3, -4,  //
    20, 10, 5,  1,  -2, -1, -2, -3,  //
    10, 5,  1,  -3, -3, -2, -1, -2,  //
    -2, -1, -2, -3, -3, 1,  5,  10,  //
    -3, -2, -1, -2, 1,  5,  10, 20,  //
    -4, -3, -2, -1, 5,  10, 20, 40,  //
    -5, -4, -3, -2, 10, 20, 40, 90};
constexpr SquareTable bishopKnightMateLight = mirrorRanks(bishopKnightMateDark);

// Kings in the centre when both sides have pieces and there are no pawns.
constexpr SquareTable pawnlessKingTable = {
    0,  6,  12, 18, 18, 12, 6,  0,   //
    6,  12, 18, 24, 24, 18, 12, 6,   //
    12, 18, 24, 30, 30, 24, 18, 12,  //
    18, 24, 30, 36, 36, 30, 24, 18,  //
    18, 24, 30, 36, 36, 30, 24, 18,  //
    12, 18, 24, 30, 30, 24, 18, 12,  //
    6,  12, 18, 24, 24, 18, 12, 6,   //
    0,  6,  12, 18, 18, 12, 6,  0};

// Rook against a minor piece: the minor side's king on the edge.
constexpr SquareTable rookVsMinorTable = {
    30, 30, 30, 30, 30, 30, 30, 30,  //
    30, 15, 15, 15, 15, 15, 15, 30,  //
    30, 15, 5,  5,  5,  5,  15, 30,  //
    30, 15, 5,  0,  0,  5,  15, 30,  //
    30, 15, 5,  0,  0,  5,  15, 30,  //
    30, 15, 5,  5,  5,  5,  15, 30,  //
    30, 15, 15, 15, 15, 15, 15, 30,  //
    30, 30, 30, 30, 30, 30, 30, 30};

// By the number of free squares around the king (0..9).
constexpr int16_t kingMobility[10] = {-35, -15, -5, 2, 5, 10, 10, 10, 10, 0};

// ---- Files and ranks ----
constexpr int A_FILE = 0;
constexpr int H_FILE = 7;
constexpr int RANK_5 = 4;  // rank indices from the pawn owner's side
constexpr int RANK_6 = 5;
constexpr int PROMOTION_RANK = 7;

// ---- Pawnless endings ----
constexpr int MATE_DISTANCE_BASE = 70;     // lone king: (base - king distance) x weight
constexpr int MATE_DISTANCE_WEIGHT = 3;
constexpr int MINOR_DEFENCE_BONUS = 50;    // rook against a minor piece
constexpr int ROOK_V_MINOR_BASE = 10;      // rook against a minor piece with pawns
constexpr int KNIGHT_FAR_FROM_KING = 4;
constexpr int KNIGHT_FAR_WEIGHT = 15;
constexpr int QUEEN_V_ROOK_PENALTY = 200;
constexpr int ROOK_KNIGHT_V_ROOK_DEFENCE = 250;
constexpr int ROOK_BISHOP_V_ROOK_DEFENCE = 150;

// ---- Kings and pawns ----
constexpr int UNSTOPPABLE_PASSER = 600;
constexpr int RACE_WIN = 500;
constexpr int SOLE_PASSER_BONUS = 100;
constexpr int PAWN_FILE_WEIGHT = 70;
constexpr int KING_PAWN_DISTANCE_WEIGHT = 8;
constexpr int DEFENDED_PASSER_BONUS = 100;
constexpr int KINGS_OUTSIDE_WEIGHT = 15;
constexpr int KING_LOSES_PAWN = 70;
constexpr int KPK_RANK_WEIGHT = 25;
constexpr int KPK_KEY_SQUARE_BONUS = 300;
constexpr int KPK_PROMOTION_BASE = 18;
constexpr int KPK_ROOK_PAWN_WEIGHT = 5;

// ---- Pieces and pawns ----
constexpr int LAZY_MARGIN_ENDGAME = 75;      // the lazy cut of the endgame phase
constexpr int PASSER_MARGIN_FACTOR = 3;     // widening per passer that no king catches
constexpr int PASSER_MARGIN_PIECES = 3;     // ... while the defender has fewer pieces than this
constexpr int EXCHANGE_THRESHOLD = 90;
constexpr int EXCHANGE_NEAR = 130;
constexpr int EXCHANGE_PENALTY = 75;
constexpr int ENDGAME_EXCHANGE_DIVISOR = 6;
constexpr int8_t THREAT_PIECES = 31;
constexpr int8_t THREAT_PAWNS = 30;
constexpr int BISHOP_AND_PAWNS_BONUS = 200;
constexpr int EXTRA_DEFENDER_PAWNS = 2;     // bishop side keeps its bonus against this many more pawns
constexpr int WRONG_BISHOP_SCORE = 10;
constexpr int OPPOSITE_BISHOPS_MATERIAL = 150;
constexpr int OPPOSITE_BISHOPS_SCALE = 75;  // percent, with a larger material difference
constexpr int PERCENT = 100;
constexpr int OPPOSITE_ONE_PAWN_SCORE = 10;
constexpr int OPPOSITE_TWO_PAWNS_SCORE = 20;

// ---- Rook endings ----
constexpr int ROOK_EXTRA_PAWN_DEFENCE = 20;
constexpr int ROOK_CUT_OFF_WEIGHT = 15;
constexpr int PASSER_BEYOND_KING = 20;
constexpr int ROOK_PAWN_SHIFT = 3;          // rook and pawn against rook: terms divided by 8
constexpr int ROOK_PAWN_KING_BASE = 10;
constexpr int DEFENDER_KING_BASE = 20;
constexpr int DEFENDER_KING_BEHIND = 40;
constexpr int DEFENDER_ROOK_PLACED = 10;
constexpr int ROOK_CHECKING_RANK = 5;       // defender's rook on the sixth rank (attacker's view)
constexpr int ROOK_BACK_RANKS = 1;          // defender's rook on the first two ranks
constexpr int CUT_OFF_FILES = 1;            // defending king more files than this from the pawn
constexpr int CUT_OFF_ROOK_BONUS = 20;
constexpr int CUT_OFF_FAR_BONUS = 50;
constexpr int CUT_OFF_FILE_WEIGHT = 5;

int16_t pieceValueOf(int piece) { return Board.pieceValue[piece]; }
int distanceOf(int a, int b) { return BoardTables.distance[a][b]; }
int strongerSide() { return Board.material[WHITE] <= Board.material[BLACK] ? BLACK : WHITE; }
bool isRookFile(int file) { return file == A_FILE || file == H_FILE; }
// File x lies strictly between files a and b (in either order).
bool isStrictlyBetween(int x, int a, int b) { return (a < x && x < b) || (b < x && x < a); }

void addPositional(int colour, int value) {
  EvalState.positionalScore[colour] = static_cast<int16_t>(EvalState.positionalScore[colour] + value);
}

// `colour` has exactly one piece besides the king, of the given type.
bool hasOnly(int colour, int piece) {
  return Board.pieceCount[colour] == 1 && Board.pieceAt[Board.pieceList[colour][1]] == piece;
}

// `colour` has exactly two pieces besides the king, of the two given types (in any order).
bool hasOnlyPair(int colour, int first, int second) {
  if (Board.pieceCount[colour] != 2) return false;
  const int a = Board.pieceAt[Board.pieceList[colour][1]];
  const int b = Board.pieceAt[Board.pieceList[colour][2]];
  return (a == first && b == second) || (a == second && b == first);
}

bool hasSameColouredBishops(int colour) {
  return hasOnlyPair(colour, BISHOP, BISHOP) &&
         isDarkSquare(Board.pieceList[colour][1]) == isDarkSquare(Board.pieceList[colour][2]);
}

bool hasMinorOnly(int colour) { return hasOnly(colour, KNIGHT) || hasOnly(colour, BISHOP); }

bool allPawnsOnOneFile(int colour) {
  return Board.filePawns[colour][fileOf(Board.pawnList[colour][1])] == Board.pawnCount[colour];
}

int16_t materialDifference(int side) {
  return static_cast<int16_t>(Board.material[side] - Board.material[side ^ 1]);
}

int16_t positionalDifference(int side) {
  return static_cast<int16_t>(EvalState.positionalScore[side] - EvalState.positionalScore[side ^ 1]);
}

int16_t usualResult(int side) {
  return static_cast<int16_t>(materialDifference(side) + positionalDifference(side));
}

// Both positional values replaced: `winner` keeps a token advantage, material no longer counts.
int16_t tokenResult(int side, int winner, int value) {
  EvalState.positionalScore[WHITE] = 0;
  EvalState.positionalScore[BLACK] = 0;
  EvalState.positionalScore[winner] = static_cast<int16_t>(value);
  return positionalDifference(side);
}

int16_t storeResult(int side, int16_t score) {
  storeScoreEntry(side, score);
  return score;
}

// ---- Common start ----

void startEndgame(int8_t* exact) {
  for (int colour = WHITE; colour <= BLACK; ++colour) {
    EvalState.positionalScore[colour] = EvalState.balanceBonus[colour];
    clearPieceAndKingTerms(colour);
  }
  resetPassedPawnState();
  EvalState.endgameRule = ENDGAME_RULE_NONE;
  *exact = 1;
  EvalState.fullEvaluations += 1;
}

// ---- No pawns on the board ----

bool isPawnlessDraw(int st) {
  const int wk = st ^ 1;
  const int rook = pieceValueOf(ROOK);
  const int stMaterial = Board.pieceMaterial[st];
  const int wkMaterial = Board.pieceMaterial[wk];
  if (Board.pieceCount[st] > 0 && Board.pieceCount[wk] > 0) {
    if (stMaterial < rook && wkMaterial < rook) return true;
    return stMaterial == wkMaterial && stMaterial <= pieceValueOf(QUEEN);
  }
  if (Board.pieceCount[st] == 0) return Board.pieceCount[wk] == 0;
  if (Board.pieceCount[wk] > 0) return false;
  return hasOnlyPair(st, KNIGHT, KNIGHT) || stMaterial < rook || hasSameColouredBishops(st);
}

int16_t evaluateNoPawns(int side) {
  if (isPawnlessDraw(strongerSide())) {
    EvalState.endgameRule = ENDGAME_RULE_PAWNLESS_DRAW;
    return DRAW_SCORE;
  }
  evaluatePawnless(side);
  EvalState.endgameRule = ENDGAME_RULE_PAWNLESS;
  return storeResult(side, usualResult(side));
}

// ---- Kings and pawns only ----

// One side has no pawns: unstoppable passers, else the stronger side's pawns against the king.
int16_t evaluateLonePawns(int side) {
  EvalState.endgameRule = ENDGAME_RULE_LONE_PAWNS;
  if (EvalState.raceMoves[WHITE] != RACE_NONE) {
    addPositional(WHITE, UNSTOPPABLE_PASSER);
  } else if (EvalState.raceMoves[BLACK] != RACE_NONE) {
    addPositional(BLACK, UNSTOPPABLE_PASSER);
  } else {
    EvalState.positionalScore[WHITE] = 0;
    EvalState.positionalScore[BLACK] = 0;
    const int st = strongerSide();
    if (Board.pawnCount[st] > 0) {
      if (allPawnsOnOneFile(st)) {
        const int file = fileOf(Board.pawnList[st][1]);
        addPositional(st, kingPawnVsKing(st, frontPawnSquare(st, file)));
      } else {
        addPositional(st, UNSTOPPABLE_PASSER);
      }
    }
  }
  return positionalDifference(side);
}

// Both kings on the same side beyond all pawns, on different files: each gets the way the enemy
// king has to its outermost front pawn on that side.
void scoreKingsBeyondPawns() {
  const int whiteKingFile = fileOf(kingSquare(WHITE));
  const int blackKingFile = fileOf(kingSquare(BLACK));
  if (whiteKingFile == blackKingFile) return;
  const int8_t* const firstFile = EvalState.firstPawnFile;
  const int8_t* const lastFile = EvalState.lastPawnFile;
  const int left = firstFile[WHITE] < firstFile[BLACK] ? firstFile[WHITE] : firstFile[BLACK];
  const int right = lastFile[WHITE] > lastFile[BLACK] ? lastFile[WHITE] : lastFile[BLACK];
  const int8_t* edgeFile = nullptr;
  if (whiteKingFile < left && blackKingFile < left) edgeFile = firstFile;
  if (whiteKingFile > right && blackKingFile > right) edgeFile = lastFile;
  if (edgeFile == nullptr) return;
  for (int colour = WHITE; colour <= BLACK; ++colour) {
    const int target = frontPawnSquare(colour, edgeFile[colour]);
    addPositional(colour, KINGS_OUTSIDE_WEIGHT * BoardTables.taxicab[kingSquare(colour ^ 1)][target]);
  }
}

int filesWithPawns(int colour) {
  int files = 0;
  for (int file = A_FILE; file <= H_FILE; ++file) files += Board.filePawns[colour][file] > 0 ? 1 : 0;
  return files;
}

// No race of two unstoppable passers: passers, pawn islands and king proximity to every pawn.
void scorePawnEndingTerms() {
  if (EvalState.passerSides == 1) addPositional(WHITE, SOLE_PASSER_BONUS);
  if (EvalState.passerSides == 2) addPositional(BLACK, SOLE_PASSER_BONUS);
  const bool materialDiffers = Board.material[WHITE] != Board.material[BLACK];
  for (int colour = WHITE; colour <= BLACK; ++colour) {
    if (materialDiffers) addPositional(colour, PAWN_FILE_WEIGHT * filesWithPawns(colour));
    const int king = kingSquare(colour);
    const int enemyKing = kingSquare(colour ^ 1);
    for (int i = 1; i <= Board.pawnCount[colour]; ++i) {
      const int s = Board.pawnList[colour][i];
      addPositional(colour, KING_PAWN_DISTANCE_WEIGHT * (distanceOf(enemyKing, s) - distanceOf(king, s)));
      if ((EvalState.pawnFileInfo[colour][fileOf(s)] & PAWN_PASSED) && Board.pawnAttacks[colour][s] > 0) {
        addPositional(colour, DEFENDED_PASSER_BONUS);
      }
    }
  }
}

// Lifts both racing pawns, queens the faster one and asks whether the new queen checks or wins
// the other promotion square. Only pieceAt/colorAt of three squares change, and they are written
// back, so every other Board field (keys, lists, pawnAttacks) stays as it was; the attack test
// used here reads the squares, not the lists.
bool queenWinsRace(int queening) {
  const int other = queening ^ 1;
  const int squares[3] = {EvalState.lastPasserSquare[WHITE], EvalState.lastPasserSquare[BLACK],
                          EvalState.raceSquare[queening]};
  int8_t savedPiece[3];
  int8_t savedColour[3];
  for (int i = 0; i < 3; ++i) {
    assert(squares[i] >= A1 && squares[i] <= H8);
    savedPiece[i] = Board.pieceAt[squares[i]];
    savedColour[i] = Board.colorAt[squares[i]];
    const bool isQueen = i == 2;
    setSquare(squares[i], isQueen ? QUEEN : NONE, isQueen ? queening : EMPTY);
  }
  const int target = EvalState.raceSquare[other];
  const bool wins = isSquareAttackedOnSquares(kingSquare(other), queening) == 1 ||
                    (isSquareAttackedOnSquares(target, queening) == 1 && isSquareAttackedOnSquares(target, other) == 0);
  for (int i = 2; i >= 0; --i) {
    setSquare(squares[i], savedPiece[i], savedColour[i]);
  }
  return wins;
}

// Both sides have an unstoppable passer: the side to move is a tempo ahead.
void scorePawnRace(int side) {
  EvalState.endgameRule = ENDGAME_RULE_PAWN_RACE;
  EvalState.raceMoves[side] = static_cast<int8_t>(EvalState.raceMoves[side] - 1);
  const int whiteMoves = EvalState.raceMoves[WHITE];
  const int blackMoves = EvalState.raceMoves[BLACK];
  if (whiteMoves + 1 < blackMoves) {
    addPositional(WHITE, RACE_WIN);
  } else if (blackMoves + 1 < whiteMoves) {
    addPositional(BLACK, RACE_WIN);
  } else {
    const int queening = whiteMoves < blackMoves ? WHITE : (blackMoves < whiteMoves ? BLACK : side);
    if (queenWinsRace(queening)) addPositional(queening, RACE_WIN);
  }
}

// One pawn each: a king that is farther from its own pawn than the enemy king (the side to move
// counting one less) may lose it.
void scoreSinglePawns(int side) {
  for (int colour = WHITE; colour <= BLACK; ++colour) {
    const int pawn = Board.pawnList[colour][1];
    const int ownDistance = distanceOf(kingSquare(colour), pawn) - (side == colour ? 1 : 0);
    const int enemyDistance = distanceOf(kingSquare(colour ^ 1), pawn) - (side == colour ? 0 : 1);
    if (enemyDistance < ownDistance) addPositional(colour, -KING_LOSES_PAWN);
  }
}

int16_t evaluatePawnEnding(int side) {
  // Step 1. Pawn structure and passers with their race data.
  evaluatePawnStructure();
  for (int colour = WHITE; colour <= BLACK; ++colour) addPositional(colour, EvalState.pawnStructureScore[colour]);
  if (EvalState.passerSides != 0) evaluatePawnEndingPassers();
  for (int colour = WHITE; colour <= BLACK; ++colour) addPositional(colour, EvalState.passedPawnScore[colour]);
  // Step 2. One side without pawns: valued without material.
  if (Board.pawnCount[WHITE] == 0 || Board.pawnCount[BLACK] == 0) return storeResult(side, evaluateLonePawns(side));
  // Step 3. Pawns on both sides.
  for (int colour = WHITE; colour <= BLACK; ++colour) {
    addPositional(colour, kingEndgameTable[colour][kingSquare(colour)]);
  }
  recordPawnFileExtremes();
  scoreKingsBeyondPawns();
  const bool whiteRuns = EvalState.raceMoves[WHITE] != RACE_NONE;
  const bool blackRuns = EvalState.raceMoves[BLACK] != RACE_NONE;
  if (whiteRuns) addPositional(WHITE, UNSTOPPABLE_PASSER);
  if (blackRuns) addPositional(BLACK, UNSTOPPABLE_PASSER);
  if (whiteRuns && blackRuns) {
    scorePawnRace(side);
  } else {
    scorePawnEndingTerms();
  }
  if (Board.pawnCount[WHITE] == 1 && Board.pawnCount[BLACK] == 1) scoreSinglePawns(side);
  return storeResult(side, usualResult(side));
}

// ---- Pieces and pawns ----

// The side with less piece material loses more the more pawns the other side keeps.
void scoreEndgameExchange(int colour) {
  const int own = Board.pieceMaterial[colour];
  const int other = Board.pieceMaterial[colour ^ 1];
  if (other <= own + EXCHANGE_THRESHOLD) return;
  if (other < own + EXCHANGE_NEAR) addPositional(colour, -EXCHANGE_PENALTY);
  const int otherPawns = Board.pawnCount[colour ^ 1];
  if (otherPawns > 1 || (otherPawns > 0 && Board.pawnCount[colour] == 0)) {
    addPositional(colour, -((other - own) / ENDGAME_EXCHANGE_DIVISOR));
  }
}

// Adds the passers of `owner` to the lazy margin, file by file, until `stillOutside` fails.
// A passer that no king catches counts three times while the defender has few pieces.
int widenLazyMargin(int owner, int estimate, int margin, int bound, bool aboveBeta) {
  if ((EvalState.passerSides & (1u << owner)) == 0) return margin;
  for (int file = A_FILE; file <= H_FILE; ++file) {
    if (!hasPasserOnFile(owner, file)) continue;
    int bonus = passerBonus[owner][frontPawnRank(owner, file)];
    if (Board.pieceCount[owner ^ 1] < PASSER_MARGIN_PIECES && kingCatchesPawn(owner, frontPawnSquare(owner, file)) == 0) {
      bonus *= PASSER_MARGIN_FACTOR;
    }
    margin += bonus;
    if (aboveBeta ? estimate - margin <= bound : estimate + margin >= bound) break;
  }
  return margin;
}

// Lazy cut with plenty of material left: true with the bound in *bound when the rough score
// lies far outside the window even after the passers' potential.
bool findLazyBound(int side, int alpha, int beta, int16_t* bound) {
  const int rook = pieceValueOf(ROOK);
  if (Board.pieceMaterial[WHITE] <= rook && Board.pieceMaterial[BLACK] <= rook) return false;
  if (Board.pieceMaterial[WHITE] + Board.pieceMaterial[BLACK] <= pieceValueOf(QUEEN)) return false;
  const int opp = side ^ 1;
  const int estimate = static_cast<int16_t>(
      materialDifference(side) + (EvalState.pawnStructureScore[side] - EvalState.pawnStructureScore[opp]) +
      positionalDifference(side));
  if (estimate - LAZY_MARGIN_ENDGAME > beta) {
    const int margin = widenLazyMargin(opp, estimate, LAZY_MARGIN_ENDGAME, beta, true);
    if (estimate - margin <= beta) return false;
    *bound = static_cast<int16_t>(estimate - margin);
    return true;
  }
  if (estimate + LAZY_MARGIN_ENDGAME < alpha) {
    const int margin = widenLazyMargin(side, estimate, LAZY_MARGIN_ENDGAME, alpha, false);
    if (estimate + margin >= alpha) return false;
    *bound = static_cast<int16_t>(estimate + margin);
    return true;
  }
  return false;
}

// Endgame piece terms of one colour, from the last list entry down, with piece safety.
void scoreEndgamePieces(int colour) {
  int16_t pieces = 0;
  for (int i = Board.pieceCount[colour]; i >= 1; --i) {
    const int s = Board.pieceList[colour][i];
    const int type = Board.pieceAt[s];
    int16_t term = 0;
    if (type == KNIGHT) term = endgameKnight(s);
    if (type == BISHOP) term = endgameBishop(s);
    if (type == ROOK) term = endgameRook(s);
    pieces = static_cast<int16_t>(pieces + term);
    EvalState.threatScore[colour] = static_cast<int16_t>(EvalState.threatScore[colour] + pieceSafety(s, type));
    if (EvalContext.searchDepth < 1 && i < MAX_PIECE_RECORDS) {
      EvalState.pieceEvalScore[colour][i] = term;
      EvalState.pieceEvalSquare[colour][i] = static_cast<int8_t>(s);
    }
  }
  EvalState.pieceScore[colour] = pieces;  // shown by the trace; the total takes it below
  addPositional(colour, pieces + EvalState.pawnStructureScore[colour]);
}

// Free squares around the king, plus the colour's threat score.
void scoreKingMobility(int colour) {
  const int enemy = colour ^ 1;
  int free = 0;
  for (int i = 1; i <= EvalState.kingZoneCount[colour]; ++i) {
    const int t = EvalState.kingZone[colour][i];
    if (pieceAttackers(enemy, t) == 0 && Board.pawnAttacks[enemy][t] == 0 && Board.colorAt[t] != colour) {
      ++free;
    }
  }
  const int mobility = kingMobility[free];
  addPositional(colour, mobility + EvalState.threatScore[colour]);
  EvalState.kingSafetyScore[colour] = static_cast<int16_t>(kingEndgameTable[colour][kingSquare(colour)] + mobility);
}

void setEndgameThreat() {
  const int s = EvalState.evalSide;
  const int o = s ^ 1;
  if (EvalState.threatenedPieces[s] > 0 || EvalState.kingThreat[s] > 0) {
    EvalState.evalThreat = THREAT_PIECES;
  } else if (EvalState.hangingPawns[s] > 0 && EvalState.threatenedPieces[o] == 0 &&
             EvalState.hangingPawns[s] > EvalState.hangingPawns[o]) {
    EvalState.evalThreat = THREAT_PAWNS;
  } else {
    EvalState.evalThreat = 0;
  }
}

// Walks the squares from the pawn's stop square up to its promotion square; true when
// `stops`(square) holds for one of them.
template <typename StopTest>
bool pathStops(int colour, int pawn, StopTest stops) {
  const int step = forwardStep(colour);
  for (int t = pawn + step, n = PROMOTION_RANK - relativeRankOf(colour, pawn); n > 0; t += step, --n) {
    if (stops(t)) return true;
  }
  return false;
}

// The defending king reaches the promotion path of the rook pawn. The test differs by colour:
// against a White pawn any touch counts, against a Black pawn a touch counts only while the
// Black king is at least two squares away.
bool wrongBishopPathHeld(int st, int pawn) {
  const int defender = kingSquare(st ^ 1);
  const int attacker = kingSquare(st);
  if (st == WHITE) {
    return pathStops(st, pawn, [&](int t) { return distanceOf(defender, t) <= 1; });
  }
  return pathStops(st, pawn, [&](int t) {
    return distanceOf(defender, t) == 0 || (distanceOf(defender, t) == 1 && distanceOf(attacker, t) >= 2);
  });
}

// Bishop and pawns against a bare king (and pawns).
int16_t scoreBishopAndPawns(int side, int st, int16_t score) {
  const int wk = st ^ 1;
  EvalState.endgameRule = ENDGAME_RULE_BISHOP_PAWNS;
  if (Board.pawnCount[st] >= 2 && Board.pawnCount[wk] <= Board.pawnCount[st] + EXTRA_DEFENDER_PAWNS &&
      !allPawnsOnOneFile(st)) {
    addPositional(st, BISHOP_AND_PAWNS_BONUS);
    return usualResult(side);
  }
  const int file = fileOf(Board.pawnList[st][1]);
  if (!isRookFile(file)) return score;
  const int pawn = frontPawnSquare(st, file);
  const int bishop = Board.pieceList[st][1];
  if (isDarkSquare(bishop) == isDarkSquare(promotionSquareOf(st, pawn))) {
    if (Board.pawnCount[wk] > 0) return score;
    addPositional(st, BISHOP_AND_PAWNS_BONUS);
    return usualResult(side);
  }
  if (wrongBishopPathHeld(st, pawn)) {
    EvalState.endgameRule = ENDGAME_RULE_WRONG_BISHOP;
    return tokenResult(side, st, WRONG_BISHOP_SCORE);
  }
  return static_cast<int16_t>(score / 2);
}

bool bishopAttacks(int colour, int t) { return (EvalState.attackMap[colour][t] & ATTACK_BISHOP_BIT) != 0; }

// Opposite-coloured bishops, one pawn against none: the defender blockades the pawn's path.
bool oppositeBishopsHoldOnePawn(int st) {
  const int wk = st ^ 1;
  const int pawn = Board.pawnList[st][1];
  const bool rookPawn = isRookFile(fileOf(pawn));
  const int bishop = Board.pieceList[wk][1];
  const int king = kingSquare(wk);
  return pathStops(st, pawn, [&](int t) {
    if (isDarkSquare(t) == isDarkSquare(bishop) && bishopAttacks(wk, t) &&
        (distanceOf(bishop, t) != 1 || !rookPawn)) {
      return true;
    }
    return king == t || (rookPawn && distanceOf(king, t) == 1);
  });
}

// Opposite-coloured bishops, two pawns (one a rook pawn with the wrong promotion square) against
// at most one: both paths are held.
bool oppositeBishopsHoldTwoPawns(int st) {
  const int wk = st ^ 1;
  const int first = Board.pawnList[st][1];
  const int second = Board.pawnList[st][2];
  const int rookPawn = isRookFile(fileOf(first)) ? first : second;
  if (!isRookFile(fileOf(rookPawn))) return false;
  if (isDarkSquare(promotionSquareOf(st, rookPawn)) == isDarkSquare(Board.pieceList[st][1])) return false;
  const int king = kingSquare(wk);
  const int strongKing = kingSquare(st);
  const int bishop = Board.pieceList[wk][1];
  auto held = [&](int pawn) {
    if (isRookFile(fileOf(pawn))) {
      return pathStops(st, pawn, [&](int t) {
        return king == t || (distanceOf(king, t) == 1 && distanceOf(strongKing, t) != 1);
      });
    }
    return pathStops(st, pawn, [&](int t) { return bishopAttacks(wk, t) || bishop == t; });
  };
  return held(first) && held(second);
}

int16_t scoreOppositeBishops(int side, int st, int16_t score) {
  const int wk = st ^ 1;
  EvalState.endgameRule = ENDGAME_RULE_OPPOSITE_BISHOPS;
  if (std::abs(materialDifference(side)) < OPPOSITE_BISHOPS_MATERIAL) {
    score = static_cast<int16_t>(score / 2);
  } else {
    score = static_cast<int16_t>(score * OPPOSITE_BISHOPS_SCALE / PERCENT);
  }
  if (Board.pawnCount[st] == 1 && Board.pawnCount[wk] == 0 && oppositeBishopsHoldOnePawn(st)) {
    EvalState.endgameRule = ENDGAME_RULE_OPPOSITE_BISHOPS_DRAW;
    return tokenResult(side, st, OPPOSITE_ONE_PAWN_SCORE);
  }
  if (Board.pawnCount[st] == 2 && Board.pawnCount[wk] <= 1 && oppositeBishopsHoldTwoPawns(st)) {
    EvalState.endgameRule = ENDGAME_RULE_OPPOSITE_BISHOPS_DRAW;
    return tokenResult(side, st, OPPOSITE_TWO_PAWNS_SCORE);
  }
  return score;
}

// Rules for special material, in this order; the result is stored and returned.
int16_t finishWithSpecialMaterial(int side) {
  const int st = strongerSide();
  const int wk = st ^ 1;
  const int bishop = pieceValueOf(BISHOP);
  int16_t score = usualResult(side);
  // A lone minor without pawns cannot win against pawns.
  if (Board.pieceMaterial[st] != 0 && Board.pieceMaterial[st] <= bishop && Board.pawnCount[st] == 0 &&
      Board.pawnCount[wk] > 0) {
    EvalState.endgameRule = ENDGAME_RULE_MINOR_NO_WIN;
    if ((side == st ? score : -score) > 0) score = 0;
    return storeResult(side, score);
  }
  if (Board.pieceMaterial[st] == bishop && Board.pieceCount[wk] == 0 && hasOnly(st, BISHOP) &&
      Board.pawnCount[st] > 0) {
    score = scoreBishopAndPawns(side, st, score);
  } else if (hasOnly(WHITE, ROOK) && hasOnly(BLACK, ROOK)) {
    EvalState.endgameRule = ENDGAME_RULE_ROOK_ENDING;
    rookEnding(st, wk, kingSquare(st), kingSquare(wk));
    score = usualResult(side);
  } else if (hasOnly(WHITE, ROOK) && hasMinorOnly(BLACK) && Board.pawnCount[BLACK] == 0) {
    EvalState.endgameRule = ENDGAME_RULE_ROOK_VS_MINOR;
    rookVsMinor(WHITE, BLACK, kingSquare(WHITE), kingSquare(BLACK));
    score = usualResult(side);
  } else if (hasOnly(BLACK, ROOK) && hasMinorOnly(WHITE) && Board.pawnCount[WHITE] == 0) {
    EvalState.endgameRule = ENDGAME_RULE_ROOK_VS_MINOR;
    rookVsMinor(BLACK, WHITE, kingSquare(BLACK), kingSquare(WHITE));
    score = usualResult(side);
  } else if (hasOnly(WHITE, BISHOP) && hasOnly(BLACK, BISHOP) &&
             isDarkSquare(Board.pieceList[WHITE][1]) != isDarkSquare(Board.pieceList[BLACK][1])) {
    score = scoreOppositeBishops(side, st, score);
  }
  return storeResult(side, score);
}

int16_t evaluatePiecesAndPawns(int side, int alpha, int beta, int8_t* exact) {
  const int opp = side ^ 1;
  // Step 1. Pawn structure and king placement.
  evaluatePawnStructure();
  for (int colour = WHITE; colour <= BLACK; ++colour) {
    addPositional(colour, kingEndgameTable[colour][kingSquare(colour)]);
  }
  // Step 2. Exchange term.
  scoreEndgameExchange(side);
  scoreEndgameExchange(opp);
  // Step 3. Lazy cut.
  int16_t bound = 0;
  if (findLazyBound(side, alpha, beta, &bound)) {
    EvalState.endgameRule = ENDGAME_RULE_LAZY;
    *exact = 0;
    EvalState.fullEvaluations -= 1;
    return bound;
  }
  // Step 4. Attack maps and passed pawns.
  buildKingZones();
  buildAttackMap(side);
  buildAttackMap(opp);
  if (EvalState.passerSides != 0) evaluatePassedPawns();
  for (int colour = WHITE; colour <= BLACK; ++colour) addPositional(colour, EvalState.passedPawnScore[colour]);
  // Step 5. Pawn loops.
  evaluateEndgamePawnLoop(WHITE);
  evaluateEndgamePawnLoop(BLACK);
  // Step 6. Pieces.
  scoreEndgamePieces(WHITE);
  scoreEndgamePieces(BLACK);
  // Step 7. King mobility.
  scoreKingMobility(WHITE);
  scoreKingMobility(BLACK);
  // Step 8. Threat code for the search.
  setEndgameThreat();
  // Steps 9 and 10. Special material, result and store.
  return finishWithSpecialMaterial(side);
}

// ---- Lone pawn against the bare king, in the pawn owner's view (White's squares) ----

int16_t rookPawnVsKing(int pawn, int king, int enemyKing) {
  const int file = fileOf(pawn);
  const int r = rankOf(pawn);
  const int corner = promotionSquareOf(WHITE, pawn);
  const int neighbourFile = file == A_FILE ? file + 1 : file - 1;
  const bool enemyInFront =
      (fileOf(enemyKing) == file || fileOf(enemyKing) == neighbourFile) && rankOf(enemyKing) > r;
  const bool pawnFree = distanceOf(enemyKing, pawn + 8) > 1 || distanceOf(king, pawn) <= 1;
  if (pawnFree && !enemyInFront && distanceOf(king, corner) <= distanceOf(enemyKing, corner)) {
    return static_cast<int16_t>(KPK_ROOK_PAWN_WEIGHT * (rankOf(king) + 2 * r));
  }
  return 0;
}

int16_t centralPawnVsKing(int pawn, int king, int enemyKing, bool toMove) {
  const int r = rankOf(pawn);
  const int q = promotionSquareOf(WHITE, pawn);
  const int kingRank = rankOf(king);
  const int enemyRank = rankOf(enemyKing);
  int v = KPK_RANK_WEIGHT * r;
  if (kingRank == RANK_6 && r == RANK_5 && distanceOf(king, pawn) == 1) {
    v += KPK_KEY_SQUARE_BONUS;
  } else {
    const bool opposition = fileOf(enemyKing) == fileOf(king) && enemyRank == kingRank + 2 &&
                            kingRank <= r + (toMove ? 1 : 0);
    const bool diagonalOpposition = !toMove && enemyRank == kingRank + 2 &&
                                    std::abs(fileOf(enemyKing) - fileOf(king)) == 1 && kingRank == r + 1;
    const bool outrun = kingRank <= r && enemyRank > r && distanceOf(king, q) > 1;
    if (opposition || diagonalOpposition || outrun) v = 0;
  }
  if (v > 0) v += KPK_PROMOTION_BASE - BoardTables.taxicab[king][q];
  return static_cast<int16_t>(v);
}

// ---- Rook endings ----

// With pawns on both sides: a passer of one side alone, the rook cutting off the enemy king.
void scoreRookEndingPasser(int owner) {
  const int defender = owner ^ 1;
  int file = A_FILE;
  while (file <= H_FILE && !hasPasserOnFile(owner, file)) ++file;
  if (file > H_FILE) return;
  const int defenderKing = kingSquare(defender);
  const int kingFile = fileOf(defenderKing);
  if (isStrictlyBetween(fileOf(Board.pieceList[owner][1]), kingFile, file)) addPositional(owner, ROOK_CUT_OFF_WEIGHT * std::abs(kingFile - file));
  const int front = squareAt(frontPawnRank(owner, file), file);
  if (relativeRankOf(owner, front) > relativeRankOf(owner, defenderKing)) addPositional(defender, -PASSER_BEYOND_KING);
}

// Rook and pawn against rook, after both values were divided by 8.
void scoreRookAndPawnVsRook(int st, int wk, int strongKing, int weakKing) {
  const int pawn = Board.pawnList[st][1];
  const int q = promotionSquareOf(st, pawn);
  const int weakRook = Board.pieceList[wk][1];
  const int pawnRank = relativeRankOf(st, pawn);
  addPositional(st, (ROOK_PAWN_KING_BASE - BoardTables.taxicab[strongKing][q]) * 2);
  const int d = distanceOf(weakKing, q);
  int defence = d > 1 ? 2 * d - DEFENDER_KING_BASE : 0;
  if (pawnRank > relativeRankOf(st, weakKing)) defence -= DEFENDER_KING_BEHIND;
  defence += distanceOf(strongKing, weakRook);
  const int rookRank = relativeRankOf(st, weakRook);
  const bool rookPlaced = d <= 1 ? (rookRank == ROOK_CHECKING_RANK && pawnRank <= RANK_5) ||
                                       (rookRank <= ROOK_BACK_RANKS && pawnRank >= RANK_6)
                                 : fileOf(weakRook) == fileOf(strongKing);
  if (rookPlaced) defence += DEFENDER_ROOK_PLACED;
  addPositional(wk, defence);
}

}  // namespace

int16_t evaluateEndgame(int side, int alpha, int beta, int8_t* exact) {
  startEndgame(exact);
  if (Board.pawnCount[WHITE] == 0 && Board.pawnCount[BLACK] == 0) return evaluateNoPawns(side);
  if (Board.pieceCount[WHITE] == 0 && Board.pieceCount[BLACK] == 0) return evaluatePawnEnding(side);
  return evaluatePiecesAndPawns(side, alpha, beta, exact);
}

void evaluatePawnless(int /*side*/) {
  const int st = strongerSide();
  const int wk = st ^ 1;
  const int strongKing = kingSquare(st);
  const int weakKing = kingSquare(wk);
  if (Board.pieceCount[WHITE] == 0 || Board.pieceCount[BLACK] == 0) {
    EvalState.positionalScore[WHITE] = 0;
    EvalState.positionalScore[BLACK] = 0;
    const int value = hasOnlyPair(st, KNIGHT, BISHOP)
                          ? bishopKnightMate(st, strongKing, weakKing)
                          : (MATE_DISTANCE_BASE - distanceOf(strongKing, weakKing)) * MATE_DISTANCE_WEIGHT +
                                mateTable[weakKing];
    EvalState.positionalScore[st] = static_cast<int16_t>(value);
    return;
  }
  for (int colour = WHITE; colour <= BLACK; ++colour) {
    EvalState.positionalScore[colour] = pawnlessKingTable[kingSquare(colour)];
  }
  if (hasOnly(st, ROOK) && hasMinorOnly(wk)) {
    addPositional(wk, MINOR_DEFENCE_BONUS);
    const int minor = Board.pieceList[wk][1];
    const int far = distanceOf(weakKing, minor);
    if (Board.pieceAt[minor] == KNIGHT && far >= KNIGHT_FAR_FROM_KING) addPositional(wk, -KNIGHT_FAR_WEIGHT * far);
  } else if (hasOnly(st, QUEEN) && hasOnly(wk, ROOK)) {
    addPositional(st, -QUEEN_V_ROOK_PENALTY);
  } else if (hasOnlyPair(st, ROOK, KNIGHT) && hasOnly(wk, ROOK)) {
    addPositional(wk, ROOK_KNIGHT_V_ROOK_DEFENCE);
  } else if (hasOnlyPair(st, ROOK, BISHOP) && hasOnly(wk, ROOK)) {
    addPositional(wk, ROOK_BISHOP_V_ROOK_DEFENCE);
  }
}

int16_t bishopKnightMate(int st, int strongKing, int weakKing) {
  const int first = Board.pieceList[st][1];
  const int bishop = Board.pieceAt[first] == BISHOP ? first : Board.pieceList[st][2];
  const SquareTable& table = isDarkSquare(bishop) ? bishopKnightMateDark : bishopKnightMateLight;
  return static_cast<int16_t>(table[weakKing] - distanceOf(strongKing, weakKing));
}

int16_t kingPawnVsKing(int colour, int pawnSquare) {
  // Black's position is read mirrored, so that the pawn always runs up the board.
  const int mirror = colour == WHITE ? 0 : SQUARE_MIRROR;
  const int pawn = pawnSquare ^ mirror;
  const int king = kingSquare(colour) ^ mirror;
  const int enemyKing = kingSquare(colour ^ 1) ^ mirror;
  if (isRookFile(fileOf(pawn))) return rookPawnVsKing(pawn, king, enemyKing);
  return centralPawnVsKing(pawn, king, enemyKing, EvalState.evalSide == colour);
}

void rookVsMinor(int rookSide, int minorSide, int rookKing, int minorKing) {
  EvalState.positionalScore[rookSide] =
      static_cast<int16_t>(rookVsMinorTable[minorKing] + ROOK_V_MINOR_BASE - distanceOf(rookKing, minorKing));
  EvalState.positionalScore[minorSide] = 0;
}

void rookEnding(int st, int wk, int strongKing, int weakKing) {
  if (Board.pawnCount[st] == Board.pawnCount[wk] + 1) addPositional(wk, ROOK_EXTRA_PAWN_DEFENCE);
  if (Board.pawnCount[wk] > 0) {
    if (EvalState.passerSides == 1) scoreRookEndingPasser(WHITE);
    if (EvalState.passerSides == 2) scoreRookEndingPasser(BLACK);
    return;
  }
  if (Board.pawnCount[st] == 1) {
    EvalState.positionalScore[WHITE] = static_cast<int16_t>(EvalState.positionalScore[WHITE] >> ROOK_PAWN_SHIFT);
    EvalState.positionalScore[BLACK] = static_cast<int16_t>(EvalState.positionalScore[BLACK] >> ROOK_PAWN_SHIFT);
    scoreRookAndPawnVsRook(st, wk, strongKing, weakKing);
  }
  // The defending king cut off from the pawns by files.
  const int pawnFile = fileOf(Board.pawnList[st][1]);
  const int df = std::abs(fileOf(weakKing) - pawnFile);
  if (df > CUT_OFF_FILES) {
    addPositional(st, CUT_OFF_FILE_WEIGHT * df);
    if (isStrictlyBetween(fileOf(Board.pieceList[st][1]), fileOf(weakKing), pawnFile)) {
      addPositional(st, CUT_OFF_ROOK_BONUS);
      if (df > CUT_OFF_FILES + 1) addPositional(st, CUT_OFF_FAR_BONUS);
    }
  }
}
