#include "support/selfplay_referee.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <sstream>

#include "board/attack.h"
#include "board/board.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "search/searchstate.h"
#include "support/board_fixture.h"
#include "support/engine_process.h"

namespace vostrel_test {

namespace {

constexpr int CENTISECONDS_PER_SECOND = 100;
constexpr int SECONDS_PER_MINUTE = 60;
constexpr int REPETITIONS_FOR_DRAW = 2;
constexpr double QUIT_TIMEOUT_SECONDS = 10.0;

const std::string MOVE_MARK = ". ... ";
const std::string HINT_MARK = "Hint: ";

}  // namespace

// "N. ... move": the move number and the move; false for any other line.
bool parseMoveLine(const std::string& line, int* number, std::string* move) {
  const size_t mark = line.find(MOVE_MARK);
  if (mark == std::string::npos || mark == 0) return false;
  for (size_t i = 0; i < mark; ++i) {
    if (line[i] < '0' || line[i] > '9') return false;
  }
  *move = line.substr(mark + MOVE_MARK.size());
  if (move->empty() || move->find(' ') != std::string::npos) return false;
  *number = std::stoi(line.substr(0, mark));
  return true;
}

bool isResultLine(const std::string& line) {
  return line.rfind("1-0 ", 0) == 0 || line.rfind("0-1 ", 0) == 0 || line.rfind("1/2-1/2 ", 0) == 0 ||
         line == "resign";
}

namespace {

// ---- The referee's board ----

int legalMoveCount(int side) {
  Ordering.ply = 1;
  generateMoves(side);
  int count = 0;
  for (int i = MoveStack.plyStart[1]; i < MoveStack.plyStart[2]; ++i) {
    const Move move = MoveStack.moveStack[i];
    makeMove(side, move);
    if (!isSquareAttacked(Board.pieceList[side][0], side ^ 1)) ++count;
    unmakeMove(side, move);
  }
  return count;
}

}  // namespace

// Makes the legal move named by `text` for the side to move; false when there is none.
bool makeTextMove(const std::string& text) {
  const int side = Board.sideToMove;
  Ordering.ply = 1;
  generateMoves(side);
  for (int i = MoveStack.plyStart[1]; i < MoveStack.plyStart[2]; ++i) {
    const Move move = MoveStack.moveStack[i];
    if (moveText(move.from, move.to, move.flags) != text) continue;
    makeMove(side, move);
    if (isSquareAttacked(Board.pieceList[side][0], side ^ 1)) {
      unmakeMove(side, move);
      return false;
    }
    Board.sideToMove = static_cast<int8_t>(side ^ 1);
    return true;
  }
  return false;
}

namespace {

bool thirdRepetition() {
  int found = 0;
  for (int i = Board.gameCount - 3; i >= Board.lastIrreversible && i > 0; i -= 2) {
    if (GameHistory[i].hashKey == Board.hashKey && ++found == REPETITIONS_FOR_DRAW) return true;
  }
  return false;
}

void splitResult(const std::string& line, SelfPlayResult& result) {
  const size_t blank = line.find(' ');
  result.result = line.substr(0, blank);
  result.reason = blank == std::string::npos ? "" : line.substr(blank + 1);
}

// ---- The match ----

class Match {
 public:
  explicit Match(const SelfPlayOptions& options) : options_(options) {
    writeIni(dir_);
    for (int side = WHITE; side <= BLACK; ++side) {
      engines_[side] = std::make_unique<EngineProcess>(dir_.path());
      clock_[side] = (options.clockMinutes * SECONDS_PER_MINUTE + options.clockSeconds) * CENTISECONDS_PER_SECOND;
      result_.lowestClock[side] = clock_[side];
    }
  }

  SelfPlayResult play() {
    setUpInitialPosition();
    for (int side = WHITE; side <= BLACK; ++side) prepareEngine(side);
    for (const std::string& move : options_.opening) {
      if (!makeTextMove(move)) return fail("opening move " + move + " is not legal");
      for (auto& engine : engines_) engine->writeLine(move);
      record(move);
    }
    const int first = Board.sideToMove;
    const char* sideWord = first == WHITE ? "white" : "black";
    engines_[first ^ 1]->writeLine(sideWord);
    sendClocks(first);
    engines_[first]->writeLine("go");
    runGame();
    finish();
    return result_;
  }

 private:
  void prepareEngine(int side) {
    EngineProcess& engine = *engines_[side];
    engine.writeLine("new");
    engine.writeLine(options_.ponder ? "hard" : "easy");
    if (timed()) {
      char seconds[4];
      std::snprintf(seconds, sizeof seconds, "%02d", options_.clockSeconds);
      engine.writeLine("level 0 " + std::to_string(options_.clockMinutes) + ":" + seconds + " " +
                       std::to_string(options_.incrementSeconds));
    } else {
      engine.writeLine("sd " + std::to_string(options_.fixedDepth));
    }
    engine.writeLine("force");
  }

  bool timed() const { return options_.clockMinutes > 0 || options_.clockSeconds > 0; }

  void sendClocks(int side) {
    if (!timed()) return;
    engines_[side]->writeLine("time " + std::to_string(clock_[side]));
    engines_[side]->writeLine("otim " + std::to_string(clock_[side ^ 1]));
  }

  void record(const std::string& move) {
    result_.moves.push_back(move);
    result_.plies += 1;
  }

  SelfPlayResult fail(const std::string& why) {
    std::ostringstream text;
    text << why << " after " << result_.plies << " plies:";
    for (const std::string& move : result_.moves) text << ' ' << move;
    result_.failure = text.str();
    return result_;
  }

