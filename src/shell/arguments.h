// Reading the arguments of protocol commands: numbers, words of the split line, squares, and the
// castling words shared by the "castle" command and edit mode.
#pragma once
#include <cstdint>

// Decimal number with optional leading blanks and sign, stopping at the first non-digit; text
// without digits reads as 0. Values beyond 32 bits saturate at the int32 limits.
int32_t parseNumber(const char* text);

// Word `index` of the line last split by tokenize, or "" when the line had no such word.
const char* argumentWord(int index, int wordCount);

// "-w00", "-w000", "-b00", "-b000" withdraw White short, White long, Black short, Black long
// castling. A right already lost stays as it is; any other word does nothing.
void withdrawCastlingRight(const char* word);
