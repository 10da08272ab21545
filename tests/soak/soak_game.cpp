#include "soak/soak_game.h"

#include <chrono>
#include <deque>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <sstream>
#include <thread>

#include "board/board.h"
#include "board/types.h"
#include "search/searchstate.h"
#include "support/board_fixture.h"
#include "support/engine_process.h"
#include "support/io_fixtures.h"
#include "support/selfplay_referee.h"
#include "tools/pgn.h"
#include "tools/san.h"

namespace vostrel_soak {

using vostrel_test::EngineProcess;
using vostrel_test::TempDir;

namespace {

constexpr int CENTISECONDS_PER_SECOND = 100;
constexpr double QUIT_TIMEOUT_SECONDS = 10.0;
constexpr double CRASH_CHECK_SECONDS = 1.0;
constexpr size_t REMEMBERED_LINES = 60;    // dialogue lines kept to explain a time loss
constexpr int OPENING_PLIES_STORED = 20;   // plies kept of every PGN game
constexpr int LONGEST_OPENING = 16;        // a game starts after 0..16 of them
constexpr int SHORTEST_GAME_FOR_RESTART = 6;

// ---- How restless the interface is: chances per ply ----
constexpr double NEW_GAME_CHANCE = 0.004;
constexpr double TAKEBACK_CHANCE = 0.02;
constexpr double REPLAY_CHANCE = 0.5;        // a take-back is followed by the same moves again
constexpr double REMOVE_CHANCE = 0.5;        // "remove" (two plies) rather than "undo"
constexpr double ANALYSIS_CHANCE = 0.015;
constexpr double PONDER_SWITCH_CHANCE = 0.05;
constexpr double POST_SWITCH_CHANCE = 0.05;
constexpr double HINT_CHANCE = 0.04;
constexpr double BOOK_QUERY_CHANCE = 0.03;
constexpr double LATE_CLOCK_CHANCE = 0.1;
constexpr double MOVE_NOW_CHANCE = 0.05;
constexpr int MOVE_NOW_DELAY_MS = 40;        // "?" follows the move after 0..40 ms
constexpr int ANALYSIS_STATUS_REQUESTS = 3;  // "." sent 1..3 times
constexpr int ANALYSIS_PAUSE_MS = 60;        // 10..60 ms between them

const char* sideWord(int side) { return side == WHITE ? "white" : "black"; }

bool contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

bool isSanitizerReport(const std::string& text) {
  return contains(text, "Sanitizer") || contains(text, "runtime error") || contains(text, "LeakSanitizer");
}

class SoakGame {
 public:
  SoakGame(const SoakSettings& settings, const std::vector<std::vector<std::string>>& openings,
           std::mt19937_64& rng)
      : settings_(settings), openings_(openings), rng_(rng) {}

  SoakGameReport play() {
    prepareFolder();
    for (auto& engine : engines_) engine = std::make_unique<EngineProcess>(dir_.path());
    both("xboard");
    int mover = beginGame();
    if (mover >= 0) runGame(mover);
    finish();
    return report_;
  }

 private:
  // ---- Chance ----

  bool chance(double p) { return std::uniform_real_distribution<double>(0.0, 1.0)(rng_) < p; }
  int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
  void pause(int highMs) { std::this_thread::sleep_for(std::chrono::milliseconds(pick(0, highMs))); }

  // ---- Set-up ----

  void prepareFolder() {
    vostrel_test::IniOptions ini;
    ini.book = !settings_.bookFolder.empty();
    ini.learning = true;
    vostrel_test::writeIni(dir_, ini);
    if (ini.book) {
      for (const char* name : {"VSbook.ind", "VSbook.dat"}) {
        std::filesystem::copy_file(settings_.bookFolder + "/" + name, dir_.filePath(name));
      }
    }
  }

  void send(int side, const std::string& line) {
    remember(side, " < ", line);
    if (settings_.trace) std::fprintf(stderr, "%s < %s\n", side == WHITE ? "W" : "B", line.c_str());
    engines_[side]->writeLine(line);
  }

  // The last lines of the dialogue, kept so that a time loss can be explained afterwards.
  void remember(int side, const char* direction, const std::string& line) {
    const auto since = std::chrono::steady_clock::now() - gameStart_;
    const long ms = static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
    recent_.push_back(std::to_string(ms) + " ms " + (side == WHITE ? "W" : "B") + direction + line);
    if (recent_.size() > REMEMBERED_LINES) recent_.pop_front();
  }