  // Waits for the next move of `side`; returns it, or std::nullopt with the failure (or the
  // stalemate the engine reports) recorded.
  std::optional<std::string> awaitMove(int side) {
    std::vector<std::string> skipped;
    int number = 0;
    std::string move;
    const auto start = std::chrono::steady_clock::now();
    const auto line = engines_[side]->waitForLine(
        [&](const std::string& text) { return parseMoveLine(text, &number, &move) || isResultLine(text); },
        options_.moveTimeoutSeconds, &skipped);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    chargeClock(side, seconds);
    countPondering(skipped);
    if (!line) {
      fail("no reply from " + std::string(side == WHITE ? "White" : "Black") + " (stderr: " +
           engines_[side]->stderrText() + ")");
      return std::nullopt;
    }
    if (*line == "resign") {
      // Printed right after the resigning engine's last move, read when it is next to move.
      result_.result = std::string(side == WHITE ? "0-1" : "1-0");
      result_.reason = std::string("resignation");
      return std::nullopt;
    }
    if (!parseMoveLine(*line, &number, &move)) {
      fail("unexpected line '" + *line + "' instead of a move");
      return std::nullopt;
    }
    if (number != result_.plies + 1) {
      fail("move number in '" + *line + "'");
      return std::nullopt;
    }
    return move;
  }

  // A "Hint:" line printed after the engine's previous move names the reply it pondered on.
  void countPondering(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
      if (line.rfind(HINT_MARK, 0) != 0) continue;
      result_.hints += 1;
      if (!result_.moves.empty() && line.substr(HINT_MARK.size()) == result_.moves.back()) result_.ponderHits += 1;
    }
  }

  void chargeClock(int side, double seconds) {
    if (!timed()) return;
    clock_[side] -= static_cast<int>(seconds * CENTISECONDS_PER_SECOND);
    if (clock_[side] < result_.lowestClock[side]) result_.lowestClock[side] = clock_[side];
    clock_[side] += options_.incrementSeconds * CENTISECONDS_PER_SECOND;
  }

  // The lines the mover prints right after its move.
  bool checkResultLine(int mover, const std::string& expected) {
    std::vector<std::string> skipped;
    const auto line = engines_[mover]->waitForLine(isResultLine, options_.moveTimeoutSeconds, &skipped);
    if (!line || *line != expected) {
      fail("expected '" + expected + "', got '" + line.value_or("nothing") + "'");
      return false;
    }
    splitResult(*line, result_);
    return true;
  }

  void runGame() {
    int mover = Board.sideToMove;
    while (result_.plies < options_.maxPlies) {
      const auto move = awaitMove(mover);
      if (!move) return;
      if (timed() && clock_[mover] - options_.incrementSeconds * CENTISECONDS_PER_SECOND < 0) {
        fail("loss on time");
        return;
      }
      if (!makeTextMove(*move)) {
        fail("illegal move " + *move);
        return;
      }
      record(*move);
      const std::string expected = resultAfterMove();
      if (expected == "1/2-1/2 {Stalemate}") {
        // The stalemated engine says so when it is asked to move.
        sendClocks(mover ^ 1);
        engines_[mover ^ 1]->writeLine(*move);
        checkResultLine(mover ^ 1, expected);
        return;
      }
      if (!expected.empty()) {
        checkResultLine(mover, expected);
        return;
      }
      mover ^= 1;
      sendClocks(mover);
      engines_[mover]->writeLine(*move);
    }
    result_.result = std::string(1, '*');
    result_.reason = std::string("ply limit");
  }

  void finish() {
    for (auto& engine : engines_) {
      engine->writeLine("quit");
      const ExitResult exit = engine->waitForExit(QUIT_TIMEOUT_SECONDS);
      if (result_.failure.empty() && (!exit.exited || exit.status != 0)) {
        fail("engine did not end cleanly (status " + std::to_string(exit.status) + ", signal " +
             std::to_string(exit.signal) + (exit.timedOut ? ", timed out" : "") + ")");
      }
      if (result_.failure.empty() && !engine->stderrText().empty()) fail("stderr: " + engine->stderrText());
    }
  }

  SelfPlayOptions options_;
  TempDir dir_;
  std::unique_ptr<EngineProcess> engines_[2];
  int clock_[2] = {0, 0};
  SelfPlayResult result_;
};

}  // namespace

// The result line the engine that just moved must print, or "" when the game goes on. Stalemate
// is announced by the stalemated engine and mate of the engine to move by nobody.
std::string resultAfterMove() {
  const int toMove = Board.sideToMove;
  if (legalMoveCount(toMove) == 0) {
    if (isSquareAttacked(Board.pieceList[toMove][0], toMove ^ 1)) {
      return toMove == BLACK ? "1-0 {White mates}" : "0-1 {Black mates}";
    }
    return "1/2-1/2 {Stalemate}";
  }
  if (Board.pieceCount[WHITE] == 0 && Board.pieceCount[BLACK] == 0 && Board.pawnCount[WHITE] == 0 &&
      Board.pawnCount[BLACK] == 0) {
    return "1/2-1/2 {Insufficient material}";
  }
  if (thirdRepetition()) return "1/2-1/2 {Draw by repetition}";
  if (Board.gameCount - Board.lastIrreversible >= FIFTY_MOVE_PLIES) return "1/2-1/2 {Draw by 50 move rule}";
  return "";
}

SelfPlayResult playSelfGame(const SelfPlayOptions& options) { return Match(options).play(); }

}  // namespace vostrel_test
