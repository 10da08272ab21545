// Knight, bishop, rook and queen terms and piece safety. Every routine serves both colours: the
// colour is that of the piece on the square, square tables are written from White's side and read
// through relativeSquare, and "in front" means toward the enemy's side. Besides the returned value
// the terms add safe mobility to mobilityScore, collect king-attack units against the enemy king
// and leave the bishop-colour, rook-file and seventh-rank flags for the king-safety term.
#include "eval/pieces.h"

#include <algorithm>
#include <cassert>
#include <cstdlib>

#include "board/board.h"
#include "board/tables.h"
#include "eval/attackmap.h"
#include "eval/evalstate.h"
#include "eval/evaltables.h"
#include "eval/pawnterms.h"
#include "eval/pawnview.h"
#include "eval/sideview.h"

namespace {

// ---- Square tables (White's side; rows rank 1 to rank 8, files a to h) ----
constexpr int16_t knightTable[64] = {
    -25, -15, -5, -5, -5, -5, -15, -25,
    -25, -10,  0,  2,  2,  0, -10, -25,
    -10,   3,  3,  3,  3,  3,   3, -10,
    -10,   3,  7,  7,  7,  7,   3, -10,
    -10,   4, 10, 10, 10, 10,   4, -10,
    -10,   4, 10, 10, 10, 10,   4, -10,
    -35, -25,  7,  7,  7,  7, -25, -35,
    -35, -25, -5, -5, -5, -5, -25, -35,
};

constexpr int16_t outpostTable[64] = {
    0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 2, 2, 0, 0, 0,
    0, 0, 2, 3, 3, 2, 0, 0,
    0, 1, 2, 3, 3, 2, 1, 0,
    0, 1, 1, 1, 1, 1, 1, 0,
    0, 0, 0, 0, 0, 0, 0, 0,
};

constexpr int16_t bishopTable[64] = {
    -15, -10, -10, -10, -10, -10, -10, -15,
    -10,   6,   2,   2,   2,   2,   6, -10,
      0,   4,   4,   5,   5,   4,   4,   0,
      1,   4,   7,   7,   7,   7,   4,   1,
      1,   4,  10,  10,  10,  10,   4,   1,
      0,   4,  10,  10,  10,  10,   4,   0,
    -15,   4,   7,   7,   7,   7,   4, -15,
    -15, -15,  -5,  -5,  -5,  -5, -15, -15,
};

// Weight of the own pawns on the bishop's colour when its central pawns block it.
constexpr uint8_t badBishopFactor[64] = {
    1, 2, 1, 2, 2, 1, 2, 1,
    2, 1, 2, 2, 2, 2, 1, 2,
    0, 2, 1, 2, 2, 1, 2, 0,
    0, 0, 2, 2, 2, 2, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0,
};

constexpr int16_t rookTable[64] = {
    -1, 1, 3, 5, 5, 3, 1, -1,
    -9, 1, 3, 5, 5, 3, 1, -9,
    -9, 1, 3, 5, 5, 3, 1, -9,
    -9, 1, 3, 5, 5, 3, 1, -9,
     0, 1, 3, 5, 5, 3, 1,  0,
     0, 1, 3, 5, 5, 3, 1,  0,
     0, 1, 3, 5, 5, 3, 1,  0,
     0, 1, 3, 5, 5, 3, 1,  0,
};

constexpr int16_t queenTable[64] = {
    -9, -8, 0, 0, 0, 0, -8, -9,
    -9,  1, 3, 3, 3, 3,  1, -9,
    -9,  1, 2, 4, 4, 2,  1, -9,
    -9,  1, 4, 6, 6, 4,  1, -9,
     0,  1, 4, 6, 6, 4,  1,  0,
     0,  1, 3, 6, 6, 3,  1,  0,
     0,  1, 3, 4, 4, 3,  1,  0,
     0,  0, 0, 0, 0, 0,  0,  0,
};

// ---- King tropism (attack units by distance to the enemy king) ----
constexpr int tropism[8] = {3, 3, 3, 2, 1, 0, 0, 0};           // by king distance
constexpr int rookFileTropism[8] = {4, 3, 1, 0, 0, 0, 0, 0};   // by file distance
constexpr int queenTropism[8] = {4, 4, 4, 2, 1, 0, 0, 0};      // by king distance
constexpr int queenFileTropism[8] = {5, 4, 3, 0, 0, 0, 0, 0};  // by file distance
// Units against the own king for a queen far from it, by file distance.
constexpr int queenHomeDistance[8] = {0, 0, 0, 0, 1, 4, 4, 6};
constexpr int NO_FILE_DISTANCE = 7;  // a file with own pawns in front of the piece

// ---- Pins, rook files, safety ----
constexpr int16_t pinWeightUndefended[8] = {0, 4, 8, 8, 14, 20, 30, 0};
// By the relative rank of the own pawn in front of a rook.
constexpr int blockedRookPenalty[8] = {0, 4, 4, 2, 1, 0, 0, 0};
constexpr int exposurePenalty[PHASE_COUNT] = {7, 7, 7, 7};  // by gamePhase
constexpr int MOVER_THREAT_PENALTY = 12;          // threatened piece of the side to move
constexpr int PINNED_MINOR_PENALTY = 24;          // minor pinned to its king and hit by a pawn
constexpr int ATTACKER_WEIGHT = 2;                // per attacker of a piece
constexpr int XRAY_PENALTY = 8;
constexpr int PAWN_DEFENDED_EXPOSURE_DIVISOR = 2;

// ---- Knights ----
// The two-steps-ahead square of an outpost is read only from here on: White above e4, Black below d5.
constexpr int WHITE_OUTPOST_NEAR_LIMIT = 28;
constexpr int BLACK_OUTPOST_NEAR_LIMIT = 35;
constexpr int OUTPOST_PAWN_FACTOR = 3;
constexpr int OUTPOST_PIECE_FACTOR = 2;
constexpr int OUTPOST_CONTESTED_FACTOR = 2;
constexpr int EARLY_PHASE_LIMIT = PHASE_LATE_MIDDLEGAME;  // the c-pawn rule applies below this gamePhase
constexpr int KNIGHT_BLOCKS_C_PAWN = 4;
constexpr int KNIGHT_BLOCKS_C_PAWN_D5 = 7;
constexpr int PAWN_SUPPORT_BONUS = 2;
constexpr int PIECE_SUPPORT_BONUS = 1;

// ---- Bishops ----
constexpr int TRAPPED_BISHOP_PENALTY = 110;
constexpr int BISHOP_BASE_BONUS = 8;
constexpr int ENDGAME_BISHOP_BASE = 5;
constexpr int ENDGAME_BISHOP_PAWN_WEIGHT = 3;
constexpr int ENDGAME_TARGET_WEIGHT = 2;     // enemy pawns on the bishop's colour count twice

// ---- Mobility ----
constexpr int HEAVY_MOBILITY_DIVISOR = 2;    // rooks and queens count half their safe moves
constexpr int ENDGAME_MOBILITY_WEIGHT = 2;
constexpr int ENDGAME_TABLE_DIVISOR = 2;     // the endgame knight uses half its square value

// ---- Rooks ----
constexpr int ROOK_CONNECTED = 2;
constexpr int OPEN_FILE = 10;
constexpr int OPEN_FILE_AT_KING = 10;
constexpr int BEHIND_ENEMY_PASSER = 10;
constexpr int BESIDE_ENEMY_PASSER = 8;
constexpr int WEAK_PAWN_FILE = 5;
constexpr int WEAK_PAWN_ATTACKED = 4;
constexpr int WEAK_PAWN_FLAWED = 6;
constexpr int WEAK_PAWN_STOP_ATTACKED = 2;
constexpr int HALF_OPEN_FILE = 2;
constexpr int DOUBLED_ROOKS = 7;
constexpr int DOUBLED_ROOKS_KING_FILES = 2;       // file distance to the enemy king
constexpr int BEHIND_OWN_PASSER = 11;
constexpr int BESIDE_OWN_PASSER = 5;
constexpr int BLOCKED_DUO_RANK_LIMIT = 2;         // a duo pawn above this relative rank
constexpr int BLOCKED_FREE_FILE = 5;
constexpr int BLOCKED_ROOK_WEIGHT = 2;
constexpr int SEVENTH_RANK = 6;                   // relative rank index
constexpr int ROOK_ON_SEVENTH = 25;
constexpr int SECOND_ON_SEVENTH = 40;
constexpr int QUEEN_ON_SEVENTH = 40;
constexpr int ENDGAME_OPEN_FILE = 6;
constexpr int ENDGAME_WEAK_PAWN_STOP_ATTACKED = 7;
constexpr int ENDGAME_PAWN_LIMIT = 5;
constexpr int ENDGAME_PAWN_EXCESS = 4;

// Flags of an enemy front pawn that make it a target for a rook.
constexpr uint16_t PAWN_FLAWS = PAWN_ISOLATED | PAWN_BACKWARD | (0x15 << 8);

int pieceColour(int square) {
  assert(Board.colorAt[square] == WHITE || Board.colorAt[square] == BLACK);
  return Board.colorAt[square];
}

int kingDistance(int square, int king) { return BoardTables.distance[square][king]; }

int fileDistance(int square, int king) { return std::abs(fileOf(square) - fileOf(king)); }

// +2 for a pawn-defended piece, else +1 for a piece any own piece defends.
int supportBonus(int us, int square) {
  if (pawnAttackers(us, square) > 0) return PAWN_SUPPORT_BONUS;
  return EvalState.attackMap[us][square] != 0 ? PIECE_SUPPORT_BONUS : 0;
}

int outpostBonus(int us, int square) {
  const int them = us ^ 1;
  const int weight = outpostTable[relativeSquare(us, square)];
  if (weight == 0 || pawnAttackers(them, square) > 0) return 0;
  const int stop = square + forwardStep(us);
  const bool pawnDefended = pawnAttackers(us, square) > 0;
  if (pawnAttackers(them, stop) > 0) return pawnDefended ? OUTPOST_CONTESTED_FACTOR * weight : 0;
  // Closer to the own side the enemy may still attack the square two steps ahead. The two limits
  // are not exact mirrors (White f4-h4, Black a5-c5), which only matters where the table is 0.
  const bool nearSide =
      us == WHITE ? square <= WHITE_OUTPOST_NEAR_LIMIT : square >= BLACK_OUTPOST_NEAR_LIMIT;
  if (nearSide && pawnAttackers(them, stop + forwardStep(us)) > 0) return 0;
  if (pawnDefended) return OUTPOST_PAWN_FACTOR * weight;
  if (EvalState.attackMap[us][square] > ATTACK_BISHOP_BIT) return OUTPOST_PIECE_FACTOR * weight;
  return 0;
}

// Own pawns on the bishop's square colour.
int ownPawnsOnColour(int colour, bool dark) {
  const int onDark = EvalState.darkSquarePawns[colour];
  return dark ? onDark : Board.pawnCount[colour] - onDark;
}

bool ownPawnOn(int us, int relative) { return holds(relativeSquare(us, relative), PAWN, us); }

// The central pawn chain that walls in a bishop on relative square `rs`: on the relative dark
// squares d4 with e5 (or e3, unless the bishop stands outside the chain on h2, g3, f4); on the
// relative light squares e4 with d5 (or d3, unless on a2, b3, c4).
bool centreBlocksBishop(int us, int rs) {
  if (isDarkSquare(rs)) {
    if (!ownPawnOn(us, D4)) return false;
    return ownPawnOn(us, E5) || (ownPawnOn(us, E3) && rs != H2 && rs != G3 && rs != F4);
  }
  if (!ownPawnOn(us, E4)) return false;
  return ownPawnOn(us, D5) || (ownPawnOn(us, D3) && rs != A2 && rs != B3 && rs != C4);
}

// Notes the bishop's square colour for the king-safety term.
void noteBishopColour(int us, bool dark) {
  if (dark)
    EvalState.bishopOnDark[us] = 1;
  else
    EvalState.bishopOnLight[us] = 1;
}

// A bishop caught on a7 (h7) by the pawn on b6 (g6), seen from the bishop's side.
bool isTrappedBishop(int us, int rs) {
  const int them = us ^ 1;
  return (rs == A7 && holds(relativeSquare(us, B6), PAWN, them)) ||
         (rs == H7 && holds(relativeSquare(us, G6), PAWN, them));
}

bool rookAttacks(int us, int square) { return (EvalState.attackMap[us][square] & ATTACK_ROOK_BIT) != 0; }

// A rook on a file without own pawns and with enemy pawns (middlegame).
int halfOpenFileBonus(int us, int rank, int file, uint16_t enemyInfo) {
  const int them = us ^ 1;
  if (enemyInfo & PAWN_PASSED) {
    return relativeRank(us, rank) >= relativeFrontRank(us, them, file) ? BEHIND_ENEMY_PASSER
                                                                  : BESIDE_ENEMY_PASSER;
  }
  if (!(enemyInfo & PAWN_UNDERDEFENDED)) return HALF_OPEN_FILE;
  int v = WEAK_PAWN_FILE;
  if (rookAttacks(us, frontPawnSquare(them, file)))
    v += WEAK_PAWN_ATTACKED;
  else if (enemyInfo & PAWN_FLAWS)
    v += WEAK_PAWN_FLAWED;
  if (enemyInfo & PAWN_STOP_DOUBLY_ATTACKED) v += WEAK_PAWN_STOP_ATTACKED;
  return v;
}

// A rook on a file with own pawns: behind a passer is good, behind a stuck pawn is not.
// Sets *fileDist when the rook stands in front of its pawns.
int ownPawnFileBonus(int us, int square, int* fileDist) {
  const int them = us ^ 1;
  const int file = fileOf(square);
  const uint16_t info = EvalState.pawnFileInfo[us][file];
  const int pawnRank = relativeFrontRank(us, us, file);
  const bool behind = relativeRank(us, rankOf(square)) < pawnRank;
  if (info & PAWN_PASSED) return behind ? BEHIND_OWN_PASSER : BESIDE_OWN_PASSER;
  if (!behind) {
    *fileDist = fileDistance(square, kingSquare(them));
    return 0;
  }
  const bool duoUnderWay = (info & PAWN_DUO) && pawnRank > BLOCKED_DUO_RANK_LIMIT;
  if (duoUnderWay || pawnAttackers(them, frontPawnSquare(us, file)) > 0) return 0;
  int v = -BLOCKED_ROOK_WEIGHT * blockedRookPenalty[pawnRank];
  if (info & PAWN_FREE_FILE) v -= BLOCKED_FREE_FILE;
  return v;
}

bool enemyKingOnBackRanks(int us) {
  return relativeRank(us, rankOf(kingSquare(us ^ 1))) >= SEVENTH_RANK;
}

}  // namespace

