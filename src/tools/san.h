// Standard algebraic notation (SAN) as PGN files write it: reading a move text and finding the
// legal move of the current position that it names.
#pragma once
#include <string>

#include "board/types.h"

struct SanMove {
  int piece;      // piece code of the mover (PAWN for pawn moves), 0 for castling
  int castling;   // 0 none, SAN_KING_SIDE or SAN_QUEEN_SIDE
  int fromFile;   // 0..7, or -1 when not given
  int fromRank;   // 0..7, or -1 when not given
  int to;         // destination square (not used for castling)
  int promotion;  // promoted piece code, 0 for none
};

constexpr int SAN_KING_SIDE = 1;
constexpr int SAN_QUEEN_SIDE = 2;

enum SanStatus { SAN_FOUND, SAN_UNREADABLE, SAN_ILLEGAL, SAN_AMBIGUOUS };

// 1 when `text` reads as a move (check marks, annotation marks and "e.p." may follow), else 0.
// Castling may be written with letters O or digits 0; promotions as e8=Q, e8Q or e8(Q).
int parseSan(const std::string& text, SanMove* san);

// Looks among the legal moves of `side` in the position on the board (generated at
// Ordering.ply) for the one that `text` names; SAN_FOUND puts it in `move`.
SanStatus findSanMove(const std::string& text, int side, Move* move);
