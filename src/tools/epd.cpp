// The position-suite runner. Each EPD line holds the four position fields, then operations
// separated by ";": "bm" with one or more best moves in SAN, "id" with the position's name.
// A position counts as solved when the move the engine plays is one of its best moves.
#include "tools/epd.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "board/board.h"
#include "board/setup.h"
#include "game/timecontrol.h"
#include "search/searchstate.h"
#include "shell/commands.h"
#include "tools/quietrun.h"
#include "tools/san.h"

namespace {

constexpr int DEFAULT_DEPTH = 8;
constexpr int MAX_DEPTH = 40;
constexpr int MAX_SECONDS = 3600;
constexpr int EXIT_OK = 0;
constexpr int EXIT_SETUP_FAILED = 1;
constexpr int EXIT_BAD_ARGUMENT = 2;
constexpr int POSITION_FIELDS = 4;

struct EpdCase {
  std::string fen;                  // placement, side, castling, en passant
  std::vector<std::string> best;    // SAN of the best moves
  std::string id;
};

std::string trim(const std::string& text) {
  size_t first = text.find_first_not_of(' ');
  size_t last = text.find_last_not_of(' ');
  return first == std::string::npos ? "" : text.substr(first, last - first + 1);
}

// Returns false for a line without four position fields.
bool parseEpdLine(const std::string& line, EpdCase& c) {
  std::istringstream in(line);
  std::string field;
  for (int i = 0; i < POSITION_FIELDS; i++) {
    if (!(in >> field)) return false;
    c.fen += (i ? " " : "") + field;
  }
  std::string rest;
  std::getline(in, rest);
  std::istringstream operations(rest);
  std::string operation;
  while (std::getline(operations, operation, ';')) {
    std::istringstream words(trim(operation));
    std::string opcode;
    words >> opcode;
    if (opcode == "bm") {
      std::string move;
      while (words >> move) c.best.push_back(move);
    } else if (opcode == "id") {
      std::string name;
      std::getline(words, name);
      name = trim(name);
      if (name.size() >= 2 && name.front() == '"' && name.back() == '"') name = name.substr(1, name.size() - 2);
      c.id = name;
    }
  }
  return true;
}

// The moveCodes (with promotion flags) of the best moves in the position of `fen`.
bool bestMoveCodes(const EpdCase& c, std::vector<Move>& moves) {
  if (!setupPosition(("setboard " + c.fen).c_str()) || !positionIsPlayable(Board.sideToMove)) return false;
  for (const std::string& san : c.best) {
    setPly(1);
    Move move{};
    if (findSanMove(san, Board.sideToMove, &move) == SAN_FOUND) moves.push_back(move);
  }
  return true;
}

bool isBestMove(const std::vector<Move>& best, const QuietRunResult& run) {
  for (const Move& m : best)
    if (moveCodeOf(m.from, m.to) == run.moveCode && ((m.flags & PROMOTION) == 0 || m.flags == (run.flags & 0xF)))
      return true;
  return false;
}

bool parseLimit(const char* text, int low, int high, int& value) {
  char* end = nullptr;
  long parsed = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || parsed < low || parsed > high) return false;
  value = static_cast<int>(parsed);
  return true;
}

int usage() {
  std::fprintf(stderr, "usage: vostrel epd FILE [--depth N | --time SECONDS]\n");
  return EXIT_BAD_ARGUMENT;
}

}  // namespace

int runEpdCommand(int argc, char** argv) {
  if (argc < 3) return usage();
  int depth = DEFAULT_DEPTH;
  int seconds = 0;
  for (int i = 3; i < argc; i++) {
    bool depthOption = std::strcmp(argv[i], "--depth") == 0;
    bool timeOption = std::strcmp(argv[i], "--time") == 0;
    if ((!depthOption && !timeOption) || i + 1 >= argc) return usage();
    bool ok = depthOption ? parseLimit(argv[++i], 1, MAX_DEPTH, depth) : parseLimit(argv[++i], 1, MAX_SECONDS, seconds);
    if (!ok) return usage();
  }
  std::ifstream file(argv[2]);
  if (!file) {
    std::fprintf(stderr, "epd: cannot read %s\n", argv[2]);
    return EXIT_SETUP_FAILED;
  }
  if (!setUpDiagnosticEngine()) {
    std::fprintf(stderr, "epd: the position tables could not be allocated\n");
    return EXIT_SETUP_FAILED;
  }
  int solved = 0, total = 0;
  uint64_t nodes = 0;
  std::string line;
  while (std::getline(file, line)) {
    EpdCase c;
    if (!parseEpdLine(line, c)) continue;
    std::vector<Move> best;
    if (!bestMoveCodes(c, best) || best.empty()) {
      std::printf("%-10s skipped (position or best move unreadable)\n", c.id.c_str());
      continue;
    }
    if (seconds > 0) {
      setFixedTimePerMove(seconds);
    } else {
      setFixedDepthControl(depth);
    }
    QuietRunResult run = thinkQuietly(c.fen.c_str());
    char played[COORDINATE_TEXT_SIZE] = "none";
    if (run.moved) coordinateMoveText(run.moveCode, run.flags, played);
    bool ok = run.moved && isBestMove(best, run);
    solved += ok;
    total += 1;
    nodes += run.nodes;
    std::string expected;
    for (const std::string& san : c.best) expected += (expected.empty() ? "" : " ") + san;
    std::printf("%-10s %-6s %-5s %6d  bm %s\n", c.id.c_str(), ok ? "solved" : "missed", played, run.score,
                expected.c_str());
    std::fflush(stdout);
  }
  std::printf("Solved: %d of %d\nNodes: %llu\n", solved, total, static_cast<unsigned long long>(nodes));
  freeDiagnosticEngine();
  return EXIT_OK;
}
