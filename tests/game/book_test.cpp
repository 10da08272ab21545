// The opening book: probing the files (and surviving damaged ones) and the weighted choice.
#include "game/book.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "board/board.h"
#include "board/types.h"
#include "config/settings.h"
#include "search/searchstate.h"
#include "support/book_files.h"
#include "support/io_fixtures.h"

namespace {

struct TestPosition {
  uint32_t lock;
  uint32_t whiteWins, blackWins, draws;
  int16_t whiteRating, blackRating;
  uint16_t sideToMove;
};

void writeIndex(const std::vector<std::pair<uint32_t, int32_t>>& entries) {
  std::vector<uint8_t> bytes(entries.size() * BOOK_INDEX_ENTRY_SIZE);
  for (size_t i = 0; i < entries.size(); i++)
    encodeBookIndexEntry(entries[i].first, entries[i].second, &bytes[i * BOOK_INDEX_ENTRY_SIZE]);
  writeFileBytes(BOOK_INDEX_FILE_NAME, bytes);
}

void writeData(const std::vector<TestPosition>& positions) {
  std::vector<uint8_t> bytes(positions.size() * BOOK_RECORD_SIZE);
  for (size_t i = 0; i < positions.size(); i++) {
    const TestPosition& p = positions[i];
    BookRecord record = {p.lock, p.whiteWins, p.blackWins, p.draws, p.whiteRating, p.blackRating, p.sideToMove};
    encodeBookRecord(record, &bytes[i * BOOK_RECORD_SIZE]);
  }
  writeFileBytes(BOOK_DATA_FILE_NAME, bytes);
}

// A well-formed book: the index sorted by lock, record i for the i-th position after sorting.
void writeBook(std::vector<TestPosition> positions) {
  std::sort(positions.begin(), positions.end(), [](auto& a, auto& b) { return a.lock < b.lock; });
  std::vector<std::pair<uint32_t, int32_t>> index;
  for (size_t i = 0; i < positions.size(); i++) index.push_back({positions[i].lock, static_cast<int32_t>(i)});
  writeIndex(index);
  writeData(positions);
}

class BookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    initRatingDiff();
    EngineSettings.bookEnabled = 1;
    SearchState.soundBookMove = 0;
    EvalContext.rootSide = WHITE;
    clearBookCandidates();
  }
  void TearDown() override { closeBookFiles(); }

  // Probes the position with `lock` as if the root move from-to led there; a hit is counted.
  int probe(uint32_t lock, int from, int to, int rootSide = WHITE) {
    Board.hashLock = lock;
    int found = probeBook(from, to, Book.candidateCount, rootSide);
    Book.candidateCount += found;
    return found;
  }

  // Adds a candidate directly: `total` games all drawn, both ratings `rating`, measured `delta`.
  void addCandidate(int from, int to, uint32_t total, int16_t rating, int delta) {
    BookCandidate& c = Book.bookCandidate[Book.candidateCount++];
    c = BookCandidate{};
    c.moveCode = moveCodeOf(from, to);
    c.draws = c.total = total;
    c.playersRating = c.opponentsRating = c.performance = rating;
    c.searchDelta = static_cast<int16_t>(delta);
  }

  const BookCandidate* candidateFor(int from, int to) {
    for (int i = 0; i < Book.candidateCount; i++)
      if (Book.bookCandidate[i].moveCode == moveCodeOf(from, to)) return &Book.bookCandidate[i];
    return nullptr;
  }

  ScratchDirectory folder;
};

TEST_F(BookTest, OpeningNeedsBothFiles) {
  openBookFiles();
  EXPECT_EQ(EngineSettings.bookEnabled, 0);
  closeBookFiles();

  EngineSettings.bookEnabled = 1;
  writeData({});
  openBookFiles();
  EXPECT_EQ(EngineSettings.bookEnabled, 0) << "index missing";
  closeBookFiles();

  EngineSettings.bookEnabled = 1;
  writeBook({{0x100, 1, 0, 0, 2000, 2000, BLACK}, {0x200, 1, 0, 0, 2000, 2000, BLACK}});
  openBookFiles();
  EXPECT_EQ(EngineSettings.bookEnabled, 1);
  EXPECT_EQ(Book.bookIndexCount, 2u);
}

