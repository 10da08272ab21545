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

// Start-up: not the fritz interface, no analysis, random off, pondering allowed (the
// configuration file may change these afterwards).
void setStartupProtocolState();
// Every flag off and no ponder move: the state a diagnostic run starts from.
void clearProtocolState();
// A new game: not in force mode, no quit pending, the game not over, thinking lines posted, the
// book allowed and no ponder move.
void resetGameMarks();
// A game from a position the interface set up: the book only when `bookAllowed` (the initial
// position), the game not over, no ponder move.
void startGameFromPosition(bool bookAllowed);

// ---- Modes ----
// The engine plays the side to move again: neither force mode nor analysis.
void startPlaying();
void setForceMode(bool on);
void enterAnalysis();
void leaveAnalysis();
void setPonderEnabled(bool on);
void togglePonderEnabled();
void setPostThinking(bool on);
void toggleRandomMode();
// "fritz": the other interface variant, for the rest of the run.
void enterFritzMode();
// The single search of a command-line setboard run (true), or an interactive run.
void setSetboardRun(bool on);

// ---- Marks ----
// "quit" or the end of input: the engine ends once the running work has unwound.
void requestQuit();
// The interpreter starts a round of commands with no quit pending.
void clearQuitRequest();
// The opponent move to ponder on (a moveCode); forgetPonderMove: none.
void setPonderMove(uint16_t code);
void forgetPonderMove();
// The opponent played the expected move (or the interface said so): the ponder search is the
// engine's own; clearPonderHit: no hit yet.
void markPonderHit();
void clearPonderHit();
// Mate, draw or the interface's result: the game is over; reopenGame: it goes on (take-back).
void markGameOver();
void reopenGame();
void setBookAllowed(bool allowed);
