// The opening book "VSbook.ind" / "VSbook.dat".
//
// Index file: a sequence of 8-byte entries sorted ascending by key (unsigned), little-endian:
//   offset 0 u32   key     hashLock of the position
//   offset 4 int32 record  index of the position's record in the data file; negative = none
// Data file: a sequence of 24-byte records addressed by record index (offset = index * 24):
//   offset  0 u32   key          hashLock of the position; must equal the index key
//   offset  4 u32   whiteWins    games won by White from this position
//   offset  8 u32   blackWins    games won by Black
//   offset 12 u32   draws        drawn games
//   offset 16 int16 whiteRating  average rating of the White players
//   offset 18 int16 blackRating  average rating of the Black players
//   offset 20 u16   sideToMove   0 White, 1 Black
//   offset 22 u16   reserved     written as 0, never read
#pragma once
#include <cstdint>
#include <cstdio>

constexpr const char* BOOK_DATA_FILE_NAME = "VSbook.dat";
constexpr const char* BOOK_INDEX_FILE_NAME = "VSbook.ind";
constexpr int BOOK_INDEX_ENTRY_SIZE = 8;
constexpr int BOOK_RECORD_SIZE = 24;

constexpr int MAX_BOOK_CANDIDATES = 64;
constexpr int RATING_TABLE_SIZE = 101;  // percentage scores 0..100

struct BookCandidate {
  uint16_t moveCode;        // root move (from * 64 + to)
  uint32_t whiteWins, blackWins, draws, total;  // total = the sum of the three
  int16_t playersRating;    // average rating of the players who had the root side
  int16_t opponentsRating;  // average rating of their opponents
  int16_t chosen;           // 1 for the candidate picked by the random draw
  int16_t searchDelta;      // depth-0 search result minus the root evaluation (think driver)
  int16_t performance;      // opponentsRating + ratingDiff of the root side's percentage
  int16_t weight;           // share in the random draw
};

struct BookData {
  FILE* bookIndexFile;      // "VSbook.ind", open for the whole run (or null)
  FILE* bookDataFile;       // "VSbook.dat", open for the whole run (or null)
  uint32_t bookIndexCount;  // entries in the index file (its length / 8)
  BookCandidate bookCandidate[MAX_BOOK_CANDIDATES];  // filled in probe order
  int candidateCount;       // candidates of the current think
  int16_t ratingDiff[RATING_TABLE_SIZE];  // percentage score -> rating difference
};
extern BookData Book;

// One data record, decoded.
struct BookRecord {
  uint32_t key;
  uint32_t whiteWins, blackWins, draws;
  int16_t whiteRating, blackRating;
  uint16_t sideToMove;
};
void encodeBookRecord(const BookRecord& record, uint8_t* bytes);  // 24 bytes
void decodeBookRecord(const uint8_t* bytes, BookRecord* record);
void encodeBookIndexEntry(uint32_t key, int32_t record, uint8_t* bytes);  // 8 bytes

void initRatingDiff();
// Opens both files; clears EngineSettings.bookEnabled when either is missing.
void openBookFiles();
void closeBookFiles();
// Empties the candidate list (start of every think).
void clearBookCandidates();
// With the root move from-to made on the board: 1 when the position is in the book, filling
// bookCandidate[slot] (the caller then counts it in candidateCount); else 0. Any damage counts as
// a miss.
int probeBook(int from, int to, int slot, int rootSide);
// The candidate probeBook just filled at slot candidateCount is kept, with the result of its
// quiet search minus the root evaluation.
void keepBookCandidate(int searchDelta);
// Chooses among the candidates (or, with `showInfo`, prints the "bk" text); returns the index
// of the chosen candidate (the first after sorting), or -1 when there is no candidate.
int chooseBookMove(int showInfo);