TEST_F(BookTest, ProbeFillsCandidateFromTheRootSidesView) {
  writeBook({{0x5000, 6, 2, 2, 2400, 2300, BLACK}, {0x6000, 6, 2, 2, 2400, 2300, WHITE},
             {0x1000, 1, 1, 1, 1, 1, BLACK}});
  openBookFiles();

  ASSERT_EQ(probe(0x5000, E2, E4, WHITE), 1);
  const BookCandidate& white = Book.bookCandidate[0];
  EXPECT_EQ(white.moveCode, moveCodeOf(E2, E4));
  EXPECT_EQ(white.total, 10u);
  EXPECT_EQ(white.playersRating, 2400);
  EXPECT_EQ(white.opponentsRating, 2300);
  EXPECT_EQ(white.performance, 2300 + 149);  // (2 + 2 * 6) * 50 / 10 = 70 %
  EXPECT_EQ(Book.candidateCount, 1);

  ASSERT_EQ(probe(0x6000, E7, E5, BLACK), 1);
  const BookCandidate& black = Book.bookCandidate[1];
  EXPECT_EQ(black.playersRating, 2300);
  EXPECT_EQ(black.opponentsRating, 2400);
  EXPECT_EQ(black.performance, 2400 - 149);  // (2 + 2 * 2) * 50 / 10 = 30 %
  EXPECT_EQ(Book.candidateCount, 2);
}

TEST_F(BookTest, ProbeMisses) {
  writeIndex({{0x100, -1}, {0x200, 0}, {0x300, 1}, {0x400, 2}, {0x500, 3}});
  writeData({{0x200, 3, 1, 1, 2000, 2000, WHITE},    // the wrong side to move for a White root
             {0x999, 3, 1, 1, 2000, 2000, BLACK},    // the record of another position
             {0x400, 0, 0, 0, 2000, 2000, BLACK},    // no games
             {0x500, 3, 1, 1, 2000, 2000, BLACK}});  // the one good record
  openBookFiles();
  EXPECT_EQ(probe(0x100, E2, E4), 0) << "record -1";
  EXPECT_EQ(probe(0x200, E2, E4), 0) << "wrong side to move";
  EXPECT_EQ(probe(0x300, E2, E4), 0) << "key mismatch";
  EXPECT_EQ(probe(0x400, E2, E4), 0) << "no games";
  EXPECT_EQ(probe(0x050, E2, E4), 0) << "below every key";
  EXPECT_EQ(probe(0x350, E2, E4), 0) << "between keys";
  EXPECT_EQ(probe(0x900, E2, E4), 0) << "above every key";
  EXPECT_EQ(Book.candidateCount, 0);
  EXPECT_EQ(probe(0x500, E2, E4), 1);
  Board.hashLock = 0x500;
  EXPECT_EQ(probeBook(E2, E4, MAX_BOOK_CANDIDATES, WHITE), 0) << "no room for another candidate";
}

TEST_F(BookTest, DamagedBooksAreMisses) {
  // Records past the end of the data file, a truncated record, a negative offset in disguise.
  writeIndex({{0x100, 5}, {0x200, 1}, {0x300, INT32_MAX}, {0x400, 0}});
  std::vector<uint8_t> data(BOOK_RECORD_SIZE + BOOK_RECORD_SIZE / 2);
  BookRecord good = {0x400, 1, 1, 1, 2000, 2000, BLACK};
  encodeBookRecord(good, data.data());
  writeFileBytes(BOOK_DATA_FILE_NAME, data);
  openBookFiles();
  EXPECT_EQ(probe(0x100, E2, E4), 0);
  EXPECT_EQ(probe(0x200, E2, E4), 0);
  EXPECT_EQ(probe(0x300, E2, E4), 0);
  EXPECT_EQ(probe(0x400, E2, E4), 1);
  closeBookFiles();

  // A truncated index: the partial last entry is not counted.
  std::vector<uint8_t> index = readFileBytes(BOOK_INDEX_FILE_NAME);
  index.resize(index.size() - 3);
  writeFileBytes(BOOK_INDEX_FILE_NAME, index);
  openBookFiles();
  EXPECT_EQ(Book.bookIndexCount, 3u);
  EXPECT_EQ(probe(0x400, E2, E4), 0);
  closeBookFiles();

  // An unsorted index: the search ends, whatever it finds is checked against the record.
  writeIndex({{0x900, 0}, {0x400, 0}, {0x100, 0}, {0x700, 0}, {0x050, 0}});
  openBookFiles();
  for (uint32_t lock : {0x900u, 0x400u, 0x100u, 0x700u, 0x050u, 0x12345u}) EXPECT_EQ(probe(lock, E2, E4), 0);
  closeBookFiles();

  // Empty files.
  writeIndex({});
  writeData({});
  openBookFiles();
  EXPECT_EQ(EngineSettings.bookEnabled, 1);
  EXPECT_EQ(probe(0x400, E2, E4), 0);
}

