// The think driver: from the root position to the announced move. It checks the book, runs a
// shallow pre-search to order the root moves, deepens iteratively with a principal-variation
// search of the first root move and scout searches of the others, then applies the game-end
// rules, learns, makes the move and announces it.
#include "game/think.h"

#include <algorithm>
#include <cassert>
#include <cstdint>

#include "board/attack.h"
#include "board/board.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "config/settings.h"
#include "eval/evalstate.h"
#include "eval/evaluate.h"
#include "game/book.h"
#include "game/gameend.h"
#include "game/learning.h"
#include "game/notation.h"
#include "game/protocolstate.h"
#include "game/thinkreport.h"
#include "game/timecontrol.h"
#include "search/hashtable.h"
#include "search/search.h"
#include "search/searchstate.h"

namespace {

// ---- Windows and score landmarks ----
constexpr int MATED_PRESEARCH = -9998;          // pre-search best below this: full window
constexpr int FIRST_WINDOW_HALF = 230;          // first iteration: best +- 230
constexpr int MATED_WINDOW_BETA = -MATE_RANGE;  // window when the pre-search found only mates against us
constexpr int ITERATION_WINDOW_HALF = 30;       // later iterations: best +- 30
constexpr int SCOUT_WIDTH = 11;                 // scout window (alpha, alpha + 11)
constexpr int FAIL_HIGH_STEP = 80;              // first re-search after a fail high: score + 80
constexpr int SCOUT_RESEARCH_STEP = 100;        // scout fail high re-searched up to score + 100
constexpr int FIRST_LINE_BONUS = 30;            // the iteration-start line shows alpha + 30 (the last best)
constexpr int MATE_FOUND = 9001;                // no further iteration at or above this
constexpr int HOPELESS = -9997;                 // below this the iterations stop
constexpr int ILLEGAL_MOVE_BASE = MATE_SCORE;   // an illegal root move scores as mated at its ply
constexpr int STALE_MARK_LIMIT = -10000;        // generation scores below this are old marks
constexpr int STALE_MARK_LIFT = 32000;
constexpr int16_t HISTORY_START = -32000;

// ---- Search parameters of the root ----
constexpr int MAX_ITERATION = 47;               // the last iteration searches depth 48
constexpr int PRESEARCH_DEPTH = 1;
constexpr int PRESEARCH_PLY_LIMIT = 5;
constexpr int PRESEARCH_CUT_FLAG = 5;           // keeps the pre-search free of multi-cut
constexpr int PLY_LIMIT_MARGIN = 4;             // plyLimit = searchDepth + 4
constexpr int PV_READ_START = 2;                // readPvFromHash fills pv from index 2
constexpr int STABILITY_MIN_DEPTH = 3;          // best-move changes count from depth 3
constexpr int SINGLE_MOVE_MIN_DEPTH = 4;        // one legal move: decided after depth 4
constexpr int STOP_MIN_DEPTH = 4;               // a stop ends the move loop from depth 4
constexpr int TIME_RULES_MIN_DEPTH = 5;         // per-move time rules from depth 5
constexpr int NULL_REDUCTION_SELECTIVE = 3;     // SELECTIVITY 3 or 4
constexpr int SELECTIVE_FROM = 3;
constexpr uint16_t PV_FLAG_MASK = 0xFFFF;
constexpr int32_t MOVE_TEXT_FLAG_MASK = 0xFF;
constexpr int32_t PROMOTION_KIND_MASK = PROMOTION | PROMOTION_PIECE_MASK;

// ---- Book ----
constexpr int BOOK_MEASURE_PLY_LIMIT = 4;
constexpr int BOOK_MEASURE_WINDOW = 150;        // rootEval +- 150
constexpr int SOUND_BOOK_DELTA = -20;           // a candidate at least this good is sound
constexpr int BOOK_MAX_GAME_COUNT = 60;
constexpr int BOOK_FREE_GAME_COUNT = 3;         // the first moves of each side need no book trail
constexpr int16_t BOOK_CHOSEN_SCORE = 1;
constexpr int16_t BOOK_OTHER_SCORE = -1;

// ---- Root ordering ----
constexpr int PRESEARCH_BEST_BONUS = 3000;
constexpr int16_t HASH_MOVE_ORDER = 2001;
constexpr int16_t CASTLE_SHORT_ORDER = 1200;
constexpr int CHECK_ORDER_BONUS = 500;

// ---- Root bonuses ----
constexpr int REVERSE_MOVE_PENALTY = 5;         // taking back the engine's own last move
constexpr int SPECIAL_MOVE_BONUS = 50;
constexpr int EARLY_PIECE_PENALTY = 5;          // queen in the opening, king before the endgame
constexpr int QUEEN_EARLY_PHASE = PHASE_EARLY_MIDDLEGAME;  // gamePhase below this
constexpr int KING_EARLY_PHASE = PHASE_LATE_MIDDLEGAME;
constexpr int MIN_GAME_COUNT_FOR_REVERSE = 3;

// Positions with a preferred root move, identified by hashLock.
struct SpecialMove {
  uint32_t lock;
  int8_t from;
  int8_t to;
};
constexpr SpecialMove specialMoves[] = {
    {0x055EE162, F5, F6}, {0x13016D18, E4, E5}, {0x134BBDEE, E5, E4}, {0x225E405F, C5, E6},
    {0x23937EB0, G7, H6}, {0x23EAE4EE, D4, D5}, {0x266636C3, C6, D8}, {0x2B2567EC, G2, H3},
    {0x2BFFC980, C3, D1}, {0x2EC1BE79, D5, D4}, {0x42339946, G3, G4}, {0x90D2F5C9, G6, G5},
    {0xBD34B082, C3, B1}, {0xC2E5F930, E2, F1}, {0xC83B02CC, G5, H4}, {0xD073013B, E7, F8},
    {0xD11ACEC5, G4, H5}, {0xE083CE2C, F4, F3},
};

// What the steps of one think share.
struct RootContext {
  int mode;
  int first;                  // root list: moveStack[first .. last]
  int last;
  int16_t targetCount[64];    // generated root moves per destination square
  uint32_t rootLock;          // hashLock of the root position
  int bookMove;               // a book move was chosen: no search
  int phaseAtStart;           // gamePhase when the think began
  int preSearchBest;          // best pre-search score (-9999 when there was none)
  uint16_t specialMove;       // preferred root move of this position, 0 if none
  uint16_t previousBest;      // best move of the last iteration
  int bestIndex;              // moveStack index of this iteration's best move, -1 before one
  int alpha;
  int beta;
};

Move& rootMove(int index) { return MoveStack.moveStack[index]; }

uint16_t codeOf(const Move& move) { return moveCodeOf(move.from, move.to); }

int isCapture(const Move& move) { return (move.flags & CAPTURE) != 0; }

int ownKingAttacked(int side) { return isSquareAttacked(Board.pieceList[side][0], side ^ 1); }

// Makes a root move. An illegal one gets the score ply - 10000, is unmade again and false comes
// back.
bool makeRootMove(Move& move) {
  const int side = EvalContext.rootSide;
  makeMove(side, move);
  if (!ownKingAttacked(side)) return true;
  move.score = static_cast<int16_t>(Ordering.ply - ILLEGAL_MOVE_BASE);
  unmakeMove(side, move);
  return false;
}

// The root list is ordered by picking the best of the rest into each position in turn.
void sortRootList(const RootContext& ctx) {
  for (int i = ctx.first; i < ctx.last; ++i) pickBest(i, ctx.last);
}

// Searches the position after the root move at `index` (made by the caller) and returns its
// score for the root side. The window is the root side's.
int searchAfterRootMove(int index, int depth, int alpha, int beta, int cutFlag) {
  const Move& move = rootMove(index);
  enterRootMove(index, isCapture(move) ? move.to + 1 : 0);
  enterNextPly();
  const int score = -search(EvalContext.rootSide ^ 1, depth, -beta, -alpha, 0, cutFlag);
  returnToPreviousPly();
  return score;
}

void probeRootHashMove() {
  const HashEntry& entry = hashEntryFor(EvalContext.rootSide, Board.hashKey);
  const bool inUse = entry.depth != HASH_EMPTY_DEPTH && entry.lock == Board.hashLock;
  setHashMove(inUse ? entry.move : 0);
}

// Step 1. Everything a think starts from.
void resetThinkState(int side, int mode) {
  clearThinkRecords();
  resetThinkTimeState();
  setPondering(mode == THINK_PONDER || ProtocolState.analyzing);
  setRootSide(side);
  if (!SearchState.pondering) setSideToMove(side);
  startRootMoveCount();
  forgetThinkingLines();
  if (mode == THINK_MOVE) forgetPonderMove();
}

// The phase and the full evaluation of the root: the book candidates are measured against it.
void evaluateRoot() {
  preparePhaseState();
  int8_t exact = 0;
  setRootEval(evaluate(EvalContext.rootSide, 0, -FULL_WINDOW, FULL_WINDOW, &exact));
}

// Step 3. Phase, root evaluation, hash aging, budget and null-move reduction.
void prepareSearch() {
  evaluateRoot();
  ageHashTables();
  computeTimeBudget();
  setNullReduction(EngineSettings.selectivity >= SELECTIVE_FROM ? NULL_REDUCTION_SELECTIVE : NULL_REDUCTION_NORMAL);
}

// Step 4. Counters, the root hash move and the pseudo-legal root moves.
void generateRootMoves(RootContext& ctx) {
  resetNodeCount();
  clearSearchStatistics();
  clearEvalStatistics();
  probeRootHashMove();
  startPlyAtStackBottom(1);
  generateMoves(EvalContext.rootSide);
  ctx.first = MoveStack.plyStart[1];
  ctx.last = MoveStack.plyStart[2] - 1;
}

// Asked with the root move made: gameCount counts it, so the two marks looked at are those of the
// opponent's last move and of the engine's own move before it.
bool bookMayBeProbed(int mode) {
  if (!ProtocolState.bookAllowed || !EngineSettings.bookEnabled) return false;
  if (ProtocolState.analyzing && mode != THINK_BOOKINFO) return false;
  const int count = Board.gameCount;
  if (count >= BOOK_MAX_GAME_COUNT) return false;
  return count < BOOK_FREE_GAME_COUNT || GameHistory[count - 1].bookMark != 0 || GameHistory[count - 2].bookMark != 0;
}

// A quiet search of a book candidate (made by the caller) tells how sound it is: the score minus
// the root evaluation comes back.
int measureBookMove(int index) {
  const int rootEval = SearchState.rootEval;
  setSearchDepth(0);
  setPlyLimit(BOOK_MEASURE_PLY_LIMIT);
  clearRootBonus(1);
  const int score = searchAfterRootMove(index, 0, rootEval - BOOK_MEASURE_WINDOW, rootEval + BOOK_MEASURE_WINDOW, 0);
  const int delta = score - rootEval;
  if (delta >= SOUND_BOOK_DELTA) markSoundBookMove();
  return delta;
}

// Step 5. Legality of every root move, and the book candidates among the legal ones.
void checkRootMoves(RootContext& ctx) {
  const int side = EvalContext.rootSide;
  for (int i = ctx.first; i <= ctx.last; ++i) {
    Move& move = rootMove(i);
    ctx.targetCount[move.to] += 1;
    if (!makeRootMove(move)) continue;
    countLegalRootMove();
    if (bookMayBeProbed(ctx.mode) && Book.candidateCount < MAX_BOOK_CANDIDATES &&
        probeBook(move.from, move.to, Book.candidateCount, side)) {
      keepBookCandidate(measureBookMove(i));
    }
    if (move.score < STALE_MARK_LIMIT) move.score = static_cast<int16_t>(move.score + STALE_MARK_LIFT);
    unmakeMove(side, move);
  }
}

void takeAsBestRootMove(const Move& move, uint32_t rootLock) {
  setBestRootMove(codeOf(move), static_cast<uint16_t>(move.flags & PV_FLAG_MASK), rootLock);
}

// Step 6, book: the chosen candidate goes to the front and no search follows.
void playBookMove(RootContext& ctx, int chosen) {
  const uint16_t code = Book.bookCandidate[chosen].moveCode;
  bool found = false;
  for (int i = ctx.first; i <= ctx.last; ++i) {
    Move& move = rootMove(i);
    const bool isChosen = !found && codeOf(move) == code;
    move.score = isChosen ? BOOK_CHOSEN_SCORE : BOOK_OTHER_SCORE;
    found = found || isChosen;
  }
  sortRootList(ctx);
  takeAsBestRootMove(rootMove(ctx.first), ctx.rootLock);
  endPvAfterRootMove();
  stopSearchNow();
  ctx.bookMove = 1;
}

// Step 6. No legal move, or a book move. Returns 1 when the think ends here (book information).
int decideOutcome(RootContext& ctx) {
  if (SearchState.legalRootMoves == 0) {
    stopSearchNow();
    if (ctx.last < ctx.first) rootMove(ctx.first) = Move{};
    rootMove(ctx.first).score = NO_LEGAL_MOVE_SCORE;
  } else if (Book.candidateCount > 0) {
    const int chosen = chooseBookMove(ctx.mode == THINK_BOOKINFO);
    if (ctx.mode == THINK_BOOKINFO) return 1;
    if (chosen >= 0) playBookMove(ctx, chosen);
  }
  return ctx.mode == THINK_BOOKINFO ? 1 : 0;
}

// Step 7. The preferred move of a known position, and the check at the root.
void markRootSpecials(RootContext& ctx) {
  ctx.specialMove = 0;
  for (const SpecialMove& special : specialMoves) {
    if (special.lock == Board.hashLock) ctx.specialMove = moveCodeOf(special.from, special.to);
  }
  if (isInCheck(EvalContext.rootSide)) markRootInCheck();
}

// Step 8. A quiescence-depth search of every root move orders the list.
void preSearch(RootContext& ctx) {
  const int side = EvalContext.rootSide;
  setSearchDepth(PRESEARCH_DEPTH);
  int best = NO_SCORE;
  for (int i = ctx.first; i <= ctx.last; ++i) {
    Move& move = rootMove(i);
    if (!makeRootMove(move)) continue;
    countNode();
    clearRootBonus(Ordering.ply);
    setPlyLimit(PRESEARCH_PLY_LIMIT);
    setPvRootMove(true);
    const int alpha = best < MATED_PRESEARCH ? -FULL_WINDOW : best;
    const int score = searchAfterRootMove(i, 0, alpha, FULL_WINDOW, PRESEARCH_CUT_FLAG);
    move.score = static_cast<int16_t>(score);
    if (score > best) {
      takeAsBestRootMove(move, ctx.rootLock);
      endPvAfterRootMove();
      best = score;
    }
    unmakeMove(side, move);
    if (SearchState.nodeFlags[2] & NODE_IN_CHECK) move.flags |= GIVES_CHECK;
  }
  ctx.preSearchBest = best;
}

bool isShortCastlingKingMove(const Move& move) {
  if (Board.pieceAt[move.from] != KING) return false;
  return (move.from == E1 && move.to == G1) || (move.from == E8 && move.to == G8);
}

// Step 9. Pre-search best first, then the hash move, short castling, captures by victim and
// checks.
void orderRootMoves(RootContext& ctx) {
  probeRootHashMove();
  sortRootList(ctx);
  rootMove(ctx.first).score = static_cast<int16_t>(rootMove(ctx.first).score + PRESEARCH_BEST_BONUS);
  for (int i = ctx.first + 1; i <= ctx.last; ++i) {
    Move& move = rootMove(i);
    if (codeOf(move) == Ordering.hashMove) {
      move.score = HASH_MOVE_ORDER;
    } else if (isShortCastlingKingMove(move)) {
      move.score = CASTLE_SHORT_ORDER;
    }
    if (isCapture(move)) move.score = static_cast<int16_t>(Board.pieceValue[Board.pieceAt[move.to]] - Board.pieceAt[move.from]);
    if (move.flags & GIVES_CHECK) move.score = static_cast<int16_t>(move.score + CHECK_ORDER_BONUS);
  }
  sortRootList(ctx);
}

// Step 10. The first window around the pre-search best.
void openFirstWindow(RootContext& ctx) {
  const int best = ctx.preSearchBest;
  setRootFloor(best);
  ctx.alpha = best - FIRST_WINDOW_HALF;
  ctx.beta = best + FIRST_WINDOW_HALF;
  if (ctx.alpha < -FULL_WINDOW) {
    ctx.alpha = -FULL_WINDOW;
    ctx.beta = MATED_WINDOW_BETA;
  }
  setRootScore(best);
}

// A root move (made) becomes the best of the iteration: PV, alpha, stability, thinking line.
void acceptBestMove(RootContext& ctx, int index, int score) {
  Move& move = rootMove(index);
  move.score = static_cast<int16_t>(score);
  takeAsBestRootMove(move, ctx.rootLock);
  ctx.alpha = score;
  ctx.bestIndex = index;
  readPvFromHash(EvalContext.rootSide ^ 1, PV_READ_START);
  if (EvalContext.searchDepth >= STABILITY_MIN_DEPTH && codeOf(move) != ctx.previousBest) markBestMoveUnstable();
  thinkReporter().thinking(score, SearchState.pv, LINE_NEW_BEST);
}

// The first root move: full-window re-searches after a fail high or a fail low.
void searchFirstRootMove(RootContext& ctx, int index) {
  const SearchData& s = SearchState;
  const int depth = EvalContext.searchDepth - 1;
  setPvRootMove(true);
  setRootFloor(s.rootScore);
  int score = searchAfterRootMove(index, depth, ctx.alpha, ctx.beta, 0);
  if (s.stopSearch) {
    score = s.rootScore;
  } else if (score >= ctx.beta) {
    thinkReporter().thinking(score, s.pv, LINE_FAIL_HIGH);
    const int raisedBeta = std::min(score + FAIL_HIGH_STEP, FULL_WINDOW);
    const int again = searchAfterRootMove(index, depth, score - 1, raisedBeta, 0);
    if (!s.stopSearch) {
      score = again;
      if (again >= raisedBeta) {
        thinkReporter().thinking(again, s.pv, LINE_FAIL_HIGH_AGAIN);
        const int open = searchAfterRootMove(index, depth, again - 1, FULL_WINDOW, 0);
        if (!s.stopSearch) score = std::max(open, again);
      }
    }
  } else if (score <= ctx.alpha) {
    noteRootFailLow();
    thinkReporter().thinking(score, s.pv, LINE_FAIL_LOW);
    refreshElapsed();
    const int again = searchAfterRootMove(index, depth, -FULL_WINDOW, score + 1, 0);
    if (!s.stopSearch) score = again;
  }
  acceptBestMove(ctx, index, score);
}

// A later root move: a scout window just above alpha; a move that beats it is searched again
// with wider windows and becomes the new best.
void searchLaterRootMove(RootContext& ctx, int index) {
  const SearchData& s = SearchState;
  Move& move = rootMove(index);
  const int depth = EvalContext.searchDepth - 1;
  const int alpha = ctx.alpha;
  const int scoutBeta = std::min(alpha + SCOUT_WIDTH, FULL_WINDOW);
  setPvRootMove(false);
  setRootFloor(alpha);
  const int scout = searchAfterRootMove(index, depth, alpha, scoutBeta, 0);
  move.score = static_cast<int16_t>(scout);
  if (scout <= alpha || s.stopSearch) return;
  if (scout < scoutBeta) {
    acceptBestMove(ctx, index, scout);
    noteNewBestRootMove();
    return;
  }
  thinkReporter().thinking(scout, s.pv, LINE_FAIL_HIGH_AGAIN);
  int score;
  if (scout < MATE_RANGE) {
    score = searchAfterRootMove(index, depth, scout - 1, scout + SCOUT_RESEARCH_STEP, 0);
    if (!s.stopSearch && score >= scout + SCOUT_RESEARCH_STEP) {
      score = searchAfterRootMove(index, depth, score - 1, FULL_WINDOW, 0);
    }
  } else {
    score = searchAfterRootMove(index, depth, scout - 1, FULL_WINDOW, 0);
  }
  if (s.stopSearch) score = scout;
  if (score > alpha || s.stopSearch) {
    acceptBestMove(ctx, index, score);
    noteNewBestRootMove();
  } else {
    move.score = static_cast<int16_t>(score);
    thinkReporter().thinking(alpha, s.pv, LINE_NEW_BEST);
  }
}

bool reversesOwnLastMove(const Move& move) {
  if (Board.gameCount < MIN_GAME_COUNT_FOR_REVERSE) return false;
  const uint16_t own = GameHistory[Board.gameCount - 2].moveCode;
  return move.to == moveCodeFrom(own) && move.from == moveCodeTo(own);
}

// `piece` is the mover as it stood on the from-square: a pawn promoting to a queen is a pawn move.
bool isEarlyQueenOrKingMove(int piece) {
  return (piece == QUEEN && EvalState.gamePhase < QUEEN_EARLY_PHASE) ||
         (piece == KING && EvalState.gamePhase < KING_EARLY_PHASE);
}

// Step 11.2, one root move: bonuses, legality, search, draw marks, time rules.
void searchRootMove(RootContext& ctx, int i) {
  const SearchData& s = SearchState;
  const int side = EvalContext.rootSide;
  const int index = ctx.first + i;
  Move& move = rootMove(index);
  const int mover = Board.pieceAt[move.from];
  clearRootBonus(Ordering.ply);
  if (!makeRootMove(move)) return;
  if (reversesOwnLastMove(move)) addRootBonus(-REVERSE_MOVE_PENALTY);
  if (codeOf(move) == ctx.specialMove) addRootBonus(SPECIAL_MOVE_BONUS);
  setPlyLimit(EvalContext.searchDepth + PLY_LIMIT_MARGIN);
  if (i == 0) thinkReporter().thinking(ctx.alpha + (s.rootMovesSearched == 0 ? FIRST_LINE_BONUS : 0), s.pv, LINE_ITERATION_START);
  if (EvalContext.rootBonus[1] <= 0 && isEarlyQueenOrKingMove(mover)) addRootBonus(-EARLY_PIECE_PENALTY);
  countNode();
  if (i == 0) {
    searchFirstRootMove(ctx, index);
  } else {
    searchLaterRootMove(ctx, index);
  }
  countRootMoveSearched();
  if (rootMoveDraws()) {
    move.score = DRAW_SCORE;
    move.flags |= DRAW_FLAG;
  }
  unmakeMove(side, move);
  assert(boardIsOk());
  refreshElapsed();
  if (EvalContext.searchDepth >= TIME_RULES_MIN_DEPTH) applyRootMoveTimeRules(i, move.score, move.to, ctx.targetCount[move.to]);
}

// Step 11.4. The best move goes to the front; the moves before it move down one place.
void rotateBestToFront(RootContext& ctx) {
  int best = ctx.bestIndex;
  for (int i = ctx.first; best < 0 && i <= ctx.last; ++i) {
    const Move& move = rootMove(i);
    const bool samePiece = (move.flags & PROMOTION_KIND_MASK) == (SearchState.pvFlags[1] & PROMOTION_KIND_MASK);
    if (codeOf(move) == SearchState.pv[1] && samePiece) best = i;
  }
  if (best < 0) return;
  const Move chosen = rootMove(best);
  for (int i = best; i > ctx.first; --i) rootMove(i) = rootMove(i - 1);
  rootMove(ctx.first) = chosen;
}

// Step 11. Iterative deepening until the time, the depth or a mate ends it.
void deepen(RootContext& ctx) {
  const SearchData& s = SearchState;
  while (!s.stopSearch && EvalContext.searchDepth <= MAX_ITERATION) {
    // Step 11.1. One ply deeper; the iteration's time state and counters start afresh.
    setSearchDepth(EvalContext.searchDepth + 1);
    startIteration(EvalContext.searchDepth);
    resetIterationTimeState();
    ctx.bestIndex = -1;
    // Step 11.2. Every root move in list order.
    for (int i = 0; ctx.first + i <= ctx.last; ++i) {
      searchRootMove(ctx, i);
      if (EvalContext.searchDepth >= STOP_MIN_DEPTH && s.stopSearch) break;
    }
    // Step 11.3. A single legal move stops the search once it has been searched deep enough.
    if (s.legalRootMoves == 1 && EvalContext.searchDepth >= SINGLE_MOVE_MIN_DEPTH && !s.pondering) stopSearchNow();
    // Step 11.4. The best move goes to the front.
    rotateBestToFront(ctx);
    const Move& best = rootMove(ctx.first);
    const int bestScore = best.score;
    // Step 11.5. A finished iteration stores the best move in the table as exact.
    if (!s.stopSearch) storeHash(EvalContext.rootSide, bestScore, EvalContext.searchDepth, best.from, best.to, 0, BOUND_EXACT);
    // Step 11.6. Waiting input, the depth limit, a mate found or the clock ends the deepening.
    refreshElapsed();
    if (s.inputPending || EvalContext.searchDepth >= TimeControl.depthLimit || bestScore >= MATE_FOUND ||
        !clockAllowsNextIteration()) {
      stopSearchNow();
    }
    // Step 11.7. The principal variation seeds the killers.
    seedKillersFromPv(s.pv, MAX_SEARCH_PLY);
    // Step 11.8. A hopeless score ends the deepening.
    if (bestScore < HOPELESS) stopSearchNow();
    if (s.stopSearch) break;
    // Step 11.9. The next iteration's window around the best score.
    ctx.alpha = bestScore - ITERATION_WINDOW_HALF;
    ctx.beta = bestScore + ITERATION_WINDOW_HALF;
    ctx.previousBest = codeOf(best);
    setRootScore(bestScore);
  }
}

// Step 14. Learn, make the move, print the last thinking line and the move, then the game-end
// lines.
void playMove(const RootContext& ctx, Move& best, int score) {
  if (learningConditionsHold(score, ctx.preSearchBest, ctx.phaseAtStart)) writeLearning(score, codeOf(best));
  makeMove(EvalContext.rootSide, best);
  thinkReporter().thinking(score, SearchState.pv, LINE_FINAL);
  if (ProtocolState.fritzMode && Notation.thinkingPrinted == 0) {
    forceNextThinkingLine();
    thinkReporter().thinking(score, SearchState.pv, LINE_FINAL);
  }
  formatMove(best.from, best.to, best.flags & MOVE_TEXT_FLAG_MASK);
  thinkReporter().moveChosen(best);
  announceAfterMove(best, score, ctx.bookMove);
}

// Steps 13 to 15. Game end, the move, the bookkeeping.
void finishThink(RootContext& ctx) {
  const SearchData& s = SearchState;
  Move best = rootMove(ctx.first);
  const int score = best.score;
  // Step 13. Game end, and the move to ponder on.
  judgeOutcome(best, score);
  if (!ctx.bookMove) {
    const bool noPonder = s.pv[1] == 0 || (best.flags & PROMOTION) || ProtocolState.fritzMode;
    setPonderMove(noPonder ? 0 : s.pv[2]);
  } else {
    refreshElapsed();
  }
  // Step 14. Play the move when there is one to play; otherwise only the stalemate line.
  const int legal = s.legalRootMoves;
  const bool drawn = (best.flags & DRAW_FLAG) != 0;
  const bool play = ((score > NO_LEGAL_MOVE_SCORE || drawn) && legal >= 1) || legal == 1 || ctx.bookMove;
  if (play) {
    playMove(ctx, best, score);
  } else if (drawn) {
    announceStalemate();
  }
  // Step 15. The move's game record, the clock, game over or the other side to move.
  if (play) {
    recordThinkResult(score, EvalContext.searchDepth, TimeControl.elapsed,
                      static_cast<int32_t>(static_cast<uint32_t>(Ordering.nodes)), ctx.bookMove != 0);
  }
  updateClockAfterMove();
  if ((best.flags & DRAW_FLAG) || Board.gameCount == GAME_LENGTH_LIMIT) {
    markGameOver();
  } else if (play) {
    setSideToMove(EvalContext.rootSide ^ 1);
  }
  if (ProtocolState.gameOver) forgetPonderMove();
}

}  // namespace