  void both(const std::string& line) {
    for (int side = WHITE; side <= BLACK; ++side) send(side, line);
  }

  void traceLines(int side, const std::vector<std::string>& lines) {
    for (const std::string& line : lines) remember(side, " > ", line);
    if (!settings_.trace) return;
    for (const std::string& line : lines) std::fprintf(stderr, "%s > %s\n", side == WHITE ? "W" : "B", line.c_str());
  }

  // "new", the switches, the clock and a random opening played in force mode; the engine on move
  // gets "go". Returns the side on move, or -1 when the opening was refused.
  int beginGame() {
    both("new");
    for (int side = WHITE; side <= BLACK; ++side) {
      post_[side] = chance(0.5);
      ponder_[side] = chance(0.5);
      send(side, post_[side] ? "post" : "nopost");
      send(side, ponder_[side] ? "hard" : "easy");
      send(side, "level 0 0:" + twoDigits(settings_.baseSeconds) + " " +
                                std::to_string(settings_.incrementSeconds));
      clock_[side] = settings_.baseSeconds * CENTISECONDS_PER_SECOND;
      flagFallen_[side] = false;
    }
    both("force");
    setUpInitialPosition();
    moves_.clear();
    const std::vector<std::string>& source = openings_[pick(0, static_cast<int>(openings_.size()) - 1)];
    const int length = pick(0, std::min(LONGEST_OPENING, static_cast<int>(source.size())));
    for (int i = 0; i < length; ++i) {
      if (!vostrel_test::makeTextMove(source[i])) {
        fault(Fault::protocol, "opening move " + source[i] + " refused by the referee");
        return -1;
      }
      both(source[i]);
      moves_.push_back(source[i]);
    }
    const int first = Board.sideToMove;
    send(first ^ 1, sideWord(first));
    sendClocks(first);
    send(first, "go");
    return first;
  }

  static std::string twoDigits(int value) {
    const std::string text = std::to_string(value);
    return text.size() < 2 ? "0" + text : text;
  }

  void sendClocks(int side) {
    send(side, "time " + std::to_string(clock_[side]));
    send(side, "otim " + std::to_string(clock_[side ^ 1]));
  }

  // ---- Faults ----

  void fault(Fault kind, const std::string& why) {
    if (report_.fault != Fault::none) return;
    std::ostringstream text;
    text << why << " after " << moves_.size() << " plies:";
    for (const std::string& move : moves_) text << ' ' << move;
    report_.fault = kind;
    report_.detail = text.str();
  }

  // No reply: a crash when the engine has ended, else a hang (the engine is then killed).
  void noReply(int side) {
    EngineProcess& engine = *engines_[side];
    const vostrel_test::ExitResult exit = engine.waitForExit(CRASH_CHECK_SECONDS);
    const std::string who = side == WHITE ? "White" : "Black";
    if (exit.timedOut) {
      fault(Fault::hang, "no reply from " + who + " within " + std::to_string(settings_.moveTimeoutSeconds) + " s");
    } else {
      fault(isSanitizerReport(engine.stderrText()) ? Fault::sanitizer : Fault::crash,
            who + " ended (status " + std::to_string(exit.status) + ", signal " + std::to_string(exit.signal) +
                ", stderr: " + engine.stderrText() + ")");
    }
  }

  // ---- The referee's board ----

  void rebuildBoard() {
    setUpInitialPosition();
    for (const std::string& move : moves_) vostrel_test::makeTextMove(move);
  }

  // ---- Moves ----

  std::optional<std::string> awaitMove(int side) {
    int number = 0;
    std::string move;
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::string> skipped;
    const auto line = engines_[side]->waitForLine(
        [&](const std::string& text) {
          return vostrel_test::parseMoveLine(text, &number, &move) || vostrel_test::isResultLine(text);
        },
        settings_.moveTimeoutSeconds, &skipped);
    traceLines(side, skipped);
    if (line) traceLines(side, {*line});
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    clock_[side] -= static_cast<int>(seconds * CENTISECONDS_PER_SECOND);
    if (!line) {
      noReply(side);
      return std::nullopt;
    }
    if (*line == "resign") {
      report_.result = side == WHITE ? "0-1" : "1-0";
      report_.reason = "resignation";
      return std::nullopt;
    }
    if (!vostrel_test::parseMoveLine(*line, &number, &move)) {
      fault(Fault::protocol, "unexpected line '" + *line + "' instead of a move");
      return std::nullopt;
    }
    if (number != static_cast<int>(moves_.size()) + 1) {
      fault(Fault::protocol, "move number in '" + *line + "'");
      return std::nullopt;
    }
    if (clock_[side] < 0 && !flagFallen_[side]) {
      // Counted once per side; the game goes on as with an interface that does not call flags,
      // so the engine also meets clocks below zero.
      flagFallen_[side] = true;
      if (report_.timeLosses == 0) {
        for (const std::string& text : recent_) report_.timeLossContext += "    " + text + "\n";
      }
      report_.timeLosses += 1;
      report_.timeLossDetail += std::string(side == WHITE ? " White" : " Black") + " at ply " +
                                std::to_string(moves_.size() + 1) + " (" + std::to_string(clock_[side]) + " cs)";
    }
    clock_[side] += settings_.incrementSeconds * CENTISECONDS_PER_SECOND + settings_.bonusCentiseconds;
    return move;
  }

