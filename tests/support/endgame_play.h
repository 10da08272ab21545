// Endgames played out by the engine against itself in this process: the think driver chooses
// every move at a fixed depth, and the referee's rules judge the board after each move.
#pragma once

#include <string>
#include <vector>

namespace vostrel_test {

struct EndgameGame {
  std::string result;               // "1-0", "0-1", "1/2-1/2", or "*" at the ply limit
  std::string reason;               // the result line's comment, "no move played" or "ply limit"
  std::vector<std::string> moves;   // coordinate moves, promotions with their letter
  int promotions[2] = {0, 0};       // promotions made by White and by Black
};

// Plays from `fen` (both sides by the engine, "sd `depth`") until the game ends or `maxPlies`
// moves were played.
EndgameGame playEndgame(const std::string& fen, int depth, int maxPlies);

// "1-0 {White mates} after 23 plies: e1e2 ...", for failure messages.
std::string describeGame(const EndgameGame& game);

// `winner` mates from `fen` at "sd `depth`" before the fifty-move rule (or anything else) ends
// the game; with `promotes`, after promoting a pawn.
void expectMateBy(const std::string& fen, int depth, int winner, bool promotes = false);

// The side that is not `defender` neither wins nor promotes within `maxPlies`; with `drawn`, the
// game must also end drawn by then.
void expectHeldBy(const std::string& fen, int depth, int defender, int maxPlies, bool drawn);

}  // namespace vostrel_test