int16_t pinPenalty(int s) {
  const int us = pieceColour(s);
  const int them = us ^ 1;
  // Step 1. No pin or skewer on this piece.
  const int info = EvalState.pinInfo[s];
  if (info == 0) return 0;
  // Step 2. Pinned or skewered against the piece code `info`.
  int weighed = info;
  if (info >= PIN_PIECE_LIMIT) {
    // Step 3. Moving this piece uncovers an attack on the own piece behind it.
    const int behind = pinUncoveredSquare(info);
    if (pawnAttackers(us, behind) > 0 || pieceAttackers(us, behind) > pieceAttackers(them, behind)) return 0;
    weighed = Board.pieceAt[behind];
  }
  assert(weighed >= 0 && weighed <= KING);
  const int weight = pawnAttackers(us, s) > 0 ? pinWeightDefended[weighed] : pinWeightUndefended[weighed];
  return static_cast<int16_t>(-weight);
}

int16_t evaluateKnight(int s) {
  const int us = pieceColour(s);
  const int them = us ^ 1;
  const int rs = relativeSquare(us, s);
  // Step 1. Pin penalty.
  int v = pinPenalty(s);
  // Step 2. Outpost.
  v += outpostBonus(us, s);
  // Step 3. Mobility.
  EvalState.mobilityScore[us] += EvalState.safeMobility[s];
  // Step 4. Square value.
  v += knightTable[rs];
  // Step 5. Knight on c3 in front of its c2 pawn early in the game.
  if (rs == C3 && EvalState.gamePhase < EARLY_PHASE_LIMIT && ownPawnOn(us, C2)) {
    if (pawnAttackers(us, s) == 0) v -= KNIGHT_BLOCKS_C_PAWN;
    if (holds(relativeSquare(us, D5), PAWN, them)) v -= KNIGHT_BLOCKS_C_PAWN_D5;
  }
  // Step 6. Closeness to the enemy king adds to the attack units.
  EvalState.kingAttackUnits[them] += tropism[kingDistance(s, kingSquare(them))];
  // Step 7. Defended by a pawn or by another piece.
  v += supportBonus(us, s);
  return static_cast<int16_t>(v);
}

