// TEMPORARY: weak definitions the board needs until the shell, search and time-control code
// lands; the real definitions elsewhere replace them.
#include "game/timecontrol.h"
#include "search/searchstate.h"

__attribute__((weak)) SearchData SearchState;
__attribute__((weak)) TimeControlData TimeControl;

#include "eval/scoretable.h"
#include "search/hashtable.h"
#include "shell/ponderinput.h"

__attribute__((weak)) HashTableData HashTable;
__attribute__((weak)) ScoreTableData ScoreTable;
__attribute__((weak)) void handleInputWhileSearching() {}
