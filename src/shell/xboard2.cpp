// xboard protocol 2. The classic commands keep their meaning; this file answers "protover" with
// the features, adds ping, setboard, usermove, playother, memory, option, result, variant and
// draw, reports unknown commands and illegal moves, and announces moves as "move MOVE".
#include "shell/xboard2.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "board/board.h"
#include "board/types.h"
#include "config/logfile.h"
#include "game/notation.h"
#include "game/protocolstate.h"
#include "game/thinkreport.h"
#include "platform/output.h"
#include "search/searchstate.h"
#include "shell/arguments.h"
#include "shell/engineoptions.h"
#include "shell/input.h"
#include "shell/ponderinput.h"

namespace {

constexpr int MAX_PENDING_PONGS = 16;
constexpr const char* SEPARATORS = " ";
constexpr int WORD_SIZE = 32;

// Commands of the classic dialect that protocol 2 passes on unchanged, by their first word.
constexpr const char* CLASSIC_COMMANDS[] = {
    "level", "st",    "sd",    "time",  "otim",  "post",    "nopost", "quit", "exit", "analyze", "easy",
    "hard",  "edit",  "go",    "force", "new",   "hint",    "white",  "black", "undo", "remove",  "bk",
    "random", "?",    "pb",
};
// Commands that need no action in this engine.
constexpr const char* IGNORED_COMMANDS[] = {
    "xboard", "protover", "accepted", "rejected", "computer", "name", "rating", "ics", "uci", ".",
};

// Pongs owed for pings that arrived while the engine thought on its own move: they follow the
// move.
struct XboardData {
  int32_t pendingPongs[MAX_PENDING_PONGS];
  int pendingCount;
  int lastScore;  // the score of the engine's last move, for its draw judgement
};
XboardData Xboard;

bool isWord(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

template <size_t N>
bool isOneOf(const char* word, const char* const (&list)[N]) {
  for (const char* entry : list) {
    if (isWord(word, entry)) return true;
  }
  return false;
}

// The first word of the line (cut to WORD_SIZE - 1 characters) and where its argument text starts.
const char* splitFirstWord(const char* line, char (&word)[WORD_SIZE]) {
  const size_t length = std::strcspn(line, SEPARATORS);
  const size_t kept = length < WORD_SIZE - 1 ? length : WORD_SIZE - 1;
  std::memcpy(word, line, kept);
  word[kept] = '\0';
  const char* rest = line + length;
  return rest + std::strspn(rest, SEPARATORS);
}

void sendPendingPongs() {
  for (int i = 0; i < Xboard.pendingCount; ++i) sendLine("pong %ld\n", static_cast<long>(Xboard.pendingPongs[i]));
  Xboard.pendingCount = 0;
}

void answerPing(const char* argument, bool now) {
  const int32_t number = parseNumber(argument);
  if (now || Xboard.pendingCount == MAX_PENDING_PONGS) {
    sendLine("pong %ld\n", static_cast<long>(number));
  } else {
    Xboard.pendingPongs[Xboard.pendingCount++] = number;
  }
}

class XboardReporter final : public ThinkReporter {
 public:
  void thinking(int score, const uint16_t* pv, int kind) override {
    if (kind == THINKING_FINAL) Xboard.lastScore = score;
    if (ProtocolState.postThinking) printThinking(score, pv, kind);
  }
  void moveChosen(const Move& move) override {
    printXboardMove(move.to);
    sendPendingPongs();
  }
  void gameResult(const char* line) override { sendLine("%s", line); }
  void resign() override { sendLine("resign\n"); }
  void offerDraw() override { sendLine("offer draw\n"); }
};
XboardReporter xboardReporter;

// The engine's own judgement of a draw offer: as when it offers one itself, material level
// without pawns, and its last move not scored above a draw.
void answerDraw() {
  const bool levelMaterial = Board.material[WHITE] == Board.material[BLACK] && Board.pawnCount[WHITE] == 0 &&
                             Board.pawnCount[BLACK] == 0;
  if (levelMaterial && Xboard.lastScore <= DRAW_SCORE) {
    sendLine("# draw accepted\n");
    sendLine("offer draw\n");
  } else {
    sendLine("# draw declined\n");
  }
}

void sendError(const char* kind, const char* command) { sendLine("Error (%s): %s\n", kind, command); }

DialectStep executeSetboard(const char* fen, const char* line) {
  if (!setUpGamePosition(fen)) {
    sendLine("tellusererror Illegal position\n");
    logPrintf("%s\n", line);
    return DialectStep::done;
  }
  startGameFromPosition(false);
  return DialectStep::tail;
}

// "usermove MOVE": an illegal move is refused; a legal one goes on as the classic move line.
DialectStep executeUserMove(char* line, const char* move) {
  if (*move == '\0' || !namesLegalMove(move)) {
    sendLine("Illegal move: %s\n", move);
    return DialectStep::done;
  }
  std::memmove(line, move, std::strlen(move) + 1);
  return DialectStep::classic;
}

DialectStep executeMemory(const char* argument, const char* line) {
  int megabytes = 0;
  const EngineOption* hash = findUciOption("Hash");
  if (!parseOptionValue(*hash, argument, megabytes)) {
    // Beyond the supported sizes the nearest one is used, as for HASHSIZE.
    const int32_t asked = parseNumber(argument);
    if (*argument < '0' || *argument > '9') {
      sendError("bad memory size", line);
      return DialectStep::done;
    }
    megabytes = asked < MIN_HASH_MEGABYTES ? MIN_HASH_MEGABYTES : MAX_HASH_MEGABYTES;
  }
  if (!resizeHashTables(megabytes)) sendError("memory not available", line);
  return DialectStep::done;
}

// "option NAME=VALUE", or "option NAME" for a button.
DialectStep executeOption(const char* argument, const char* line) {
  char name[TOKEN_SIZE];
  const size_t length = std::strcspn(argument, "=");
  const size_t kept = length < TOKEN_SIZE - 1 ? length : TOKEN_SIZE - 1;
  std::memcpy(name, argument, kept);
  name[kept] = '\0';
  const char* value = argument[length] == '=' ? argument + length + 1 : "";
  const EngineOption* option = findXboardOption(name);
  int number = 0;
  if (option == nullptr) {
    sendError("unknown option", line);
  } else if (!parseOptionValue(*option, value, number)) {
    sendError("bad option value", line);
  } else if (!option->apply(number)) {
    sendError("option not available", line);
  }
  return DialectStep::done;
}

// A word that may be a move: it starts with a square, or is a castling.
bool looksLikeMove(const char* word) {
  return parseSquareText(word) >= 0 || std::strncmp(word, "o-o", 3) == 0 || std::strncmp(word, "O-O", 3) == 0;
}

DialectStep executeOtherLine(char* line, const char* word) {
  if (looksLikeMove(word)) return executeUserMove(line, line);
  sendError("unknown command", line);
  return DialectStep::done;
}

// A line while a search runs. Returns false when no further line is to be handled now.
bool executeWhileSearching(const char* line) {
  char word[WORD_SIZE];
  const char* argument = splitFirstWord(line, word);
  const bool pondering = SearchState.pondering != 0;
  if (isWord(word, "ping")) {
    answerPing(argument, pondering);
    return true;
  }
  if (isWord(word, "draw")) {
    answerDraw();
    return true;
  }
  if (isWord(word, "post") || isWord(word, "nopost")) {
    setPostThinking(isWord(word, "post"));
    return true;
  }
  if (isOneOf(word, IGNORED_COMMANDS) && !isWord(word, ".")) return true;
  if (isWord(word, ".")) {
    // The status line answers before any later line: its poll must not run the next ones first,
    // so it counts as a nested run.
    const HandlerRunCount nested;
    return executeLineWhileSearching(line);
  }
  const char* rest = isWord(word, "usermove") ? argument : line;
  if (pondering) return executeLineWhileSearching(rest);
  // The engine's own search: the interpreter takes the line after the search has stopped.
  unreadLine(rest);
  requestSearchStop();
  return false;
}

}  // namespace

void offerXboardFeatures() {
  setThinkReporter(&xboardReporter);
  sendLine("feature ping=1 setboard=1 usermove=1 playother=1 time=1 draw=1 sigint=0 sigterm=0 reuse=1 "
           "analyze=1 colors=0 san=0 variants=\"normal\" myname=\"%s\" memory=1 debug=1\n",
           ENGINE_NAME);
  for (int i = 0; i < optionCount; ++i) {
    const EngineOption& option = ENGINE_OPTIONS[i];
    if (option.xboardName == nullptr) continue;
    if (option.kind == OptionKind::spin) {
      sendLine("feature option=\"%s -spin %d %d %d\"\n", option.xboardName, option.current(), option.min, option.max);
    } else {
      sendLine("feature option=\"%s -check %d\"\n", option.xboardName, option.current());
    }
  }
  sendLine("feature done=1\n");
}

DialectStep runXboardLine(char* line) {
  sendPendingPongs();
  char word[WORD_SIZE];
  const char* argument = splitFirstWord(line, word);
  if (isWord(word, "ping")) {
    answerPing(argument, true);
    return DialectStep::done;
  }
  if (isWord(word, "setboard")) return executeSetboard(argument, line);
  if (isWord(word, "usermove")) return executeUserMove(line, argument);
  if (isWord(word, "playother")) {
    startPlaying();
    return DialectStep::tail;
  }
  if (isWord(word, "memory")) return executeMemory(argument, line);
  if (isWord(word, "option")) return executeOption(argument, line);
  if (isWord(word, "result")) {
    markGameOver();
    forgetPonderMove();
    return DialectStep::tail;
  }
  if (isWord(word, "variant")) {
    if (!isWord(argument, "normal")) sendError("unsupported variant", argument);
    return DialectStep::done;
  }
  if (isWord(word, "draw")) {
    answerDraw();
    return DialectStep::done;
  }
  if ((isWord(word, "undo") && Board.gameCount == 0) || (isWord(word, "remove") && Board.gameCount < 2)) {
    sendError("command not legal now", line);
    return DialectStep::done;
  }
  if (isOneOf(word, IGNORED_COMMANDS)) return DialectStep::done;
  if (isOneOf(word, CLASSIC_COMMANDS) && (word[0] != '\0')) return DialectStep::classic;
  return executeOtherLine(line, word);
}

void handleXboardInputWhileSearching() {
  const HandlerRunCount run;
  readLinesWhileSearching(executeWhileSearching);
}