int16_t evaluateBishop(int s) {
  const int us = pieceColour(s);
  const int them = us ^ 1;
  const int rs = relativeSquare(us, s);
  // Step 1. Pin penalty and mobility.
  int v = pinPenalty(s);
  EvalState.mobilityScore[us] += EvalState.safeMobility[s];
  // Step 2. Trapped on a7/h7 (a threat, not a threatened piece).
  if (isTrappedBishop(us, rs)) EvalState.threatScore[us] -= TRAPPED_BISHOP_PENALTY;
  // Step 3. Base bonus.
  v += BISHOP_BASE_BONUS;
  // Step 4. Bad bishop behind its own central pawns.
  const bool dark = isDarkSquare(s);
  noteBishopColour(us, dark);
  const int factor = badBishopFactor[rs];
  if (factor != 0 && centreBlocksBishop(us, rs)) v -= factor * ownPawnsOnColour(us, dark);
  // Step 5. Defended by a pawn or by another piece.
  v += supportBonus(us, s);
  // Step 6. Square value.
  v += bishopTable[rs];
  // Step 7. Closeness to the enemy king adds to the attack units.
  EvalState.kingAttackUnits[them] += tropism[kingDistance(s, kingSquare(them))];
  return static_cast<int16_t>(v);
}

int16_t evaluateRook(int s) {
  const int us = pieceColour(s);
  const int them = us ^ 1;
  const int file = fileOf(s);
  const int rank = rankOf(s);
  const int enemyKing = kingSquare(them);
  // Step 1. Mobility, pin penalty and square value.
  EvalState.mobilityScore[us] += EvalState.safeMobility[s] / HEAVY_MOBILITY_DIVISOR;
  int v = pinPenalty(s) + rookTable[relativeSquare(us, s)];
  int fileDist = NO_FILE_DISTANCE;
  // Step 2. Connected with another rook.
  if (rookAttacks(us, s)) v += ROOK_CONNECTED;
  if (Board.filePawns[us][file] == 0) {
    // Step 3. Open or half-open file.
    fileDist = fileDistance(s, enemyKing);
    uint16_t enemyInfo = 0;
    if (Board.filePawns[them][file] == 0) {
      v += OPEN_FILE;
      if (fileOf(enemyKing) == file) v += OPEN_FILE_AT_KING;
    } else {
      enemyInfo = EvalState.pawnFileInfo[them][file];
      v += halfOpenFileBonus(us, rank, file, enemyInfo);
    }
    if (EvalState.rookFile[us] < 0) {
      EvalState.rookFile[us] = static_cast<int8_t>(file);
    } else if (EvalState.rookFile[us] == file) {
      if ((enemyInfo & PAWN_UNDERDEFENDED) || fileDist <= DOUBLED_ROOKS_KING_FILES) v += DOUBLED_ROOKS;
    }
  } else {
    // Step 4. Own pawns on the file.
    v += ownPawnFileBonus(us, s, &fileDist);
  }
  // Step 5. Seventh rank.
  if (relativeRank(us, rank) == SEVENTH_RANK && (enemyKingOnBackRanks(us) || hasPieceType(us, QUEEN))) {
    v += ROOK_ON_SEVENTH;
    if (EvalState.seventhRankCount[us] > 0) v += SECOND_ON_SEVENTH;
    EvalState.seventhRankCount[us] += 1;
  }
  // Step 6. Closeness to the enemy king, along the file or by distance, adds to the attack units.
  EvalState.kingAttackUnits[them] +=
      std::max(rookFileTropism[fileDist], tropism[kingDistance(s, enemyKing)]);
  return static_cast<int16_t>(v);
}

