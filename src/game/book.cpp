// The opening book: probing the two files for the positions after the root moves, weighting the
// candidates by their statistics and the think driver's quick measurement, and the random choice.
#include "game/book.h"

#include <cassert>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "board/board.h"
#include "board/types.h"
#include "config/settings.h"
#include "game/littleendian.h"
#include "game/notation.h"
#include "platform/clock.h"
#include "platform/output.h"
#include "search/searchstate.h"

BookData Book;

// ---- Rating table -------------------------------------------------------------------------------

// Rating difference for the percentage scores 50..100 (the lower half mirrors it).
constexpr int16_t UPPER_RATING_DIFF[51] = {
    0,   7,   14,  21,  29,  36,  43,  50,  57,  65,  72,  80,  87,  95,  102, 110, 117,
    125, 133, 141, 149, 158, 166, 175, 184, 193, 202, 211, 220, 230, 240, 251, 262, 273,
    284, 296, 309, 322, 336, 351, 366, 383, 401, 422, 444, 470, 501, 538, 589, 677, 874};
constexpr int EVEN_SCORE = 50;

// ---- Weighting ----------------------------------------------------------------------------------

constexpr uint32_t RARE_MOVE_DIVISOR = 100;   // fewer than 1 % of the candidate games: weight 0
constexpr int WEIGHT_BASE = 100;              // weight of a candidate performing at the average
constexpr int WEIGHT_CAP = 200;               // the most an outperforming candidate gets
constexpr int REFUTED_ENGLISH_DELTA = -55;    // c2-c4 measured below this is dropped...
constexpr int C2C4_FROM = C2;                 // ...when a sound alternative exists
constexpr int C2C4_TO = C4;
constexpr int DUBIOUS_DELTA = -20;            // halved when a sound alternative exists
constexpr int GOOD_DELTA = 20;                // bonus above this...
constexpr int GOOD_BONUS = 10;
constexpr int GOOD_BONUS_LIMIT = 90;          // ...for weights below this
constexpr int VERY_GOOD_DELTA = 40;           // larger bonus above this...
constexpr int VERY_GOOD_BONUS = 20;
constexpr int VERY_GOOD_BONUS_LIMIT = 80;     // ...for weights below this

// ---- File format ----------------------------------------------------------------------------------

void encodeBookRecord(const BookRecord& record, uint8_t* bytes) {
  writeU32(bytes + 0, record.key);
  writeU32(bytes + 4, record.whiteWins);
  writeU32(bytes + 8, record.blackWins);
  writeU32(bytes + 12, record.draws);
  writeU16(bytes + 16, static_cast<uint16_t>(record.whiteRating));
  writeU16(bytes + 18, static_cast<uint16_t>(record.blackRating));
  writeU16(bytes + 20, record.sideToMove);
  writeU16(bytes + 22, 0);
}

void decodeBookRecord(const uint8_t* bytes, BookRecord* record) {
  record->key = readU32(bytes + 0);
  record->whiteWins = readU32(bytes + 4);
  record->blackWins = readU32(bytes + 8);
  record->draws = readU32(bytes + 12);
  record->whiteRating = static_cast<int16_t>(readU16(bytes + 16));
  record->blackRating = static_cast<int16_t>(readU16(bytes + 18));
  record->sideToMove = readU16(bytes + 20);
}

void encodeBookIndexEntry(uint32_t key, int32_t record, uint8_t* bytes) {
  writeU32(bytes + 0, key);
  writeU32(bytes + 4, static_cast<uint32_t>(record));
}

// Reads `size` bytes at `offset`; 0 when the offset cannot be reached or the file is too short.
static int readBytesAt(FILE* file, int64_t offset, uint8_t* bytes, int size) {
  if (offset < 0 || offset > LONG_MAX - size) return 0;
  if (std::fseek(file, static_cast<long>(offset), SEEK_SET) != 0) return 0;
  return std::fread(bytes, 1, size, file) == static_cast<size_t>(size);
}

// ---- Start-up and shutdown --------------------------------------------------------------------------

void initRatingDiff() {
  for (int p = EVEN_SCORE; p < RATING_TABLE_SIZE; p++) {
    Book.ratingDiff[p] = UPPER_RATING_DIFF[p - EVEN_SCORE];
    Book.ratingDiff[RATING_TABLE_SIZE - 1 - p] = static_cast<int16_t>(-UPPER_RATING_DIFF[p - EVEN_SCORE]);
  }
}

static int64_t fileLength(FILE* file) {
  if (std::fseek(file, 0, SEEK_END) != 0) return 0;
  long length = std::ftell(file);
  return length < 0 ? 0 : length;
}

