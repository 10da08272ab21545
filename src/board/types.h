// Basic encodings shared by every subsystem: squares, colours, piece codes, the 8-byte Move
// and its flag bits, score landmarks.
#pragma once
#include <cstdint>

// Squares: rank * 8 + file, a1 = 0, h1 = 7, a8 = 56, h8 = 63. 64 is "no square" in the pawn tables.
constexpr int NO_SQUARE = 64;
constexpr int fileOf(int sq) { return sq & 7; }
constexpr int rankOf(int sq) { return sq >> 3; }
constexpr int squareAt(int rank, int file) { return rank * 8 + file; }

// Named squares used by rules that look at particular squares.
enum Square : int {
  A1, B1, C1, D1, E1, F1, G1, H1,
  A2, B2, C2, D2, E2, F2, G2, H2,
  A3, B3, C3, D3, E3, F3, G3, H3,
  A4, B4, C4, D4, E4, F4, G4, H4,
  A5, B5, C5, D5, E5, F5, G5, H5,
  A6, B6, C6, D6, E6, F6, G6, H6,
  A7, B7, C7, D7, E7, F7, G7, H7,
  A8, B8, C8, D8, E8, F8, G8, H8
};

// Colours: the opponent of side s is s ^ 1.
constexpr int WHITE = 0;
constexpr int BLACK = 1;
constexpr int EMPTY = 2;

// Piece codes.
constexpr int NONE = 0;
constexpr int PAWN = 1;
constexpr int KNIGHT = 2;
constexpr int BISHOP = 3;
constexpr int ROOK = 4;
constexpr int QUEEN = 5;
constexpr int KING = 6;
// Move-table type of a Black pawn (a White pawn uses PAWN).
constexpr int BLACK_PAWN_TYPE = 7;

// One entry of the MoveStack.
//   offset 0 int8  from
//   offset 1 int8  to
//   offset 2 int16 score   ordering score, larger is tried first
//   offset 4 int32 flags   kind of move (below)
struct Move {
  int8_t from;
  int8_t to;
  int16_t score;
  int32_t flags;
};
static_assert(sizeof(Move) == 8, "a Move is 8 bytes");

// Move flags. A promotion's whole flags word is PROMOTION + the promoted piece code
// (10 knight, 11 bishop, 12 rook, 13 queen) and carries neither QUIET nor CAPTURE.
constexpr int32_t PROMOTION = 0x08;
constexpr int32_t PROMOTION_PIECE_MASK = 0x07;
constexpr int32_t CASTLING = 0x10;
constexpr int32_t EN_PASSANT = 0x20;
constexpr int32_t QUIET = 0x40;
constexpr int32_t PAWN_SIXTH_SEVENTH = 0x80;  // pawn lands on its 6th or 7th rank
constexpr int32_t GIVES_CHECK = 0x100;        // root move gives check (think driver)
constexpr int32_t CAPTURE = 0x200;
constexpr int32_t DRAW_FLAG = 0x400;          // root move draws
constexpr int32_t THREAT_FOUND = 0x2000;      // a threat was found after the root move
constexpr int32_t MATE_THREAT_FOUND = 0x4000; // a mate threat was found after the root move

// moveCode: the 16-bit identity of a move (from * 64 + to), without the promotion piece.
constexpr uint16_t moveCodeOf(int from, int to) { return static_cast<uint16_t>(from * 64 + to); }
constexpr int moveCodeFrom(uint16_t code) { return code >> 6; }
constexpr int moveCodeTo(uint16_t code) { return code & 63; }

// Score landmarks (int16 centipawns, side to move's view).
constexpr int MATE_SCORE = 10000;      // mated at ply p scores p - MATE_SCORE
constexpr int MATE_RANGE = 9000;       // |score| above this is a mate score
constexpr int NO_SCORE = -12000;       // no move scored yet
constexpr int FULL_WINDOW = 9999;      // the widest search window is (-FULL_WINDOW, FULL_WINDOW)
constexpr int DRAW_SCORE = 0;
