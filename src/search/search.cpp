// The selective alpha-beta search below the root: fail-soft negamax with the hash table, null
// moves, a family of extensions, multi-cut, futility pruning and a fail-high re-search.
// Scores are int16 centipawns for the side to move; mated at ply p scores p - MATE_SCORE.
#include "search/search.h"

#include <algorithm>
#include <cassert>
#include <cstdlib>

#include "board/attack.h"
#include "board/board.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "board/tables.h"
#include "config/settings.h"
#include "eval/evalstate.h"
#include "eval/evaluate.h"
#include "search/hashtable.h"
#include "search/searchstate.h"

namespace {

// ---- Score landmarks
constexpr int MATE_DISTANCE_LIMIT = 9998;
constexpr int ILLEGAL_PRESEARCH_SCORE = -32767;
constexpr int PRESEARCH_BEST_SCORE = 5000;
constexpr int THREAT_MARGIN = 75;       // below floor(ply) by more than this is a threat

// ---- Extensions
constexpr int MAX_PARENT_EXTENSIONS = 2;
constexpr int SAME_VALUE_SLACK = 20;    // captures of about the same value
constexpr int RECAPTURE_BALANCE = 50;
constexpr int PAWN_ENDING_BALANCE = 150;
constexpr int INTERPOSITION_BALANCE = 150;
constexpr int BEHIND_IN_MATERIAL = 40;
constexpr int NEAR_KING = 2;            // king distance of a "nearby" square
constexpr int RECAPTURE_MIN_PIECES = 2; // the recapturing side has more pieces than this
constexpr int DEEP_RECAPTURE_PLY = 4;   // the capture three moves back is looked at beyond this ply
constexpr int PASSER_SEVENTH = 6;       // relative rank index of the seventh rank
constexpr int PASSER_SIXTH = 5;
constexpr int PASSER_ENDGAME_MATERIAL = 1770;
constexpr int SINGLE_REPLY_BALANCE = -51;

// ---- Perpetual check
constexpr int PERPETUAL_MIN_CHECKS = 6;       // checkCount above this
constexpr int PERPETUAL_MIN_CHECKS_QUEEN = 9; // when the side has exactly a queen of pieces
constexpr int PERPETUAL_NODES = 7;            // opponent nodes in check, answered quietly
constexpr int PERPETUAL_NODES_QUEEN = 10;
constexpr int PERPETUAL_OWN_MOVES = 5;        // own moves made by one piece

// ---- Horizon check answers
constexpr int HORIZON_MAX_CHECKS = 9;
constexpr int HORIZON_LONG_CHECKS = 3;
constexpr int HORIZON_CHECK_NODES = 3;        // opponent in check also at ply-3, -5, -7

// ---- Null move
constexpr int NULL_REDUCTION_DEEP = 3;
constexpr int NULL_REDUCTION_DEEPEST = 4;
constexpr int NULL_SHALLOW_DEPTH = 9;
constexpr int NULL_VERY_SHALLOW_DEPTH = 6;
constexpr int NULL_FEW_PIECES = 3;
constexpr int NULL_HIGH_SELECTIVITY = 2;
constexpr int NULL_ROOKS_OF_MATERIAL = 2;     // both sides' pieces above two rooks
constexpr int NULL_LOW_DEPTH = 7;
constexpr int THREAT_TEST_QUIESCE_DEPTH = 4;  // below this the threat test uses quiesce

// ---- Move loop
constexpr int FUTILITY_MARGIN = 60;
constexpr int FUTILITY_NO_QUEEN_MARGIN = 50;
constexpr int STATIC_CUT_THREAT = 30;         // evalThreat from which depth 1 takes no static cut
constexpr int PRESEARCH_MIN_DEPTH = 4;        // ordering pre-search above this depth
constexpr int PRESEARCH_REDUCTION = 3;
constexpr int MULTI_CUT_MIN_DEPTH = 3;
constexpr int MULTI_CUT_MOVES = 10;
constexpr int RESEARCH_PLY_MARGIN = 2;        // fail-high re-search below plyLimit - 2
constexpr int THREAT_TEST_MIN_DEPTH = 3;
constexpr int THREAT_TEST_ANY_DEPTH = 1;      // selectivity up to this tests at any depth
constexpr int SINGULAR_MIN_DEPTH = 3;
constexpr int SINGULAR_MAX_SELECTIVITY = 4;
constexpr int SINGULAR_REDUCTION = 4;
constexpr int HISTORY_LIMIT = -2048;

// ---- Node states
constexpr int THREAT_STATE_UNKNOWN = 11000;  // not yet tested
constexpr int THREAT_STATE_NONE = 12000;     // tested (or in check): no threat
constexpr int THREAT_STATE_FOUND = 1;

enum HashState { HASH_NONE, HASH_MOVE_ONLY, HASH_FAIL_HIGH };

// The working state of one node of search.
struct Node {
  int side;
  int opp;
  int depth;
  int alpha;
  int beta;
  int alphaAtEntry;
  int nullFlag;
  int cutFlag;
  bool inCheck;
  int noNull;           // 1: no null move here; also asks storeHash to copy the threat marks
  bool pruned;          // futility skipped a move
  bool queenApproach;   // the node was extended for an enemy queen next to the king
  int threatState;
  HashState hashState;
  int futilityBase;
  int best;
  Move bestMove;
};

SearchData& S = SearchState;

int kingSquare(int side) { return Board.pieceList[side][0]; }

bool isCapture(const Move& m) { return (m.flags & CAPTURE) != 0; }

bool combinationStyle() { return (EngineSettings.styleFlags & STYLE_COMBINATION) != 0; }

// floor(ply): the root score less the threat margin, seen from the side moving at that ply.
int rootFloorAt(int ply) { return S.rootFloor[(ply & 1) ? 0 : 1]; }

bool inCheckAt(int ply) { return ply >= 1 && (S.nodeFlags[ply] & NODE_IN_CHECK) != 0; }

bool hasQueen(int side) { return Board.typeCount[side][QUEEN] > 0; }

// Value of the piece captured by game record `record` (0 for none or a record before the game).
int capturedValueAt(int record) {
  if (record < 1) return 0;
  return Board.pieceValue[GameHistory[record].capturedPiece];
}

// Record 0 stands before the first move and holds none: its -1 matches no square.
int toSquareOfRecord(int record) { return record < 1 ? -1 : moveCodeTo(GameHistory[record].moveCode); }

void extend(Node& n) {
  n.depth += 1;
  S.extensions[Ordering.ply] += 1;
}

void extendRecapture(Node& n) {
  extend(n);
  S.recaptureExtended[Ordering.ply] = 1;
}

// The node's king is known not to be attacked: the check test of step 5 ran and found none.
bool kingKnownSafe(const Node& n) { return n.nullFlag == 0 && !n.inCheck; }

// Makes a generated move and counts it; false (and unmade) when it leaves the own king attacked.
bool makeLegalMove(const Node& n, const Move& m) {
  makeMove(n.side, m);
  prefetchPositionEntries(n.opp);
  countNode();
  if (!ownKingAttackedAfter(n.side, m, kingKnownSafe(n))) return true;
  unmakeMove(n.side, m);
  return false;
}

// Searches the position after the already made move m, one ply deeper.
int searchChild(const Node& n, const Move& m, int depth, int alpha, int beta, int nullFlag, int cutFlag) {
  S.captureSquare[Ordering.ply] = static_cast<int8_t>(isCapture(m) ? m.to + 1 : 0);
  enterNextPly();
  const int v = -search(n.opp, depth, alpha, beta, nullFlag, cutFlag);
  returnToPreviousPly();
  return v;
}

// ---- Null move

struct NullMoveUndo {
  uint16_t hashMove;
  int8_t lastTo;
};

// Passes the move on the board (makeNullMove), one ply deeper.
NullMoveUndo enterNullMove() {
  const NullMoveUndo undo{Ordering.hashMove, Board.lastTo};
  S.captureSquare[Ordering.ply] = 0;
  makeNullMove();
  countNode();
  enterNextPly();
  S.nullMoves[Ordering.ply] += 1;
  return undo;
}

void leaveNullMove(const NullMoveUndo& undo) {
  S.nullMoves[Ordering.ply] -= 1;
  returnToPreviousPly();
  unmakeNullMove(undo.lastTo);
  setHashMove(undo.hashMove);
}

// The conditions under which a mate threat extends the node (steps 15 and 16).
bool mayExtendMateThreat(const Node& n) {
  const int ply = Ordering.ply;
  return ply < S.plyLimit && !n.queenApproach && (S.nodeFlags[ply] & NODE_PASSER_EXTENDED) == 0 &&
         Board.material[n.opp] <= Board.material[n.side] + BEHIND_IN_MATERIAL && !S.verifying &&
         S.nullMoves[ply] == 0 && EvalContext.materialBalance[ply] > rootFloorAt(ply) - THREAT_MARGIN;
}

void extendMateThreat(Node& n) {
  extend(n);
  n.threatState = THREAT_STATE_NONE;
}

// Marks the root move under search (only right after it, at ply 2).
void markRootMove(int32_t flag) {
  if (Ordering.ply == 2) MoveStack.moveStack[S.rootMoveIndex].flags |= flag;
}

// ---- Step 4. Repetition and fifty-move draws

bool isRepetitionOrFifty() {
  for (int i = Board.gameCount - FIRST_REPETITION_DISTANCE; i > Board.lastIrreversible; i -= 2) {
    if (GameHistory[i].hashKey == Board.hashKey) return true;
  }
  return Board.gameCount - Board.lastIrreversible >= FIFTY_MOVE_PLIES;
}

// ---- Step 9. Extensions for the last moves: recaptures, an approaching queen, a running passer

// The pawn that made the last move (flag PAWN_SIXTH_SEVENTH) is far enough and free enough to
// extend: on its seventh rank, or on its sixth with nothing in front and not outnumbered.
bool isDangerousPasser(int side) {
  const int pusher = side ^ 1;
  const int sq = toSquareOfRecord(Board.gameCount);
  const int relativeRank = pusher == WHITE ? rankOf(sq) : 7 - rankOf(sq);
  if (relativeRank == PASSER_SEVENTH) return true;
  if (relativeRank != PASSER_SIXTH) return false;
  const int front = pusher == WHITE ? sq + 8 : sq - 8;
  return Board.pieceAt[front] != PAWN && Board.pawnAttacks[pusher][sq] >= Board.pawnAttacks[side][sq];
}

bool lastMovePushedPasser() { return (GameHistory[Board.gameCount].flags & PAWN_SIXTH_SEVENTH) != 0; }

// Recapture extensions: the last move was a capture and the previous node was not extended twice.
void extendForCaptures(Node& n) {
  const int ply = Ordering.ply;
  const int lastSquare = S.captureSquare[ply - 1];
  const int last = capturedValueAt(Board.gameCount);
  const int previous = capturedValueAt(Board.gameCount - 1);
  const int diff = std::abs(last - previous);
  const int balance = EvalContext.materialBalance[ply];
  const int pawn = Board.pieceValue[PAWN];
  const bool recapture = lastSquare == S.captureSquare[ply - 2];
  if (recapture) {
    // A recapture on the same square: of equal value, next to the enemy king, or winning back material.
    if (S.recaptureExtended[ply - 1] == 0) {
      if (diff < SAME_VALUE_SLACK && balance <= RECAPTURE_BALANCE) {
        extendRecapture(n);
      } else if (hasQueen(n.side) && !inCheckAt(ply - 1) && Board.pieceCount[n.side] > RECAPTURE_MIN_PIECES &&
                 balance <= RECAPTURE_BALANCE &&
                 BoardTables.distance[lastSquare - 1][kingSquare(n.opp)] <= NEAR_KING) {
        // An uneven recapture next to the enemy king, where the queen may join an attack.
        extendRecapture(n);
      } else if (last > previous + SAME_VALUE_SLACK && !(previous <= pawn && last > Board.pieceValue[ROOK]) &&
                 Board.material[n.opp] - Board.material[n.side] > BEHIND_IN_MATERIAL && ply <= EvalContext.searchDepth) {
        extendRecapture(n);
      }
    }
    // The third capture on the same square in a row, of equal value.
    if (S.recaptureExtended[ply] == 0 && ply > DEEP_RECAPTURE_PLY && lastSquare == S.captureSquare[ply - 4]) {
      const int older = std::abs(last - capturedValueAt(Board.gameCount - 3));
      if (older < SAME_VALUE_SLACK && S.recaptureExtended[ply - 2] == 0 && balance <= RECAPTURE_BALANCE) {
        extendRecapture(n);
      }
    }
  } else if (S.captureSquare[ply - 2] != 0) {
    // An exchange of equal value, above a pawn, on another square.
    if (diff < SAME_VALUE_SLACK && last > pawn && balance <= RECAPTURE_BALANCE && S.recaptureExtended[ply - 1] == 0) {
      extendRecapture(n);
    }
  }
  // A piece captured into a pawn ending.
  if (Board.pieceMaterial[WHITE] == 0 && Board.pieceMaterial[BLACK] == 0 && last >= Board.pieceValue[KNIGHT] &&
      balance <= PAWN_ENDING_BALANCE) {
    extend(n);
  }
}

// The enemy queen came next to the king on a square the side does not attack.
void extendForQueenApproach(Node& n) {
  const int q = Board.lastTo;
  if (S.extensions[Ordering.ply] != 0 || q < 0 || Board.pieceAt[q] != QUEEN) return;
  if (BoardTables.distance[kingSquare(n.side)][q] > NEAR_KING || isSquareAttacked(q, n.side)) return;
  extend(n);
  n.queenApproach = true;
}

// A passed pawn on its sixth or seventh rank that keeps the score near the root's.
void extendForPasser(Node& n) {
  if (!lastMovePushedPasser() || S.extensions[Ordering.ply] != 0) return;
  int8_t exact = 0;
  const int v = evaluate(n.side, 0, n.alpha, n.beta, &exact);
  if (v >= rootFloorAt(Ordering.ply) && isDangerousPasser(n.side)) S.nodeFlags[Ordering.ply] |= NODE_PASSER_EXTENDED;
  if (S.nodeFlags[Ordering.ply] & NODE_PASSER_EXTENDED) extend(n);
}

// Beyond plyLimit only recaptures of equal value and far passers in endings extend.
void extendBeyondLimit(Node& n) {
  const int ply = Ordering.ply;
  const int lastSquare = S.captureSquare[ply - 1];
  const int diff = std::abs(capturedValueAt(Board.gameCount) - capturedValueAt(Board.gameCount - 1));
  if (lastSquare != 0 && lastSquare == S.captureSquare[ply - 2] && diff < SAME_VALUE_SLACK &&
      S.recaptureExtended[ply - 1] == 0 && S.extensions[ply - 1] < 1 &&
      EvalContext.materialBalance[ply] <= RECAPTURE_BALANCE && ply <= 2 * EvalContext.searchDepth) {
    extendRecapture(n);
  }
  if (lastMovePushedPasser() && S.extensions[ply] == 0 &&
      Board.pieceMaterial[WHITE] + Board.pieceMaterial[BLACK] < PASSER_ENDGAME_MATERIAL && ply < 2 * S.plyLimit) {
    if (isDangerousPasser(n.side)) S.nodeFlags[ply] |= NODE_PASSER_EXTENDED;
    if (S.nodeFlags[ply] & NODE_PASSER_EXTENDED) {
      int8_t exact = 0;
      if (evaluate(n.side, 0, n.alpha, n.beta, &exact) >= rootFloorAt(ply)) extend(n);
    }
  }
}

void extendForLastMoves(Node& n) {
  const int ply = Ordering.ply;
  if (ply >= S.plyLimit) {
    extendBeyondLimit(n);
    return;
  }
  if (S.captureSquare[ply - 1] != 0 && S.extensions[ply - 1] < MAX_PARENT_EXTENSIONS) extendForCaptures(n);
  extendForQueenApproach(n);
  extendForPasser(n);
}

// ---- Step 10. Perpetual check

// The opponent was in check and answered without a capture at `count` of its last nodes.
bool opponentCheckedQuietly(int count) {
  for (int i = 0; i < count; ++i) {
    const int p = Ordering.ply - 1 - 2 * i;
    if (!inCheckAt(p) || S.captureSquare[p] != 0) return false;
  }
  return true;
}

// The side's last moves were all made by one piece, each starting where the one before ended.
bool ownMovesByOnePiece() {
  for (int i = 0; i + 1 < PERPETUAL_OWN_MOVES; ++i) {
    const int later = Board.gameCount - 1 - 2 * i;
    const int earlier = later - 2;
    if (earlier < 1) return false;
    if (moveCodeFrom(GameHistory[later].moveCode) != moveCodeTo(GameHistory[earlier].moveCode)) return false;
  }
  return true;
}

bool isPerpetualCheck(const Node& n) {
  const int ply = Ordering.ply;
  if (n.alpha >= 1 || n.inCheck || S.checkCount[ply - 1] <= PERPETUAL_MIN_CHECKS) return false;
  if (!opponentCheckedQuietly(PERPETUAL_NODES)) return false;
  if (Board.pieceMaterial[n.side] == Board.pieceValue[QUEEN]) {
    if (S.checkCount[ply - 1] <= PERPETUAL_MIN_CHECKS_QUEEN || !opponentCheckedQuietly(PERPETUAL_NODES_QUEEN)) {
      return false;
    }
  }
  return ownMovesByOnePiece();
}

// ---- Steps 11 and 12. Extensions for a check answered at the horizon and an unprotected interposition

// A check given at the horizon gets one ply to be answered.
void extendCheckAnswerAtHorizon(Node& n) {
  const int ply = Ordering.ply;
  if (n.depth != 0 || !inCheckAt(ply - 1) || n.alpha >= 1 || S.checkCount[ply - 1] >= HORIZON_MAX_CHECKS) return;
  if (ply > S.plyLimit) {
    if (S.checkCount[ply - 1] <= HORIZON_LONG_CHECKS) return;
    for (int i = 1; i <= HORIZON_CHECK_NODES; ++i) {
      if (!inCheckAt(ply - 1 - 2 * i)) return;
    }
  }
  int8_t exact = 0;
  if (evaluate(n.side, 0, n.alpha, n.beta, &exact) >= n.beta) return;
  if (toSquareOfRecord(Board.gameCount) == toSquareOfRecord(Board.gameCount - 1)) return;
  n.depth = 1;
  S.extensions[ply] += 1;
}

// A piece interposed against a check without protection is likely lost: look one ply further.
void extendUnprotectedInterposition(Node& n) {
  const int ply = Ordering.ply;
  const int q = Board.lastTo;
  if (S.extensions[ply] != 0 || !inCheckAt(ply - 1) || q < 0) return;
  if (Board.pieceAt[q] == NONE || Board.pieceAt[q] == KING) return;
  if ((GameHistory[Board.gameCount].flags & CAPTURE) != 0 || S.extensions[ply - 1] >= MAX_PARENT_EXTENSIONS) return;
  if (EvalContext.materialBalance[ply] > INTERPOSITION_BALANCE || isSquareAttacked(q, n.opp)) return;
  extend(n);
}

// ---- Step 14. Null-move reduction

void setNullReduction(const Node& n) {
  int r;
  if (combinationStyle() && S.pvRootMove) {
    r = NULL_REDUCTION_DEEPEST;
  } else if (n.depth < NULL_SHALLOW_DEPTH &&
             (n.depth < NULL_VERY_SHALLOW_DEPTH || Board.pieceCount[n.side] < NULL_FEW_PIECES)) {
    r = NULL_REDUCTION_NORMAL;
  } else {
    r = EngineSettings.selectivity > NULL_HIGH_SELECTIVITY ? NULL_REDUCTION_DEEPEST : NULL_REDUCTION_DEEP;
  }
  S.nullReduction[n.side] = static_cast<int8_t>(r);
}

// ---- Step 15. Hash table probe

// Returns true with *score when the table answers the node.
bool probeNode(Node& n, int* score) {
  const int ply = Ordering.ply;
  setHashMove(0);
  const HashEntry* e = probeHash(n.side);
  if (e == nullptr) return false;
  if (e->flags & HASH_MATE_THREAT) {
    n.noNull = 1;
    S.nodeFlags[ply] |= NODE_MATE_THREAT;
    if (mayExtendMateThreat(n)) extendMateThreat(n);
  } else if (e->flags & HASH_THREAT) {
    n.noNull = 1;
    S.nodeFlags[ply] |= NODE_THREAT;
  }
  if ((e->flags & BOUND_LOWER) == 0 && e->depth >= n.depth - S.nullReduction[n.side] - 1 && e->score < n.beta) {
    n.noNull = 1;
  }
  if (e->depth < n.depth) {
    setHashMove(e->move);
    if (n.beta <= e->score && (e->flags & BOUND_UPPER) == 0) {
      n.hashState = HASH_FAIL_HIGH;
      return false;
    }
  } else {
    S.hashHits += 1;
    const int s = hashScoreFromStore(e->score, ply);
    if ((e->flags & BOUND_EXACT) || ((e->flags & BOUND_LOWER) && s >= n.beta) ||
        ((e->flags & BOUND_UPPER) && s <= n.alpha)) {
      S.hashCutoffs += 1;
      *score = s;
      return true;
    }
    setHashMove(e->move);
  }
  if (Ordering.hashMove != 0) n.hashState = HASH_MOVE_ONLY;
  return false;
}

// ---- Step 16. Null move

bool mayTryNullMove(const Node& n) {
  const int pieces = Board.pieceMaterial[WHITE] + Board.pieceMaterial[BLACK];
  return n.nullFlag == 0 && n.depth > 1 && !n.inCheck && n.noNull == 0 && S.nullMoves[Ordering.ply - 1] == 0 &&
         (pieces > NULL_ROOKS_OF_MATERIAL * Board.pieceValue[ROOK] || S.verifying || n.depth < NULL_LOW_DEPTH) &&
         Board.pieceMaterial[n.side] > 0;
}

// Returns true with *score when the null move decides the node (a cut-off or a stop).
bool tryNullMove(Node& n, int* score) {
  if (!mayTryNullMove(n)) return false;
  const int ply = Ordering.ply;
  const int r = S.nullReduction[n.side];
  S.nullTries[n.side] += 1;
  // The node has no list yet: the null move's subtree must stack its lists right after the
  // parent's, not after whatever an earlier node of this ply left in plyStart[ply + 1].
  startEmptyListAfter(ply);
  const NullMoveUndo undo = enterNullMove();
  int v;
  if (r + 1 < n.depth) {
    v = -search(n.opp, n.depth - r - 1, -n.beta, -n.alpha, 1, n.cutFlag);
  } else {
    v = -quiesce(n.opp, 0, -n.beta, -n.alpha);
  }
  leaveNullMove(undo);
  if (S.stopSearch) {
    *score = 0;
    return true;
  }
  if (v >= n.beta) {
    storeNullMoveBound(n.side, v, n.depth);
    *score = v;
    return true;
  }
  S.nullFails[n.side] += 1;
  if (v < -MATE_RANGE) {
    n.noNull = 1;
    S.nodeFlags[ply] |= NODE_MATE_THREAT;
    markRootMove(MATE_THREAT_FOUND);
    if (mayExtendMateThreat(n)) extendMateThreat(n);
  } else if (v <= rootFloorAt(ply) - THREAT_MARGIN) {
    n.threatState = THREAT_STATE_FOUND;
    n.noNull = 1;
    S.nodeFlags[ply] |= NODE_THREAT;
    markRootMove(THREAT_FOUND);
  }
  return false;
}

// ---- Step 18. Move generation

// Generates the node's moves. Returns true with *score when the node ends here (a static
// cut-off at depth 1, no move, or mate).
bool generateNodeMoves(Node& n, int* score) {
  const int ply = Ordering.ply;
  if (!n.inCheck) {
    if (n.depth == 1) {
      int8_t exact = 0;
      const int v = evaluate(n.side, 0, n.alpha, n.beta, &exact);
      if (v < n.beta) {
        n.futilityBase = v + FUTILITY_MARGIN;
        if (Board.pieceMaterial[n.opp] < Board.pieceValue[QUEEN]) n.futilityBase += FUTILITY_NO_QUEEN_MARGIN;
        if (n.futilityBase >= n.alpha) n.futilityBase = NO_SCORE;
      }
      if (v >= n.beta && EvalState.evalThreat < STATIC_CUT_THREAT) {
        *score = v;
        return true;
      }
    }
    generateMoves(n.side);
    if (MoveStack.plyStart[ply + 1] == MoveStack.plyStart[ply]) {
      *score = drawScoreFor(n.side);
      return true;
    }
    return false;
  }
  generateLegalMoves(n.side);
  const int count = MoveStack.plyStart[ply + 1] - MoveStack.plyStart[ply];
  if (count == 0) {
    *score = ply - MATE_SCORE;
    return true;
  }
  if (count == 1) {
    const Move& only = MoveStack.moveStack[MoveStack.plyStart[ply]];
    const int gain = isCapture(only) ? Board.pieceValue[Board.pieceAt[only.to]] : 0;
    if ((ply < S.plyLimit || (inCheckAt(ply - 2) && ply < 2 * S.plyLimit)) &&
        S.extensions[ply] < MAX_PARENT_EXTENSIONS && EvalContext.materialBalance[ply] + gain > SINGLE_REPLY_BALANCE) {
      extend(n);
    }
  }
  n.threatState = THREAT_STATE_NONE;
  return false;
}

// ---- Step 19. Move ordering by a shallow pre-search, or a multi-cut

int lastMoveIndex() { return MoveStack.plyStart[Ordering.ply + 1] - 1; }

// Searches each move three plies shallower until one beats alpha; that one is tried first.
// Returns false when the search was stopped.
bool orderByPreSearch(const Node& n) {
  const int last = lastMoveIndex();
  for (int i = MoveStack.plyStart[Ordering.ply]; i <= last; ++i) {
    pickBest(i, last);
    Move& m = MoveStack.moveStack[i];
    if (!makeLegalMove(n, m)) {
      m.score = ILLEGAL_PRESEARCH_SCORE;
      continue;
    }
    const int v = searchChild(n, m, n.depth - PRESEARCH_REDUCTION, -n.beta, -n.alpha, 0, n.cutFlag);
    m.score = static_cast<int16_t>(v);
    unmakeMove(n.side, m);
    if (S.stopSearch) return false;
    if (v > n.alpha) {
      m.score = PRESEARCH_BEST_SCORE;
      break;
    }
  }
  return true;
}

bool mayMultiCut(const Node& n) {
  const int ply = Ordering.ply;
  const int q = Board.lastTo;
  const bool queenFar = !hasQueen(n.opp) || q < 0 || BoardTables.distance[kingSquare(n.side)][q] > NEAR_KING;
  return !n.inCheck && (S.nodeFlags[ply] & (NODE_MATE_THREAT | NODE_PASSER_EXTENDED)) == 0 && !inCheckAt(ply - 2) &&
         queenFar && Board.pieceMaterial[n.side] >= Board.pieceValue[ROOK] && EngineSettings.selectivity != 0;
}

// With a hash bound at or above beta, two of the first moves failing high at reduced depth
// decide the node. Returns true with *score when they do (or when the search was stopped).
bool cutByMultiCut(const Node& n, int* score) {
  if (!mayMultiCut(n)) return false;
  const int ply = Ordering.ply;
  const int first = MoveStack.plyStart[ply];
  const int last = lastMoveIndex();
  const int end = std::min(first + MULTI_CUT_MOVES, last);
  int count = 0;
  for (int i = first; i <= end; ++i) {
    pickBest(i, last);
    Move& m = MoveStack.moveStack[i];
    if (i == first && Ordering.hashMove != 0 && moveCodeOf(m.from, m.to) == Ordering.hashMove) {
      count = 1;
      continue;
    }
    if (!makeLegalMove(n, m)) {
      m.score = ILLEGAL_PRESEARCH_SCORE;
      continue;
    }
    const bool shallow = n.depth == MULTI_CUT_MIN_DEPTH;
    if (shallow) S.nullMoves[ply + 1] += 1;
    const int v = searchChild(n, m, n.depth - PRESEARCH_REDUCTION, -n.beta, -n.beta + 1, 0, 1);
    if (shallow) S.nullMoves[ply + 1] -= 1;
    m.score = static_cast<int16_t>(v);
    unmakeMove(n.side, m);
    if (S.stopSearch) {
      *score = 0;
      return true;
    }
    if (v >= n.beta) {
      if (count != 0) {
        *score = v;
        return true;
      }
      count = 1;
    }
  }
  return false;
}

// ---- Step 20. Futility pruning

// A quiet move (or a small capture) that cannot lift the static score to alpha.
bool isFutilityCandidate(const Node& n, const Move& m) {
  if (isCapture(m) && Board.pieceValue[Board.pieceAt[m.to]] + n.futilityBase >= n.alpha) return false;
  return (m.flags & (PAWN_SIXTH_SEVENTH | PROMOTION)) == 0;
}

bool onDiagonal(int a, int b) { return std::abs(fileOf(a) - fileOf(b)) == std::abs(rankOf(a) - rankOf(b)); }

bool onLine(int a, int b) { return fileOf(a) == fileOf(b) || rankOf(a) == rankOf(b); }

// A rough geometric test, before the move is made, whether it could give check.
bool mightGiveCheck(const Move& m, int enemyKing) {
  const int to = m.to;
  switch (Board.pieceAt[m.from]) {
    case PAWN: return BoardTables.distance[to][enemyKing] < 2;
    case KNIGHT: return BoardTables.distance[to][enemyKing] < 3;
    case BISHOP: return onDiagonal(to, enemyKing);
    case ROOK: return onLine(to, enemyKing);
    case QUEEN: return onDiagonal(to, enemyKing) || onLine(to, enemyKing);
    default: return false;
  }
}

// Futility: skips a candidate unless it actually gives check; a checking candidate stays made.
// Returns true when the move is skipped; *made tells whether it is on the board.
bool skipByFutility(Node& n, const Move& m, bool* made) {
  *made = false;
  if (n.futilityBase == NO_SCORE || !isFutilityCandidate(n, m)) return false;
  const int enemyKing = kingSquare(n.opp);
  if (mightGiveCheck(m, enemyKing)) {
    makeMove(n.side, m);
    countNode();
    if (isSquareAttacked(enemyKing, n.side)) {
      *made = true;
      return false;
    }
    unmakeMove(n.side, m);
  }
  n.pruned = true;
  return true;
}

// ---- Step 21. Re-search of a move that beat alpha: threat test, singular extension

// The move searched at full depth (one ply more than in the loop), window (alpha, beta).
int researchMove(const Node& n, Move& m) {
  makeMove(n.side, m);
  countNode();
  S.extensions[Ordering.ply] += 1;
  const int v = searchChild(n, m, n.depth, -n.beta, -n.alpha, 0, n.cutFlag);
  S.extensions[Ordering.ply] -= 1;
  unmakeMove(n.side, m);
  m.score = static_cast<int16_t>(v);
  return v;
}

bool threatTestApplies(const Node& n, int v) {
  const int ply = Ordering.ply;
  return n.threatState != THREAT_STATE_NONE &&
         (n.depth > THREAT_TEST_MIN_DEPTH || EngineSettings.selectivity <= THREAT_TEST_ANY_DEPTH) &&
         (S.nodeFlags[ply] & NODE_PASSER_EXTENDED) == 0 && !n.queenApproach &&
         Board.material[n.side] + BEHIND_IN_MATERIAL >= Board.material[n.opp] && !S.verifying &&
         S.nullMoves[ply] == 0 && EvalContext.materialBalance[ply] > rootFloorAt(ply) - THREAT_MARGIN &&
         (!combinationStyle() || ((ply & 1) == 0 && v >= n.beta));
}

// A null move searched around t = floor(ply) - 75: failing to reach t shows a threat.
bool nullMoveShowsThreat(Node& n) {
  const int ply = Ordering.ply;
  const int t = std::max(rootFloorAt(ply) - THREAT_MARGIN, -MATE_RANGE);
  S.verifying = 1;
  const NullMoveUndo undo = enterNullMove();
  int v;
  if (n.depth < THREAT_TEST_QUIESCE_DEPTH) {
    v = -quiesce(n.opp, 0, -1 - t, -t);
  } else {
    v = -search(n.opp, n.depth - PRESEARCH_REDUCTION, -1 - t, -t, 2, n.cutFlag);
  }
  leaveNullMove(undo);
  S.verifying = 0;
  if (S.stopSearch || v > t) return false;
  n.noNull = 1;
  S.nodeFlags[ply] |= v < -MATE_RANGE ? NODE_MATE_THREAT : NODE_THREAT;
  n.threatState = THREAT_STATE_FOUND;
  return true;
}

bool singularTestApplies(const Node& n, const Move& m) {
  const int ply = Ordering.ply;
  const int maxExtensions = n.inCheck ? 2 : 1;
  const int rich = Board.pieceValue[QUEEN] + Board.pieceValue[ROOK];
  return n.depth > SINGULAR_MIN_DEPTH && EngineSettings.selectivity < SINGULAR_MAX_SELECTIVITY &&
         (!combinationStyle() || (ply & 1) == 0) && !S.verifying && S.nullMoves[ply] == 0 &&
         (Board.pieceMaterial[n.side] > rich || isCapture(m) || n.inCheck) &&
         S.extensions[ply] + S.extensions[ply + 1] < maxExtensions && n.alpha == n.alphaAtEntry;
}

// Whether the move at index i reaches t + 1 in a reduced null-window search.
bool reachesAbove(const Node& n, int i, int t) {
  Move& m = MoveStack.moveStack[i];
  if (!makeLegalMove(n, m)) return false;
  S.verifying = 1;
  const int v = searchChild(n, m, n.depth - SINGULAR_REDUCTION, -1 - t, -t, 0, n.cutFlag);
  S.verifying = 0;
  unmakeMove(n.side, m);
  return S.stopSearch || v > t;
}

// The move at index `current` is the only good one when no other move reaches floor(ply) + 1.
bool isSingular(const Node& n, int current) {
  const int t = std::clamp(rootFloorAt(Ordering.ply), -MATE_RANGE, MATE_RANGE);
  const int last = lastMoveIndex();
  for (int i = MoveStack.plyStart[Ordering.ply]; i < current; ++i) {
    if (MoveStack.moveStack[i].score >= t && reachesAbove(n, i, t)) return false;
  }
  for (int i = current + 1; i <= last; ++i) {
    pickBest(i, last);
    if (reachesAbove(n, i, t)) return false;
  }
  return true;
}

// A move that beat alpha is searched one ply deeper when it meets a threat or is singular.
int researchFailHigh(Node& n, int current, int v) {
  const int ply = Ordering.ply;
  Move& m = MoveStack.moveStack[current];
  if (threatTestApplies(n, v)) {
    const bool childExtended =
        S.extensions[ply + 1] != 0 && (!inCheckAt(ply + 1) || S.extensions[ply + 1] >= MAX_PARENT_EXTENSIONS);
    if (!childExtended) {
      if (n.threatState == THREAT_STATE_FOUND) return researchMove(n, m);
      n.threatState = THREAT_STATE_NONE;
      if (n.nullFlag == 0 && nullMoveShowsThreat(n)) return researchMove(n, m);
      if (S.stopSearch) return v;
    }
  }
  if (singularTestApplies(n, m) && isSingular(n, current) && !S.stopSearch) return researchMove(n, m);
  return v;
}

// ---- Steps 22 and 23. Killers and history, and the node's result

void updateOrdering(const Node& n, const Move& m) {
  const int ply = Ordering.ply;
  const uint16_t code = moveCodeOf(m.from, m.to);
  if (n.best > MATE_RANGE && m.to != toSquareOfRecord(Board.gameCount)) {
    setBestAtPly(ply, code);
    return;
  }
  if (isCapture(m)) return;
  noteKiller(ply, code);
  addHistory(n.side, code, n.depth * n.depth, HISTORY_LIMIT);
}

int finishNode(const Node& n) {
  if (n.best == NO_SCORE) {
    if (n.inCheck) return Ordering.ply - MATE_SCORE;
    return n.pruned ? n.futilityBase : drawScoreFor(n.side);
  }
  if (n.alpha == n.alphaAtEntry) {
    storeHash(n.side, n.best, n.depth, 0, 0, n.noNull, BOUND_UPPER);
  } else {
    updateOrdering(n, n.bestMove);
    storeHash(n.side, n.best, n.depth, n.bestMove.from, n.bestMove.to, n.noNull, n.pruned ? BOUND_LOWER : BOUND_EXACT);
  }
  return n.best;
}

// Steps 20 to 23. Every move in best-first order: prune, search, re-search, cut off or finish.
int searchMoves(Node& n) {
  const int ply = Ordering.ply;
  for (int i = MoveStack.plyStart[ply]; i <= lastMoveIndex(); ++i) {
    pickBest(i, lastMoveIndex());
    Move& m = MoveStack.moveStack[i];
    bool made = false;
    if (skipByFutility(n, m, &made)) continue;
    if (made) {
      prefetchPositionEntries(n.opp);
    } else {
      prefetchEntriesAfter(n.side, m);
      makeMove(n.side, m);
      countNode();
    }
    if (ownKingAttackedAfter(n.side, m, kingKnownSafe(n))) {
      m.score = static_cast<int16_t>(ply - MATE_SCORE);
      unmakeMove(n.side, m);
      continue;
    }
    int v = searchChild(n, m, n.depth - 1, -n.beta, -n.alpha, 0, n.cutFlag);
    m.score = static_cast<int16_t>(v);
    unmakeMove(n.side, m);
    // Step 21. A move that beat alpha inside the ply limit is searched again one ply deeper.
    if (v > n.alpha && ply < S.plyLimit - RESEARCH_PLY_MARGIN && v > -MATE_RANGE && v < MATE_RANGE &&
        v > rootFloorAt(ply)) {
      v = researchFailHigh(n, i, v);
    }
    if (S.stopSearch) return 0;
    if (v <= n.best) continue;
    n.best = v;
    n.bestMove = m;
    if (v <= n.alpha) continue;
    n.alpha = v;
    if (v >= n.beta) {
      // Step 22. Beta cut-off: the move feeds the move ordering and goes to the table as a lower bound.
      updateOrdering(n, m);
      storeHash(n.side, n.best, n.depth, m.from, m.to, n.noNull, BOUND_LOWER);
      return n.best;
    }
  }
  // Step 23. No cut-off: mate, stalemate or the best score, stored in the table.
  return finishNode(n);
}

}  // namespace

