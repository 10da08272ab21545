// King safety for the opening and middlegame, one routine for both colours (squares are named from
// the defending king's side and read through relativeSquare). It combines a base value from the
// king's square and castling, a weakness count w (shelter, open files, pawn storms, attacked squares
// next to the king), the attack units the enemy pieces collected, and contact attacks by enemy
// heavy pieces. Side effects: castleChance, kingContactScore of the attacker, kingThreat, the
// working copies of the shelter values, and the scaled attack units.
#include "eval/kingsafety.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <initializer_list>

#include "board/board.h"
#include "board/tables.h"
#include "config/settings.h"
#include "eval/evalcontext.h"
#include "eval/evalstate.h"
#include "eval/evaltables.h"
#include "eval/pawnterms.h"
#include "eval/pawnview.h"
#include "eval/sideview.h"

namespace {

constexpr int FILE_E = 4;
constexpr int SECOND_RANK = 1;
constexpr int THIRD_RANK = 2;
// Offsets of the squares in front of a king on its first rank.
constexpr int FRONT_LEFT = 7;
constexpr int FRONT = 8;
constexpr int FRONT_RIGHT = 9;

// ---- Scale tables ----
// Extra weakness in percent for the amplified attack styles, by the attacker's piece count.
constexpr int aggressionScale[15] = {0, 0, 0, 30, 40, 50, 60, 70, 70, 70, 70, 70, 70, 70, 70};
constexpr int AGGRESSION_LAST = 14;
constexpr int QUEEN_ATTACK_SCALE_LAST = 15;
constexpr int PERCENT = 100;

// Danger by the attack units collected against the king.
constexpr std::array<int32_t, 96> makeKingDanger() {
  std::array<int32_t, 96> danger{};
  for (int u = 0; u < 96; ++u) {
    if (u <= 10)
      danger[u] = 3 * u;
    else if (u <= 27)
      danger[u] = 34 + 4 * (u - 11);
    else
      danger[u] = 100;
  }
  return danger;
}
constexpr std::array<int32_t, 96> kingDanger = makeKingDanger();
constexpr int KING_DANGER_LAST = 95;

// Sixteenths of the danger that reach the score, by the weakness count.
constexpr int weaknessScale[32] = {16, 16, 16, 16, 16, 16, 17, 17, 18, 18, 19, 19, 20, 20, 21, 21,
                                   22, 22, 23, 23, 24, 24, 25, 25, 26, 26, 27, 27, 27, 27, 27, 27};
constexpr int WEAKNESS_SCALE_LIMIT = 30;  // above it the scale is WEAKNESS_SCALE_MAX
constexpr int WEAKNESS_SCALE_MAX = 27;
constexpr int DANGER_SHIFT = 4;

// 1 on the outer ring of the board.
constexpr std::array<int8_t, 64> makeEdgeSquare() {
  std::array<int8_t, 64> edge{};
  for (int s = 0; s < 64; ++s)
    edge[s] = fileOf(s) == 0 || fileOf(s) == 7 || rankOf(s) == 0 || rankOf(s) == 7;
  return edge;
}
constexpr std::array<int8_t, 64> edgeSquare = makeEdgeSquare();

// ---- Base values ----
constexpr int LOST_CASTLING = 50;
constexpr int KING_SIDE_ROOK_PENALTY = 10;   // king f1/g1 with its rook still beside it
constexpr int QUEEN_SIDE_ROOK_PENALTY = 5;   // king b1/c1 with its rook still beside it
constexpr int STORM_RANK_WEIGHT = 4;
constexpr int STORM_BASE = 28;
constexpr int ENDGAME_AREA_LIMIT = 12;
constexpr int BACK_RANK_PENALTY = 4;
constexpr int XRAY_KING_PENALTY = 8;
constexpr int CONTACT_PENALTY = 10;
constexpr int LIGHT_ATTACK_PIECES = 2;       // piece count at which the weakness counts 1.5 times
constexpr int WEAKNESS_HALF = -2;            // weakness enters the base halved and negated, truncated
constexpr int BACK_RANK_PHASE = 2;           // the back-rank term applies from this gamePhase on

// ---- Weakness counts ----
constexpr int ROOK_BESIDE_KING = 3;
constexpr int G1_KING_NO_F_PAWN = 2;
constexpr int ENEMY_WEDGE_F3 = 10;           // enemy pawn or bishop on f3 against f2, no g2 pawn
constexpr int OPPOSITE_WINGS = 6;
constexpr int OPPOSITE_WINGS_ROOT_QUEEN_SIDE = 4;
constexpr int ROOK_PER_OPEN_STORM_FILE = 2;
constexpr int OPEN_H_FILE = 25;
constexpr int CENTRE_KING_BASE = 4;          // plus the enemy piece count
constexpr int CENTRE_PAWN_MOVED = 3;
constexpr int CENTRE_PAWN_GONE = 2;
constexpr int CENTRE_FILE_EMPTY = 3;
constexpr int CENTRE_FILE_PAWN_AHEAD = 1;
constexpr int ZONE_QUEEN_CONTACT = 8;
constexpr int ZONE_ROOK_CONTACT = 3;
constexpr int ZONE_ROOK_CONTACT_EDGE = 6;
constexpr int ZONE_BISHOP_CONTACT = 2;
constexpr int ZONE_ALL_COVERED = 1;
constexpr int HEAVY_PIECES_ON_SECOND = 3;
constexpr int ATTACKS_FOR_CONTACT = 2;
constexpr int AMPLIFY_UNITS_LIMIT = 30;

// ---- Shelter raises while castling is still possible ----
constexpr int SHELTER_F1_OCCUPIED = 2;
constexpr int SHELTER_F1_CROWDED = 3;        // f1, e2 and g2 all occupied
constexpr int SHELTER_BACK_SQUARE = 2;       // g1, and each of d1, c1, b1
constexpr int SHELTER_ENEMY_KING_WING = 3;

// Weights of a fianchetto hole (g2 or b2 without a pawn).
struct HoleWeights {
  int enemyBishopOnly;   // no own bishop of the hole's colour, the enemy has one
  int noBishops;         // neither side has one
  int uncovered;         // own bishop of that colour, but it neither guards nor fills the hole
  int uncoveredEnemy;    // ... and the enemy has one too
};
constexpr HoleWeights KING_SIDE_HOLE = {5, 3, 2, 3};
constexpr HoleWeights QUEEN_SIDE_HOLE = {3, 2, 1, 1};

// The working data of one king's evaluation.
struct KingView {
  int us;
  int them;
  int king;          // square of our king
  int rk;            // that square seen from our side
  int enemyPieces;   // B: the enemy's non-king pieces
  bool enemyQueen;
  int w;             // weakness count
  int base;
  int contact;
};

int pieceOn(int us, int relative) { return Board.pieceAt[relativeSquare(us, relative)]; }

bool isOccupied(int us, int relative) { return Board.colorAt[relativeSquare(us, relative)] != EMPTY; }

bool enemyHolds(const KingView& v, int relative, int piece) {
  return holds(relativeSquare(v.us, relative), piece, v.them);
}

int rookCount(int colour) { return Board.typeCount[colour][ROOK]; }

bool hasBishopOnColour(int colour, bool dark) {
  return dark ? EvalState.bishopOnDark[colour] != 0 : EvalState.bishopOnLight[colour] != 0;
}

// The amplified attack styles: "RI" sharpens the attack on the engine's opponent's king, "CA"
// (without "RI") makes the engine more careful about its own king.
bool amplifiesAttack(int us) {
  if (EngineSettings.attackStyleRI) return us != EvalContext.rootSide;
  return EngineSettings.attackStyleCA && us == EvalContext.rootSide;
}

// Step 1, castling: keeps castleChance while the king and a rook are unmoved.
void scoreCastling(KingView& v) {
  if (Board.castled[v.us] != 0 || EvalState.rootCastlingChance[v.us] != 1) return;
  const bool kingUnmoved = Board.squareMoves[relativeSquare(v.us, E1)] == 0;
  const bool rookUnmoved = Board.squareMoves[relativeSquare(v.us, A1)] == 0 ||
                           Board.squareMoves[relativeSquare(v.us, H1)] == 0;
  if (kingUnmoved && rookUnmoved)
    EvalState.castleChance[v.us] = 1;
  else
    v.base -= LOST_CASTLING;
}

// The empty fianchetto square in front of a castled king.
void scoreHole(KingView& v, int relativeHole, const HoleWeights& weights) {
  const int hole = relativeSquare(v.us, relativeHole);
  const bool dark = isDarkSquare(hole);
  const bool enemyHas = hasBishopOnColour(v.them, dark);
  if (!hasBishopOnColour(v.us, dark)) {
    v.w += enemyHas ? weights.enemyBishopOnly : weights.noBishops;
    return;
  }
  const bool guarded = (EvalState.attackMap[v.us][hole] & ATTACK_BISHOP_BIT) != 0;
  if (guarded || Board.pieceAt[hole] == BISHOP) return;
  v.w += weights.uncovered;
  if (enemyHas) v.w += weights.uncoveredEnemy;
}

// Enemy king on the other wing: files without enemy pawns invite its rooks, enemy pawns on them
// storm forward.
void scoreStormFiles(KingView& v, int nearFile, int outerFile) {
  for (int file : {nearFile, outerFile}) {
    if (Board.filePawns[v.them][file] == 0) {
      v.w += ROOK_PER_OPEN_STORM_FILE * rookCount(v.them);
    } else if (!(EvalState.pawnFileInfo[v.them][file] & PAWN_FREE_FILE)) {
      v.base += STORM_RANK_WEIGHT * relativeFrontRank(v.us, v.them, file) - STORM_BASE;
    }
  }
}

// A king that went to the wing without castling, its rook still shut in beside it.
void scoreRookBesideKing(KingView& v, int kingA, int kingB, std::initializer_list<int> rookSquares,
                         int penalty) {
  if (v.rk != kingA && v.rk != kingB) return;
  for (int square : rookSquares) {
    if (pieceOn(v.us, square) == ROOK) {
      v.w += ROOK_BESIDE_KING;
      v.base -= penalty;
      return;
    }
  }
}

void scoreKingSide(KingView& v) {
  v.w = EvalState.kingSideShelter[v.us];
  const int enemyKingFile = fileOf(kingSquare(v.them));
  scoreRookBesideKing(v, F1, G1, {G1, H1, H2}, KING_SIDE_ROOK_PENALTY);
  if (v.rk == G1 && pieceOn(v.us, F2) != PAWN) v.w += G1_KING_NO_F_PAWN;
  const bool g2Pawn = pieceOn(v.us, G2) == PAWN;
  if ((enemyHolds(v, F3, PAWN) || enemyHolds(v, F3, BISHOP)) && pieceOn(v.us, F2) == PAWN && !g2Pawn)
    v.w += ENEMY_WEDGE_F3;
  if (!g2Pawn) scoreHole(v, G2, KING_SIDE_HOLE);
  if (enemyKingFile <= FILE_D && v.enemyPieces > 2) {
    v.w += OPPOSITE_WINGS;
    scoreStormFiles(v, FILE_G, FILE_H);
  }
  // Open h-file with an enemy rook already on it.
  const bool hFileOpen = Board.filePawns[WHITE][FILE_H] == 0 && Board.filePawns[BLACK][FILE_H] == 0;
  const bool rookOnH = pieceOn(v.us, H8) == ROOK || pieceOn(v.us, H7) == ROOK || pieceOn(v.us, H6) == ROOK;
  if (hFileOpen && rookCount(v.them) > 0 && (pieceOn(v.us, F2) == PAWN || enemyHolds(v, G3, PAWN)) && rookOnH)
    v.w += OPEN_H_FILE;
}

void scoreQueenSide(KingView& v) {
  v.w = EvalState.queenSideShelter[v.us];
  const int enemyKingFile = fileOf(kingSquare(v.them));
  scoreRookBesideKing(v, B1, C1, {A1, A2, B1}, QUEEN_SIDE_ROOK_PENALTY);
  if (pieceOn(v.us, B2) != PAWN) scoreHole(v, B2, QUEEN_SIDE_HOLE);
  if (enemyKingFile >= FILE_E && v.enemyPieces > 2) {
    v.w += OPPOSITE_WINGS;
    if (v.us == EvalContext.rootSide) v.w += OPPOSITE_WINGS_ROOT_QUEEN_SIDE;
    scoreStormFiles(v, FILE_B, FILE_A);
  }
}

// While castling is possible the shelters of both wings count, raised by the pieces still between
// king and rook and by the enemy king's wing; the weakness is pulled halfway toward the better one.
void raiseShelters(KingView& v) {
  uint8_t& kingSide = EvalState.kingSideShelter[v.us];
  uint8_t& queenSide = EvalState.queenSideShelter[v.us];
  int ks = kingSide;
  int qs = queenSide;
  if (isOccupied(v.us, F1))
    ks += isOccupied(v.us, E2) && isOccupied(v.us, G2) ? SHELTER_F1_CROWDED : SHELTER_F1_OCCUPIED;
  if (isOccupied(v.us, G1)) ks += SHELTER_BACK_SQUARE;
  for (int square : {D1, C1, B1})
    if (isOccupied(v.us, square)) qs += SHELTER_BACK_SQUARE;
  const int enemyKingFile = fileOf(kingSquare(v.them));
  if (enemyKingFile >= FILE_F) qs += SHELTER_ENEMY_KING_WING;
  if (enemyKingFile <= FILE_C) ks += SHELTER_ENEMY_KING_WING;
  kingSide = static_cast<uint8_t>(ks);
  queenSide = static_cast<uint8_t>(qs);
  int better;
  if (Board.squareMoves[relativeSquare(v.us, A1)] != 0)
    better = kingSide;
  else if (Board.squareMoves[relativeSquare(v.us, H1)] != 0)
    better = queenSide;
  else
    better = std::min(kingSide, queenSide);
  if (v.w > better) v.w -= (v.w - better) / 2;
}

void scoreCentre(KingView& v) {
  v.w = v.enemyPieces + CENTRE_KING_BASE;
  for (int file : {FILE_D, FILE_E}) {
    const int second = squareAt(SECOND_RANK, file);
    const int third = squareAt(THIRD_RANK, file);
    if (pieceOn(v.us, second) == PAWN) continue;
    v.w += CENTRE_PAWN_MOVED;
    if (holds(relativeSquare(v.us, third), PAWN, v.us)) continue;
    v.w += CENTRE_PAWN_GONE;
    v.w += Board.filePawns[v.us][file] == 0 ? CENTRE_FILE_EMPTY : CENTRE_FILE_PAWN_AHEAD;
  }
  if (EvalState.castleChance[v.us] == 1) raiseShelters(v);
}

// Step 3: a king on its first rank with every square in front of it blocked or covered.
void scoreBackRank(KingView& v) {
  if (EvalState.gamePhase < BACK_RANK_PHASE || rankOf(v.rk) != FIRST_RANK) return;
  int front[3] = {v.rk + FRONT_LEFT, v.rk + FRONT, v.rk + FRONT_RIGHT};
  int count = 3;
  if (v.rk == A1 || v.rk == H1) {
    // A corner king has two squares in front of it.
    front[0] = v.rk == A1 ? A2 : H2;
    front[1] = v.rk == A1 ? B2 : G2;
    count = 2;
  }
  for (int i = 0; i < count; ++i) {
    const int square = relativeSquare(v.us, front[i]);
    if (Board.pieceAt[square] != PAWN && attackersOf(v.them, square) == 0) return;
  }
  v.base -= BACK_RANK_PENALTY * (1 + rookCount(v.them) + Board.typeCount[v.them][QUEEN]);
}

// Step 4: the squares next to the king.
void scoreKingZone(KingView& v) {
  int free = 0;
  for (int i = 1; i <= EvalState.kingZoneCount[v.us]; ++i) {
    const int q = EvalState.kingZone[v.us][i];
    if (attackersOf(v.them, q) == 0) {
      if (Board.colorAt[q] != v.us) free += 1;
      continue;
    }
    v.w += 1;
    const bool undefended = EvalState.attackMap[v.us][q] < ATTACK_QUEEN_BIT && pawnAttackers(v.us, q) == 0;
    if (!undefended || attackersOf(v.them, q) < ATTACKS_FOR_CONTACT) continue;
    const int16_t enemy = EvalState.attackMap[v.them][q];
    const int steps = BoardTables.taxicab[q][v.king];
    if (enemy & ATTACK_QUEEN_BIT) {
      v.w += ZONE_QUEEN_CONTACT;
      v.contact += 1;
    } else if ((enemy & ATTACK_ROOK_BIT) && steps == 1) {
      v.w += edgeSquare[v.king] ? ZONE_ROOK_CONTACT_EDGE : ZONE_ROOK_CONTACT;
      v.contact += 1;
    } else if ((enemy & ATTACK_BISHOP_BIT) && steps == 2) {
      v.w += ZONE_BISHOP_CONTACT;
    }
  }
  if (free == 0) v.w += ZONE_ALL_COVERED;
}

// Step 6: the weakness count weighed by the enemy's attacking material.
void scoreWeakness(KingView& v, bool amplified) {
  const int b = v.enemyPieces;
  if (v.enemyQueen && b > LIGHT_ATTACK_PIECES) {
    if (amplified) {
      v.w += b - LIGHT_ATTACK_PIECES;
      v.w += aggressionScale[countIndex(b, AGGRESSION_LAST)] * v.w / PERCENT;
    }
    v.base += (queenAttackScale[countIndex(b, QUEEN_ATTACK_SCALE_LAST)] * v.w) / WEAKNESS_HALF;
  } else if (v.enemyQueen && b == LIGHT_ATTACK_PIECES) {
    v.base -= v.w + v.w / 2;
  } else {
    v.base += v.w / WEAKNESS_HALF;
  }
}

// Step 9: the attack units collected against this king.
void scoreAttackUnits(KingView& v, bool amplified) {
  int32_t& units = EvalState.kingAttackUnits[v.us];
  if (amplified && units < AMPLIFY_UNITS_LIMIT) units += units / 2;
  assert(v.w >= 0);
  const int scale = v.w > WEAKNESS_SCALE_LIMIT ? WEAKNESS_SCALE_MAX : weaknessScale[v.w];
  v.base -= (kingDanger[countIndex(units, KING_DANGER_LAST)] * scale) >> DANGER_SHIFT;
}

}  // namespace

