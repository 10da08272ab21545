// Move generation into the shared MoveStack, with ordering scores given when a move is added.
#pragma once
#include <cstdint>
#include "board/types.h"

// Room for the deepest line: 48 search plies of the largest move lists. Every push checks room.
constexpr int MOVE_STACK_SIZE = 12288;
constexpr int MAX_PLY = 50;  // per-ply arrays hold plies 0..49

// The moves of ply p occupy moveStack[plyStart[p] .. plyStart[p+1] - 1].
struct MoveStackData {
  Move moveStack[MOVE_STACK_SIZE];
  int16_t plyStart[MAX_PLY + 1];
};
extern MoveStackData MoveStack;

void addMove(int from, int to, int32_t flags, int opponent);
void generatePieceMoves(int square, int side, int opponent);
void generateMoves(int side);                 // all pseudo-legal moves at Ordering.ply
void generateLegalPieceMoves(int square, int side, int opponent);
void generateLegalMoves(int side);            // legal moves without castling (side in check)
void generateCaptures(int side);              // quiescence: captures, queen promotions, en passant
void generateCapturesAndChecks(int side);     // the same plus quiet moves that may give check
void pickBest(int first, int last);           // swaps the best-scored entry of [first, last] to first

// Clears the whole stack and the segment starts (new game).
void clearMoveStack();

// The moves of `ply` start at the bottom of the stack: nothing is generated below them.
inline void startPlyAtStackBottom(int ply) { MoveStack.plyStart[ply] = 0; }
// The list of ply + 1 starts where the list of `ply` starts: that list is empty for now.
inline void startEmptyListAfter(int ply) { MoveStack.plyStart[ply + 1] = MoveStack.plyStart[ply]; }
