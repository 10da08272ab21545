// The pawn-structure evaluation of both colours behind its cache, the pawn hash table, and the
// wing-majority terms that are added on top of the cached scores.
#include "eval/pawnhash.h"

#include <cstring>
#include <initializer_list>

#include "board/board.h"
#include "eval/evalstate.h"
#include "eval/evaltables.h"
#include "eval/pawnterms.h"
#include "eval/pawnview.h"

PawnTableData PawnTable;

static_assert(sizeof(PawnHashEntry) == 48, "a pawn hash entry is 48 bytes");
static_assert(PAWN_HASH_MASK + 1 == PAWN_HASH_ENTRIES, "the mask covers the whole table");

namespace {

// ---- Pawn majorities ----
constexpr int MAJORITY_MIN_PAWNS = 2;          // both sides need more pawns than this
constexpr int SAME_WING_MAJORITY_PENALTY = 20; // an extra pawn on a wing where all pawns stand
// Two pawns against one on a wing, by the opponent's piece count (pieces other than the king).
constexpr int16_t majorityBonus[16] = {30, 18, 13, 11, 9, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7};
constexpr int MAJORITY_LAST_INDEX = 15;

int16_t narrow(int v) { return static_cast<int16_t>(v); }

void loadEntry(const PawnHashEntry& entry) {
  std::memcpy(EvalState.pawnFileInfo[WHITE], entry.fileInfoWhite, sizeof entry.fileInfoWhite);
  std::memcpy(EvalState.pawnFileInfo[BLACK], entry.fileInfoBlack, sizeof entry.fileInfoBlack);
  EvalState.passerSides = entry.passers;
  EvalState.kingSideShelter[WHITE] = entry.shelters[0];
  EvalState.queenSideShelter[WHITE] = entry.shelters[1];
  EvalState.kingSideShelter[BLACK] = entry.shelters[2];
  EvalState.queenSideShelter[BLACK] = entry.shelters[3];
}

void storeEntry(PawnHashEntry& entry, int white, int black) {
  entry.key = Board.pawnHashKey;
  entry.scoreWhite = narrow(white);
  entry.scoreBlack = narrow(black);
  entry.passers = EvalState.passerSides;
  std::memcpy(entry.fileInfoWhite, EvalState.pawnFileInfo[WHITE], sizeof entry.fileInfoWhite);
  std::memcpy(entry.fileInfoBlack, EvalState.pawnFileInfo[BLACK], sizeof entry.fileInfoBlack);
  entry.shelters[0] = EvalState.kingSideShelter[WHITE];
  entry.shelters[1] = EvalState.queenSideShelter[WHITE];
  entry.shelters[2] = EvalState.kingSideShelter[BLACK];
  entry.shelters[3] = EvalState.queenSideShelter[BLACK];
}

// All pawns of both colours on one wing, and colour has more of them.
int sameWingMajorityPenalty(int colour) {
  const int enemy = colour ^ 1;
  if (Board.pawnCount[colour] <= Board.pawnCount[enemy]) return 0;
  const bool kingWing =
      EvalState.firstPawnFile[colour] >= KING_WING_FIRST_FILE && EvalState.firstPawnFile[enemy] >= KING_WING_FIRST_FILE;
  const bool queenWing =
      EvalState.lastPawnFile[colour] <= QUEEN_WING_LAST_FILE && EvalState.lastPawnFile[enemy] <= QUEEN_WING_LAST_FILE;
  return kingWing || queenWing ? -SAME_WING_MAJORITY_PENALTY : 0;
}


// Two pawns on the rook and knight files against a single enemy pawn there, unless the enemy
// bishop-file pawn stands ahead of our knight-file pawn; neither of our two files may be passed
// or blocked. Worth the two pawns' relative ranks plus a bonus that grows as the enemy trades.
int twoAgainstOneBonus(int colour, int edge, int inner, int guard) {
  const int enemy = colour ^ 1;
  if (!hasPawnsOnFile(colour, edge) || !hasPawnsOnFile(colour, inner)) return 0;
  if (Board.filePawns[enemy][edge] + Board.filePawns[enemy][inner] != 1) return 0;
  const int innerRank = relativeFrontRank(colour, colour, inner);
  if (hasPawnsOnFile(enemy, guard) && innerRank < relativeFrontRank(colour, enemy, guard)) return 0;
  const uint16_t stuck = PAWN_PASSED | PAWN_BLOCKED;
  if ((EvalState.pawnFileInfo[colour][edge] | EvalState.pawnFileInfo[colour][inner]) & stuck) return 0;
  return innerRank + relativeFrontRank(colour, colour, edge) +
         majorityBonus[countIndex(Board.pieceCount[enemy], MAJORITY_LAST_INDEX)];
}

}  // namespace

void prefetchPawnEntry(uint32_t pawnKey) {
  const char* entry = reinterpret_cast<const char*>(&PawnTable.entries[pawnKey & PAWN_HASH_MASK]);
  __builtin_prefetch(entry);
  __builtin_prefetch(entry + sizeof(PawnHashEntry) - 1);
}

// Empties every entry (key 0) and resets the table's statistics.
void clearPawnTable() {
  for (PawnHashEntry& entry : PawnTable.entries) entry.key = 0;
  EvalState.pawnTableHits = 0;
  EvalState.pawnTableFills = 0;
}

// The structure scores, file flags, passers and shelters of both colours: from the table when
// the pawn key is stored there, else computed and stored. The wing majorities read the piece
// counts, so they are added afterwards in either case.
void evaluatePawnStructure() {
  PawnHashEntry& entry = PawnTable.entries[Board.pawnHashKey & PAWN_HASH_MASK];
  int score[2];

  // Step 1. Hit: copy the entry back.
  if (entry.key != 0 && entry.key == Board.pawnHashKey) {
    loadEntry(entry);
    score[WHITE] = entry.scoreWhite;
    score[BLACK] = entry.scoreBlack;
    ++EvalState.pawnTableHits;
  } else {
    // Step 2. Miss: evaluate both colours from scratch.
    std::memset(EvalState.pawnFileInfo, 0, sizeof EvalState.pawnFileInfo);
    EvalState.passerSides = 0;
    for (int colour : {WHITE, BLACK}) {
      EvalState.advancedPasserSeen[colour] = 0;
      EvalState.firstPawnFile[colour] = NO_FILE;
      EvalState.lastPawnFile[colour] = NO_FILE;
    }
    score[WHITE] = evaluatePawns(WHITE);
    score[BLACK] = evaluatePawns(BLACK);
    if (Board.pawnCount[WHITE] > MAJORITY_MIN_PAWNS && Board.pawnCount[BLACK] > MAJORITY_MIN_PAWNS)
      for (int colour : {WHITE, BLACK}) score[colour] += sameWingMajorityPenalty(colour);

    // Step 3. Store.
    if (entry.key == 0) ++EvalState.pawnTableFills;
    storeEntry(entry, score[WHITE], score[BLACK]);
  }

  // Steps 4 and 5. Two against one on either wing, then the results.
  for (int colour : {WHITE, BLACK}) {
    score[colour] += twoAgainstOneBonus(colour, FILE_A, FILE_B, FILE_C);
    score[colour] += twoAgainstOneBonus(colour, FILE_H, FILE_G, FILE_F);
    EvalState.pawnStructureScore[colour] = narrow(score[colour]);
  }
}
