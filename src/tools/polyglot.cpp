// Polyglot books: the format's keys computed from the engine's board, the entries read from
// untrusted bytes, and the walk that shares the games of the initial position out along the
// book's lines. Every move of the book is matched against the engine's own legal moves, so the
// positions reached carry exactly the keys the engine computes when it probes.
#include "tools/polyglot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <unordered_set>

#include "board/attack.h"
#include "board/board.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "tools/makebook.h"
#include "board/ordering.h"

constexpr int KEY_CASTLING = 768;       // White short, White long, Black short, Black long
constexpr int KEY_EN_PASSANT = 772;     // plus the file
constexpr int KEY_WHITE_TO_MOVE = 780;
constexpr int SKIPPED_MOVES_SHOWN = 10;  // skipped moves described one by one, per book

// ---- Keys ---------------------------------------------------------------------------------------

// Kind of a piece in the key table: black pawn 0, white pawn 1, black knight 2, ... white king 11.
static int keyKind(int piece, int color) { return 2 * (piece - 1) + (color == WHITE ? 1 : 0); }

// A side may still castle towards `rookHome` while neither its king nor that rook has moved or
// been captured on its square.
static int mayCastle(int side, int rookHome) {
  int kingHome = side == WHITE ? WHITE_KING_HOME : BLACK_KING_HOME;
  return Board.castled[side] == 0 && Board.pieceAt[kingHome] == KING && Board.colorAt[kingHome] == side &&
         Board.squareMoves[kingHome] == 0 && Board.pieceAt[rookHome] == ROOK && Board.colorAt[rookHome] == side &&
         Board.squareMoves[rookHome] == 0;
}

// The en-passant file counts only when a pawn of the side to move stands beside the pawn that
// has just advanced two squares.
static int enPassantFile() {
  if (Board.epSquare <= 0) return -1;
  int side = Board.sideToMove;
  int pushed = side == WHITE ? Board.epSquare - 8 : Board.epSquare + 8;
  for (int beside : {pushed - 1, pushed + 1}) {
    if (beside < 0 || beside > 63 || rankOf(beside) != rankOf(pushed)) continue;
    if (Board.pieceAt[beside] == PAWN && Board.colorAt[beside] == side) return fileOf(Board.epSquare);
  }
  return -1;
}

uint64_t polyglotKey() {
  uint64_t key = 0;
  for (int sq = 0; sq < 64; sq++) {
    if (Board.pieceAt[sq] != NONE) key ^= POLYGLOT_KEYS[64 * keyKind(Board.pieceAt[sq], Board.colorAt[sq]) + sq];
  }
  const int rookHomes[4] = {H1, A1, H8, A8};
  for (int i = 0; i < 4; i++) {
    if (mayCastle(i < 2 ? WHITE : BLACK, rookHomes[i])) key ^= POLYGLOT_KEYS[KEY_CASTLING + i];
  }
  int file = enPassantFile();
  if (file >= 0) key ^= POLYGLOT_KEYS[KEY_EN_PASSANT + file];
  if (Board.sideToMove == WHITE) key ^= POLYGLOT_KEYS[KEY_WHITE_TO_MOVE];
  return key;
}

// ---- Entries ------------------------------------------------------------------------------------

static uint64_t readBigEndian(const unsigned char* bytes, int size) {
  uint64_t value = 0;
  for (int i = 0; i < size; i++) value = (value << 8) | bytes[i];
  return value;
}

std::vector<PolyglotEntry> readPolyglotEntries(const std::string& bytes, PolyglotReport* report) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  size_t count = bytes.size() / POLYGLOT_ENTRY_SIZE;
  report->entries = static_cast<int64_t>(count);
  report->trailingBytes = static_cast<int64_t>(bytes.size() % POLYGLOT_ENTRY_SIZE);
  report->outOfOrder = 0;
  std::vector<PolyglotEntry> entries(count);
  for (size_t i = 0; i < count; i++) {
    const unsigned char* at = data + i * POLYGLOT_ENTRY_SIZE;
    entries[i] = {readBigEndian(at, 8), static_cast<uint16_t>(readBigEndian(at + 8, 2)),
                  static_cast<uint16_t>(readBigEndian(at + 10, 2))};
    if (i > 0 && entries[i].key < entries[i - 1].key) report->outOfOrder++;
  }
  std::stable_sort(entries.begin(), entries.end(),
                   [](const PolyglotEntry& a, const PolyglotEntry& b) { return a.key < b.key; });
  return entries;
}

// ---- Moves --------------------------------------------------------------------------------------

constexpr int MOVE_TO_BITS = 0;
constexpr int MOVE_FROM_BITS = 6;
constexpr int MOVE_PROMOTION_BITS = 12;
constexpr int SQUARE_MASK = 63;
constexpr int PROMOTION_MASK = 7;

