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

// Kinds of thinking line, as the think driver prints them. Only the difference between the plain
// line and the marked ones matters to the printer; no kind is ever shown.
constexpr int LINE_ITERATION_START = 0;  // plain: before the first root move, with the previous best
constexpr int LINE_FAIL_LOW = 1;         // marked from here on: the first root move failed low
constexpr int LINE_FAIL_HIGH = 3;        // the first root move failed high
constexpr int LINE_FAIL_HIGH_AGAIN = 4;  // a re-search failed high again, or a later move beat the scout
constexpr int LINE_NEW_BEST = 5;         // a new best root move with its exact score
constexpr int LINE_FINAL = 7;            // the final line after the move has been made

// The interface is shown the search depth plus this: iterations are counted from the pre-search.
constexpr int SHOWN_DEPTH_OFFSET = 2;

void formatMove(int from, int to, int flags);
int enterMove(char* text);
// The first generated move of the side to move that one of the renderings names (legal or not).
bool findNamedMove(const char* text, Move& found);
uint16_t parseMoveCode(const char* text, int side);
// Square of a text that starts with a file a-h and a rank 1-8 (e3 = 20); -1 for anything else.
int parseSquareText(const char* text);
void printThinking(int score, const uint16_t* pv, int kind);
// Start of a think: no thinking line printed yet; forceNextThinkingLine: the next line is printed
// whatever the filters say.
void forgetThinkingLines();
void forceNextThinkingLine();
void printEngineMove(int square);
// The engine's move as xboard protocol 2 announces it: "move MOVE".
void printXboardMove(int square);
