// SearchState: everything the search and the think driver share while a move is chosen. The ply,
// node count and ordering inputs live in Ordering (board/ordering.h), the root side, bonus and
// iteration depth the evaluation reads in EvalContext (eval/evalcontext.h).
#pragma once
#include <cstdint>
#include "board/movegen.h"
#include "board/ordering.h"
#include "eval/evalcontext.h"

// nodeFlags bits.
constexpr uint16_t NODE_IN_CHECK = 0x100;
constexpr uint16_t NODE_PASSER_EXTENDED = 0x80;
constexpr uint16_t NODE_MATE_THREAT = 0x40;
constexpr uint16_t NODE_THREAT = 0x20;

constexpr int MAX_SEARCH_PLY = 48;
constexpr int NULL_REDUCTION_NORMAL = 2;  // the null move's usual depth reduction (nullReduction)

struct SearchData {
  uint64_t nextPoll;                  // node count at which the search polls input next
  // Per-ply arrays, plies 0..49; entry 0 stays 0.
  int16_t extensions[MAX_PLY];
  int32_t recaptureExtended[MAX_PLY];
  uint16_t nodeFlags[MAX_PLY];
  int8_t captureSquare[MAX_PLY];      // to-square + 1 of a capture made at this ply, else 0
  int8_t checkCount[MAX_PLY];
  int8_t nullMoves[MAX_PLY];
  int8_t maxDepthReached;
  int8_t nullReduction[2];
  int8_t verifying;                   // 1 while a threat or singular test runs
  // Set by the think driver.
  int16_t rootFloor[2];               // [0] root score - 75 (root side's plies), [1] -root score - 75
  int8_t plyLimit;                    // iteration depth + 4
  int8_t pvRootMove;                  // 1 while the first root move of an iteration is searched
  int8_t stopSearch;
  int8_t inputPending;
  int8_t pondering;                   // pondering or analysing
  int16_t legalRootMoves;
  int16_t rootMovesSearched;          // legal root moves searched in the current iteration
  int16_t rootMoveIndex;              // moveStack index of the root move under search
  int16_t rootScore;
  int16_t rootEval;
  int8_t bestMoveStable;
  int8_t soundBookMove;
  // Principal variation: pv[1] is the best root move.
  uint16_t pv[MAX_PLY];
  uint16_t pvFlags[MAX_PLY];
  uint32_t pvLocks[MAX_PLY];
  // Statistics (debug output only).
  uint64_t quiesceNodes;
  uint32_t hashHits;
  uint32_t hashCutoffs;
  uint32_t nullTries[2];
  uint32_t nullFails[2];
};
extern SearchData SearchState;

// The running search ends at its next stop test.
void stopSearchNow();
// Input arrived while the search runs; the next stop test acts on it.
void markInputPending();
// Asks the running search to end at its next stop test, unless it is already ending.
void requestSearchStop();
// The waiting input has been acted on.
void clearInputPending();
// Pondering or analysing (true), or thinking on the engine's own time (false).
void setPondering(bool pondering);
// The node count at which the search polls its input next.
void scheduleNextPoll(uint64_t nodes);

// ---- Set by the think driver ----
// Start of a think: no stop, no input waiting, not pondering, the first poll at once; the per-ply
// extensions, node flags, capture squares, check counts and null moves cleared; no principal
// variation, no sound book move, no depth reached, no verification running.
void resetSearchState();
// The think's root moves: none found legal yet, none searched, the best move stable so far.
void startRootMoveCount();
// The statistics of the debug output to zero.
void clearSearchStatistics();
void setRootEval(int score);
// The null move's depth reduction, the same for both sides.
void setNullReduction(int reduction);
void countLegalRootMove();
// Plies beyond the root the search may go (iteration depth + 4).
void setPlyLimit(int plies);
// A book candidate searched well enough to be played.
void markSoundBookMove();
// The root side is in check at the root.
void markRootInCheck();
// The root move at moveStack index `index` is searched next, as the first of its iteration (the
// principal variation) or not; `captureSquare` is its to-square + 1 for a capture, else 0.
void enterRootMove(int index, int captureSquare);
void setPvRootMove(bool first);
// The floors the search compares against: `score` - 75 for the root side, -`score` - 75 for the other.
void setRootFloor(int score);
// The best score of the last iteration (or of the pre-search).
void setRootScore(int score);
// The best root move so far (pv[1], its flags and the root's hash lock); endPvAfterRootMove: the
// principal variation holds that move only.
void setBestRootMove(uint16_t code, uint16_t flags, uint32_t rootLock);
void endPvAfterRootMove();
// The best move changed in an iteration deep enough to count.
void markBestMoveUnstable();
// Start of the iteration of `depth`: the deepest depth reached follows it, no root move searched yet.
void startIteration(int depth);
void countRootMoveSearched();
