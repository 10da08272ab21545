// UCI. The session reads commands until "quit"; "position" sets up a start position or a FEN and
// plays the listed moves (only the new ones when the list continues the game on the board, so
// that book trail and learning see the whole game); "go" runs the think driver under the mapped
// limits, and input during the search is read here: "isready", "stop", "ponderhit", "quit".
// Every "go" ends with exactly one "bestmove".
#include "shell/uci.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "board/board.h"
#include "board/makemove.h"
#include "board/ordering.h"
#include "eval/evalcontext.h"
#include "game/notation.h"
#include "game/protocolstate.h"
#include "game/takeback.h"
#include "game/think.h"
#include "game/thinkreport.h"
#include "game/timecontrol.h"
#include "platform/output.h"
#include "search/hashtable.h"
#include "search/searchstate.h"
#include "shell/dialect.h"
#include "shell/engineoptions.h"
#include "shell/input.h"
#include "shell/ponderinput.h"
#include "shell/startup.h"
#include "shell/ucigo.h"

namespace {

constexpr const char* START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";
constexpr const char* STARTPOS = "startpos";
constexpr int FEN_FIELDS = 6;
constexpr int LONGEST_LINE = WIDE_CBUF_SIZE - 2;  // a longer line has been cut by the input buffer
constexpr int FIRST_SHOWN_DEPTH = 2;            // iterations before this are the pre-search
constexpr int64_t MILLISECONDS_PER_CENTISECOND = 10;
constexpr int64_t CENTISECONDS_PER_SECOND = 100;
constexpr int MATE_SCORE = 10000;               // mated at ply p scores p - MATE_SCORE
constexpr int HASHFULL_SAMPLE = 500;            // entries looked at per table
constexpr int PER_MILLE = 1000;

// The session: the position as the interface gave it, and the search under way.
struct UciData {
  std::string base;                // "startpos" or the FEN of the position on the board
  std::vector<std::string> moves;  // the moves made since, the engine's own included
  bool positionGiven;
  // The search of the current "go".
  bool ponderSearch;               // "go ponder": waits for "ponderhit" or "stop"
  bool infiniteSearch;             // runs until "stop"
  bool stopReceived;
  bool hitReceived;
  bool bestMoveSent;
  bool ownMoveOnBoard;             // the engine's last move stands on the board after the position
};
UciData Uci;

std::vector<std::string> splitWords(const char* line) {
  std::vector<std::string> words;
  const char* cursor = line;
  for (;;) {
    cursor += std::strspn(cursor, " \t");
    if (*cursor == '\0') return words;
    const size_t length = std::strcspn(cursor, " \t");
    words.emplace_back(cursor, length);
    cursor += length;
  }
}

void sendInfo(const std::string& text) { sendLine("info string %s\n", text.c_str()); }

// The coordinate text of a principal-variation move.
std::string pvMoveText(int ply) {
  formatMove(moveCodeFrom(SearchState.pv[ply]), moveCodeTo(SearchState.pv[ply]), SearchState.pvFlags[ply] & 0xFF);
  return Notation.coordText;
}

void sendBestMove(const std::string& move, const std::string& ponder) {
  if (ponder.empty()) {
    sendLine("bestmove %s\n", move.c_str());
  } else {
    sendLine("bestmove %s ponder %s\n", move.c_str(), ponder.c_str());
  }
  Uci.bestMoveSent = true;
}

// The search ended without playing (analysis, pondering, no legal move): its best line stands.
void sendBestMoveFromPv() {
  if (SearchState.pv[1] == 0) {
    sendBestMove("0000", "");
    return;
  }
  const std::string best = pvMoveText(1);
  sendBestMove(best, SearchState.pv[2] != 0 ? pvMoveText(2) : "");
}

// ---- The info line ----

// Share of used entries, in thousandths, from a sample at the start of each table.
int hashFull() {
  int used = 0;
  for (int side = 0; side < 2; ++side) {
    for (int i = 0; i < HASHFULL_SAMPLE; ++i) used += HashTable.table[side][i].lock != 0 ? 1 : 0;
  }
  return used * PER_MILLE / (2 * HASHFULL_SAMPLE);
}

std::string scoreText(int score) {
  if (score > MATE_RANGE) return "mate " + std::to_string((MATE_SCORE - score) / 2);
  if (score < -MATE_RANGE) return "mate " + std::to_string(-((MATE_SCORE + score) / 2));
  return "cp " + std::to_string(score);
}

const char* boundText(int kind) {
  if (kind == THINKING_FAIL_LOW) return " upperbound";
  if (kind == THINKING_FAIL_HIGH || kind == THINKING_FAIL_HIGH_AGAIN) return " lowerbound";
  return "";
}

class UciReporter final : public ThinkReporter {
 public:
  void thinking(int score, const uint16_t* pv, int kind) override {
    const int depth = EvalContext.searchDepth;
    if (kind == THINKING_ITERATION_START || score == NO_SCORE || depth < FIRST_SHOWN_DEPTH) return;
    std::string line;
    int length = 0;
    for (int i = 1; i < MAX_PLY && pv[i] != 0; ++i, ++length) {
      formatMove(moveCodeFrom(pv[i]), moveCodeTo(pv[i]), SearchState.pvFlags[i] & 0xFF);
      line += ' ';
      line += Notation.coordText;
    }
    const int64_t centiseconds = TimeControl.elapsed;
    const uint64_t nodes = Ordering.nodes;
    const uint64_t rate = centiseconds > 0 ? nodes * CENTISECONDS_PER_SECOND / static_cast<uint64_t>(centiseconds) : 0;
    sendLine("info depth %d seldepth %d score %s%s nodes %llu nps %llu time %lld hashfull %d pv%s\n", depth,
             length > depth ? length : depth, scoreText(score).c_str(), boundText(kind),
             static_cast<unsigned long long>(nodes), static_cast<unsigned long long>(rate),
             static_cast<long long>(centiseconds * MILLISECONDS_PER_CENTISECOND), hashFull(), line.c_str());
  }
  void moveChosen(const Move&) override {
    const std::string best = Notation.coordText;
    Uci.moves.push_back(best);
    Uci.ownMoveOnBoard = true;
    const bool ponder = ProtocolState.ponderMove != 0 && SearchState.pv[2] == ProtocolState.ponderMove;
    sendBestMove(best, ponder ? pvMoveText(2) : "");
  }
  // Results, resignation and draw offers are the interface's business under UCI.
  void gameResult(const char*) override {}
  void resign() override {}
  void offerDraw() override {}
};
UciReporter uciReporter;

// ---- Commands ----

void sendOptions() {
  for (int i = 0; i < optionCount; ++i) {
    const EngineOption& option = ENGINE_OPTIONS[i];
    switch (option.kind) {
      case OptionKind::spin:
        sendLine("option name %s type spin default %d min %d max %d\n", option.uciName, option.current(), option.min,
                 option.max);
        break;
      case OptionKind::check:
        sendLine("option name %s type check default %s\n", option.uciName, option.current() ? "true" : "false");
        break;
      case OptionKind::button:
        sendLine("option name %s type button\n", option.uciName);
        break;
    }
  }
}

// "setoption name NAME [value VALUE]"; NAME and VALUE may hold blanks.
void executeSetOption(const std::vector<std::string>& words) {
  std::string name, value;
  bool inValue = false;
  for (size_t i = 2; i < words.size(); ++i) {
    if (!inValue && words[i] == "value") {
      inValue = true;
      continue;
    }
    std::string& target = inValue ? value : name;
    if (!target.empty()) target += ' ';
    target += words[i];
  }
  const EngineOption* option = words.size() >= 2 && words[1] == "name" ? findUciOption(name.c_str()) : nullptr;
  int number = 0;
  if (option == nullptr) {
    sendInfo("unknown option: " + name);
  } else if (!parseOptionValue(*option, value.c_str(), number)) {
    sendInfo("bad value for option " + name + ": " + value);
  } else if (!option->apply(number)) {
    sendInfo("option " + name + " could not be set to " + value);
  }
}

// Makes the moves of words[first..] on the board; stops at the first illegal one and says so.
void playListedMoves(const std::vector<std::string>& words, size_t first) {
  for (size_t i = first; i < words.size(); ++i) {
    char text[TOKEN_SIZE];
    std::strncpy(text, words[i].c_str(), sizeof text - 1);
    text[sizeof text - 1] = '\0';
    setPly(1);
    if (words[i].size() >= sizeof text || !enterMove(text)) {
      sendInfo("illegal move " + words[i] + ": the position ends before it");
      return;
    }
    setSideToMove(Board.sideToMove ^ 1);
    Uci.moves.push_back(words[i]);
  }
}

// The moves listed continue the game on the board: true with the index of the first new move.
bool continuesGame(const std::string& base, const std::vector<std::string>& words, size_t first, size_t& next) {
  if (base != Uci.base || words.size() - first < Uci.moves.size()) return false;
  for (size_t i = 0; i < Uci.moves.size(); ++i) {
    if (words[first + i] != Uci.moves[i]) return false;
  }
  next = first + Uci.moves.size();
  return true;
}

// "position startpos|fen FEN [moves M...]".
void executePosition(const std::vector<std::string>& words) {
  // Step 1. The base position and where the move list starts.
  size_t i = 1;
  std::string base;
  if (i < words.size() && words[i] == STARTPOS) {
    base = STARTPOS;
    ++i;
  } else if (i < words.size() && words[i] == "fen") {
    for (++i; i < words.size() && words[i] != "moves" && i < 2 + FEN_FIELDS; ++i) base += (base.empty() ? "" : " ") + words[i];
  } else {
    sendInfo("position needs startpos or fen");
    return;
  }
  const bool hasMoves = i < words.size() && words[i] == "moves";
  if (i < words.size() && !hasMoves) {
    sendInfo("unexpected " + words[i] + " in position");
    return;
  }
  const size_t first = hasMoves ? i + 1 : words.size();
  // Step 2. Only the new moves when the list continues the game on the board.
  size_t next = first;
  if (!Uci.positionGiven || !continuesGame(base, words, first, next)) {
    if (!setUpGamePosition(base == STARTPOS ? START_FEN : base.c_str())) {
      sendInfo("illegal position: " + base);
      return;
    }
    setBookAllowed(base == STARTPOS);
    Uci.base = base;
    Uci.moves.clear();
    next = first;
  }
  Uci.positionGiven = true;
  Uci.ownMoveOnBoard = false;
  reopenGame();
  forgetPonderMove();
  // Step 3. The moves.
  playListedMoves(words, next);
}

// After "go ponder" or an endless search that ended by itself: the result waits for "stop" or
// "ponderhit". Other commands are answered meanwhile; one that needs the position ends the wait.
void waitForStopOrPonderHit() {
  char line[WIDE_CBUF_SIZE];
  while (!Uci.stopReceived && !Uci.hitReceived && !ProtocolState.quitRequested) {
    if (readLine(line, WIDE_CBUF_SIZE) != 1) {
      requestQuit();
      return;
    }
    const std::vector<std::string> words = splitWords(line);
    const std::string command = words.empty() ? "" : words[0];
    if (command == "isready") {
      sendLine("readyok\n");
    } else if (command == "stop") {
      Uci.stopReceived = true;
    } else if (command == "ponderhit") {
      Uci.hitReceived = Uci.ponderSearch;
      if (!Uci.ponderSearch) sendInfo("ponderhit without a ponder search");
    } else if (command == "quit") {
      requestQuit();
    } else if (command == "go") {
      sendInfo("a search is already running: go ignored");
    } else if (command == "position" || command == "ucinewgame" || command == "setoption") {
      unreadLine(line);
      Uci.stopReceived = true;
    }
  }
}

void runThink(int side, int mode) {
  clearSearchDepth();
  setPly(1);
  think(side, mode);
}

// "go": one search, one "bestmove".
void executeGo(const std::vector<std::string>& words) {
  // Step 1. Limits and the position.
  const GoLimits limits = parseGoLimits(words);
  if (!limits.refused.empty()) sendInfo("go " + limits.refused + " is not supported: left out");
  if (!Uci.positionGiven) sendInfo("go before position: searching the start position");
  // The engine's move of an earlier "go" stays in the game record only when the next position
  // continues with it; a "go" without a new position searches the same position again.
  if (Uci.ownMoveOnBoard) {
    takeBackMove();
    Uci.moves.pop_back();
    Uci.ownMoveOnBoard = false;
  }
  const int side = Board.sideToMove;
  Uci.ponderSearch = limits.ponder;
  Uci.stopReceived = Uci.hitReceived = Uci.bestMoveSent = false;
  if (Board.gameCount >= GAME_MOVE_LIMIT || !positionIsPlayable(side)) {
    sendInfo("no search: the game record is full");
    sendBestMove("0000", "");
    return;
  }
  // Step 2. The search, on the engine's own time or pondering.
  Uci.infiniteSearch = applyGoLimits(limits, side);
  startPlaying();
  if (Uci.infiniteSearch && !limits.ponder) enterAnalysis();
  clearPonderHit();
  runThink(side, limits.ponder ? THINK_PONDER : THINK_MOVE);
  leaveAnalysis();
  if (Uci.bestMoveSent || ProtocolState.quitRequested) return;
  // Step 3. A search that ended without playing waits for "stop" or "ponderhit".
  if ((Uci.ponderSearch || Uci.infiniteSearch) && !Uci.stopReceived && !Uci.hitReceived) waitForStopOrPonderHit();
  if (ProtocolState.quitRequested) return;
  if (Uci.hitReceived && !Uci.bestMoveSent) {
    // The ponder search ended before the hit (book, mate found): think again on the engine's time.
    Uci.ponderSearch = false;
    runThink(side, THINK_MOVE);
  }
  if (!Uci.bestMoveSent) sendBestMoveFromPv();
}

// Ends the running search; a ponder search then plays the move it has found.
void stopRunningSearch() {
  Uci.stopReceived = true;
  if (SearchState.pondering && !ProtocolState.analyzing) {
    setPondering(false);
    markPonderHit();
  }
  requestSearchStop();
}

// A line while a search runs. Returns false when no further line is to be handled now.
bool executeWhileSearching(const char* line) {
  const std::vector<std::string> words = splitWords(line);
  const std::string command = words.empty() ? "" : words[0];
  if (command == "isready") {
    sendLine("readyok\n");
    return true;
  }
  if (command == "stop") {
    stopRunningSearch();
    return false;
  }
  if (command == "ponderhit") {
    if (Uci.ponderSearch && SearchState.pondering && !Uci.hitReceived) {
      Uci.hitReceived = true;
      takePonderHit();
    } else {
      sendInfo("ponderhit without a ponder search");
    }
    return true;
  }
  if (command == "quit") {
    requestQuit();
    requestSearchStop();
    return false;
  }
  if (command == "go") {
    sendInfo("a search is already running: go ignored");
    return true;
  }
  if (command == "position" || command == "ucinewgame" || command == "setoption") {
    // These need the engine idle: the search ends first, then they are read again.
    stopRunningSearch();
    unreadLine(line);
    return false;
  }
  if (!command.empty() && command != "debug" && command != "register" && command != "uci") {
    sendInfo("unknown command: " + command);
  }
  return true;
}

void executeUciLine(const char* line) {
  if (static_cast<int>(std::strlen(line)) >= LONGEST_LINE) {
    sendInfo("line too long: ignored");
    return;
  }
  const std::vector<std::string> words = splitWords(line);
  if (words.empty()) return;
  const std::string& command = words[0];
  if (command == "isready") {
    sendLine("readyok\n");
  } else if (command == "position") {
    executePosition(words);
  } else if (command == "go") {
    executeGo(words);
  } else if (command == "ucinewgame") {
    newGame();
    Uci.ownMoveOnBoard = false;
    Uci.positionGiven = false;
    Uci.base.clear();
    Uci.moves.clear();
  } else if (command == "setoption") {
    executeSetOption(words);
  } else if (command == "quit") {
    requestQuit();
  } else if (command == "stop" || command == "ponderhit") {
    sendInfo(command + " without a running search");
  } else if (command != "uci" && command != "debug" && command != "register") {
    sendInfo("unknown command: " + command);
  }
}

}  // namespace

void startUciSession() {
  setThinkReporter(&uciReporter);
  useWideBuffer();
  forgetPonderMove();
  sendLine("id name %s\n", ENGINE_NAME);
  sendLine("id author %s\n", ENGINE_AUTHOR);
  sendOptions();
  sendLine("uciok\n");
}

void runUciSession() {
  char line[WIDE_CBUF_SIZE];
  while (!ProtocolState.quitRequested) {
    if (readLine(line, WIDE_CBUF_SIZE) < 0) {
      requestQuit();
      return;
    }
    executeUciLine(line);
  }
}

void handleUciInputWhileSearching() { readLinesWhileSearching(executeWhileSearching); }
