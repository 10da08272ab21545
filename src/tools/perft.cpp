// Perft: the leaf count of the legal move tree, counted through the engine's own generators,
// makeMove, the own-king attack test and unmakeMove (the in-check generator when in check).
#include "tools/perft.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "board/attack.h"
#include "board/board.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "board/setup.h"
#include "board/tables.h"
#include "platform/clock.h"
#include "search/searchstate.h"

namespace {

constexpr int MAX_PERFT_DEPTH = 30;
constexpr int PERFT_EXIT_REFUSED = 2;
constexpr const char* INITIAL_POSITION = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

// Generates the moves of `side` at the current ply; returns true when the list is already legal.
bool generateForPerft(int side) {
  if (isInCheck(side)) {
    generateLegalMoves(side);
    return true;
  }
  generateMoves(side);
  return false;
}

// Coordinate text of a move: e2e4, e7e8q.
void coordinateText(const Move& move, char* text) {
  text[0] = static_cast<char>('a' + fileOf(move.from));
  text[1] = static_cast<char>('1' + rankOf(move.from));
  text[2] = static_cast<char>('a' + fileOf(move.to));
  text[3] = static_cast<char>('1' + rankOf(move.to));
  text[4] = (move.flags & PROMOTION) ? " pnbrqk"[move.flags & PROMOTION_PIECE_MASK] : '\0';
  text[5] = '\0';
}

bool parseDepth(const char* text, int& depth) {
  char* end = nullptr;
  errno = 0;
  long value = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || errno != 0 || value < 0 || value > MAX_PERFT_DEPTH) return false;
  depth = static_cast<int>(value);
  return true;
}

}  // namespace

uint64_t perft(int side, int depth) {
  if (depth == 0) return 1;
  int ply = Ordering.ply;
  bool legal = generateForPerft(side);
  int first = MoveStack.plyStart[ply];
  int last = MoveStack.plyStart[ply + 1];
  if (depth == 1 && legal) return static_cast<uint64_t>(last - first);
  uint64_t nodes = 0;
  for (int i = first; i < last; i++) {
    Move move = MoveStack.moveStack[i];
    makeMove(side, move);
    // Generated without the in-check generator: the king was not attacked before the move.
    if (legal || !ownKingAttackedAfter(side, move, true)) {
      if (depth == 1) {
        nodes += 1;
      } else {
        setPly(ply + 1);
        nodes += perft(side ^ 1, depth - 1);
        setPly(ply);
      }
    }
    unmakeMove(side, move);
  }
  return nodes;
}

int runPerftCommand(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: vostrel perft DEPTH [FEN]\n");
    return PERFT_EXIT_REFUSED;
  }
  int depth = 0;
  if (!parseDepth(argv[2], depth)) {
    std::fprintf(stderr, "perft: depth must be a number from 0 to %d\n", MAX_PERFT_DEPTH);
    return PERFT_EXIT_REFUSED;
  }
  std::string fen;
  for (int i = 3; i < argc; i++) {
    if (i > 3) fen.push_back(' ');
    fen.append(argv[i]);
  }
  // Without a FEN argument perft counts the initial position; an explicit empty FEN is refused
  // below like any other unreadable one.
  const bool fenGiven = argc > 3;
  if (!fenGiven) fen = INITIAL_POSITION;

  initBoardTables();
  setPieceValues(false);
  if (fen.empty() || !setupFreshPosition(("setboard " + fen).c_str())) {
    std::fprintf(stderr, "perft: position refused: %s\n", fen.c_str());
    return PERFT_EXIT_REFUSED;
  }
  fillTypeCount();
  clearOrderingInputs();

  uint32_t start = tickCount();
  int side = Board.sideToMove;
  uint64_t total = 0;
  if (depth == 0) {
    total = 1;
  } else {
    bool legal = generateForPerft(side);
    int first = MoveStack.plyStart[1];
    int last = MoveStack.plyStart[2];
    for (int i = first; i < last; i++) {
      Move move = MoveStack.moveStack[i];
      makeMove(side, move);
      if (legal || !ownKingAttackedAfter(side, move, true)) {
        setPly(2);
        uint64_t count = perft(side ^ 1, depth - 1);
        setPly(1);
        char text[8];
        coordinateText(move, text);
        std::printf("%s: %llu\n", text, static_cast<unsigned long long>(count));
        total += count;
      }
      unmakeMove(side, move);
    }
  }
  uint32_t ms = tickCount() - start;
  unsigned long long nps = ms > 0 ? total * 1000ULL / ms : total;
  std::printf("Nodes: %llu\nTime: %u ms\nNPS: %llu\n", static_cast<unsigned long long>(total), ms, nps);
  return 0;
}