int16_t evaluateQueen(int s) {
  const int us = pieceColour(s);
  const int them = us ^ 1;
  const int file = fileOf(s);
  const int rank = rankOf(s);
  const int enemyKing = kingSquare(them);
  // Step 1. Mobility, pin penalty and square value.
  EvalState.mobilityScore[us] += EvalState.safeMobility[s] / HEAVY_MOBILITY_DIVISOR;
  int v = pinPenalty(s) + queenTable[relativeSquare(us, s)];
  // Step 2. The file counts toward the king unless own pawns stand in front of the queen.
  int fileDist = NO_FILE_DISTANCE;
  if (Board.filePawns[us][file] == 0 || relativeRank(us, rank) > relativeFrontRank(us, us, file))
    fileDist = fileDistance(s, enemyKing);
  // Step 3. Closeness to the enemy king, along the file or by distance, adds to the attack units.
  EvalState.kingAttackUnits[them] +=
      std::max(queenFileTropism[fileDist], queenTropism[kingDistance(s, enemyKing)]);
  // Step 4. A queen far from its own king weakens it.
  EvalState.kingAttackUnits[us] += queenHomeDistance[fileDistance(s, kingSquare(us))];
  // Step 5. Seventh rank.
  if (relativeRank(us, rank) == SEVENTH_RANK && (enemyKingOnBackRanks(us) || hasPieceType(us, ROOK))) {
    if (EvalState.seventhRankCount[us] > 0) v += QUEEN_ON_SEVENTH;
    EvalState.seventhRankCount[us] += 1;
  }
  return static_cast<int16_t>(v);
}

