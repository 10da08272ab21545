// Console input: CBuf collects what standard input delivers, readLine hands out whole lines,
// tokenize splits a line into words, and pollInput is the search's look at waiting input.
//
// Fixed sizes and what happens at their limits:
//   - CBuf holds at most CBUF_SIZE - 1 bytes. When it fills up without a line feed, the pending
//     line is cut: its last byte gives way to a line feed (the line keeps CBUF_SIZE - 2
//     characters), and whatever follows on the same input line is dropped as it arrives, up to
//     and including its line feed. Lines after it are kept whole.
//   - A line longer than the caller's buffer is cut to what fits (size - 1 characters); the rest
//     of that line is dropped, never handed out as a line of its own.
//   - A word longer than TOKEN_SIZE - 1 characters is cut to that length.
//   - Zero bytes in the input are dropped, so they cannot end CBuf early and hide what follows.
#include "shell/input.h"

#include <cassert>
#include <cstring>

#include "game/protocolstate.h"
#include "game/timecontrol.h"
#include "platform/clock.h"
#include "platform/console.h"
#include "search/search.h"
#include "search/searchstate.h"
#include "shell/dialect.h"
#include "shell/ponderinput.h"

InputData Input;

void clearInputBuffer() { Input.CBuf[0] = '\0'; }

void useWideBuffer() { Input.wideBuffer = 1; }

HandlerRunCount::HandlerRunCount() { Input.handlerRuns += 1; }

HandlerRunCount::~HandlerRunCount() { Input.handlerRuns -= 1; }

namespace {

// Polling: every 25000 nodes, a few milliseconds of search. A think whose whole budget is under
// a second polls every 1000 nodes, so that a clock of a few seconds (or a slow build) is not
// overrun between two looks at it.
constexpr uint64_t POLL_INTERVAL_NODES = 25000;
constexpr uint64_t SHORT_THINK_POLL_INTERVAL_NODES = 1000;
constexpr int32_t SHORT_THINK = 100;  // centiseconds

uint64_t pollIntervalNodes() {
  const bool shortThink = TimeControl.clockRunning && TimeControl.maxTime < SHORT_THINK;
  return shortThink ? SHORT_THINK_POLL_INTERVAL_NODES : POLL_INTERVAL_NODES;
}

// Line ends.
constexpr char LINE_FEED = '\n';
constexpr char CARRIAGE_RETURN = '\r';
constexpr char BLANK = ' ';

// Buffers.
constexpr int EMPTIED_TOKENS = 16;            // tokenize clears only tokens[0..15]

// Bytes CBuf can hold besides its terminator.
int bufferCapacity() { return (Input.wideBuffer ? WIDE_CBUF_SIZE : CBUF_SIZE) - 1; }

// Appends the bytes of one read to CBuf, dropping zero bytes and the rest of a cut line.
// The caller has made sure that count bytes fit.
void appendToBuffer(const char* bytes, int count) {
  size_t used = std::strlen(Input.CBuf);
  for (int i = 0; i < count; ++i) {
    const char byte = bytes[i];
    if (Input.droppingLineRest) {
      if (byte == LINE_FEED) Input.droppingLineRest = 0;
      continue;
    }
    if (byte == '\0') continue;
    Input.CBuf[used++] = byte;
  }
  assert(used <= static_cast<size_t>(bufferCapacity()));
  Input.CBuf[used] = '\0';
}

// CBuf is full and holds no line feed: end the pending line here and drop its rest on arrival.
void cutPendingLine() {
  Input.CBuf[bufferCapacity() - 1] = LINE_FEED;
  Input.droppingLineRest = 1;
}

// Copies at most size - 1 characters of text (length characters) into buffer and terminates it.
void copyCut(char* buffer, int size, const char* text, size_t length) {
  const size_t kept = length < static_cast<size_t>(size - 1) ? length : static_cast<size_t>(size - 1);
  std::memcpy(buffer, text, kept);
  buffer[kept] = '\0';
}

}  // namespace

unsigned inputAvailable() {
  // The single search of a command-line setboard run ignores standard input and takes its time.
  if (ProtocolState.setboardRun) return 0;
  if (Input.endOfInput) return 1;
  return inputWaiting();
}

// One read of at most READ_CHUNK bytes, never more than CBuf has room for. Returns 0 once standard
// input has ended or failed (and at once on every later call), otherwise 1, also when nothing was
// appended because all bytes belonged to a cut line.
int fillInputBuffer() {
  if (Input.endOfInput) return 0;
  const int used = static_cast<int>(std::strlen(Input.CBuf));
  const int room = bufferCapacity() - used;
  if (room == 0) {
    if (std::strchr(Input.CBuf, LINE_FEED) == nullptr) cutPendingLine();
    return 1;
  }
  char chunk[READ_CHUNK];
  const int count = readStandardInput(chunk, room < READ_CHUNK ? room : READ_CHUNK);
  if (count <= 0) {
    Input.endOfInput = 1;
    return 0;
  }
  appendToBuffer(chunk, count);
  return 1;
}

