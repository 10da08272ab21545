// Reading games from PGN text for the book builder: the tags it needs, the main line's move texts
// and the result. Comments ({...} and ;), variations, NAGs, move numbers and annotation marks are
// skipped. Damaged text never stops the reader: the game it hits is marked and reading goes on.
#pragma once
#include <string>
#include <vector>

enum PgnResult { PGN_UNKNOWN, PGN_WHITE_WINS, PGN_BLACK_WINS, PGN_DRAW };

struct PgnGame {
  int number;                      // 1 for the first game of the text
  int line;                        // line where the game starts
  int whiteElo;                    // from the WhiteElo tag, 0 when missing or unreadable
  int blackElo;                    // from the BlackElo tag, 0 when missing or unreadable
  int setUp;                       // 1 when the game starts from a given position (SetUp / FEN)
  PgnResult result;                // the termination marker, else the Result tag
  std::vector<std::string> moves;  // move texts of the main line, annotation marks still attached
  std::string damage;              // why the movetext could not be read to its end, or empty
};

struct PgnReader {
  std::string text;  // the whole input
  size_t pos;        // next character to read
  int line;          // line of `pos`, from 1
  int gamesRead;     // games returned so far
};

void startPgnReader(PgnReader* reader, std::string text);
// Reads the next game; 0 when the text holds no further game.
int readPgnGame(PgnReader* reader, PgnGame* game);
// PGN_UNKNOWN unless `text` is a result: "1-0", "0-1", "1/2-1/2", the short "1/2", or "*"
// (which is a result without a winner, also PGN_UNKNOWN; `isResult` tells it from a move).
PgnResult parsePgnResult(const std::string& text, int* isResult);