// The Polyglot code of an engine move: castling becomes the king taking its own rook.
static uint16_t polyglotCode(const Move& m) {
  int to = m.to;
  if (m.flags & CASTLING) to = m.to > m.from ? m.from + 3 : m.from - 4;
  int promotion = (m.flags & PROMOTION) ? (m.flags & PROMOTION_PIECE_MASK) - KNIGHT + 1 : 0;
  return static_cast<uint16_t>((promotion << MOVE_PROMOTION_BITS) | (m.from << MOVE_FROM_BITS) | (to << MOVE_TO_BITS));
}

// Text of a Polyglot move for the report ("e1h1", "a7a8q").
static std::string polyglotMoveText(uint16_t code) {
  int from = (code >> MOVE_FROM_BITS) & SQUARE_MASK;
  int to = (code >> MOVE_TO_BITS) & SQUARE_MASK;
  int promotion = (code >> MOVE_PROMOTION_BITS) & PROMOTION_MASK;
  std::string text = {static_cast<char>('a' + fileOf(from)), static_cast<char>('1' + rankOf(from)),
                      static_cast<char>('a' + fileOf(to)), static_cast<char>('1' + rankOf(to))};
  if (promotion >= 1 && promotion <= 4) text += "nbrq"[promotion - 1];
  return text;
}

// The legal moves of the side to move (ply 1 of the move stack is used and left behind).
static std::vector<Move> legalMoves() {
  int side = Board.sideToMove;
  setPly(1);
  startPlyAtStackBottom(1);
  generateMoves(side);
  std::vector<Move> legal;
  for (int i = MoveStack.plyStart[1]; i < MoveStack.plyStart[2]; i++) {
    Move m = MoveStack.moveStack[i];
    makeMove(side, m);
    if (!isSquareAttacked(Board.pieceList[side][0], side ^ 1)) legal.push_back(m);
    unmakeMove(side, m);
  }
  return legal;
}

// ---- The walk -----------------------------------------------------------------------------------

namespace {

// A position waiting to be expanded: the line that first reached it and the games through it.
struct WalkNode {
  std::vector<Move> line;
  std::vector<uint64_t> keys;  // Polyglot keys of the line's positions, the initial one first
  double games;
};

// Positions of one ply by Polyglot key: an ordered map keeps the sums, and so the book, the same
// from run to run.
using WalkLevel = std::map<uint64_t, WalkNode>;

struct Walk {
  const std::vector<PolyglotEntry>* entries;
  std::string name;
  PolyglotReport* report;
  std::map<uint64_t, double> games;       // by engine position (hashLock and side)
  std::unordered_set<uint64_t> reached;   // Polyglot keys of every position met so far
  int shown;                              // skipped moves described so far
};

// One usable book move of a position.
struct BookMove {
  Move move;
  uint16_t weight;
};

}  // namespace

static void replayLine(const std::vector<Move>& line) {
  startBookGame();
  for (const Move& m : line) {
    int side = Board.sideToMove;
    makeMove(side, m);
    setSideToMove(side ^ 1);
  }
}

static void describeSkip(Walk* walk, const char* what, uint64_t key, uint16_t code) {
  if (walk->shown++ >= SKIPPED_MOVES_SHOWN) return;
  std::printf("%s: %s %s in the position with key %016llx, skipped\n", walk->name.c_str(), what,
              polyglotMoveText(code).c_str(), static_cast<unsigned long long>(key));
}

// The entries of the position on the board that can be walked: legal, weight above 0, each
// move once.
static std::vector<BookMove> usableMoves(Walk* walk, uint64_t key) {
  auto range = std::equal_range(walk->entries->begin(), walk->entries->end(), PolyglotEntry{key, 0, 0},
                                [](const PolyglotEntry& a, const PolyglotEntry& b) { return a.key < b.key; });
  std::vector<BookMove> usable;
  if (range.first == range.second) return usable;
  std::vector<Move> legal = legalMoves();
  std::vector<uint16_t> seen;
  for (auto e = range.first; e != range.second; ++e) {
    auto fits = [&](const Move& m) { return polyglotCode(m) == e->move; };
    auto found = std::find_if(legal.begin(), legal.end(), fits);
    if (found == legal.end()) {
      walk->report->illegalMoves++;
      describeSkip(walk, "illegal move", key, e->move);
    } else if (std::find(seen.begin(), seen.end(), e->move) != seen.end()) {
      walk->report->duplicates++;
    } else {
      seen.push_back(e->move);
      if (e->weight == 0) walk->report->zeroWeight++;
      if (e->weight > 0) usable.push_back({*found, e->weight});
    }
  }
  return usable;
}

