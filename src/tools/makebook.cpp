// The book builder: PGN games in, the two book files out. Every game is played move by move
// through the engine's own generation, make/unmake and legality tests, so the keys are exactly
// the ones the engine computes when it probes.
#include "tools/makebook.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

#include "board/board.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "board/setup.h"
#include "board/tables.h"
#include "game/book.h"
#include "search/searchstate.h"
#include "tools/pgn.h"
#include "tools/san.h"
#include "tools/polyglot.h"

constexpr int16_t LARGEST_RATING = INT16_MAX;
constexpr const char* MAKEBOOK_USAGE = "usage: vostrel makebook [--max-ply N] [--min-games N] [--polyglot FILE.bin]... [FILE.pgn...]\n";

namespace {

// Games through one position (one placement with one side to move).
struct PositionStats {
  uint32_t whiteWins, blackWins, draws;
  int64_t whiteEloSum, blackEloSum;  // for the average ratings
};

uint32_t gamesOf(const PositionStats& s) { return s.whiteWins + s.blackWins + s.draws; }

// A position is its hashLock and its side to move.
uint64_t positionId(uint32_t lock, int side) { return (static_cast<uint64_t>(lock) << 1) | side; }
uint32_t lockOf(uint64_t id) { return static_cast<uint32_t>(id >> 1); }
int sideOf(uint64_t id) { return static_cast<int>(id & 1); }

using PositionMap = std::unordered_map<uint64_t, PositionStats>;

// One record of the book to be written.
struct BookLine {
  uint64_t id;
  PositionStats stats;
};

}  // namespace

// ---- Playing a game -----------------------------------------------------------------------------

// The board as a new game leaves it.
void startBookGame() {
  setupInitialPosition();
  forgetLastTo();
  clearMoveStack();
  fillTypeCount();
  setPly(1);
}

static const char* sanProblem(SanStatus status) {
  if (status == SAN_UNREADABLE) return "unreadable";
  return status == SAN_AMBIGUOUS ? "ambiguous" : "illegal";
}

// Plays the first `maxPly` moves of the game and lists the positions after them, each once.
// Returns the reason when the game cannot be used, else an empty text.
static std::string playGame(const PgnGame& game, int maxPly, std::vector<uint64_t>* positions) {
  positions->clear();
  if (!game.damage.empty()) return game.damage;
  if (game.setUp) return "starts from a set-up position";
  if (game.result == PGN_UNKNOWN) return "no result";
  startBookGame();
  int plies = std::min(maxPly, static_cast<int>(game.moves.size()));
  for (int i = 0; i < plies; i++) {
    int side = Board.sideToMove;
    Move move;
    SanStatus status = findSanMove(game.moves[i], side, &move);
    if (status != SAN_FOUND)
      return std::string(sanProblem(status)) + " move \"" + game.moves[i] + "\" at ply " + std::to_string(i + 1);
    makeMove(side, move);
    setSideToMove(side ^ 1);
    uint64_t id = positionId(Board.hashLock, Board.sideToMove);
    if (std::find(positions->begin(), positions->end(), id) == positions->end()) positions->push_back(id);
  }
  return "";
}

static void countGame(const PgnGame& game, const std::vector<uint64_t>& positions, PositionMap* map) {
  int whiteElo = game.whiteElo > 0 ? game.whiteElo : DEFAULT_BOOK_ELO;
  int blackElo = game.blackElo > 0 ? game.blackElo : DEFAULT_BOOK_ELO;
  for (uint64_t id : positions) {
    PositionStats& s = (*map)[id];
    if (game.result == PGN_WHITE_WINS) s.whiteWins++;
    if (game.result == PGN_BLACK_WINS) s.blackWins++;
    if (game.result == PGN_DRAW) s.draws++;
    s.whiteEloSum += whiteElo;
    s.blackEloSum += blackElo;
  }
}

// ---- Reading the files --------------------------------------------------------------------------------

int readWholeFile(const std::string& name, std::string* text) {
  FILE* file = std::fopen(name.c_str(), "rb");
  if (file == nullptr) return 0;
  text->clear();
  char buffer[1 << 16];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof(buffer), file)) > 0) text->append(buffer, n);
  int ok = !std::ferror(file);
  std::fclose(file);
  return ok;
}