int16_t pieceSafety(int s, int type) {
  const int us = pieceColour(s);
  const int them = us ^ 1;
  const bool toMove = EvalState.evalSide == us;
  int r = 0;
  int threatened = 0;
  // Step 1. Attackers of the piece.
  const int attackers = attackersOf(them, s);
  if (attackers > 0) {
    // Step 2. Each attacker costs.
    r = -ATTACKER_WEIGHT * attackers;
    int defenders = attackersOf(us, s);
    const int16_t enemyWord = EvalState.attackMap[them][s];
    const bool pawnHit = pawnAttackers(them, s) > 0;
    const bool pawnDefended = pawnAttackers(us, s) > 0;
    if (type == QUEEN) {
      // Step 3. Anything cheaper than a queen among the attackers threatens it.
      threatened = defenders < attackers || enemyWord > ATTACK_ROOK_BIT || pawnHit;
      if (threatened && toMove) r -= MOVER_THREAT_PENALTY;
    } else {
      // Step 4. A rook, knight or bishop is threatened when undefended, hit by a pawn, or (a rook) by a cheaper piece.
      threatened = defenders == 0 || pawnHit || (type == ROOK && enemyWord > ATTACK_BISHOP_BIT);
      if (threatened && toMove) {
        r -= MOVER_THREAT_PENALTY;
        const bool minor = type == KNIGHT || type == BISHOP;
        if (minor && EvalState.pinInfo[s] == KING && pawnHit) r -= PINNED_MINOR_PENALTY;
      }
      // Step 5. A battery behind the piece counts as one more defender.
      if (EvalState.batteryInfo[s] != 0) defenders += 1;
      assert(EvalState.gamePhase >= PHASE_OPENING && EvalState.gamePhase <= PHASE_ENDGAME);
      const int exposure = exposurePenalty[EvalState.gamePhase];
      if (!pawnDefended) {
        if (attackers > defenders && !threatened) {
          threatened = 1;
          if (toMove) r -= MOVER_THREAT_PENALTY;
        }
        if (attackers >= defenders) r -= exposure;
      } else if (attackers > defenders && !threatened) {
        r -= exposure / PAWN_DEFENDED_EXPOSURE_DIVISOR;
      }
    }
  }
  // Step 6. A discovered attack on this piece is possible.
  if (EvalState.xrayInfo[s] != 0) r -= XRAY_PENALTY;
  // Step 7. Threatened pieces are counted for the search's threat code.
  EvalState.threatenedPieces[us] += threatened;
  return static_cast<int16_t>(r);
}