  bool checkResultLine(int side, const std::string& expected) {
    const auto line = engines_[side]->waitForLine(vostrel_test::isResultLine, settings_.moveTimeoutSeconds);
    if (!line) {
      noReply(side);
      return false;
    }
    if (*line != expected) {
      fault(Fault::protocol, "expected '" + expected + "', got '" + *line + "'");
      return false;
    }
    const size_t blank = line->find(' ');
    report_.result = line->substr(0, blank);
    report_.reason = blank == std::string::npos ? "" : line->substr(blank + 1);
    return true;
  }

  // Hands the opponent's move to `side`: the clocks before it (or, late, after it), and sometimes
  // a move-now request while it thinks.
  void deliver(int side, const std::string& move) {
    const bool late = chance(LATE_CLOCK_CHANCE);
    if (!late) sendClocks(side);
    send(side, move);
    if (late) {
      report_.lateClocks += 1;
      sendClocks(side);
    }
    if (chance(MOVE_NOW_CHANCE)) {
      pause(MOVE_NOW_DELAY_MS);
      send(side, "?");
      report_.moveNows += 1;
    }
  }

  void runGame(int mover) {
    while (static_cast<int>(moves_.size()) < settings_.maxPlies) {
      const auto move = awaitMove(mover);
      if (!move) return;
      if (!vostrel_test::makeTextMove(*move)) {
        fault(Fault::illegalMove, "illegal move " + *move + " by " + (mover == WHITE ? "White" : "Black"));
        return;
      }
      moves_.push_back(*move);
      report_.moves += 1;
      const std::string expected = vostrel_test::resultAfterMove();
      if (expected == "1/2-1/2 {Stalemate}") {
        deliver(mover ^ 1, *move);  // the stalemated engine says so when asked to move
        checkResultLine(mover ^ 1, expected);
        return;
      }
      if (!expected.empty()) {
        checkResultLine(mover, expected);
        return;
      }
      const int next = interlude(mover ^ 1);
      if (next < 0) return;
      if (!resumedWithGo_) deliver(next, *move);
      resumedWithGo_ = false;
      mover = next;
    }
    report_.result = "*";
    report_.reason = "ply limit";
  }

  // ---- Interface behaviour between two moves ----

  // Runs the random behaviour before `next` is given the move; returns the side whose move is
  // awaited next (-1 when the game cannot go on).
  int interlude(int next) {
    switchSettings(next);
    if (static_cast<int>(moves_.size()) >= SHORTEST_GAME_FOR_RESTART && chance(NEW_GAME_CHANCE)) {
      report_.restarts += 1;
      resumedWithGo_ = true;
      return beginGame();
    }
    if (moves_.size() >= 2 && chance(TAKEBACK_CHANCE)) return takeBack(next);
    if (chance(ANALYSIS_CHANCE)) analyse(next);
    return next;
  }

  void switchSettings(int next) {
    if (chance(PONDER_SWITCH_CHANCE)) {
      ponder_[next] = !ponder_[next];
      send(next, ponder_[next] ? "hard" : "easy");
      report_.ponderSwitches += 1;
    }
    if (chance(POST_SWITCH_CHANCE)) {
      post_[next] = !post_[next];
      send(next, post_[next] ? "post" : "nopost");
      report_.postSwitches += 1;
    }
    if (chance(HINT_CHANCE)) {
      send(next, "hint");
      report_.hints += 1;
    }
    if (chance(BOOK_QUERY_CHANCE)) {
      send(next, "bk");
      report_.bookQueries += 1;
    }
  }