int drawScoreFor(int side) { return side == EvalContext.rootSide ? DRAW_SCORE : -DRAW_SCORE; }

namespace {

StopPoll installedStopPoll = nullptr;

}  // namespace

void installStopPoll(StopPoll poll) { installedStopPoll = poll; }

int pollForStop() {
  if (installedStopPoll == nullptr) return S.stopSearch;
  return installedStopPoll();
}

int16_t search(int side, int depth, int alpha, int beta, int nullFlag, int cutFlag) {
  const int ply = Ordering.ply;
  assert(side == WHITE || side == BLACK);
  assert(ply >= 2 && ply <= MAX_SEARCH_PLY);
  assert(ply > 2 || positionIsPlayable(side));
  if (S.stopSearch) return 0;

  // Step 1. The node's own record; the null-move count carries over from the grandparent.
  Node n{};
  n.side = side;
  n.opp = side ^ 1;
  n.depth = depth;
  n.alpha = alpha;
  n.beta = beta;
  n.alphaAtEntry = alpha;
  n.nullFlag = nullFlag;
  n.cutFlag = cutFlag;
  n.threatState = THREAT_STATE_UNKNOWN;
  n.hashState = HASH_NONE;
  n.futilityBase = NO_SCORE;
  n.best = NO_SCORE;
  S.nullMoves[ply + 1] = S.nullMoves[ply - 1];

  // Step 2. Poll for input and the clock every so many nodes.
  if (Ordering.nodes > S.nextPoll && pollForStop()) return 0;

  // Step 3. Clear this ply's extension counts and node flags.
  S.extensions[ply] = 0;
  S.recaptureExtended[ply] = 0;
  S.nodeFlags[ply] = 0;

  // Step 4. Repetition and fifty-move draws.
  if (isRepetitionOrFifty()) return static_cast<int16_t>(drawScoreFor(side));

  // Step 5. Check: the side in check is extended and its checks counted.
  S.checkCount[ply] = S.checkCount[ply - 2];
  if (nullFlag == 0 && isSquareAttacked(kingSquare(side), n.opp)) {
    n.inCheck = true;
    S.nodeFlags[ply] |= NODE_IN_CHECK;
    extend(n);
    S.checkCount[ply] += 1;
  }

  // Step 6. Material balance at this ply.
  setMaterialBalance(ply, static_cast<int16_t>(Board.material[side] - Board.material[n.opp]));

  // Step 7. Maximum ply: the node returns beta; the deepest ply reached is kept.
  if (ply >= MAX_SEARCH_PLY) return static_cast<int16_t>(beta);
  if (ply > S.maxDepthReached) S.maxDepthReached = static_cast<int8_t>(ply);

  // Step 8. Mate-distance cut: no shorter mate can come from here.
  if (alpha + ply > MATE_DISTANCE_LIMIT) return EvalContext.materialBalance[ply];

  // Step 9. Extensions for the last moves.
  extendForLastMoves(n);

  // Step 10. Perpetual check scores a draw.
  if (isPerpetualCheck(n)) return static_cast<int16_t>(drawScoreFor(side));

  // Step 11. A check at the horizon gets one ply to be answered.
  extendCheckAnswerAtHorizon(n);

  // Step 12. An unprotected interposition gets one ply more.
  extendUnprotectedInterposition(n);

  // Step 13. At the horizon the quiescence search takes over.
  if (n.depth < 1) return quiesce(side, 0, alpha, beta);

  // Step 14. Null-move reduction for this node.
  setNullReduction(n);

  // The null move's position, should step 16 try it, is this one with the other side to move:
  // its entry starts loading before this node's own probe.
  if (nullFlag == 0 && n.depth > 1 && !n.inCheck) prefetchPositionEntries(n.opp);

  // Step 15. Hash table probe.
  int score = 0;
  if (probeNode(n, &score)) return static_cast<int16_t>(score);

  // Step 16. Null move.
  if (tryNullMove(n, &score)) return static_cast<int16_t>(score);

  // Step 17. The null-move reduction goes back to normal for the moves below.
  S.nullReduction[side] = NULL_REDUCTION_NORMAL;

  // Step 18. Move generation: a static cut-off at depth 1, no move, or mate ends the node.
  if (generateNodeMoves(n, &score)) return static_cast<int16_t>(score);

  // Step 19. Without a table move, a shallow pre-search orders the moves; after a table fail-high, a multi-cut.
  if (n.hashState == HASH_NONE && n.depth > PRESEARCH_MIN_DEPTH) {
    if (!orderByPreSearch(n)) return 0;
  } else if (n.hashState == HASH_FAIL_HIGH && n.depth >= MULTI_CUT_MIN_DEPTH && cutFlag == 0) {
    if (cutByMultiCut(n, &score)) return static_cast<int16_t>(score);
  }

  // Steps 20 to 23. Every move in best-first order.
  return static_cast<int16_t>(searchMoves(n));
}