static void readGamesOfFile(const std::string& name, std::string text, const MakebookOptions& options,
                            PositionMap* map, MakebookReport* report) {
  PgnReader reader;
  startPgnReader(&reader, std::move(text));
  PgnGame game;
  std::vector<uint64_t> positions;
  while (readPgnGame(&reader, &game)) {
    report->gamesRead++;
    std::string reason = playGame(game, options.maxPly, &positions);
    if (!reason.empty()) {
      report->gamesRefused++;
      std::printf("%s: game %d (line %d) refused: %s\n", name.c_str(), game.number, game.line, reason.c_str());
      continue;
    }
    countGame(game, positions, map);
  }
}

// ---- Polyglot books -----------------------------------------------------------------------------------

// A Polyglot book's positions replace what the PGN games say about them: where a book has a say,
// its weights decide. Its games are all drawn between players of the default rating, so that
// sibling moves differ only in their number of games and the book choice plays them in
// proportion to the weights.
static int addPolyglotBooks(const MakebookOptions& options, PositionMap* map) {
  std::vector<PolyglotPosition> positions;
  for (const std::string& name : options.polyglotFiles) {
    if (addPolyglotBook(name, options.maxPly, &positions) != 0) return 0;
  }
  PositionMap books;
  for (const PolyglotPosition& p : positions) {
    PositionStats& s = books[positionId(p.lock, p.side)];
    s.draws = static_cast<uint32_t>(std::min<uint64_t>(static_cast<uint64_t>(s.draws) + p.games, UINT32_MAX));
    s.whiteEloSum = s.blackEloSum = static_cast<int64_t>(s.draws) * DEFAULT_BOOK_ELO;
  }
  for (const auto& entry : books) (*map)[entry.first] = entry.second;
  return 1;
}

// ---- Writing the book -----------------------------------------------------------------------------------

static int16_t averageRating(int64_t sum, uint32_t games) {
  int64_t average = (sum + games / 2) / games;
  return static_cast<int16_t>(std::clamp<int64_t>(average, 0, LARGEST_RATING));
}

// One line per key, sorted by key: where a placement occurs with both sides to move, the side
// with more games keeps it (White on a tie); positions with too few games are left out.
static std::vector<BookLine> selectBookLines(const PositionMap& map, int minGames, MakebookReport* report) {
  std::vector<BookLine> all;
  all.reserve(map.size());
  for (const auto& entry : map) all.push_back({entry.first, entry.second});
  std::sort(all.begin(), all.end(), [](const BookLine& a, const BookLine& b) {
    if (lockOf(a.id) != lockOf(b.id)) return lockOf(a.id) < lockOf(b.id);
    if (gamesOf(a.stats) != gamesOf(b.stats)) return gamesOf(a.stats) > gamesOf(b.stats);
    return sideOf(a.id) < sideOf(b.id);
  });
  std::vector<BookLine> lines;
  for (size_t i = 0; i < all.size(); i++) {
    int enough = gamesOf(all[i].stats) >= static_cast<uint32_t>(minGames);
    if (i > 0 && lockOf(all[i].id) == lockOf(all[i - 1].id)) {
      if (enough) report->sideClashes++;
      continue;
    }
    if (enough) lines.push_back(all[i]);
  }
  return lines;
}

