// setupPosition with arbitrary text after "setboard ", and a short perft of what it accepts as
// playable: a position the engine takes must be one its move generator can work on.
#include <cstddef>
#include <cstdint>
#include <string>

#include "board/board.h"
#include "board/setup.h"
#include "fuzz_support.h"
#include "search/searchstate.h"
#include "tools/perft.h"

namespace {
constexpr int PERFT_DEPTH = 2;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vostrel_fuzz::setUpGame({});
  const std::string text = "setboard " + std::string(reinterpret_cast<const char*>(data), size);
  if (!setupPosition(text.c_str())) return 0;
  fillTypeCount();
  if (!positionIsPlayable(Board.sideToMove)) return 0;
  Ordering.ply = 1;
  MoveStack.plyStart[1] = 0;
  perft(Board.sideToMove, PERFT_DEPTH);
  return 0;
}
