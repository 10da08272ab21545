// The pawn skeleton of one colour: per-file flags of its front pawns (doubled, isolated, backward,
// weak, passed, blocked, duo, breakthrough...), the structure score, and the weakness of the pawn
// cover on both wings. Every rule is written from the colour's own view (relative ranks and
// squares), so White and Black share it.
#include <algorithm>
#include <cassert>

#include "board/board.h"
#include "eval/evalstate.h"
#include "eval/pawnhash.h"
#include "eval/pawnterms.h"
#include "eval/pawnview.h"
#include "eval/sideview.h"

namespace {

// ---- File scores (White's view; Black reads through relativeSquare / relative ranks) ----
constexpr int16_t pawnFileValue[8] = {-4, 0, 2, 5, 5, 2, 0, -4};
constexpr int16_t pawnSquareValue[64] = {
    0, 0,  0,  0,  0, 0, 0, 0,
    0, 0, -2, -6, -6, -2, 0, 0,
    1, 2,  0, -1, -1, 0, 2, 1,
    2, 2,  4,  6,  6, 2, 2, 2,
    2, 2,  4,  6,  6, 2, 2, 2,
    0, 0,  0,  0,  0, 0, 0, 0,
    0, 0,  0,  0,  0, 0, 0, 0,
    0, 0,  0,  0,  0, 0, 0, 0,
};
constexpr int16_t breakthroughBonus[8] = {0, 5, 10, 15, 20, 40, 0, 0};  // by relative rank
constexpr int16_t weakPawnValue[8] = {0, 0, -3, -6, -10, -14, -16, 0};   // by relative rank

// ---- Relative ranks the rules look at ----
constexpr int SECOND_RANK = 1;
constexpr int THIRD_RANK = 2;
constexpr int FOURTH_RANK = 3;
constexpr int FIFTH_RANK = 4;
constexpr int SIXTH_RANK = 5;
constexpr int SEVENTH_RANK = 6;
constexpr int ADVANCED_PASSER_SQUARE = 31;  // relative squares above this are on the fifth rank or beyond

// ---- Duos ----
constexpr int LOW_DUO_RANK_BONUS = 2;       // a duo on the third rank
constexpr int16_t duoBonus[8] = {8, 8, 9, 11, 8, 8, 8, 8};  // a free duo from the fourth rank, by file
constexpr int ADVANCED_DUO_BONUS = 3;       // a free duo from the fifth rank
constexpr int BLOCKED_DUO_BONUS = 3;

// ---- Isolated, backward and doubled pawns ----
constexpr int EDGE_ISOLATED_BASE = -16;     // minus the rank
constexpr int ISOLATED_BASE = -25;          // minus twice the rank
constexpr int BACKWARD_PENALTY = 25;
constexpr int BACKWARD_DOUBLY_ATTACKED_PENALTY = 40;
constexpr int ISOLATED_STOP_OCCUPIED_PENALTY = 6;
constexpr int ISOLATED_STOP_ATTACKED_PENALTY = 4;
constexpr int ISOLATED_STOP_DOUBLY_ATTACKED_PENALTY = 12;
constexpr int DOUBLED_PENALTY = 25;
constexpr int DOUBLED_ISOLATED_PENALTY = 25;
constexpr int DOUBLED_STOP_OCCUPIED_PENALTY = 12;
constexpr int DOUBLED_ISOLATED_STOP_OCCUPIED_PENALTY = 6;
constexpr int DOUBLED_BACKWARD_PENALTY = 7;
constexpr int DOUBLED_ISOLATED_STOP_ATTACKED_PENALTY = 4;
constexpr int DOUBLED_ISOLATED_STOP_DOUBLY_ATTACKED_PENALTY = 15;
constexpr int ISOLATED_COUNT_WEIGHT = 3;    // times min(isolated pawns, 3) squared, from two on
constexpr int ISOLATED_COUNT_CAP = 3;

// ---- Passed pawns, weak pawns, the file ahead ----
constexpr int PASSER_AFTER_ADVANCED_BONUS = 15;
constexpr int WEAK_ON_HALF_OPEN_FILE_PENALTY = 3;
constexpr int DOUBLED_FREE_FILE_PENALTY = 10;
constexpr int STOP_OUTNUMBERED_PENALTY = 2;        // the enemy pawns attack the stop square once more
constexpr int STOP_OUTNUMBERED_TWICE_PENALTY = 8;  // ... twice or more

// ---- Shelters ----
// Cover of a file whose second-rank pawn is gone, by where the file's own pawns stand:
// {on the third rank, on the fourth rank, no pawn on the file, elsewhere}.
struct CoverCost {
  int third, fourth, none, other;
};
constexpr CoverCost queenWingCover = {5, 9, 12, 10};  // a and b files
constexpr CoverCost cFileCover = {5, 6, 8, 7};
constexpr CoverCost kingWingCover = {3, 8, 12, 10};    // g and h files
constexpr int F_FILE_PAWN_ADVANCED = 1;      // f-pawn gone from f2 but on f3 or f4
constexpr int F_FILE_PAWN_GONE = 2;
constexpr int H_PAWN_MOVED_WITH_F = 5;       // h-pawn left h2 while f2 is empty
constexpr int G_PAWN_MOVED_WITH_F = 3;       // g-pawn left g2 while f2 is empty
constexpr int H_PAWN_MOVED_WITH_G = 2;       // h-pawn left h2 while g2 is empty
constexpr int ENEMY_PAWN_REACH = 5;          // an enemy front pawn on relative rank r costs 5 - r...
constexpr int QUEEN_WING_ENEMY_LIMIT = 5;    // ... when r is below this on files a to c
constexpr int KING_WING_ENEMY_LIMIT = 4;     // ... or below this on files f to h
constexpr int QUEEN_WING_NO_ENEMY_PAWN = 5;
constexpr int F_FILE_NO_ENEMY_PAWN = 1;
constexpr int GH_FILE_NO_ENEMY_PAWN = 4;
constexpr int EMPTY_FILES_THRESHOLD = 1;     // more empty king-wing files than this cost their square
constexpr int DEEP_ENEMY_PAWN = 6;           // enemy pawn on the second or third rank of a wing
constexpr int FOURTH_RANK_ENEMY_PAWN = 4;

int16_t narrow(int v) { return static_cast<int16_t>(v); }

// One file of a colour with pawns, as that colour sees it.
struct PawnFile {
  int colour;
  int enemy;
  int file;
  int up;      // one step forward
  int rank;    // relative rank of the front pawn
  int square;  // front pawn
  int stop;    // square in front of it (the stop square)
};

int ownAttacks(const PawnFile& p, int s) { return Board.pawnAttacks[p.colour][s]; }
int enemyAttacks(const PawnFile& p, int s) { return Board.pawnAttacks[p.enemy][s]; }

bool isIsolatedFile(int colour, int file) {
  const bool left = file > FILE_A && hasPawnsOnFile(colour, file - 1);
  const bool right = file < FILE_H && hasPawnsOnFile(colour, file + 1);
  return !left && !right;
}

// An own pawn attacks a square of the pawn's file on a relative rank from `top` down to the
// second: a neighbour stands level with or behind the front pawn.
bool hasSupportFromBelow(const PawnFile& p, int top) {
  for (int rel = top; rel >= SECOND_RANK; --rel)
    if (ownAttacks(p, squareFor(p.colour, rel, p.file)) > 0) return true;
  return false;
}

// Step 2. Duo with the next file's front pawn on the same rank.
int scoreDuo(const PawnFile& p) {
  const int next = p.file + 1;
  if (p.file == FILE_H || !hasPawnsOnFile(p.colour, next)) return 0;
  if (relativeFrontRank(p.colour, p.colour, next) != p.rank) return 0;
  EvalState.pawnFileInfo[p.colour][p.file] |= PAWN_DUO;
  EvalState.pawnFileInfo[p.colour][next] |= PAWN_DUO;
  if (p.rank < FOURTH_RANK) return p.rank == THIRD_RANK ? LOW_DUO_RANK_BONUS : 0;
  if (isPawnOf(p.enemy, p.stop) || isPawnOf(p.enemy, p.stop + 1)) return BLOCKED_DUO_BONUS;
  return duoBonus[p.file] + (p.rank >= FIFTH_RANK ? ADVANCED_DUO_BONUS : 0);
}

// Isolated front pawn (steps 3.1 and 4.2): sets the flag, returns the penalty.
int scoreIsolated(const PawnFile& p, bool doubled) {
  if (!isIsolatedFile(p.colour, p.file)) return 0;
  EvalState.pawnFileInfo[p.colour][p.file] |= PAWN_ISOLATED;
  if (doubled) return -DOUBLED_ISOLATED_PENALTY;
  if (p.file == FILE_A || p.file == FILE_H) return EDGE_ISOLATED_BASE - p.rank;
  return ISOLATED_BASE - 2 * p.rank;
}

// A backward pawn whose advance to `target` (the stop square, or the square two ahead) the enemy
// pawns control.
int scoreBackwardTarget(const PawnFile& p, int target, uint16_t doublyFlags) {
  uint16_t& flags = EvalState.pawnFileInfo[p.colour][p.file];
  if (enemyAttacks(p, target) >= 2) {
    flags |= doublyFlags;
    return -BACKWARD_DOUBLY_ATTACKED_PENALTY;
  }
  flags |= PAWN_BACKWARD;
  return -BACKWARD_PENALTY;
}

// The square two ahead counts when the stop square is quiet but the enemy pawns guard the next.
bool isTwoAheadGuarded(const PawnFile& p) {
  const int twoAhead = p.stop + p.up;
  return enemyAttacks(p, p.stop) == 0 && ownAttacks(p, twoAhead) == 0 && enemyAttacks(p, twoAhead) > 0 &&
         !holdsPawn(twoAhead);
}

// Step 3.2. Backward test of a single pawn below the seventh rank.
int scoreSingleAdvance(const PawnFile& p, bool isolated) {
  uint16_t& flags = EvalState.pawnFileInfo[p.colour][p.file];
  const int stopAttacks = enemyAttacks(p, p.stop);
  if (isolated) {
    if (holdsPawn(p.stop)) return -ISOLATED_STOP_OCCUPIED_PENALTY;
    if (stopAttacks == 1) return -ISOLATED_STOP_ATTACKED_PENALTY;
    if (stopAttacks >= 2) {
      flags |= PAWN_STOP_DOUBLY_ATTACKED;
      return -ISOLATED_STOP_DOUBLY_ATTACKED_PENALTY;
    }
    return 0;
  }
  if (holdsPawn(p.stop)) return 0;

  if (hasSupportFromBelow(p, p.rank + 1)) {
    // Only a level neighbour supports it, and the enemy pawns guard the stop square.
    if (hasPawnsOnFile(p.enemy, p.file) || stopAttacks == 0 || hasSupportFromBelow(p, p.rank)) return 0;
    if (stopAttacks < 2) {
      flags |= PAWN_STOP_SINGLY_ATTACKED;
      return 0;
    }
    flags |= PAWN_BACKWARD;
    return -BACKWARD_PENALTY;
  }
  if (stopAttacks >= 1) return scoreBackwardTarget(p, p.stop, PAWN_BACKWARD | PAWN_STOP_DOUBLY_ATTACKED);
  if (isTwoAheadGuarded(p))
    return scoreBackwardTarget(p, p.stop + p.up, PAWN_BACKWARD | PAWN_STOP_DOUBLY_ATTACKED | PAWN_STOP_OVERWHELMED);
  return 0;
}

// Step 4.3. Stop square of doubled pawns below the seventh rank.
int scoreDoubledAdvance(const PawnFile& p, bool isolated) {
  uint16_t& flags = EvalState.pawnFileInfo[p.colour][p.file];
  const int stopAttacks = enemyAttacks(p, p.stop);
  if (holdsPawn(p.stop)) {
    flags |= PAWN_BLOCKED;
    return isolated ? -DOUBLED_ISOLATED_STOP_OCCUPIED_PENALTY : -DOUBLED_STOP_OCCUPIED_PENALTY;
  }
  if (!isolated && !hasSupportFromBelow(p, p.rank + 1)) {
    if (stopAttacks >= 1) {
      flags |= PAWN_BACKWARD;
      if (stopAttacks < 2) return 0;
      flags |= PAWN_STOP_DOUBLY_ATTACKED;
      return -DOUBLED_BACKWARD_PENALTY;
    }
    if (!isTwoAheadGuarded(p)) return 0;
    flags |= PAWN_BACKWARD;
    if (enemyAttacks(p, p.stop + p.up) < 2) return 0;
    flags |= PAWN_STOP_DOUBLY_ATTACKED | PAWN_STOP_OVERWHELMED;
    return -DOUBLED_BACKWARD_PENALTY;
  }
  if (!isolated) return 0;
  if (stopAttacks == 1) return -DOUBLED_ISOLATED_STOP_ATTACKED_PENALTY;
  if (stopAttacks >= 2) {
    flags |= PAWN_STOP_DOUBLY_ATTACKED;
    return -DOUBLED_ISOLATED_STOP_DOUBLY_ATTACKED_PENALTY;
  }
  return 0;
}

enum class PasserTest { NO_CHANCE, STOPPED, PASSED };

// Steps 3.3 / 4.4: no enemy pawn ahead, and no enemy pawn attacks the walk up to the sixth rank.
PasserTest testPasser(const PawnFile& p) {
  if (hasPawnsOnFile(p.enemy, p.file) && relativeRank(p.colour, rearPawnRank(p.enemy, p.file)) >= p.rank)
    return PasserTest::NO_CHANCE;
  for (int x = p.square; relativeRank(p.colour, rankOf(x)) <= SIXTH_RANK; x += p.up)
    if (enemyAttacks(p, x) > 0) return PasserTest::STOPPED;
  return PasserTest::PASSED;
}

// Marks a passed front pawn; a passer found after one on the fifth rank or beyond earns a bonus.
int markPasser(const PawnFile& p) {
  EvalState.pawnFileInfo[p.colour][p.file] |= PAWN_PASSED;
  EvalState.passerSides |= static_cast<uint8_t>(1 << p.colour);
  const int bonus = EvalState.advancedPasserSeen[p.colour] ? PASSER_AFTER_ADVANCED_BONUS : 0;
  if (relativeSquare(p.colour, p.square) > ADVANCED_PASSER_SQUARE) EvalState.advancedPasserSeen[p.colour] = 1;
  return bonus;
}

// No pawn of either colour stands ahead of colour's front pawn on `file`.
bool isFileClearAhead(int colour, int file) {
  const int step = forwardStep(colour);
  for (int x = frontPawnSquare(colour, file) + step; isOnBoard(x); x += step)
    if (holdsPawn(x)) return false;
  return true;
}

// A rook pawn stopped by enemy pawn attacks, with the knight-file pawn as a lever beside it.
int scoreEdgeBreakthrough(const PawnFile& p) {
  if (p.file != FILE_A && p.file != FILE_H) return 0;
  const int lever = p.file == FILE_A ? FILE_B : FILE_G;
  if (!hasPawnsOnFile(p.colour, lever) || Board.filePawns[p.enemy][lever] >= 2) return 0;
  if (relativeFrontRank(p.colour, p.colour, lever) > p.rank && !isFileClearAhead(p.colour, lever)) return 0;
  EvalState.pawnFileInfo[p.colour][p.file] |= PAWN_BREAKTHROUGH;
  return breakthroughBonus[p.rank];
}

// A neighbour file has own pawns, no enemy pawns, and its front pawn is not ahead of ours.
bool isPartnerCandidate(const PawnFile& p, int file) {
  return hasPawnsOnFile(p.colour, file) && !hasPawnsOnFile(p.enemy, file) &&
         relativeFrontRank(p.colour, p.colour, file) <= p.rank;
}

// The partner's path to the sixth rank is free of enemy pawn attacks (one is tolerated level with
// the blocked pawn); between the rook files the blocked pawn's stop square must be quiet too.
bool isPartnerPathClear(const PawnFile& p, int file) {
  if (p.file != FILE_A && p.file != FILE_H && enemyAttacks(p, p.stop) != 0) return false;
  for (int rel = relativeFrontRank(p.colour, p.colour, file); rel <= SIXTH_RANK; ++rel) {
    const int tolerated = rel == p.rank ? 1 : 0;
    if (enemyAttacks(p, squareFor(p.colour, rel, file)) > tolerated) return false;
  }
  return true;
}

// Step 3.4: a pawn blocked by an enemy pawn on the fifth rank or beyond, with a neighbour that can
// come up and break through.
int scoreBlockedBreakthrough(const PawnFile& p) {
  int partner = -1;
  if (p.file == FILE_A || p.file == FILE_H) {
    const int lever = p.file == FILE_A ? FILE_B : FILE_G;
    if (isPartnerCandidate(p, lever) && isPartnerPathClear(p, lever)) partner = lever;
  } else if (isPartnerCandidate(p, p.file - 1)) {
    if (isPartnerPathClear(p, p.file - 1)) partner = p.file - 1;  // a failed left neighbour ends the search
  } else if (isPartnerCandidate(p, p.file + 1) && isPartnerPathClear(p, p.file + 1)) {
    partner = p.file + 1;
  }
  if (partner < 0) return 0;
  EvalState.pawnFileInfo[p.colour][p.file] |= PAWN_BREAKTHROUGH;
  const int bonus = breakthroughBonus[relativeFrontRank(p.colour, p.colour, partner)];
  return p.rank >= SIXTH_RANK ? 2 * bonus : bonus;
}

// Step 3: a single pawn on the file.
int scoreSinglePawn(const PawnFile& p) {
  int e = scoreIsolated(p, false);
  const bool isolated = EvalState.pawnFileInfo[p.colour][p.file] & PAWN_ISOLATED;
  if (p.rank < SEVENTH_RANK) e += scoreSingleAdvance(p, isolated);

  const PasserTest passer = testPasser(p);
  if (passer == PasserTest::STOPPED) e += scoreEdgeBreakthrough(p);
  if (passer == PasserTest::PASSED) e += markPasser(p);

  if (isPawnOf(p.enemy, p.stop)) {
    EvalState.pawnFileInfo[p.colour][p.file] |= PAWN_BLOCKED;
    if (p.rank >= FIFTH_RANK) e += scoreBlockedBreakthrough(p);
  }
  return e;
}

// Step 4: two or more pawns on the file.
int scoreDoubledPawns(const PawnFile& p) {
  const bool supportedLever = (relativeSquare(p.colour, p.square) == G3 && isPawnOf(p.colour, relativeSquare(p.colour, F2))) ||
                              (relativeSquare(p.colour, p.square) == B3 && isPawnOf(p.colour, relativeSquare(p.colour, C2)));
  int e = supportedLever ? 0 : -DOUBLED_PENALTY;
  EvalState.pawnFileInfo[p.colour][p.file] |= PAWN_DOUBLED;
  e += scoreIsolated(p, true);
  const bool isolated = EvalState.pawnFileInfo[p.colour][p.file] & PAWN_ISOLATED;
  if (p.rank < SEVENTH_RANK) e += scoreDoubledAdvance(p, isolated);
  if (testPasser(p) == PasserTest::PASSED) e += markPasser(p);
  return e;
}

// A neighbour's front pawn stands below ours and can walk up to our rank over squares its own
// pawns guard at least as well as the enemy's.
bool canNeighbourComeUp(const PawnFile& p, int file) {
  if (!hasPawnsOnFile(p.colour, file)) return false;
  const int front = relativeFrontRank(p.colour, p.colour, file);
  if (front >= p.rank) return false;
  for (int rel = front; rel < p.rank; ++rel) {
    const int x = squareFor(p.colour, rel, file);
    if (ownAttacks(p, x) < enemyAttacks(p, x)) return false;
  }
  return true;
}

// Step 5: an undefended pawn from the third rank that no neighbour can come to support.
int scoreWeakPawn(const PawnFile& p) {
  uint16_t& flags = EvalState.pawnFileInfo[p.colour][p.file];
  if (p.rank < THIRD_RANK || !(flags & PAWN_UNDERDEFENDED) || ownAttacks(p, p.square) != 0 ||
      (flags & (PAWN_ISOLATED | PAWN_BACKWARD)))
    return 0;
  bool supported;
  if (p.file == FILE_A) supported = canNeighbourComeUp(p, FILE_B);
  else if (p.file == FILE_H) supported = canNeighbourComeUp(p, FILE_G);
  else supported = canNeighbourComeUp(p, p.file - 1) || canNeighbourComeUp(p, p.file + 1);
  if (supported) return 0;
  flags |= PAWN_WEAK;
  return weakPawnValue[p.rank] - (hasPawnsOnFile(p.enemy, p.file) ? 0 : WEAK_ON_HALF_OPEN_FILE_PENALTY);
}

// Step 7: the squares ahead are free of effective enemy pawn control up to an enemy pawn or the
// end of the board.
int scoreFreeFile(const PawnFile& p) {
  uint16_t& flags = EvalState.pawnFileInfo[p.colour][p.file];
  if ((flags & PAWN_PASSED) || enemyAttacks(p, p.square) != 0) return 0;
  int x = p.stop;
  while (isOnBoard(x) && (enemyAttacks(p, x) == 0 || ownAttacks(p, x) + 1 < enemyAttacks(p, x))) x += p.up;
  if (isOnBoard(x) && !isPawnOf(p.enemy, x)) return 0;
  flags |= PAWN_FREE_FILE;
  const bool plainDoubled = (flags & PAWN_DOUBLED) && !(flags & (PAWN_ISOLATED | PAWN_BLOCKED));
  return plainDoubled ? -DOUBLED_FREE_FILE_PENALTY : 0;
}

// Steps 8 and 9: the enemy pawns outnumber ours on the stop square, or the pawn is stuck.
int scoreStopControl(const PawnFile& p) {
  const uint16_t flags = EvalState.pawnFileInfo[p.colour][p.file];
  const int own = ownAttacks(p, p.stop);
  const int enemy = enemyAttacks(p, p.stop);
  int e = 0;
  if (!(flags & (PAWN_ISOLATED | PAWN_BACKWARD)) && own < enemy)
    e -= enemy - own == 1 ? STOP_OUTNUMBERED_PENALTY : STOP_OUTNUMBERED_TWICE_PENALTY;
  if (flags & (PAWN_BLOCKED | PAWN_STOP_OVERWHELMED)) e += blockedPawnValue[relativeSquare(p.colour, p.square)];
  return e;
}

// The flags and the score of colour's front pawn on `file`; the score of a passed pawn is left
// to the passed-pawn terms, so it is returned as 0.
int scoreFile(int colour, int file) {
  PawnFile p;
  p.colour = colour;
  p.enemy = colour ^ 1;
  p.file = file;
  p.up = forwardStep(colour);
  p.square = frontPawnSquare(colour, file);
  p.rank = relativeRank(colour, rankOf(p.square));
  p.stop = p.square + p.up;
  assert(isPawnOf(colour, p.square) && p.rank > FIRST_RANK && p.rank < LAST_RANK);
  uint16_t& flags = EvalState.pawnFileInfo[colour][file];

  // Step 1. Base value; a front pawn defended by no more own pawns than enemy pawns attack it.
  int e = pawnFileValue[file] + pawnSquareValue[relativeSquare(colour, p.square)];
  if (ownAttacks(p, p.square) <= enemyAttacks(p, p.square)) flags |= PAWN_UNDERDEFENDED;
  // Steps 2 to 9. Duo, single or doubled pawns, a weak pawn, the free file and control of the stop square.
  e += scoreDuo(p);
  e += Board.filePawns[colour][file] < 2 ? scoreSinglePawn(p) : scoreDoubledPawns(p);
  e += scoreWeakPawn(p);
  // Step 6. The enemy pawns attack the stop square at least twice more than ours.
  if (ownAttacks(p, p.stop) + 1 < enemyAttacks(p, p.stop)) flags |= PAWN_STOP_OVERWHELMED;
  e += scoreFreeFile(p);
  e += scoreStopControl(p);
  return (flags & PAWN_PASSED) ? 0 : e;
}

// How far the enemy's front pawn on `file` has come towards colour's camp: 5 - its relative rank
// when that is below `limit`; `none` when the enemy has no pawn there. For Black this is White's
// front pawn on rank index r costing r - 2 from r > 2 (files a to c) or r > 3 (files f to h).
int enemyPawnExposure(int colour, int file, int limit, int none) {
  if (!hasPawnsOnFile(colour ^ 1, file)) return none;
  const int rank = relativeFrontRank(colour, colour ^ 1, file);
  return rank < limit ? ENEMY_PAWN_REACH - rank : 0;
}

// A file whose second-rank pawn is gone: cost by where its own pawns now stand.
int coverCost(int colour, int file, const CoverCost& cost) {
  if (isPawnOf(colour, squareFor(colour, SECOND_RANK, file))) return 0;
  if (isPawnOf(colour, squareFor(colour, THIRD_RANK, file))) return cost.third;
  if (isPawnOf(colour, squareFor(colour, FOURTH_RANK, file))) return cost.fourth;
  return hasPawnsOnFile(colour, file) ? cost.other : cost.none;
}

// The file's pawn has left the second rank but is still on the file.
bool hasLeftSecondRank(int colour, int file) {
  return hasPawnsOnFile(colour, file) && !isPawnOf(colour, squareFor(colour, SECOND_RANK, file));
}

// Enemy pawns on the second, third or fourth rank of files first..last.
int countDeepEnemyPawns(int colour, int first, int last) {
  int cost = 0;
  for (int file = first; file <= last; ++file) {
    if (isPawnOf(colour ^ 1, squareFor(colour, SECOND_RANK, file))) cost += DEEP_ENEMY_PAWN;
    if (isPawnOf(colour ^ 1, squareFor(colour, THIRD_RANK, file))) cost += DEEP_ENEMY_PAWN;
    if (isPawnOf(colour ^ 1, squareFor(colour, FOURTH_RANK, file))) cost += FOURTH_RANK_ENEMY_PAWN;
  }
  return cost;
}

int computeQueenSideShelter(int colour) {
  int weakness = countDeepEnemyPawns(colour, FILE_A, FILE_C);
  for (int file = FILE_A; file <= FILE_C; ++file) {
    weakness += coverCost(colour, file, file == FILE_C ? cFileCover : queenWingCover);
    weakness += enemyPawnExposure(colour, file, QUEEN_WING_ENEMY_LIMIT, QUEEN_WING_NO_ENEMY_PAWN);
  }
  return weakness;
}

int computeKingSideShelter(int colour) {
  int weakness = countDeepEnemyPawns(colour, FILE_F, FILE_H);
  // f-file: a missing f2 pawn also exposes a moved g- or h-pawn.
  if (!isPawnOf(colour, squareFor(colour, SECOND_RANK, FILE_F))) {
    const bool nearby = isPawnOf(colour, squareFor(colour, THIRD_RANK, FILE_F)) ||
                        isPawnOf(colour, squareFor(colour, FOURTH_RANK, FILE_F));
    weakness += nearby ? F_FILE_PAWN_ADVANCED : F_FILE_PAWN_GONE;
    if (hasLeftSecondRank(colour, FILE_H)) weakness += H_PAWN_MOVED_WITH_F;
    if (hasLeftSecondRank(colour, FILE_G)) weakness += G_PAWN_MOVED_WITH_F;
  }
  weakness += enemyPawnExposure(colour, FILE_F, KING_WING_ENEMY_LIMIT, F_FILE_NO_ENEMY_PAWN);
  // g-file: a missing g2 pawn also exposes a moved h-pawn.
  weakness += coverCost(colour, FILE_G, kingWingCover);
  if (!isPawnOf(colour, squareFor(colour, SECOND_RANK, FILE_G)) && hasLeftSecondRank(colour, FILE_H))
    weakness += H_PAWN_MOVED_WITH_G;
  weakness += enemyPawnExposure(colour, FILE_G, KING_WING_ENEMY_LIMIT, GH_FILE_NO_ENEMY_PAWN);
  // h-file.
  weakness += coverCost(colour, FILE_H, kingWingCover);
  weakness += enemyPawnExposure(colour, FILE_H, KING_WING_ENEMY_LIMIT, GH_FILE_NO_ENEMY_PAWN);

  int emptyFiles = 0;
  for (int file = FILE_F; file <= FILE_H; ++file)
    if (!hasPawnsOnFile(colour, file)) ++emptyFiles;
  if (emptyFiles > EMPTY_FILES_THRESHOLD) weakness += emptyFiles * emptyFiles;
  return weakness;
}

}  // namespace

// One colour's pawn skeleton: fills its pawnFileInfo (cleared by the caller), passerSides bit,
// advancedPasserSeen, first/last pawn files and both shelters; returns its structure score.
int16_t evaluatePawns(int colour) {
  int total = 0;
  int isolated = 0;
  for (int file = FILE_A; file <= FILE_H; ++file) {
    if (!hasPawnsOnFile(colour, file)) continue;
    if (EvalState.firstPawnFile[colour] < 0) EvalState.firstPawnFile[colour] = static_cast<int8_t>(file);
    EvalState.lastPawnFile[colour] = static_cast<int8_t>(file);
    total += scoreFile(colour, file);
    if (EvalState.pawnFileInfo[colour][file] & PAWN_ISOLATED) ++isolated;
  }
  if (isolated > 1) {
    const int counted = std::min(isolated, ISOLATED_COUNT_CAP);
    total -= ISOLATED_COUNT_WEIGHT * counted * counted;
  }
  EvalState.queenSideShelter[colour] = static_cast<uint8_t>(computeQueenSideShelter(colour));
  EvalState.kingSideShelter[colour] = static_cast<uint8_t>(computeKingSideShelter(colour));
  return narrow(total);
}
