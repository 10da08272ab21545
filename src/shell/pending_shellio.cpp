// PENDING (shellio): temporary stand-ins for definitions that other parts of the engine own.
// Each goes away when its owner's code lands.
#include "board/perft.h"
#include "eval/scoretable.h"
#include "game/timecontrol.h"
#include "search/hashtable.h"
#include "search/searchstate.h"
#include "shell/ponderinput.h"
#include "shell/protocol.h"
#include "shell/startup.h"

HashTableData HashTable;    // PENDING: transposition table owner
ScoreTableData ScoreTable;  // PENDING: evaluation driver owner
SearchData SearchState;     // PENDING: search owner
TimeControlData TimeControl;  // PENDING: time management owner

void handleInputWhileSearching() {}                       // PENDING: commands while thinking
