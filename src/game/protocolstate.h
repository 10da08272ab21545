// ProtocolState: the interpreter's flags and the game-level marks the interface steers.
#pragma once
#include <cstdint>

struct ProtocolData {
  int8_t forceMode;      // moves entered are only made on the board
  int8_t analyzing;      // analysis mode: search until input arrives, never play
  int8_t ponderEnabled;  // may think on the opponent's time
  int8_t quitRequested;  // "quit" (or end of input) was seen
  int8_t postThinking;   // "post"/"nopost"; thinking lines are printed regardless
  int8_t randomMode;     // toggled by "random"; nothing reads it
  int8_t fritzMode;      // interface variant, set by "fritz", never cleared
  uint16_t ponderMove;   // moveCode of the expected opponent move, 0 = none
  int8_t ponderHit;      // the opponent played ponderMove while the engine pondered
  int8_t gameOver;       // the game has ended (mate, draw)
  int8_t bookAllowed;    // the game started from the initial position
  int8_t setboardRun;    // the single search of a command-line setboard run
};
extern ProtocolData ProtocolState;

// A new game: not in force mode, no quit pending, the game not over, thinking lines posted, the
// book allowed and no ponder move.
void resetGameMarks();