int16_t evaluateKingSafety(int colour) {
  KingView v{};
  v.us = colour;
  v.them = colour ^ 1;
  v.king = kingSquare(colour);
  v.rk = relativeSquare(colour, v.king);
  v.enemyPieces = Board.pieceCount[v.them];
  v.enemyQueen = hasPieceType(v.them, QUEEN);
  EvalState.castleChance[colour] = 0;

  if (v.enemyQueen && v.enemyPieces > 1) {
    // Step 1. King area, castling and the wing the king stands on.
    v.base = -kingAreaWeight[colour][v.king] * (v.enemyPieces - 1);
    scoreCastling(v);
    const int file = fileOf(v.king);
    if (file >= FILE_F)
      scoreKingSide(v);
    else if (file <= FILE_C)
      scoreQueenSide(v);
    else
      scoreCentre(v);
  } else {
    // Step 2. No queen attack to fear: the king belongs in the centre.
    v.base = kingEndgameTable[colour][v.king];
    if (v.enemyPieces > 2)
      v.base -= std::min<int>(ENDGAME_AREA_LIMIT, kingAreaWeight[colour][v.king]) * (v.enemyPieces - 1);
  }
  // Step 3.
  scoreBackRank(v);
  // Step 4.
  scoreKingZone(v);
  // Step 5. Two heavy pieces on our second rank.
  if (EvalState.seventhRankCount[v.them] > 1 && rankOf(v.rk) <= THIRD_RANK) v.w += HEAVY_PIECES_ON_SECOND;
  // Step 6.
  const bool amplified = amplifiesAttack(colour);
  scoreWeakness(v, amplified);
  // Step 7. A discovered attack on the king is prepared.
  if (EvalState.xrayInfo[v.king] != 0) {
    v.contact += 1;
    v.base -= XRAY_KING_PENALTY;
  }
  // Step 8.
  if (v.contact > 0) {
    EvalState.kingContactScore[v.them] += v.contact;
    if (v.enemyQueen) EvalState.kingThreat[colour] += 1;
    v.base -= CONTACT_PENALTY;
  }
  // Step 9.
  scoreAttackUnits(v, amplified);
  EvalState.kingWeakness[colour] = static_cast<int16_t>(v.w);
  EvalState.kingContacts[colour] = static_cast<int8_t>(v.contact);
  EvalState.kingSafetyBase[colour] = static_cast<int16_t>(v.base);
  // Step 10.
  return static_cast<int16_t>(v.base);
}
