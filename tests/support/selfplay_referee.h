// Self-play: two engine processes play each other through pipes while a referee in the test
// process relays the moves as an interface does, checks every move against its own board (the
// engine library's generator and legality test), detects the end of the game and checks the
// result line the engine prints.
#pragma once

#include <string>
#include <vector>

namespace vostrel_test {

struct SelfPlayOptions {
  std::vector<std::string> opening;  // coordinate moves played in force mode first
  int fixedDepth = 1;                // "sd" value when `clockMinutes` is 0
  int clockMinutes = 0;              // > 0: "level 0 MINUTES INCREMENT" with "time"/"otim" before every move
  int clockSeconds = 0;              // added to the minutes ("level 0 MINUTES:SECONDS INCREMENT")
  int incrementSeconds = 0;
  bool ponder = false;               // both engines think on the opponent's time ("hard")
  int maxPlies = 200;                // the referee stops a game that reaches this many plies
  double moveTimeoutSeconds = 60.0;  // safety net for one reply
};

struct SelfPlayResult {
  std::string failure;               // empty when every rule held
  std::string result;                // "1-0", "0-1", "1/2-1/2", or "*" for a game stopped at maxPlies
  std::string reason;                // the comment of the result line, or "ply limit"
  int plies = 0;                     // moves played, opening included
  std::vector<std::string> moves;
  int lowestClock[2] = {0, 0};       // smallest clock a side had left after a move (centiseconds)
  int hints = 0;                     // "Hint:" lines: pondering began on the expected reply
  int ponderHits = 0;                // ... and the opponent played that reply
};

SelfPlayResult playSelfGame(const SelfPlayOptions& options);

// The result line the position on the board calls for after a move, as the engine that just moved
// must print it ("1-0 {White mates}", "1/2-1/2 {Draw by repetition}", ...), or "" while the game
// goes on. Stalemate is announced by the stalemated side, mate of the side to move by nobody.
std::string resultAfterMove();

// "N. ... move": the move number and the move; false for any other line.
bool parseMoveLine(const std::string& line, int* number, std::string* move);
// A result line ("1-0 {...}", "0-1 {...}", "1/2-1/2 {...}") or "resign".
bool isResultLine(const std::string& line);
// Makes the legal move named by `text` (coordinates) for the side to move on the referee's board;
// false when there is none.
bool makeTextMove(const std::string& text);

}  // namespace vostrel_test
