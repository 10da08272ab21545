// "go" under UCI: its words read into limits, and the limits set as the classic time commands
// would set them. No time rule of its own: a depth is "sd", a move time is "st" (whole seconds,
// never more than asked), the clocks are a "level" with "time" and "otim".
#include "shell/ucigo.h"

#include <cerrno>
#include <cstdlib>

#include "board/types.h"
#include "game/timecontrol.h"
#include "shell/commands.h"

namespace {

constexpr int NUMBER_BASE = 10;
constexpr int64_t MILLISECONDS_PER_SECOND = 1000;
constexpr int64_t MAX_MILLISECONDS = static_cast<int64_t>(INT32_MAX) * MILLISECONDS_PER_CENTISECOND;
constexpr int64_t MAX_MOVES_TO_GO = 1000;
constexpr int64_t MIN_DEPTH = 1;
constexpr int64_t MAX_DEPTH = 48;              // the deepest iteration of the think driver
constexpr int64_t SD_DEPTH_OFFSET = 2;         // "sd N" ends with the iteration of depth N + 2
constexpr int64_t DEFAULT_MOVE_TIME = 5000;       // milliseconds

// A whole decimal number within [min, max].
bool readNumber(const std::string& text, int64_t min, int64_t max, int64_t& value) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long long number = std::strtoll(text.c_str(), &end, NUMBER_BASE);
  if (errno != 0 || *end != '\0' || number < min || number > max) return false;
  value = number;
  return true;
}

bool looksNumeric(const std::string& text) {
  return !text.empty() && (text[0] == '-' || (text[0] >= '0' && text[0] <= '9'));
}

bool hasLimit(const GoLimits& limits) {
  return limits.infinite || limits.ponder || limits.time[WHITE] >= 0 || limits.time[BLACK] >= 0 ||
         limits.moveTime >= 0 || limits.depth >= 0;
}

}  // namespace

GoLimits parseGoLimits(const std::vector<std::string>& words) {
  GoLimits limits;
  const auto noteRefused = [&limits](const std::string& what) {
    if (limits.refused.empty()) limits.refused = what;
  };
  for (size_t i = 1; i < words.size(); ++i) {
    const std::string& word = words[i];
    const std::string argument = i + 1 < words.size() ? words[i + 1] : "";
    int64_t* target = nullptr;
    int64_t min = 0, max = MAX_MILLISECONDS;
    if (word == "infinite") {
      limits.infinite = true;
      continue;
    }
    if (word == "ponder") {
      limits.ponder = true;
      continue;
    }
    if (word == "wtime" || word == "btime") {
      target = &limits.time[word == "wtime" ? WHITE : BLACK];
    } else if (word == "winc" || word == "binc") {
      target = &limits.increment[word == "winc" ? WHITE : BLACK];
    } else if (word == "movetime") {
      target = &limits.moveTime;
    } else if (word == "movestogo") {
      target = &limits.movesToGo;
      min = 1;
      max = MAX_MOVES_TO_GO;
    } else if (word == "depth") {
      target = &limits.depth;
      min = MIN_DEPTH;
      max = MAX_DEPTH;
    } else {
      // "nodes", "mate", "searchmoves" and anything unknown: not supported; a number after it
      // belongs to it.
      noteRefused(word);
      if (looksNumeric(argument)) ++i;
      continue;
    }
    int64_t value = 0;
    if (readNumber(argument, min, max, value)) {
      *target = value;
      ++i;
    } else {
      noteRefused(word + " " + argument);
      // A word that is no number is the next limit; a bad number is skipped.
      if (looksNumeric(argument)) ++i;
    }
  }
  // Only refused limits: the fixed time per move a fresh engine starts with, rather than a search
  // that would wait for "stop".
  if (!limits.refused.empty() && !hasLimit(limits)) limits.moveTime = DEFAULT_MOVE_TIME;
  return limits;
}

bool applyGoLimits(const GoLimits& limits, int side) {
  clearDepthLimit();
  if (limits.infinite) return true;
  if (limits.depth >= 0) {
    setFixedDepthControl(limits.depth - SD_DEPTH_OFFSET);
    return false;
  }
  if (limits.moveTime >= 0) {
    const int64_t seconds = limits.moveTime / MILLISECONDS_PER_SECOND;
    setFixedTimePerMove(static_cast<int32_t>(seconds));
    return false;
  }
  if (limits.time[side] < 0) return true;
  const int opponent = side ^ 1;
  const int32_t own = static_cast<int32_t>(limits.time[side] / MILLISECONDS_PER_CENTISECOND);
  const int32_t other = limits.time[opponent] >= 0
                            ? static_cast<int32_t>(limits.time[opponent] / MILLISECONDS_PER_CENTISECOND)
                            : own;
  setClocksForSearch(side, limits.movesToGo, own, other,
                     static_cast<int32_t>(limits.increment[side] / MILLISECONDS_PER_SECOND));
  return false;
}
