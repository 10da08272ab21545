// The search's shared state: one global record, reset per think by the think driver.
#include "search/searchstate.h"

SearchData SearchState;
