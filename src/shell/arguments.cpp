// Argument readers of the command interpreter and edit mode.
#include "shell/arguments.h"

#include <cstdlib>
#include <cstring>

#include "board/board.h"
#include "shell/input.h"

namespace {

// The castling words and the rook square whose squareMoves entry withdraws the right.
struct CastlingWord {
  const char* word;
  int rookSquare;
};
constexpr CastlingWord CASTLING_WORDS[] = {
    {"-w00", H1}, {"-w000", A1}, {"-b00", H8}, {"-b000", A8}};

constexpr int DECIMAL = 10;

}  // namespace

int32_t parseNumber(const char* text) {
  const long long value = std::strtoll(text, nullptr, DECIMAL);
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(value);
}

const char* argumentWord(int index, int wordCount) {
  if (index < 0 || index >= wordCount || index >= TOKEN_COUNT) return "";
  return Input.tokens[index];
}

void withdrawCastlingRight(const char* word) {
  for (const CastlingWord& castling : CASTLING_WORDS) {
    if (std::strcmp(word, castling.word) != 0) continue;
    // Only a right still held is withdrawn: raising a larger count back to 1 would let a later
    // take-back restore a right the game had lost.
    if (Board.squareMoves[castling.rookSquare] == 0) Board.squareMoves[castling.rookSquare] = 1;
    return;
  }
}
