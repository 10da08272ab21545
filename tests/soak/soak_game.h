// One soak game: two engine processes play each other at a fast clock while the harness behaves
// as a restless interface would (pondering switched on and off, move-now requests, take-backs,
// hints, book queries, analysis interludes, a new game in the middle, clock readings that arrive
// after the move). The referee checks every move on its own board.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace vostrel_soak {

struct SoakSettings {
  int baseSeconds = 1;               // "level 0 0:SS INC"
  int incrementSeconds = 0;
  // Centiseconds the harness adds to a side's clock after each of its moves without telling the
  // engine in "level" (whose increment is whole seconds): the engine sees them only in "time".
  // They pay for the pipe and the harness between two moves, which a game of hundreds of moves in
  // one second could not otherwise afford.
  int bonusCentiseconds = 1;
  int maxPlies = 400;                // a game reaching this many plies is stopped ("*")
  double moveTimeoutSeconds = 30.0;  // no reply within this is a hang
  bool trace = false;                // every line sent and every line read while awaiting a move, on stderr
  std::string bookFolder;            // holds VSbook.ind / VSbook.dat, copied into every game's folder
};

// What went wrong in a game; at most one fault ends a game.
// A loss on time is counted apart (SoakGameReport::timeLosses): the game goes on after it.
enum class Fault { none, illegalMove, crash, hang, sanitizer, protocol };

const char* faultName(Fault fault);

// Counts of one game.
struct SoakGameReport {
  Fault fault = Fault::none;
  std::string detail;   // the fault's description, with the moves of the game
  std::string result;   // "1-0", "0-1", "1/2-1/2", "*"
  std::string reason;
  int timeLosses = 0;   // sides whose clock fell below zero (each counted once per game)
  std::string timeLossDetail;
  std::string timeLossContext;  // the dialogue before the first flag fell, a line each, with times
  int moves = 0;        // moves the engines played and the referee checked (take-backs replayed included)
  int restarts = 0;     // "new" in the middle of a game
  int takebacks = 0;
  int replays = 0;      // take-backs followed by replaying the same moves
  int analyses = 0;
  int moveNows = 0;     // "?" sent
  int hints = 0;
  int bookQueries = 0;
  int lateClocks = 0;   // "time"/"otim" sent after the move
  int ponderSwitches = 0;
  int postSwitches = 0;
};

// The openings: coordinate move lists taken from the games of the test PGN files.
std::vector<std::vector<std::string>> loadOpenings(const std::vector<std::string>& pgnFiles);

// Plays one game with the behaviour drawn from `rng`.
SoakGameReport playSoakGame(const SoakSettings& settings, const std::vector<std::vector<std::string>>& openings,
                            std::mt19937_64& rng);

}  // namespace vostrel_soak
