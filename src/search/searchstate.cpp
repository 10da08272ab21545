// The search's shared state: one global record, reset per think and set at the root by the
// think driver through the routines below; the search writes its per-ply fields itself.
#include "search/searchstate.h"

#include <cstring>

#include "board/types.h"

SearchData SearchState;

void stopSearchNow() { SearchState.stopSearch = 1; }

void markInputPending() { SearchState.inputPending = 1; }

void requestSearchStop() {
  if (!SearchState.stopSearch) markInputPending();
}

void clearInputPending() { SearchState.inputPending = 0; }

void setPondering(bool pondering) { SearchState.pondering = static_cast<int8_t>(pondering); }

void scheduleNextPoll(uint64_t nodes) { SearchState.nextPoll = nodes; }

namespace {

constexpr int ROOT_FLOOR_MARGIN = 75;  // rootFloor = score - 75

}  // namespace

void resetSearchState() {
  SearchData& s = SearchState;
  s.stopSearch = 0;
  s.inputPending = 0;
  s.pondering = 0;
  s.nextPoll = 0;
  std::memset(s.extensions, 0, sizeof s.extensions);
  std::memset(s.recaptureExtended, 0, sizeof s.recaptureExtended);
  std::memset(s.nodeFlags, 0, sizeof s.nodeFlags);
  std::memset(s.captureSquare, 0, sizeof s.captureSquare);
  std::memset(s.checkCount, 0, sizeof s.checkCount);
  std::memset(s.nullMoves, 0, sizeof s.nullMoves);
  std::memset(s.pv, 0, sizeof s.pv);
  std::memset(s.pvFlags, 0, sizeof s.pvFlags);
  std::memset(s.pvLocks, 0, sizeof s.pvLocks);
  s.soundBookMove = 0;
  s.maxDepthReached = 0;
  s.verifying = 0;
}

void startRootMoveCount() {
  SearchState.bestMoveStable = 1;
  SearchState.legalRootMoves = 0;
  SearchState.rootMovesSearched = 0;
}

void clearSearchStatistics() {
  SearchData& s = SearchState;
  s.quiesceNodes = 0;
  s.hashHits = s.hashCutoffs = 0;
  s.nullTries[WHITE] = s.nullTries[BLACK] = 0;
  s.nullFails[WHITE] = s.nullFails[BLACK] = 0;
}

void setRootEval(int score) { SearchState.rootEval = static_cast<int16_t>(score); }

void setNullReduction(int reduction) {
  SearchState.nullReduction[WHITE] = SearchState.nullReduction[BLACK] = static_cast<int8_t>(reduction);
}

void countLegalRootMove() { SearchState.legalRootMoves += 1; }

void setPlyLimit(int plies) { SearchState.plyLimit = static_cast<int8_t>(plies); }

void markSoundBookMove() { SearchState.soundBookMove = 1; }

void markRootInCheck() {
  SearchState.nodeFlags[1] |= NODE_IN_CHECK;
  SearchState.checkCount[1] = 1;
}

void enterRootMove(int index, int captureSquare) {
  SearchState.rootMoveIndex = static_cast<int16_t>(index);
  SearchState.captureSquare[1] = static_cast<int8_t>(captureSquare);
}

void setPvRootMove(bool first) { SearchState.pvRootMove = static_cast<int8_t>(first); }

void setRootFloor(int score) {
  SearchState.rootFloor[0] = static_cast<int16_t>(score - ROOT_FLOOR_MARGIN);
  SearchState.rootFloor[1] = static_cast<int16_t>(-score - ROOT_FLOOR_MARGIN);
}

void setRootScore(int score) { SearchState.rootScore = static_cast<int16_t>(score); }

void setBestRootMove(uint16_t code, uint16_t flags, uint32_t rootLock) {
  SearchState.pv[1] = code;
  SearchState.pvFlags[1] = flags;
  SearchState.pvLocks[1] = rootLock;
}

void endPvAfterRootMove() { SearchState.pv[2] = 0; }

void markBestMoveUnstable() { SearchState.bestMoveStable = 0; }

void startIteration(int depth) {
  if (SearchState.maxDepthReached < depth) SearchState.maxDepthReached = static_cast<int8_t>(depth);
  SearchState.rootMovesSearched = 0;
}

void countRootMoveSearched() { SearchState.rootMovesSearched += 1; }