  // Both engines stop playing (the one that was to answer gets the last move first), take back one or two plies, maybe replay them, and the game goes
  // on with the engine on move: the other is told whose move it is, which ends its force mode.
  int takeBack(int next) {
    resumedWithGo_ = true;
    report_.takebacks += 1;
    both("force");
    send(next, moves_.back());  // the engine that was to answer has not had the last move yet
    const bool remove = chance(REMOVE_CHANCE);
    both(remove ? "remove" : "undo");
    const size_t count = remove ? 2 : 1;
    std::vector<std::string> taken(moves_.end() - static_cast<long>(count), moves_.end());
    moves_.resize(moves_.size() - count);
    rebuildBoard();
    if (chance(REPLAY_CHANCE)) {
      report_.replays += 1;
      for (const std::string& move : taken) {
        both(move);
        moves_.push_back(move);
        vostrel_test::makeTextMove(move);
      }
    }
    const int onMove = Board.sideToMove;
    send(onMove ^ 1, sideWord(onMove));
    sendClocks(onMove);
    send(onMove, "go");
    return onMove;
  }

  // The engine waiting for the move analyses its position for a moment, with status requests.
  void analyse(int side) {
    report_.analyses += 1;
    send(side, "analyze");
    const int requests = pick(1, ANALYSIS_STATUS_REQUESTS);
    for (int i = 0; i < requests; ++i) {
      pause(ANALYSIS_PAUSE_MS);
      send(side, ".");
    }
    send(side, "exit");
  }

  // ---- The end ----

  void finish() {
    for (int side = WHITE; side <= BLACK; ++side) {
      EngineProcess& engine = *engines_[side];
      send(side, "quit");
      const vostrel_test::ExitResult exit = engine.waitForExit(QUIT_TIMEOUT_SECONDS);
      const std::string& errors = engine.stderrText();
      if (isSanitizerReport(errors)) {
        fault(Fault::sanitizer, "sanitizer report: " + errors);
      } else if (exit.timedOut) {
        fault(Fault::hang, "no end after quit");
      } else if (!exit.exited || exit.status != 0) {
        fault(Fault::crash, "unclean end (status " + std::to_string(exit.status) + ", signal " +
                                std::to_string(exit.signal) + ")");
      } else if (!errors.empty()) {
        fault(Fault::protocol, "stderr: " + errors);
      }
    }
  }

  const SoakSettings& settings_;
  const std::vector<std::vector<std::string>>& openings_;
  std::mt19937_64& rng_;
  TempDir dir_;
  std::unique_ptr<EngineProcess> engines_[2];
  int clock_[2] = {0, 0};
  bool post_[2] = {false, false};
  bool ponder_[2] = {false, false};
  bool flagFallen_[2] = {false, false};
  const std::chrono::steady_clock::time_point gameStart_ = std::chrono::steady_clock::now();
  std::deque<std::string> recent_;
  bool resumedWithGo_ = false;  // the interlude restarted the play with "go"
  std::vector<std::string> moves_;
  SoakGameReport report_;
};

}  // namespace

const char* faultName(Fault fault) {
  switch (fault) {
    case Fault::none: return "none";
    case Fault::illegalMove: return "illegal move";
    case Fault::crash: return "crash";
    case Fault::hang: return "hang";
    case Fault::sanitizer: return "sanitizer report";
    case Fault::protocol: return "protocol";
  }
  return "?";
}

std::vector<std::vector<std::string>> loadOpenings(const std::vector<std::string>& pgnFiles) {
  std::vector<std::vector<std::string>> openings;
  for (const std::string& file : pgnFiles) {
    PgnReader reader;
    startPgnReader(&reader, readWholeFile(file));
    PgnGame game;
    while (readPgnGame(&reader, &game)) {
      if (game.setUp) continue;
      setUpInitialPosition();
      std::vector<std::string> moves;
      for (const std::string& text : game.moves) {
        if (static_cast<int>(moves.size()) == OPENING_PLIES_STORED) break;
        Ordering.ply = 1;
        Move move;
        if (findSanMove(text, Board.sideToMove, &move) != SAN_FOUND) break;
        const std::string coordinates = moveText(move.from, move.to, move.flags);
        if (!vostrel_test::makeTextMove(coordinates)) break;
        moves.push_back(coordinates);
      }
      openings.push_back(moves);
    }
  }
  return openings;
}

SoakGameReport playSoakGame(const SoakSettings& settings, const std::vector<std::vector<std::string>>& openings,
                            std::mt19937_64& rng) {
  return SoakGame(settings, openings, rng).play();
}

}  // namespace vostrel_soak