void preparePhaseState() {
  fillTypeCount();
  computeGamePhase();
  noteRootCastlingChances();
}

void think(int side, int mode) {
  // A search needs the game record to have room and one king of each colour.
  if (Board.gameCount >= GAME_MOVE_LIMIT || !positionIsPlayable(side)) {
    clearSearchDepth();
    // No move is played, so there is no reply to ponder on either.
    if (mode == THINK_MOVE) forgetPonderMove();
    return;
  }
  RootContext ctx{};
  ctx.mode = mode;
  ctx.rootLock = Board.hashLock;
  ctx.preSearchBest = NO_LEGAL_MOVE_SCORE;
  ctx.bestIndex = -1;

  // Steps 1 and 2. Everything a think starts from, and the think's clock.
  resetThinkState(side, mode);
  startThinkClock();
  // Step 3. Phase, root evaluation, hash aging, budget and null-move reduction (for a move or a ponder search).
  if (mode == THINK_MOVE || mode == THINK_PONDER) {
    prepareSearch();
    ctx.phaseAtStart = EvalState.gamePhase;
  } else {
    // The book display weighs the candidates as a move would be chosen here, not against the
    // root evaluation some earlier think left behind; it neither ages the hash tables nor sets a
    // time budget.
    evaluateRoot();
  }
  // Steps 4 to 6. Root moves, their legality, and the end of the think without a search.
  generateRootMoves(ctx);
  checkRootMoves(ctx);
  if (decideOutcome(ctx)) {
    clearSearchDepth();
    return;
  }
  // Steps 7 to 10. Special root moves, the pre-search, the move order and the first window.
  markRootSpecials(ctx);
  if (!SearchState.stopSearch) {
    preSearch(ctx);
    orderRootMoves(ctx);
    openFirstWindow(ctx);
  }
  // Step 11. Iterative deepening.
  deepen(ctx);
  // Step 12. Pondering and analysis never play; neither does a ponder search without a hit.
  const bool playsNow = !SearchState.pondering && !ProtocolState.analyzing &&
                        !(mode == THINK_PONDER && !ProtocolState.ponderHit);
  if (playsNow) finishThink(ctx);
  clearSearchDepth();
}

void clearThinkRecords() {
  resetSearchState();
  resetNodeCount();
  setPly(1);
  clearKillersAndHistory(HISTORY_START);
  clearRootBonusesAndBalances();
  forgetLastTo();
  clearBookCandidates();
}
