// TEMPORARY (engineer "ponder"): weak stand-ins for routines of the move notation that have not
// landed on this branch yet; the real definitions replace them. Delete when they are merged.
#include <cstdint>

#include "board/types.h"
#include "shell/notation.h"

// Coordinate moves only (e2e4, e7e8q); anything else is 0.
__attribute__((weak)) uint16_t parseMoveCode(const char* text, int) {
  const auto file = [](char c) { return c >= 'a' && c <= 'h'; };
  const auto rank = [](char c) { return c >= '1' && c <= '8'; };
  if (!file(text[0]) || !rank(text[1]) || !file(text[2]) || !rank(text[3])) return 0;
  return moveCodeOf(squareAt(text[1] - '1', text[0] - 'a'), squareAt(text[3] - '1', text[2] - 'a'));
}