// Shares the node's games out among its book moves; the new positions go to `next`.
static void expandNode(Walk* walk, const WalkNode& node, WalkLevel* next) {
  replayLine(node.line);
  uint64_t key = node.keys.back();
  std::vector<BookMove> moves = usableMoves(walk, key);
  double weightSum = 0;
  for (const BookMove& b : moves) weightSum += b.weight;
  int side = Board.sideToMove;
  for (const BookMove& b : moves) {
    makeMove(side, b.move);
    setSideToMove(side ^ 1);
    uint64_t childKey = polyglotKey();
    double games = node.games * b.weight / weightSum;
    if (std::find(node.keys.begin(), node.keys.end(), childKey) != node.keys.end()) {
      walk->report->cycles++;
      describeSkip(walk, "move back to an earlier position of its line:", key, polyglotCode(b.move));
    } else {
      walk->games[(static_cast<uint64_t>(Board.hashLock) << 1) | Board.sideToMove] += games;
      if (walk->reached.count(childKey) != 0 && next->count(childKey) == 0) {
        walk->report->otherPlyRepeats++;
      } else {
        walk->reached.insert(childKey);
        WalkNode& child = (*next)[childKey];
        if (child.keys.empty()) {
          child.line = node.line;
          child.line.push_back(b.move);
          child.keys = node.keys;
          child.keys.push_back(childKey);
        }
        child.games += games;
      }
    }
    unmakeMove(side, b.move);
    setSideToMove(side);
  }
}

std::vector<PolyglotPosition> walkPolyglotBook(const std::vector<PolyglotEntry>& entries, int maxPly,
                                               const std::string& name, PolyglotReport* report) {
  Walk walk{&entries, name, report, {}, {}, 0};
  report->duplicates = report->zeroWeight = report->illegalMoves = report->cycles = report->otherPlyRepeats = 0;
  // Step 1. The initial position holds every game.
  startBookGame();
  WalkLevel level;
  uint64_t rootKey = polyglotKey();
  level[rootKey] = WalkNode{{}, {rootKey}, POLYGLOT_ROOT_GAMES};
  walk.reached.insert(rootKey);
  // Step 2. Ply by ply, so that a position has all its games before they are shared out.
  for (int ply = 0; ply < maxPly && !level.empty(); ply++) {
    WalkLevel next;
    for (const auto& entry : level) expandNode(&walk, entry.second, &next);
    level.swap(next);
  }
  // Step 3. Whole games per position.
  std::vector<PolyglotPosition> positions;
  for (const auto& [id, games] : walk.games) {
    double rounded = std::min(std::round(games), static_cast<double>(UINT32_MAX));
    positions.push_back({static_cast<uint32_t>(id >> 1), static_cast<int>(id & 1), static_cast<uint32_t>(rounded)});
  }
  report->positionsReached = static_cast<int64_t>(positions.size());
  startBookGame();
  return positions;
}

// ---- One book file ------------------------------------------------------------------------------

static void printReport(const std::string& name, const PolyglotReport& r) {
  std::printf("%s: %lld entries, %lld positions reached\n", name.c_str(), static_cast<long long>(r.entries),
              static_cast<long long>(r.positionsReached));
  const struct {
    int64_t count;
    const char* what;
  } lines[] = {
      {r.trailingBytes, "bytes after the last whole entry ignored (the length is not a multiple of 16)"},
      {r.outOfOrder, "entries out of key order (sorted before use)"},
      {r.duplicates, "moves listed twice for a position, the later ones ignored"},
      {r.zeroWeight, "moves of weight 0 not walked"},
      {r.illegalMoves, "illegal moves skipped"},
      {r.cycles, "moves back to an earlier position of their line skipped"},
      {r.otherPlyRepeats, "positions met again at another ply, counted but not walked again"},
  };
  for (const auto& line : lines) {
    if (line.count > 0) std::printf("%s: %lld %s\n", name.c_str(), static_cast<long long>(line.count), line.what);
  }
}

int addPolyglotBook(const std::string& fileName, int maxPly, std::vector<PolyglotPosition>* positions) {
  std::string bytes;
  if (!readWholeFile(fileName, &bytes)) {
    std::fprintf(stderr, "makebook: cannot read %s\n", fileName.c_str());
    return 1;
  }
  PolyglotReport report{};
  std::vector<PolyglotEntry> entries = readPolyglotEntries(bytes, &report);
  std::vector<PolyglotPosition> found = walkPolyglotBook(entries, maxPly, fileName, &report);
  printReport(fileName, report);
  positions->insert(positions->end(), found.begin(), found.end());
  return 0;
}
