// In-process runs of the think driver: a position on a started engine, the time control of
// "sd" / "st" / "level", standard input held open and empty (so no poll stops a search) and the
// protocol output captured.
#pragma once

#include <string>
#include <vector>

namespace vostrel_test {

// A started engine with pondering off, the FEN position on the board and every table cleared.
// False when the position was refused.
bool startThinkPosition(const std::string& fen);

// The initial position of a new game (book off).
void startThinkGame();

// Plays game moves in coordinates as the interpreter enters them (side to move flips); false at
// the first move that is not legal.
bool playGameMoves(const std::vector<std::string>& moves);

// The time-control fields as the commands "st SECONDS" and "level MOVES MINUTES INC" with
// "time" and "otim" leave them ("sd": setFixedDepthControl).
void setFixedTime(int seconds);
void setLevel(int moves, int minutes, int increment, int ownClock, int opponentClock);

// Runs think(side, mode) and returns what it printed on standard output.
std::string runThinkQuietly(int side, int mode);

// Coordinates of the engine's last game move (GameHistory[gameCount]), with promotion letter.
std::string lastGameMove();

}  // namespace vostrel_test
