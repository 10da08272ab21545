// The limits of a UCI "go" and how they map onto the engine's time modes.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct GoLimits {
  int64_t time[2] = {-1, -1};  // wtime, btime in milliseconds; -1 when not given
  int64_t increment[2] = {0, 0};
  int64_t movesToGo = 0;       // 0 when not given
  int64_t moveTime = -1;       // milliseconds; -1 when not given
  int64_t depth = -1;          // plies of the last iteration; -1 when not given
  bool infinite = false;
  bool ponder = false;
  std::string refused;         // the first limit left out (unsupported, missing or bad number)
};

// Reads the words after "go" (words[0] is "go").
GoLimits parseGoLimits(const std::vector<std::string>& words);

// Sets the time control for a search of `side` under the limits: a depth as "sd", a move time as
// "st", clocks as "level" with "time" and "otim". Returns true when the search is to run until
// "stop": "infinite", or no limit at all.
bool applyGoLimits(const GoLimits& limits, int side);
