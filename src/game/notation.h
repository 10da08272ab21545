// Move notation: rendering moves, entering typed moves, thinking lines and the move announcement.
#pragma once
#include <cstdint>

#include "board/types.h"

constexpr int MOVE_TEXT_SIZE = 8;

struct NotationData {
  char coordText[MOVE_TEXT_SIZE];  // g1f3, e1g1, e7e8q
  char shortText[MOVE_TEXT_SIZE];  // Sf3, o-o, e8 / de
  char rankText[MOVE_TEXT_SIZE];   // S1f3, 0-0, e8q / de8q
  char fileText[MOVE_TEXT_SIZE];   // Sgf3, O-O, empty for promotions
  int16_t thinkingPrinted;         // 0 at each think, 1 once a line was printed, 32 = force one line
};
extern NotationData Notation;

constexpr int16_t FORCE_THINKING_LINE = 32;

void formatMove(int from, int to, int flags);
int enterMove(char* text);
// The first generated move of the side to move that one of the renderings names (legal or not).
bool findNamedMove(const char* text, Move& found);
uint16_t parseMoveCode(const char* text, int side);
// Square of a text that starts with a file a-h and a rank 1-8 (e3 = 20); -1 for anything else.
int parseSquareText(const char* text);
void printThinking(int score, const uint16_t* pv, int kind);
void printEngineMove(int square);
// The engine's move as xboard protocol 2 announces it: "move MOVE".
void printXboardMove(int square);
