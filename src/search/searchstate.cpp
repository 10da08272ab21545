// The search's shared state: one global record, reset per think by the think driver.
#include "search/searchstate.h"

SearchData SearchState;

void stopSearchNow() { SearchState.stopSearch = 1; }

void markInputPending() { SearchState.inputPending = 1; }

void clearInputPending() { SearchState.inputPending = 0; }

void setPondering(bool pondering) { SearchState.pondering = static_cast<int8_t>(pondering); }

void scheduleNextPoll(uint64_t nodes) { SearchState.nextPoll = nodes; }
