#include "support/board_fixture.h"

#include <cstring>

#include "board/board.h"
#include "board/movegen.h"
#include "board/setup.h"
#include "board/tables.h"
#include "search/searchstate.h"
#include "tools/perft.h"

namespace {

void ensureTables() {
  static bool done = false;
  if (done) return;
  initBoardTables();
  done = true;
}

void resetGameFields() {
  setPieceValues(false);
  Board.gameCount = 0;
  Board.lastIrreversible = 0;
  Board.epSquare = 0;
  Board.lastTo = -1;
  std::memset(Board.castled, 0, sizeof Board.castled);
  std::memset(Board.squareMoves, 0, sizeof Board.squareMoves);
  clearOrderingInputs();
}

}  // namespace

bool setUpPosition(const std::string& fen) {
  ensureTables();
  resetGameFields();
  if (!setupPosition(("setboard " + fen).c_str())) return false;
  fillTypeCount();
  return true;
}

void setUpInitialPosition() {
  ensureTables();
  resetGameFields();
  placeInitialPieces();
  Board.sideToMove = WHITE;
  recomputeBoardState();
  fillTypeCount();
}

std::string moveText(int from, int to, int flags) {
  std::string text;
  text += static_cast<char>('a' + (from & 7));
  text += static_cast<char>('1' + (from >> 3));
  text += static_cast<char>('a' + (to & 7));
  text += static_cast<char>('1' + (to >> 3));
  if (flags & 0x08) text += " pnbrqk"[flags & 7];
  return text;
}

uint64_t perftFromHere(int depth) {
  Ordering.ply = 1;
  MoveStack.plyStart[1] = 0;
  return perft(Board.sideToMove, depth);
}
