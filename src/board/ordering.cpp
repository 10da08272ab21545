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
  startPlyAtStackBottom(1);
}

void seedKillersFromPv(const uint16_t* pv, int lastPly) {
  bool ended = false;
  for (int p = 1; p <= lastPly; ++p) {
    const uint16_t move = ended ? 0 : pv[p];
    if (move == 0) {
      ended = true;
      Ordering.killer1[p] = Ordering.killer2[p] = 0;
    } else if (move == Ordering.killer1[p]) {
      Ordering.killer2[p] = 0;
    } else {
      Ordering.killer1[p] = move;
      Ordering.killer2[p] = 0;
    }
    Ordering.bestAtPly[p] = 0;
  }
}