static int writeBookFiles(const std::vector<BookLine>& lines) {
  FILE* index = std::fopen(BOOK_INDEX_FILE_NAME, "wb");
  FILE* data = std::fopen(BOOK_DATA_FILE_NAME, "wb");
  int ok = index != nullptr && data != nullptr;
  for (size_t i = 0; ok && i < lines.size(); i++) {
    const PositionStats& s = lines[i].stats;
    uint32_t games = gamesOf(s);
    BookRecord record = {lockOf(lines[i].id), s.whiteWins, s.blackWins, s.draws,
                         averageRating(s.whiteEloSum, games), averageRating(s.blackEloSum, games),
                         static_cast<uint16_t>(sideOf(lines[i].id))};
    uint8_t recordBytes[BOOK_RECORD_SIZE];
    uint8_t entryBytes[BOOK_INDEX_ENTRY_SIZE];
    encodeBookRecord(record, recordBytes);
    encodeBookIndexEntry(record.key, static_cast<int32_t>(i), entryBytes);
    ok = std::fwrite(entryBytes, 1, sizeof(entryBytes), index) == sizeof(entryBytes) &&
         std::fwrite(recordBytes, 1, sizeof(recordBytes), data) == sizeof(recordBytes);
  }
  if (index != nullptr && std::fclose(index) != 0) ok = 0;
  if (data != nullptr && std::fclose(data) != 0) ok = 0;
  return ok;
}

int buildBook(const std::vector<std::string>& files, const MakebookOptions& options, MakebookReport* report) {
  *report = MakebookReport{0, 0, 0, 0};
  initBoardTables();
  setPieceValues(false);
  PositionMap map;
  for (const std::string& name : files) {
    std::string text;
    if (!readWholeFile(name, &text)) {
      std::fprintf(stderr, "makebook: cannot read %s\n", name.c_str());
      return 1;
    }
    readGamesOfFile(name, std::move(text), options, &map, report);
  }
  if (!addPolyglotBooks(options, &map)) return 1;
  std::vector<BookLine> lines = selectBookLines(map, options.minGames, report);
  if (!writeBookFiles(lines)) {
    std::fprintf(stderr, "makebook: cannot write %s and %s\n", BOOK_INDEX_FILE_NAME, BOOK_DATA_FILE_NAME);
    return 1;
  }
  report->positionsWritten = static_cast<int>(lines.size());
  return 0;
}

// ---- Command line ---------------------------------------------------------------------------------------

// Reads a whole decimal number within [low, high]; 0 when the text is anything else.
static int readCount(const char* text, int low, int high, int* value) {
  char* end;
  long n = std::strtol(text, &end, 10);
  if (*text == '\0' || *end != '\0' || n < low || n > high) return 0;
  *value = static_cast<int>(n);
  return 1;
}

int runMakebookCommand(int argc, char** argv) {
  MakebookOptions options = {DEFAULT_BOOK_MAX_PLY, DEFAULT_BOOK_MIN_GAMES};
  std::vector<std::string> files;
  for (int i = 2; i < argc; i++) {
    int isMaxPly = std::strcmp(argv[i], "--max-ply") == 0;
    int isMinGames = std::strcmp(argv[i], "--min-games") == 0;
    if (std::strcmp(argv[i], "--polyglot") == 0) {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "makebook: --polyglot needs a file\n");
        return 2;
      }
      options.polyglotFiles.push_back(argv[++i]);
    } else if (isMaxPly || isMinGames) {
      int ok = i + 1 < argc && (isMaxPly ? readCount(argv[i + 1], 1, LARGEST_BOOK_MAX_PLY, &options.maxPly)
                                         : readCount(argv[i + 1], 1, INT32_MAX, &options.minGames));
      if (!ok) {
        std::fprintf(stderr, "makebook: %s needs a number (max ply 1..%d, min games from 1)\n", argv[i],
                     LARGEST_BOOK_MAX_PLY);
        return 2;
      }
      i++;
    } else if (argv[i][0] == '-' && argv[i][1] == '-') {
      std::fprintf(stderr, "makebook: unknown option %s\n%s", argv[i], MAKEBOOK_USAGE);
      return 2;
    } else {
      files.push_back(argv[i]);
    }
  }
  if (files.empty() && options.polyglotFiles.empty()) {
    std::fprintf(stderr, "%s", MAKEBOOK_USAGE);
    return 2;
  }
  MakebookReport report;
  if (buildBook(files, options, &report) != 0) return 1;
  std::printf("Games read: %d\nGames refused: %d\nPositions written: %d\n", report.gamesRead, report.gamesRefused,
              report.positionsWritten);
  if (report.sideClashes > 0)
    std::printf("Positions left out for the same placement with the other side to move: %d\n", report.sideClashes);
  std::fflush(stdout);
  return 0;
}
