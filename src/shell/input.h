// Console input: the pending-input buffer CBuf, line reading, word splitting and the poll.
#pragma once
#include <cstdint>

constexpr int CBUF_SIZE = 2048;        // the classic buffer: a longer line is cut
constexpr int WIDE_CBUF_SIZE = 16384;  // UCI: a "position" line carries the moves of a whole game
constexpr int LINE_SIZE = 2048;        // line buffers of the interpreter and of the poll handler
constexpr int EDIT_LINE_SIZE = 512;    // line buffer of edit mode
constexpr int TOKEN_COUNT = 32;
constexpr int TOKEN_SIZE = 128;
constexpr int READ_CHUNK = 512;

struct InputData {
  char CBuf[WIDE_CBUF_SIZE];            // read but not yet taken out as lines, zero-terminated;
                                        // CBUF_SIZE bytes are used unless wideBuffer is set
  char tokens[TOKEN_COUNT][TOKEN_SIZE]; // words of the last line split
  int8_t endOfInput;                    // standard input has ended (or failed); no more reads
  int8_t droppingLineRest;              // a line was cut because CBuf filled up: the bytes read
                                        // next are dropped up to and including its line feed
  int8_t wideBuffer;                    // the whole of CBuf is used (UCI)
  int8_t handlerRuns;                   // runs of the while-searching handler under way: the outer
                                        // one and at most one nested through a "." that polls
};
extern InputData Input;

// Start-up: nothing read yet.
void clearInputBuffer();
// UCI: the whole of CBuf is used, for the long "position" lines.
void useWideBuffer();
// While it lives, one more run of the while-searching handler counts as under way.
struct HandlerRunCount {
  HandlerRunCount();
  ~HandlerRunCount();
  HandlerRunCount(const HandlerRunCount&) = delete;
  HandlerRunCount& operator=(const HandlerRunCount&) = delete;
};

unsigned inputAvailable();
int fillInputBuffer();                                  // 1 input goes on, 0 end of input
// Takes the first line out of CBuf into buffer (at most size - 1 characters, the rest of a longer
// line is dropped); blocks until a whole line is there. 1 a line, -1 end of input (buffer empty).
int readLine(char* buffer, int size);
int tokenize(const char* line, const char* separators); // fills Input.tokens; returns word count
// Modes of pollInput.
constexpr int POLL_FULL = 1;          // the searches: read and handle waiting input, refresh elapsed
constexpr int POLL_ELAPSED_ONLY = 2;  // the think driver: refresh elapsed only
int32_t pollInput(int mode);
// Puts a line (with its line feed) back at the front of CBuf; returns 0 if it does not fit.
int unreadLine(const char* line);