// Both files are opened whatever the BOOK setting says; a missing one switches the book off.
void openBookFiles() {
  Book.bookDataFile = std::fopen(BOOK_DATA_FILE_NAME, "rb");
  Book.bookIndexFile = std::fopen(BOOK_INDEX_FILE_NAME, "rb");
  Book.bookIndexCount = 0;
  if (Book.bookDataFile == nullptr || Book.bookIndexFile == nullptr) setBookEnabled(false);
  if (!EngineSettings.bookEnabled) return;
  // A trailing partial entry of a truncated index is left out.
  int64_t entries = fileLength(Book.bookIndexFile) / BOOK_INDEX_ENTRY_SIZE;
  Book.bookIndexCount = entries > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(entries);
}

void closeBookFiles() {
  if (Book.bookDataFile != nullptr) std::fclose(Book.bookDataFile);
  if (Book.bookIndexFile != nullptr) std::fclose(Book.bookIndexFile);
  Book.bookDataFile = nullptr;
  Book.bookIndexFile = nullptr;
  Book.bookIndexCount = 0;
}

void clearBookCandidates() {
  std::memset(Book.bookCandidate, 0, sizeof(Book.bookCandidate));
  Book.candidateCount = 0;
}

void keepBookCandidate(int searchDelta) {
  assert(Book.candidateCount < MAX_BOOK_CANDIDATES);
  Book.bookCandidate[Book.candidateCount].searchDelta = static_cast<int16_t>(searchDelta);
  Book.candidateCount += 1;
}

// ---- Probe ------------------------------------------------------------------------------------------

// Binary search of the index for `key`; 1 with the entry's record number, 0 when absent or
// unreadable. The loop always narrows [lo, hi], so an unsorted index ends in a miss, never a hang.
static int findIndexEntry(uint32_t key, int32_t* record) {
  int64_t lo = 0;
  int64_t hi = static_cast<int64_t>(Book.bookIndexCount) - 1;
  while (lo <= hi) {
    int64_t mid = (lo + hi) / 2;
    uint8_t entry[BOOK_INDEX_ENTRY_SIZE];
    if (!readBytesAt(Book.bookIndexFile, mid * BOOK_INDEX_ENTRY_SIZE, entry, BOOK_INDEX_ENTRY_SIZE))
      return 0;
    uint32_t entryKey = readU32(entry);
    if (entryKey < key) {
      lo = mid + 1;
    } else if (entryKey > key) {
      hi = mid - 1;
    } else {
      *record = static_cast<int32_t>(readU32(entry + 4));
      return 1;
    }
  }
  return 0;
}

// Percentage score 0..100 of a side with `wins` and `draws` out of `total` games.
static int percentageScore(uint64_t wins, uint64_t draws, uint64_t total) {
  return static_cast<int>((draws + 2 * wins) * 50 / total);
}

int probeBook(int from, int to, int slot, int rootSide) {
  if (slot < 0 || slot >= MAX_BOOK_CANDIDATES || (rootSide != WHITE && rootSide != BLACK)) return 0;
  if (Book.bookIndexFile == nullptr || Book.bookDataFile == nullptr) return 0;
  // Step 1. Find the position's index entry.
  uint32_t lock = Board.hashLock;
  int32_t recordNumber;
  if (!findIndexEntry(lock, &recordNumber) || recordNumber < 0) return 0;
  // Step 2. The record must belong to this position with the opponent of the root side on move.
  uint8_t bytes[BOOK_RECORD_SIZE];
  if (!readBytesAt(Book.bookDataFile, static_cast<int64_t>(recordNumber) * BOOK_RECORD_SIZE, bytes,
                   BOOK_RECORD_SIZE))
    return 0;
  BookRecord record;
  decodeBookRecord(bytes, &record);
  if (record.key != lock || record.sideToMove != (rootSide ^ 1)) return 0;
  // Step 3. Games through the position (a sum that does not fit the counter is damage).
  uint64_t total = static_cast<uint64_t>(record.whiteWins) + record.blackWins + record.draws;
  if (total == 0 || total > UINT32_MAX) return 0;
  // Step 4. Statistics from the root side's view.
  BookCandidate& candidate = Book.bookCandidate[slot];
  candidate.moveCode = moveCodeOf(from, to);
  candidate.whiteWins = record.whiteWins;
  candidate.blackWins = record.blackWins;
  candidate.draws = record.draws;
  candidate.total = static_cast<uint32_t>(total);
  uint32_t wins = rootSide == WHITE ? record.whiteWins : record.blackWins;
  candidate.playersRating = rootSide == WHITE ? record.whiteRating : record.blackRating;
  candidate.opponentsRating = rootSide == WHITE ? record.blackRating : record.whiteRating;
  int p = percentageScore(wins, record.draws, total);
  candidate.performance = static_cast<int16_t>(candidate.opponentsRating + Book.ratingDiff[p]);
  candidate.chosen = 0;
  candidate.weight = 0;
  candidate.searchDelta = 0;
  return 1;
}

// ---- Choice -----------------------------------------------------------------------------------------

