// The Polyglot import: any bytes as a Polyglot book, decoded and walked from the initial position
// on the engine's board.
//
// With VOSTREL_POLYGLOT_SEED=FILE in the environment the target first writes a small sound book
// to FILE (every move of the initial position and of the positions after each of them), the
// seed of its corpus.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "board/attack.h"
#include "board/board.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "fuzz_support.h"
#include "search/searchstate.h"
#include "tools/polyglot.h"

namespace {

constexpr int WALK_PLIES = 12;
constexpr int SEED_PLIES = 2;

void appendBigEndian(std::string& bytes, uint64_t value, int size) {
  for (int i = size - 1; i >= 0; --i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// Entries for every legal move of the position on the board (reached after `ply` - 1 plies), and
// of the positions after them up to `lastPly`.
void addEntries(std::string& bytes, int ply, int lastPly) {
  const int side = Board.sideToMove;
  const uint64_t key = polyglotKey();
  Ordering.ply = ply;
  generateMoves(side);
  const std::vector<Move> moves(MoveStack.moveStack + MoveStack.plyStart[ply],
                                MoveStack.moveStack + MoveStack.plyStart[ply + 1]);
  for (const Move& move : moves) {
    makeMove(side, move);
    const bool legal = !isSquareAttacked(Board.pieceList[side][0], side ^ 1);
    unmakeMove(side, move);
    if (!legal || (move.flags & 0x08) != 0) continue;  // promotions and castling are left to the fuzzer
    if (Board.pieceAt[move.from] == KING && (move.to - move.from == 2 || move.from - move.to == 2)) continue;
    appendBigEndian(bytes, key, 8);
    appendBigEndian(bytes, static_cast<uint64_t>(move.from) << 6 | move.to, 2);
    appendBigEndian(bytes, 1 + (move.to % 7), 2);
    appendBigEndian(bytes, 0, 4);
    if (ply < lastPly) {
      makeMove(side, move);
      Board.sideToMove = static_cast<int8_t>(side ^ 1);
      addEntries(bytes, ply + 1, lastPly);
      Board.sideToMove = static_cast<int8_t>(side);
      unmakeMove(side, move);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const char* seedFile = std::getenv("VOSTREL_POLYGLOT_SEED");
  if (seedFile == nullptr) return 0;
  vostrel_fuzz::setUpGame({});
  std::string bytes;
  MoveStack.plyStart[1] = 0;
  addEntries(bytes, 1, SEED_PLIES);
  vostrel_fuzz::writeFile(seedFile, bytes);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vostrel_fuzz::enterScratchFolder();
  vostrel_fuzz::initTables();
  PolyglotReport report{};
  const std::vector<PolyglotEntry> entries =
      readPolyglotEntries(std::string(reinterpret_cast<const char*>(data), size), &report);
  walkPolyglotBook(entries, WALK_PLIES, "fuzz", &report);
  return 0;
}
