// The move-ordering state: one global record, filled by the search and the think driver.
#include "board/ordering.h"

OrderingData Ordering;
