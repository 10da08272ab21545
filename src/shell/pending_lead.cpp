// TEMPORARY: weak definitions the board needs until the shell, search and time-control code
// lands; the real definitions elsewhere replace them.
#include <cstdio>

#include "game/timecontrol.h"
#include "search/searchstate.h"
#include "shell/protocol.h"
#include "shell/startup.h"

__attribute__((weak)) SearchData SearchState;
__attribute__((weak)) TimeControlData TimeControl;
__attribute__((weak)) ProtocolData ProtocolState;

__attribute__((weak)) int engineMain(int, char**) {
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, stdin) != nullptr) {
  }
  return 0;
}

#include "eval/scoretable.h"
#include "search/hashtable.h"

__attribute__((weak)) HashTableData HashTable;
__attribute__((weak)) ScoreTableData ScoreTable;