TEST_F(BookTest, RareMoveIsNeverChosen) {
  addCandidate(E2, E4, 1000, 2200, 0);
  addCandidate(D2, D4, 9, 2200, 0);  // fewer than 1 % of the 1009 games
  for (int round = 0; round < 3; round++) {
    for (int i = 0; i < Book.candidateCount; i++) Book.bookCandidate[i].chosen = 0;
    EXPECT_EQ(chooseBookMove(0), 0);
    EXPECT_EQ(Book.bookCandidate[0].moveCode, moveCodeOf(E2, E4));
    EXPECT_EQ(Book.bookCandidate[0].chosen, 1);
    EXPECT_EQ(Book.bookCandidate[0].weight, 100 * 1000 / 1009);
    EXPECT_EQ(Book.bookCandidate[1].weight, 0);
  }
}

TEST_F(BookTest, AllWeightsZeroPlaysTheFirstProbed) {
  addCandidate(G1, F3, 10, 2200, -150);
  addCandidate(E2, E4, 30, 2200, -150);
  addCandidate(D2, D4, 20, 2200, -150);
  EXPECT_EQ(chooseBookMove(0), 0);
  EXPECT_EQ(Book.bookCandidate[0].moveCode, moveCodeOf(G1, F3));
  for (int i = 0; i < 3; i++) {
    EXPECT_EQ(Book.bookCandidate[i].weight, 0);
    EXPECT_EQ(Book.bookCandidate[i].chosen, 0);
  }
}

TEST_F(BookTest, MeasuredDeltaAdjustsTheWeight) {
  // Two candidates of equal games and performance: the second (measured 0) weighs 50; the
  // first's weight before the adjustments is (min(delta, 0) + 100) / 2.
  struct Case {
    int from, to, delta, sound, weight;
  } cases[] = {
      {E2, E4, 0, 0, 50},    {E2, E4, 30, 0, 60},   {E2, E4, 50, 0, 70},  {E2, E4, -30, 0, 35},
      {E2, E4, -30, 1, 17},  {C2, C4, -60, 1, 0},   {C2, C4, -60, 0, 20}, {D2, D4, -60, 1, 10},
      {E2, E4, 40, 0, 60},   {E2, E4, 20, 0, 50},
  };
  for (const Case& k : cases) {
    clearBookCandidates();
    SearchState.soundBookMove = static_cast<int8_t>(k.sound);
    addCandidate(k.from, k.to, 40, 2200, k.delta);
    addCandidate(G1, F3, 40, 2200, 0);
    chooseBookMove(0);
    const BookCandidate* c = candidateFor(k.from, k.to);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->weight, k.weight) << "delta " << k.delta << " sound " << k.sound;
  }
}

TEST_F(BookTest, OutperformingMoveMeasuredBadlyIsFlooredAtZero) {
  addCandidate(E2, E4, 10, 2600, -500);  // performance above the average 2400, delta far below
  addCandidate(D2, D4, 10, 2200, 0);
  chooseBookMove(0);
  EXPECT_EQ(candidateFor(E2, E4)->weight, 0);
  EXPECT_EQ(candidateFor(D2, D4)->weight, 0);  // below the average: 100 - 200, floored as well

  clearBookCandidates();
  addCandidate(E2, E4, 10, 2900, 0);  // far above the average: capped at 200 before sharing
  addCandidate(D2, D4, 10, 2300, 0);
  chooseBookMove(0);
  EXPECT_EQ(candidateFor(E2, E4)->weight, 100);
}

TEST_F(BookTest, ChoiceLeavesTheChosenCandidateFirst) {
  for (int round = 0; round < 5; round++) {
    clearBookCandidates();
    addCandidate(E2, E4, 50, 2200, 0);
    addCandidate(D2, D4, 50, 2200, 30);
    addCandidate(C2, C4, 50, 2200, 0);
    EXPECT_EQ(chooseBookMove(0), 0);
    int chosen = 0;
    for (int i = 0; i < Book.candidateCount; i++) chosen += Book.bookCandidate[i].chosen;
    EXPECT_EQ(chosen, 1);
    EXPECT_EQ(Book.bookCandidate[0].chosen, 1);
  }
}

TEST_F(BookTest, BookInfoWithoutCandidatesPrintsNothing) {
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(chooseBookMove(1), -1);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
}

}  // namespace
