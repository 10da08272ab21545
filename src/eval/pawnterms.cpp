// Pawn lookups, the per-pawn loops of the full and the endgame evaluation (attacked, hanging,
// pinned and blocked pawns), and the file scan that measures who controls each file.
#include "eval/pawnterms.h"

#include <cassert>
#include <initializer_list>

#include "board/board.h"
#include "board/tables.h"
#include "eval/evalstate.h"
#include "eval/attackmap.h"
#include "eval/evaltables.h"
#include "eval/pawnview.h"
#include "eval/sideview.h"

namespace {

// ---- Pawn lookups ----
// Files with two or more pawns are scanned over these relative ranks: front pawns from the
// seventh rank down, rear pawns from the second rank up (a pawn never stands on the first or
// last rank, and two pawns cannot both stand on the seventh).
constexpr int FRONT_SCAN_TOP = 6;
constexpr int FRONT_SCAN_BOTTOM = 1;
constexpr int REAR_SCAN_BOTTOM = 1;
constexpr int REAR_SCAN_TOP = 5;
constexpr int NOT_FOUND = -1;

// ---- Pawn loop ----
constexpr int ADVANCED_PAWN_RANK = 4;        // relative rank from which an underdefended pawn is "advanced"
constexpr int ADVANCED_DUO_PENALTY = 2;
constexpr int ADVANCED_LONE_PENALTY = 4;
constexpr int ATTACKED_PAWN_PENALTY = 2;     // per enemy piece attacking the pawn
constexpr int FIRST_HANGING_PENALTY = 6;     // the first hanging pawn of the side to move
constexpr int PIECE_IN_FRONT_PENALTY = 3;    // a piece stands on the stop square
constexpr int16_t hangingEqualPenalty[PHASE_COUNT] = {2, 2, 2, 2};  // by gamePhase
// By (king distance + taxicab distance) / 2 between an underdefended pawn and the enemy king.
constexpr int16_t kingProximity[16] = {-32, -16, -12, -8, -4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

// ---- File scan ----
constexpr int OPEN_FILE_FIRST_RANK = 2;      // squares of a pawnless file that are counted
constexpr int OPEN_FILE_LAST_RANK = 5;

int16_t narrow(int v) { return static_cast<int16_t>(v); }
void addTo(int16_t& acc, int v) { acc = narrow(acc + v); }

// Square of colour's pawn met first when walking `file` over the relative ranks from..to
// (either direction), or NOT_FOUND.
int scanFile(int colour, int file, int from, int to) {
  const int step = from <= to ? 1 : -1;
  for (int rel = from;; rel += step) {
    const int s = squareFor(colour, rel, file);
    if (isPawnOf(colour, s)) return s;
    if (rel == to) return NOT_FOUND;
  }
}

int frontScan(int colour, int file) { return scanFile(colour, file, FRONT_SCAN_TOP, FRONT_SCAN_BOTTOM); }

bool isPieceCode(int piece) { return piece >= KNIGHT && piece <= KING; }

bool attacks(int colour, int s) { return attackersOf(colour, s) > 0; }
// colour attacks s or stands on it.
bool holdsOrAttacks(int colour, int s) { return attacks(colour, s) || Board.colorAt[s] == colour; }

// Attack and pin terms of one pawn on s that its own pawns defend no better than enemy pawns
// attack it.
void scoreContestedPawn(int colour, int s) {
  const int enemy = colour ^ 1;
  const int attackers = pieceAttackers(enemy, s);
  const int defenders = pieceAttackers(colour, s);
  const int16_t enemyWord = EvalState.attackMap[enemy][s];
  const int16_t ownWord = EvalState.attackMap[colour][s];
  addTo(EvalState.threatScore[colour], -ATTACKED_PAWN_PENALTY * attackers);

  // The map words compare the cheapest attacker type first, then the count.
  if (attackers > defenders && (enemyWord < ownWord || ownWord == 0)) {
    if (EvalState.evalSide == colour && EvalState.hangingPawns[colour] == 0)
      addTo(EvalState.threatScore[colour], -FIRST_HANGING_PENALTY);
    if (Board.pawnAttacks[enemy][s] == 0) ++EvalState.hangingPawns[colour];
  } else if (attackers == defenders && attackers > 0) {
    assert(EvalState.gamePhase >= 0 && EvalState.gamePhase <= PHASE_ENDGAME);
    addTo(EvalState.threatScore[colour], -hangingEqualPenalty[EvalState.gamePhase]);
  }

  const int pin = EvalState.pinInfo[s];
  if (pin > 0 && pin < PIN_PIECE_LIMIT) addTo(EvalState.pawnStructureScore[colour], -(pinWeightDefended[pin] >> 1));
}

// Terms of a pawn on s whose file is neither passed nor blocked by an enemy pawn: a piece on
// its stop square, and a stop square the enemy controls.
void scoreStopSquare(int colour, int s, uint16_t fileInfo, bool endgame) {
  const int enemy = colour ^ 1;
  const int stop = s + forwardStep(colour);
  int16_t& score = EvalState.pawnStructureScore[colour];
  if (isPieceCode(Board.pieceAt[stop])) {
    addTo(score, -PIECE_IN_FRONT_PENALTY);
    if (!endgame && (fileInfo & PAWN_ISOLATED)) addTo(score, -PIECE_IN_FRONT_PENALTY);
  }
  if (!(fileInfo & PAWN_STOP_OVERWHELMED) && attackersOf(enemy, stop) > attackersOf(colour, stop))
    addTo(score, blockedPawnValue[relativeSquare(colour, s)]);
}

// One colour's pawns, last list entry first. The endgame variant also pays each pawn its rank
// and weighs the enemy king's distance to contested pawns; it counts advanced pawns as in the endgame phase.
void runPawnLoop(int colour, bool endgame) {
  const int enemy = colour ^ 1;
  const int enemyKing = kingSquare(enemy);
  int16_t& score = EvalState.pawnStructureScore[colour];
  int advanced = 0;
  EvalState.darkSquarePawns[colour] = 0;
  EvalState.hangingPawns[colour] = 0;

  for (int i = Board.pawnCount[colour]; i >= 1; --i) {
    const int s = Board.pawnList[colour][i];
    const int rank = relativeRank(colour, rankOf(s));
    const uint16_t fileInfo = EvalState.pawnFileInfo[colour][fileOf(s)];
    assert(isPawnOf(colour, s) && rank > FIRST_RANK && rank < LAST_RANK);

    // Step 1. Pawns on dark squares, for the bishops.
    if (isDarkSquare(s)) ++EvalState.darkSquarePawns[colour];
    if (endgame) addTo(score, rank);

    // Step 2. A pawn its own pawns do not defend well enough.
    if (fileInfo & PAWN_UNDERDEFENDED) {
      if (rank >= ADVANCED_PAWN_RANK) {
        ++advanced;
        addTo(score, (fileInfo & PAWN_DUO) ? -ADVANCED_DUO_PENALTY : -ADVANCED_LONE_PENALTY);
      }
      scoreContestedPawn(colour, s);
      if (endgame) {
        const int near = (BoardTables.distance[s][enemyKing] + BoardTables.taxicab[s][enemyKing]) / 2;
        addTo(score, -kingProximity[near]);
      }
    }

    // Step 3. A pawn free to move on.
    if (!(fileInfo & (PAWN_PASSED | PAWN_BLOCKED))) scoreStopSquare(colour, s, fileInfo, endgame);
  }

  // Step 4. Many advanced, poorly defended pawns cost more as the game goes on.
  const int phase = endgame ? PHASE_ENDGAME : EvalState.gamePhase;
  if (advanced > 0) addTo(score, -(advanced + 1) * phase * advanced);
}

// Squares ahead of owner's front pawn on `file` that the other colour holds or attacks while
// owner neither attacks nor occupies them.
int countEnemySquaresAhead(int owner, int file) {
  const int other = owner ^ 1;
  const int step = forwardStep(owner);
  int count = 0;
  for (int q = frontPawnSquare(owner, file) + step; isOnBoard(q); q += step)
    if (!attacks(owner, q) && Board.colorAt[q] != owner && holdsOrAttacks(other, q)) ++count;
  return count;
}

// The middle squares of a pawnless file, each counted for the colour that alone holds or
// attacks it.
void scanOpenFile(int file) {
  for (int rank = OPEN_FILE_FIRST_RANK; rank <= OPEN_FILE_LAST_RANK; ++rank) {
    const int q = squareAt(rank, file);
    for (int colour : {WHITE, BLACK})
      if (!holdsOrAttacks(colour ^ 1, q) && holdsOrAttacks(colour, q)) addTo(EvalState.fileControl[colour], 1);
  }
}

}  // namespace

int8_t frontPawnRank(int colour, int file) {
  if (Board.filePawns[colour][file] < 2) return Board.filePawnRankSum[colour][file];
  const int s = frontScan(colour, file);
  return static_cast<int8_t>(s == NOT_FOUND ? 0 : rankOf(s));
}

int8_t rearPawnRank(int colour, int file) {
  if (Board.filePawns[colour][file] < 2) return Board.filePawnRankSum[colour][file];
  const int s = scanFile(colour, file, REAR_SCAN_BOTTOM, REAR_SCAN_TOP);
  return static_cast<int8_t>(s == NOT_FOUND ? 0 : rankOf(s));
}

int8_t frontPawnSquare(int colour, int file) {
  if (Board.filePawns[colour][file] < 2) return static_cast<int8_t>(file + 8 * Board.filePawnRankSum[colour][file]);
  const int s = frontScan(colour, file);
  return static_cast<int8_t>(s == NOT_FOUND ? 0 : s);
}

void evaluatePawnLoop(int colour) { runPawnLoop(colour, false); }

void evaluateEndgamePawnLoop(int colour) { runPawnLoop(colour, true); }

// Per file: the squares behind each colour's rearmost pawn belong to it; on a file where only one
// colour has pawns, the other gains the squares in front of them it controls; a pawnless file
// gives each colour the middle squares only it controls. The driver triples the result.
void evaluateFileControl() {
  EvalState.fileControl[WHITE] = 0;
  EvalState.fileControl[BLACK] = 0;
  for (int file = FILE_A; file <= FILE_H; ++file) {
    const bool white = hasPawnsOnFile(WHITE, file);
    const bool black = hasPawnsOnFile(BLACK, file);
    for (int colour : {WHITE, BLACK})
      if (hasPawnsOnFile(colour, file))
        addTo(EvalState.fileControl[colour], relativeRank(colour, rearPawnRank(colour, file)));

    if (white && black) continue;
    if (white || black) {
      const int owner = white ? WHITE : BLACK;
      addTo(EvalState.fileControl[owner ^ 1], countEnemySquaresAhead(owner, file));
    } else {
      scanOpenFile(file);
    }
  }
}