int readLine(char* buffer, int size) {
  assert(size > 0);
  // Step 1. Wait for a whole line.
  buffer[0] = '\0';
  char* lineFeed;
  while ((lineFeed = std::strchr(Input.CBuf, LINE_FEED)) == nullptr) {
    if (!fillInputBuffer()) return -1;
  }
  // Step 2. A carriage return right before the line feed belongs to the line end, wherever the
  // reads split the two.
  size_t length = static_cast<size_t>(lineFeed - Input.CBuf);
  if (length > 0 && Input.CBuf[length - 1] == CARRIAGE_RETURN) --length;
  // Step 3. Hand out what fits; the first carriage return left becomes a blank.
  copyCut(buffer, size, Input.CBuf, length);
  char* strayReturn = std::strchr(buffer, CARRIAGE_RETURN);
  if (strayReturn != nullptr) *strayReturn = BLANK;
  // Step 4. Move what follows the line to the front of CBuf.
  std::memmove(Input.CBuf, lineFeed + 1, std::strlen(lineFeed + 1) + 1);
  return 1;
}

// Splits like the standard string tokenizer: runs of separators count as one and produce no
// empty words. Only tokens[0..15] are emptied first; tokens[16..31] keep the words of an older
// line unless this one overwrites them.
int tokenize(const char* line, const char* separators) {
  char copy[LINE_SIZE];  // the line may be one of the tokens itself
  copyCut(copy, LINE_SIZE, line, std::strlen(line));
  for (int i = 0; i < EMPTIED_TOKENS; ++i) Input.tokens[i][0] = '\0';

  int words = 0;
  const char* cursor = copy;
  while (words < TOKEN_COUNT) {
    cursor += std::strspn(cursor, separators);
    if (*cursor == '\0') break;
    const size_t length = std::strcspn(cursor, separators);
    copyCut(Input.tokens[words], TOKEN_SIZE, cursor, length);
    ++words;
    cursor += length;
  }
  return words;
}

// Mode 2 refreshes elapsed and returns it. Any other mode also looks at standard input: waiting
// input is handed to the ponder handler while pondering or analysing, and otherwise asks the
// search to stop. Returns the next node count to poll at.
int32_t pollInput(int mode) {
  // Step 1. Elapsed centiseconds since the think started, never negative.
  refreshElapsed();
  if (mode == POLL_ELAPSED_ONLY) return TimeControl.elapsed;

  // Step 2. Waiting input: bytes on standard input, or a whole line that an earlier read brought
  // into CBuf together with the line taken then (a move and the "quit" right behind it).
  const bool lineInBuffer = !ProtocolState.setboardRun && std::strchr(Input.CBuf, LINE_FEED) != nullptr;
  if (inputAvailable() || lineInBuffer) {
    if (Dialect.kind != DialectKind::classic) {
      if (!SearchState.stopSearch && !SearchState.inputPending) handleDialectInputWhileSearching();
    } else if (SearchState.pondering) {
      if (!SearchState.stopSearch && !SearchState.inputPending) handleInputWhileSearching();
    } else if (!SearchState.stopSearch) {
      markInputPending();
    }
  }
  // Step 3. Schedule the next poll.
  scheduleNextPoll(Ordering.nodes + pollIntervalNodes());
  return static_cast<int32_t>(SearchState.nextPoll);
}

namespace {

// The search's stop poll: waiting input first, then the search's own stop flag and the clock.
int pollSearchStop() {
  pollInput(POLL_FULL);
  if (SearchState.stopSearch) return 1;
  return timeIsUp();
}

// Installed before main runs, so that every search, the program's and the tests' alike, polls.
const bool searchStopPollInstalled = (installStopPoll(pollSearchStop), true);

}  // namespace

int unreadLine(const char* line) {
  const size_t length = std::strlen(line);
  const bool endsLine = length > 0 && line[length - 1] == LINE_FEED;
  const size_t added = length + (endsLine ? 0 : 1);
  const size_t used = std::strlen(Input.CBuf);
  if (used + added > static_cast<size_t>(bufferCapacity())) return 0;
  std::memmove(Input.CBuf + added, Input.CBuf, used + 1);
  std::memcpy(Input.CBuf, line, length);
  if (!endsLine) Input.CBuf[length] = LINE_FEED;
  return 1;
}
