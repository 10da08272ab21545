// Polyglot opening books as a source for the engine's own book: reading the 16-byte entries,
// the position keys of the format, and the walk from the initial position that turns the move
// weights into game statistics.
//
// An entry, big-endian:
//   offset  0 u64 key     the position's key (below)
//   offset  8 u16 move    bits 0..5 to-square, 6..11 from-square (a1 = 0), 12..14 promotion
//                         (0 none, 1 knight, 2 bishop, 3 rook, 4 queen); castling is the king
//                         taking its own rook (e1h1 is White's short castling)
//   offset 10 u16 weight  how often the move should be played, relative to its siblings
//   offset 12 u32 learn   not used here
// Entries are meant to be sorted by key; the reader does not rely on it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

constexpr int POLYGLOT_KEY_COUNT = 781;
constexpr int POLYGLOT_ENTRY_SIZE = 16;
extern const uint64_t POLYGLOT_KEYS[POLYGLOT_KEY_COUNT];

// Games the initial position stands for: the weights share them out along every line.
constexpr double POLYGLOT_ROOT_GAMES = 1e9;

struct PolyglotEntry {
  uint64_t key;
  uint16_t move;
  uint16_t weight;
};

// What the reader and the walk met, and what they left out.
struct PolyglotReport {
  int64_t entries;           // whole entries in the file
  int64_t trailingBytes;     // bytes after the last whole entry, ignored
  int64_t outOfOrder;        // entries whose key is below the one before (sorted before use)
  int64_t duplicates;        // a move listed again for the same position, ignored
  int64_t zeroWeight;        // moves of weight 0, not walked
  int64_t illegalMoves;      // moves that are not legal in their position, skipped
  int64_t cycles;            // moves back to a position earlier in the same line, skipped
  int64_t otherPlyRepeats;   // positions met again at another ply: counted, not walked again
  int64_t positionsReached;  // distinct positions after plies 1..maxPly
};

// One position of the walk with the games it stands for.
struct PolyglotPosition {
  uint32_t lock;  // the engine's hashLock
  int side;       // side to move
  uint32_t games;
};

// The key of the position on the board with `Board.sideToMove` to move.
uint64_t polyglotKey();

// Decodes the bytes of a book: whole entries only, sorted by key (stable); the report counts the
// trailing bytes and the entries found out of order.
std::vector<PolyglotEntry> readPolyglotEntries(const std::string& bytes, PolyglotReport* report);

// Walks the book from the initial position through every move of weight above 0, to `maxPly`
// plies, on the engine's board. Each position reached gets the games of its parents shared out
// in proportion to the weights (the initial position has POLYGLOT_ROOT_GAMES). Skipped moves are
// counted in the report; the first few are described on standard output, prefixed by `name`.
std::vector<PolyglotPosition> walkPolyglotBook(const std::vector<PolyglotEntry>& entries, int maxPly,
                                               const std::string& name, PolyglotReport* report);

// Reads and walks one book file; prints its report. 0 on success, 1 when it cannot be read.
int addPolyglotBook(const std::string& fileName, int maxPly, std::vector<PolyglotPosition>* positions);
