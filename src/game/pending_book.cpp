// TEMPORARY (book): weak definitions of the move-text record and formatMove (coordinates only)
// until the notation code lands; the real definitions elsewhere replace them.
#include <cstdio>

#include "board/types.h"
#include "shell/notation.h"

__attribute__((weak)) NotationData Notation;

__attribute__((weak)) void formatMove(int from, int to, int flags) {
  (void)flags;
  std::snprintf(Notation.coordText, sizeof(Notation.coordText), "%c%c%c%c", 'a' + fileOf(from), '1' + rankOf(from),
                'a' + fileOf(to), '1' + rankOf(to));
}