int16_t endgameKnight(int s) {
  const int us = pieceColour(s);
  return static_cast<int16_t>(pinPenalty(s) + knightTable[relativeSquare(us, s)] / ENDGAME_TABLE_DIVISOR +
                              ENDGAME_MOBILITY_WEIGHT * EvalState.safeMobility[s]);
}

int16_t endgameBishop(int s) {
  const int us = pieceColour(s);
  const bool dark = isDarkSquare(s);
  noteBishopColour(us, dark);
  // Enemy pawns on the bishop's colour are targets, own ones are in its way.
  const int targets = ownPawnsOnColour(us ^ 1, dark);
  const int obstacles = ownPawnsOnColour(us, dark);
  const int pawns = ENDGAME_BISHOP_PAWN_WEIGHT * (ENDGAME_TARGET_WEIGHT * targets - obstacles);
  return static_cast<int16_t>(pinPenalty(s) + ENDGAME_MOBILITY_WEIGHT * EvalState.safeMobility[s] +
                              ENDGAME_BISHOP_BASE + pawns);
}

int16_t endgameRook(int s) {
  const int us = pieceColour(s);
  const int them = us ^ 1;
  const int file = fileOf(s);
  const int relRank = relativeRank(us, rankOf(s));
  int v = pinPenalty(s) + EvalState.safeMobility[s];
  if (Board.filePawns[us][file] == 0) {
    if (Board.filePawns[them][file] == 0) {
      v += ENDGAME_OPEN_FILE;
    } else {
      const uint16_t info = EvalState.pawnFileInfo[them][file];
      if (info & PAWN_PASSED) {
        v += relRank >= relativeFrontRank(us, them, file) ? BEHIND_ENEMY_PASSER : BESIDE_ENEMY_PASSER;
      } else if (info & PAWN_UNDERDEFENDED) {
        if (rookAttacks(us, frontPawnSquare(them, file))) v += WEAK_PAWN_ATTACKED;
        if (info & PAWN_FLAWS) v += WEAK_PAWN_FLAWED;
        if (info & PAWN_STOP_DOUBLY_ATTACKED) v += ENDGAME_WEAK_PAWN_STOP_ATTACKED;
      }
    }
  } else {
    const uint16_t info = EvalState.pawnFileInfo[us][file];
    const int pawnRank = relativeFrontRank(us, us, file);
    if (info & PAWN_PASSED) {
      v += relRank < pawnRank ? BEHIND_OWN_PASSER : BESIDE_OWN_PASSER;
    } else if (relRank < pawnRank) {
      if (info & PAWN_FREE_FILE) v -= BLOCKED_FREE_FILE;
      v -= blockedRookPenalty[pawnRank];
      if (Board.pawnCount[us] > ENDGAME_PAWN_LIMIT)
        v -= ENDGAME_PAWN_EXCESS * (Board.pawnCount[us] - ENDGAME_PAWN_LIMIT);
    }
  }
  if (relRank == SEVENTH_RANK && enemyKingOnBackRanks(us)) v += ROOK_ON_SEVENTH;
  return static_cast<int16_t>(v);
}