// Weight of one candidate among candidates with `gamesTotal` games and the average performance
// `average`. The weight before the adjustments lies in 0..200: a negative value (possible when an
// outperforming move is measured badly enough) is floored at 0.
static int weighCandidate(const BookCandidate& c, uint64_t gamesTotal, int64_t average) {
  if (c.total < gamesTotal / RARE_MOVE_DIVISOR) return 0;
  int d = c.searchDelta;
  int weight;
  if (d < REFUTED_ENGLISH_DELTA && c.moveCode == moveCodeOf(C2C4_FROM, C2C4_TO) &&
      SearchState.soundBookMove) {
    weight = 0;
  } else {
    int64_t w = (d < 0 ? d : 0) - average + WEIGHT_BASE + c.performance;
    if (c.performance > average && w > WEIGHT_CAP) w = WEIGHT_CAP;
    if (w < 0) w = 0;
    weight = static_cast<int>(w * c.total / gamesTotal);
  }
  if (d < DUBIOUS_DELTA && SearchState.soundBookMove) {
    weight /= 2;
  } else if (d > GOOD_DELTA && d <= VERY_GOOD_DELTA && weight < GOOD_BONUS_LIMIT) {
    weight += GOOD_BONUS;
  } else if (d > VERY_GOOD_DELTA && weight < VERY_GOOD_BONUS_LIMIT) {
    weight += VERY_GOOD_BONUS;
  }
  return weight;
}

// Exchange sort, largest first; `byChosen` sorts by the chosen mark, else by weight.
static void sortCandidates(int byChosen) {
  BookCandidate* c = Book.bookCandidate;
  for (int i = 0; i < Book.candidateCount; i++) {
    for (int j = i + 1; j < Book.candidateCount; j++) {
      int less = byChosen ? c[i].chosen < c[j].chosen : c[i].weight < c[j].weight;
      if (less) {
        BookCandidate swap = c[i];
        c[i] = c[j];
        c[j] = swap;
      }
    }
  }
}

// The "bk" text for the first candidate.
static void printBookInfo(uint64_t gamesTotal) {
  const BookCandidate& c = Book.bookCandidate[0];
  int rootSide = EvalContext.rootSide;
  uint32_t wins = rootSide == WHITE ? c.whiteWins : c.blackWins;
  uint32_t losses = rootSide == WHITE ? c.blackWins : c.whiteWins;
  formatMove(moveCodeFrom(c.moveCode), moveCodeTo(c.moveCode), 0);
  sendLine(
      "\tThis position was found in %5d games.\n"
      "\tSuggested move ( %s ) was played in %5d games by players\n"
      "\twith an average rating of %4d ELO (opponents: %4d ELO).\n"
      "\t%s scores %4d+ %4d= %4d- (= %2d%%, performance %4d ELO).\n"
      "\tVostrel would play the move with a probability of %2d%%.\n\n",
      static_cast<int>(gamesTotal), Notation.coordText, static_cast<int>(c.total), c.playersRating,
      c.opponentsRating, rootSide == WHITE ? "White" : "Black", static_cast<int>(wins),
      static_cast<int>(c.draws), static_cast<int>(losses), percentageScore(wins, c.draws, c.total),
      c.performance, c.weight);
}

int chooseBookMove(int showInfo) {
  assert(Book.candidateCount <= MAX_BOOK_CANDIDATES);
  if (Book.candidateCount > MAX_BOOK_CANDIDATES) Book.candidateCount = MAX_BOOK_CANDIDATES;
  int n = Book.candidateCount;
  if (n <= 0) return -1;
  BookCandidate* c = Book.bookCandidate;
  // Step 1. A fresh seed from the calendar time.
  std::srand(static_cast<unsigned>(calendarSeconds()));
  // Step 2. Games of all candidates and their average performance, weighted by games.
  uint64_t gamesTotal = 0;
  int64_t performanceSum = 0;
  for (int i = 0; i < n; i++) {
    gamesTotal += c[i].total;
    performanceSum += static_cast<int64_t>(c[i].performance) * c[i].total;
  }
  if (gamesTotal == 0) gamesTotal = 1;
  int64_t average = performanceSum / static_cast<int64_t>(gamesTotal);
  // Step 3. Weights.
  int weightSum = 0;
  for (int i = 0; i < n; i++) {
    c[i].weight = static_cast<int16_t>(weighCandidate(c[i], gamesTotal, average));
    weightSum += c[i].weight;
  }
  // Step 4. Heaviest first.
  sortCandidates(0);
  // Step 5. The draw: the first candidate whose running weight reaches r.
  if (weightSum < 1) weightSum = 1;
  int16_t r = static_cast<int16_t>(std::rand() % weightSum + 1);
  int runningSum = 0;
  for (int i = 0; i < n; i++) {
    runningSum += c[i].weight;
    if (runningSum >= r) {
      c[i].chosen = 1;
      break;
    }
  }
  // Step 6. "bk" only shows the statistics of the heaviest candidate.
  if (showInfo) {
    printBookInfo(gamesTotal);
    return 0;
  }
  // Step 7. The chosen candidate to the front (none chosen: the heaviest stays first).
  sortCandidates(1);
  return 0;
}
