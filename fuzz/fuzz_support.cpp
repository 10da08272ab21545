#include "fuzz_support.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "board/attack.h"
#include "board/board.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "board/tables.h"
#include "search/searchstate.h"

namespace vostrel_fuzz {

void enterScratchFolder() {
  static bool done = false;
  if (done) return;
  done = true;
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/vostrel-fuzz-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr || chdir(pattern.c_str()) != 0) {
    throw std::runtime_error("no scratch folder");
  }
  const int sink = open("/dev/null", O_WRONLY);
  if (sink >= 0) {
    std::fflush(stdout);
    dup2(sink, STDOUT_FILENO);
    close(sink);
  }
}

void writeFile(const std::string& name, const uint8_t* bytes, size_t size) {
  FILE* file = std::fopen(name.c_str(), "wb");
  if (file == nullptr) throw std::runtime_error("cannot write " + name);
  if (size > 0) std::fwrite(bytes, 1, size, file);
  std::fclose(file);
}

void writeFile(const std::string& name, const std::string& bytes) {
  writeFile(name, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

void initTables() {
  static bool done = false;
  if (done) return;
  done = true;
  initBoardTables();
}

namespace {

std::string coordinates(const Move& move) {
  std::string text;
  text += static_cast<char>('a' + (move.from & 7));
  text += static_cast<char>('1' + (move.from >> 3));
  text += static_cast<char>('a' + (move.to & 7));
  text += static_cast<char>('1' + (move.to >> 3));
  return text;
}

void playCoordinateMove(const std::string& text) {
  const int side = Board.sideToMove;
  Ordering.ply = 1;
  generateMoves(side);
  for (int i = MoveStack.plyStart[1]; i < MoveStack.plyStart[2]; ++i) {
    const Move move = MoveStack.moveStack[i];
    if (coordinates(move) != text) continue;
    makeMove(side, move);
    if (isSquareAttacked(Board.pieceList[side][0], side ^ 1)) {
      unmakeMove(side, move);
      return;
    }
    Board.sideToMove = static_cast<int8_t>(side ^ 1);
    return;
  }
}

}  // namespace

void setUpGame(const std::vector<std::string>& moves) {
  initTables();
  setPieceValues(false);
  Board.gameCount = 0;
  Board.lastIrreversible = 0;
  Board.epSquare = 0;
  Board.lastTo = -1;
  std::memset(Board.castled, 0, sizeof Board.castled);
  std::memset(Board.squareMoves, 0, sizeof Board.squareMoves);
  clearOrderingInputs();
  placeInitialPieces();
  Board.sideToMove = WHITE;
  recomputeBoardState();
  fillTypeCount();
  for (const std::string& move : moves) playCoordinateMove(move);
}

}  // namespace vostrel_fuzz
