// The move-ordering state: one global record, filled by the search and the think driver.
#include "board/ordering.h"

#include <algorithm>
#include <cstring>

OrderingData Ordering;

void clearKillersAndHistory(int16_t historyStart) {
  std::memset(Ordering.bestAtPly, 0, sizeof Ordering.bestAtPly);
  std::memset(Ordering.killer1, 0, sizeof Ordering.killer1);
  std::memset(Ordering.killer2, 0, sizeof Ordering.killer2);
  std::fill(&Ordering.history[0][0], &Ordering.history[0][0] + 2 * HISTORY_SIZE, historyStart);
}

void clearOrderingInputs() {
  Ordering.ply = 1;
  Ordering.hashMove = 0;
  clearKillersAndHistory(0);
  MoveStack.plyStart[1] = 0;
}
