// The quiescence search: stand pat on the static evaluation unless a capture, a promotion or,
// near the root with a queen on the board, a quiet check does better; every evasion in check.
#include <cassert>

#include "board/attack.h"
#include "board/board.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "board/tables.h"
#include "eval/evalstate.h"
#include "eval/evaluate.h"
#include "search/hashtable.h"
#include "search/search.h"
#include "search/searchstate.h"

namespace {

// ---- Delta margins
constexpr int DELTA_MARGIN = 50;
constexpr int DELTA_MARGIN_ENDING = 700;    // when both sides' pieces are at most a queen
constexpr int DELTA_MARGIN_IN_CHECK = 200;
constexpr int DEFENDED_TARGET_SLACK = 100;  // a pawn-defended victim must be worth the mover less this

// ---- Quiet checks
constexpr int CHECK_THREAT_LEVEL = 40;      // |evalThreat| from which quiet checks are generated
constexpr int KNIGHT_CHECK_DISTANCE = 2;

constexpr int MATERIAL_ONLY = 1;            // evaluate's materialOnly for a node in check

SearchData& S = SearchState;

int kingSquare(int side) { return Board.pieceList[side][0]; }

bool isPromotion(const Move& m) { return (m.flags & PROMOTION) != 0; }

// Quiet checks are worth looking at near the root, with the own queen on the board, when the
// opponent just was in check, the position is sharp, or this node answers a null move.
bool wantsQuietChecks(int side, int qdepth) {
  const int ply = Ordering.ply;
  const int queen = Board.pieceValue[QUEEN];
  if (ply >= S.plyLimit || Board.pieceMaterial[side] <= queen || Board.typeCount[side][QUEEN] == 0) return false;
  if (S.nodeFlags[ply - 1] & NODE_IN_CHECK) return true;
  const int threat = EvalState.evalThreat;
  if (threat >= CHECK_THREAT_LEVEL || threat <= -CHECK_THREAT_LEVEL) return true;
  return qdepth == 0 && S.nullMoves[ply] != 0 && S.nullMoves[ply] != S.nullMoves[ply - 2] &&
         Board.pieceMaterial[side] > Board.pieceValue[BISHOP] + queen;
}

// The geometric check test of the check generator, for a capture on m.to.
bool mayCheckFrom(const Move& m, int piece, int side) {
  const int to = m.to;
  const int king = kingSquare(side ^ 1);
  if (Board.pawnAttacks[side ^ 1][to] != 0) return false;
  const int fileGap = fileOf(to) > fileOf(king) ? fileOf(to) - fileOf(king) : fileOf(king) - fileOf(to);
  const int rankGap = rankOf(to) > rankOf(king) ? rankOf(to) - rankOf(king) : rankOf(king) - rankOf(to);
  const bool diagonal = fileGap == rankGap;
  const bool line = fileGap == 0 || rankGap == 0;
  switch (piece) {
    case KNIGHT: return BoardTables.distance[to][king] <= KNIGHT_CHECK_DISTANCE;
    case BISHOP: return diagonal;
    case ROOK: return line;
    case QUEEN: return diagonal || line;
    default: return false;
  }
}

// A move of the check list that cannot win material is searched only when it gives a safe
// check. The move is on the board; `piece` moved, `victim` is the value it took.
bool isWorthlessCheckMove(const Move& m, int side, int piece, int victim, int standPat, int margin, int alpha) {
  const bool quiet = (m.flags & QUIET) != 0;
  const bool smallCapture = (m.flags & CAPTURE) != 0 && victim + standPat + margin < alpha;
  if (isPromotion(m) || (!quiet && !smallCapture)) return false;
  if (smallCapture && !mayCheckFrom(m, piece, side)) return true;
  if (!isSquareAttacked(kingSquare(side ^ 1), side)) return true;
  return !isSquareAttacked(m.to, side) && isSquareAttacked(m.to, side ^ 1);
}

}  // namespace

