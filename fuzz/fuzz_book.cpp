// The book reader: the input is split into an index file and a data file (the first two bytes
// give the index file's length), and every root move of a few opening positions is probed as
// the think driver does, followed by the choice and the "bk" text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "board/attack.h"
#include "board/board.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "config/settings.h"
#include "eval/evalcontext.h"
#include "fuzz_support.h"
#include "game/book.h"
#include "search/searchstate.h"

namespace {

const std::vector<std::vector<std::string>> POSITIONS = {
    {}, {"e2e4"}, {"d2d4"}, {"e2e4", "e7e5"}, {"d2d4", "g8f6", "c2c4"},
};

void probeRootMoves() {
  const int side = Board.sideToMove;
  EvalContext.rootSide = side;
  clearBookCandidates();
  Ordering.ply = 1;
  generateMoves(side);
  for (int i = MoveStack.plyStart[1]; i < MoveStack.plyStart[2]; ++i) {
    const Move move = MoveStack.moveStack[i];
    makeMove(side, move);
    const bool legal = !isSquareAttacked(Board.pieceList[side][0], side ^ 1);
    if (legal && Book.candidateCount < MAX_BOOK_CANDIDATES &&
        probeBook(move.from, move.to, Book.candidateCount, side)) {
      Book.candidateCount += 1;
    }
    unmakeMove(side, move);
  }
  chooseBookMove(0);
  chooseBookMove(1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vostrel_fuzz::enterScratchFolder();
  vostrel_fuzz::initTables();
  initRatingDiff();
  if (size < 2) return 0;
  const size_t indexSize = (data[0] | static_cast<size_t>(data[1]) << 8) % (size - 1);
  vostrel_fuzz::writeFile(BOOK_INDEX_FILE_NAME, data + 2, indexSize);
  vostrel_fuzz::writeFile(BOOK_DATA_FILE_NAME, data + 2 + indexSize, size - 2 - indexSize);
  EngineSettings.bookEnabled = 1;
  openBookFiles();
  if (EngineSettings.bookEnabled) {
    for (const auto& moves : POSITIONS) {
      vostrel_fuzz::setUpGame(moves);
      probeRootMoves();
    }
  }
  closeBookFiles();
  return 0;
}