int16_t quiesce(int side, int qdepth, int alpha, int beta) {
  const int opp = side ^ 1;
  const int ply = Ordering.ply;
  assert(side == WHITE || side == BLACK);
  assert(ply >= 2 && ply <= MAX_SEARCH_PLY);
  if (S.stopSearch) return 0;

  // Step 1. Poll for input and the clock every so many nodes.
  if (Ordering.nodes > S.nextPoll && pollForStop()) return 0;

  // Step 2. Per-ply bookkeeping; the maximum ply returns beta.
  S.nullMoves[ply + 1] = S.nullMoves[ply - 1];
  S.extensions[ply] = 0;
  if (ply >= MAX_SEARCH_PLY) return static_cast<int16_t>(beta);
  if (ply > S.maxDepthReached) S.maxDepthReached = static_cast<int8_t>(ply);
  S.nodeFlags[ply] = 0;
  setHashMove(0);

  // The check test of step 4 comes first: it needs no table entry, so it runs while the entry
  // is still on its way from memory.
  const bool inCheck = isSquareAttacked(kingSquare(side), opp) != 0;

  // Step 3. Hash table probe: a fitting bound answers the node, else its move is tried first.
  if (const HashEntry* e = probeHash(side)) {
    const int s = hashScoreFromStore(e->score, ply);
    if ((e->flags & BOUND_EXACT) || ((e->flags & BOUND_LOWER) && s >= beta) || ((e->flags & BOUND_UPPER) && s <= alpha)) {
      return static_cast<int16_t>(s);
    }
    setHashMove(e->move);
  }

  // Step 4. Check.
  if (inCheck) S.nodeFlags[ply] |= NODE_IN_CHECK;

  // Step 5. Delta-pruning margin, smaller once little material is left.
  startEmptyListAfter(ply);
  const bool ending = Board.pieceMaterial[WHITE] + Board.pieceMaterial[BLACK] <= Board.pieceValue[QUEEN];
  int margin = ending ? DELTA_MARGIN_ENDING : DELTA_MARGIN;

  int best = NO_SCORE;
  int base = 0;               // the static value the pruning compares with
  int standPat = 0;
  bool searched = false;
  bool checkList = false;
  int8_t exact = 0;
  if (!inCheck) {
    // Step 6. Not in check: stand pat, then the captures (and quiet checks when they are wanted).
    standPat = evaluate(side, -qdepth, alpha, beta, &exact);
    if (standPat > alpha) {
      if (standPat >= beta) return static_cast<int16_t>(standPat);
      alpha = standPat;
    }
    checkList = wantsQuietChecks(side, qdepth);
    if (checkList) {
      generateCapturesAndChecks(side);
    } else {
      generateCaptures(side);
    }
    if (MoveStack.plyStart[ply + 1] == MoveStack.plyStart[ply]) return static_cast<int16_t>(standPat);
    best = standPat;
    base = standPat;
    searched = true;
  } else {
    // Step 7. In check: every move, scored against the material; no move is mate.
    base = evaluate(side, MATERIAL_ONLY, alpha, beta, &exact);
    generateMoves(side);
    if (MoveStack.plyStart[ply + 1] == MoveStack.plyStart[ply]) return static_cast<int16_t>(ply - MATE_SCORE);
    margin = DELTA_MARGIN_IN_CHECK;
  }

  // Step 8. Each move in best-first order: hopeless and pawn-defended captures are skipped, a beta cut-off is stored.
  const int alphaBeforeMoves = alpha;
  Move bestMove{};
  const int last = MoveStack.plyStart[ply + 1] - 1;
  for (int i = MoveStack.plyStart[ply]; i <= last; ++i) {
    pickBest(i, last);
    Move& m = MoveStack.moveStack[i];
    const int piece = Board.pieceAt[m.from];
    const int victim = Board.pieceValue[Board.pieceAt[m.to]];
    const bool mayPrune = !checkList && (!inCheck || (searched && best > -MATE_RANGE));
    if (mayPrune) {
      const bool hopeless = margin + victim + base < alpha && !isPromotion(m);
      const bool defendedByPawn = Board.pawnAttacks[opp][m.to] != 0 && Board.pieceValue[piece] > victim + DEFENDED_TARGET_SLACK;
      if (hopeless || defendedByPawn) continue;
    }
    prefetchEntriesAfter(side, m);
    makeMove(side, m);
    countNode();
    S.quiesceNodes += 1;
    if (ownKingAttackedAfter(side, m, !inCheck)) {
      m.score = static_cast<int16_t>(ply - MATE_SCORE);
      unmakeMove(side, m);
      continue;
    }
    if (checkList && isWorthlessCheckMove(m, side, piece, victim, standPat, margin, alpha)) {
      m.score = static_cast<int16_t>(alpha);
      unmakeMove(side, m);
      continue;
    }
    enterNextPly();
    const int v = -quiesce(opp, qdepth + 1, -beta, -alpha);
    returnToPreviousPly();
    m.score = static_cast<int16_t>(v);
    unmakeMove(side, m);
    searched = true;
    if (S.stopSearch) return 0;
    if (v > best) {
      if (v > alpha) {
        alpha = v;
        if (v >= beta) {
          storeHash(side, v, -qdepth, m.from, m.to, 0, BOUND_LOWER);
          return static_cast<int16_t>(v);
        }
      }
      bestMove = m;
      best = v;
    }
  }

  // Step 9. No legal move is mate; a raised alpha goes to the table.
  if (!searched) return static_cast<int16_t>(ply - MATE_SCORE);
  if (alpha > alphaBeforeMoves) storeHash(side, best, -qdepth, bestMove.from, bestMove.to, 0, BOUND_LOWER);
  return static_cast<int16_t>(best);
}
