// The learning file: creation, appending, in-place replacement, loading into the hash tables,
// the wrap, damaged files and the write conditions.
#include "game/learning.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "board/board.h"
#include "board/makemove.h"
#include "board/types.h"
#include "config/settings.h"
#include "game/littleendian.h"
#include "search/hashtable.h"
#include "search/searchstate.h"
#include "support/book_files.h"
#include "support/io_fixtures.h"

namespace {

constexpr uint32_t TEST_MASK = 0xFF;

struct RawRecord {
  uint32_t lock, key;
  int16_t score;
  uint8_t bound;
  int8_t depth;
  uint8_t side;
  uint16_t move;
};

std::vector<uint8_t> headerBytes(uint32_t slots) {
  std::vector<uint8_t> bytes(LEARN_SLOT_SIZE, 0);
  writeU32(bytes.data(), slots);
  return bytes;
}

void appendRecord(std::vector<uint8_t>* bytes, const RawRecord& r) {
  size_t at = bytes->size();
  bytes->resize(at + LEARN_SLOT_SIZE, 0);
  uint8_t* slot = bytes->data() + at;
  writeU32(slot, r.lock);
  writeU32(slot + 4, r.key);
  writeU16(slot + 8, static_cast<uint16_t>(r.score));
  slot[10] = r.bound;
  slot[11] = static_cast<uint8_t>(r.depth);
  slot[12] = r.side;
  writeU16(slot + 14, r.move);
}

// A file whose header says `headerSlots`, holding `count` sound records with locks firstLock + 0, 1, ...
// and keys 1, 2, ...
std::vector<uint8_t> fileWithRecords(uint32_t headerSlots, uint32_t firstLock, int count) {
  std::vector<uint8_t> file = headerBytes(headerSlots);
  for (int i = 0; i < count; i++)
    appendRecord(&file, {firstLock + i, static_cast<uint32_t>(i + 1), 1, BOUND_EXACT, 6, WHITE, 1});
  return file;
}

RawRecord recordAt(const std::vector<uint8_t>& file, int slot) {
  const uint8_t* b = &file[slot * LEARN_SLOT_SIZE];
  return {readU32(b), readU32(b + 4), static_cast<int16_t>(readU16(b + 8)), b[10], static_cast<int8_t>(b[11]),
          b[12], readU16(b + 14)};
}

uint32_t headerCount() { return readU32(readFileBytes(LEARNING_FILE_NAME).data()); }

// After a write: the file holds `slots` whole slots, the header counts them, `lock` is at `slot`.
void expectFileAfterWrite(size_t slots, int slot, uint32_t lock) {
  std::vector<uint8_t> file = readFileBytes(LEARNING_FILE_NAME);
  ASSERT_EQ(file.size(), slots * LEARN_SLOT_SIZE);
  EXPECT_EQ(readU32(file.data()), slots);
  EXPECT_EQ(recordAt(file, slot).lock, lock);
}

class LearningTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HashTable.table[WHITE] = tables[WHITE];
    HashTable.table[BLACK] = tables[BLACK];
    HashTable.hashMask = TEST_MASK;
    for (auto& table : tables)
      for (HashEntry& e : table) e = HashEntry{0, 0, 0, 0, HASH_EMPTY_DEPTH, 1, 0};
    EngineSettings.learningEnabled = 1;
    Board.gameCount = 10;
  }
  void TearDown() override {
    closeLearningFile();
    HashTable.table[WHITE] = HashTable.table[BLACK] = nullptr;
  }

  // Learns `move` with `score` at `depth` for the position with the given keys.
  void learn(uint32_t lock, uint32_t key, int side, int depth, int score, uint16_t move) {
    Board.hashLock = lock;
    Board.hashKey = key;
    EvalContext.rootSide = static_cast<int8_t>(side);
    EvalContext.searchDepth = static_cast<int8_t>(depth);
    writeLearning(score, move);
  }

  HashEntry tables[2][TEST_MASK + 1];
  ScratchDirectory folder;
};

TEST_F(LearningTest, NewFileHoldsOnlyTheHeader) {
  openLearningFile();
  ASSERT_NE(Learning.learnFile, nullptr);
  EXPECT_EQ(Learning.learnSlots, 1);
  EXPECT_EQ(readFileBytes(LEARNING_FILE_NAME), headerBytes(1));
}

TEST_F(LearningTest, FileThatCannotBeCreatedSwitchesLearningOff) {
  std::filesystem::create_directory(LEARNING_FILE_NAME);
  openLearningFile();
  EXPECT_EQ(Learning.learnFile, nullptr);
  EXPECT_EQ(EngineSettings.learningEnabled, 0);
  writeLearning(10, moveCodeOf(E2, E4));  // harmless without a file
  loadLearning();
}

TEST_F(LearningTest, NewPositionsAreAppendedAndCounted) {
  openLearningFile();
  learn(0xAAAA0001, 0x12345678, BLACK, 7, -35, moveCodeOf(E7, E5));
  learn(0xAAAA0002, 0x00000002, WHITE, 6, 20, moveCodeOf(G1, F3));
  std::vector<uint8_t> file = readFileBytes(LEARNING_FILE_NAME);
  ASSERT_EQ(file.size(), 3u * LEARN_SLOT_SIZE);
  EXPECT_EQ(readU32(file.data()), 3u);
  EXPECT_EQ(Learning.learnSlots, 3);
  RawRecord first = recordAt(file, 1);
  EXPECT_EQ(first.lock, 0xAAAA0001u);
  EXPECT_EQ(first.key, 0x12345678u);
  EXPECT_EQ(first.score, -35);
  EXPECT_EQ(first.bound, BOUND_EXACT);
  EXPECT_EQ(first.depth, 7);
  EXPECT_EQ(first.side, BLACK);
  EXPECT_EQ(first.move, moveCodeOf(E7, E5));
  // Byte order: the lock's low byte comes first.
  EXPECT_EQ(file[16], 0x01);
  EXPECT_EQ(file[19], 0xAA);
}

TEST_F(LearningTest, OnlyADeeperSearchReplacesInPlace) {
  openLearningFile();
  learn(0x1111, 0x22, WHITE, 6, 15, moveCodeOf(E2, E4));
  learn(0x3333, 0x44, WHITE, 6, 15, moveCodeOf(D2, D4));
  learn(0x1111, 0x22, WHITE, 6, 99, moveCodeOf(C2, C4));  // equal depth: kept
  learn(0x1111, 0x22, WHITE, 5, 99, moveCodeOf(C2, C4));  // shallower: kept
  EXPECT_EQ(recordAt(readFileBytes(LEARNING_FILE_NAME), 1).move, moveCodeOf(E2, E4));
  // Deeper, and matched by the lock alone (another key, the other side).
  learn(0x1111, 0x99, BLACK, 8, -40, moveCodeOf(B8, C6));
  std::vector<uint8_t> file = readFileBytes(LEARNING_FILE_NAME);
  ASSERT_EQ(file.size(), 3u * LEARN_SLOT_SIZE);
  EXPECT_EQ(headerCount(), 3u);
  RawRecord replaced = recordAt(file, 1);
  EXPECT_EQ(replaced.key, 0x99u);
  EXPECT_EQ(replaced.depth, 8);
  EXPECT_EQ(replaced.side, BLACK);
  EXPECT_EQ(replaced.move, moveCodeOf(B8, C6));
  EXPECT_EQ(recordAt(file, 2).lock, 0x3333u);
}

TEST_F(LearningTest, LoadPutsTheLearnedMoveIntoItsSidesTable) {
  std::vector<uint8_t> file = headerBytes(3);
  appendRecord(&file, {0xBEEF, 0x1234, -25, BOUND_EXACT, 9, BLACK, moveCodeOf(G8, F6)});
  appendRecord(&file, {0xCAFE, 0x0101, 40, BOUND_LOWER, 7, WHITE, moveCodeOf(E2, E4)});
  writeFileBytes(LEARNING_FILE_NAME, file);
  tables[BLACK][0x34] = HashEntry{0x7777, moveCodeOf(A7, A6), 500, BOUND_UPPER | HASH_THREAT, 30, 200, 0};
  openLearningFile();
  EXPECT_EQ(Learning.learnSlots, 3);

  const HashEntry& black = tables[BLACK][0x1234 & TEST_MASK];
  EXPECT_EQ(black.lock, 0xBEEFu);
  EXPECT_EQ(black.move, moveCodeOf(G8, F6));
  EXPECT_EQ(black.score, -25);
  EXPECT_EQ(black.depth, 9);
  EXPECT_EQ(black.age, LEARNED_AGE);
  EXPECT_EQ(black.flags, BOUND_EXACT);
  EXPECT_EQ(tables[WHITE][0x34].lock, 0u) << "the other side's table is untouched";

  const HashEntry& white = tables[WHITE][0x01];
  EXPECT_EQ(white.lock, 0xCAFEu);
  EXPECT_EQ(white.move, moveCodeOf(E2, E4));
  EXPECT_EQ(white.flags, BOUND_LOWER);
}

TEST_F(LearningTest, DamagedRecordsAreSkipped) {
  std::vector<uint8_t> file = headerBytes(5);
  appendRecord(&file, {0x1001, 0x01, 10, BOUND_EXACT, 6, 2, moveCodeOf(E2, E4)});  // no such side
  appendRecord(&file, {0x1002, 0x02, 10, 9, 6, WHITE, moveCodeOf(E2, E4)});        // no such bound
  appendRecord(&file, {0, 0x03, 10, BOUND_EXACT, 6, WHITE, moveCodeOf(E2, E4)});   // an empty slot
  appendRecord(&file, {0x1004, 0x04, 10, BOUND_EXACT, 6, WHITE, moveCodeOf(E2, E4)});
  writeFileBytes(LEARNING_FILE_NAME, file);
  openLearningFile();
  EXPECT_EQ(tables[WHITE][0x02].lock, 0u);
  EXPECT_EQ(tables[BLACK][0x01].lock, 0u);
  EXPECT_EQ(tables[WHITE][0x03].depth, HASH_EMPTY_DEPTH);
  EXPECT_EQ(tables[WHITE][0x04].lock, 0x1004u);
}

TEST_F(LearningTest, HeaderDisagreeingWithTheLengthNeitherOverwritesNorLeavesHoles) {
  // A truncated file: the header claims 9 slots, two whole records and half of a third remain.
  std::vector<uint8_t> file = fileWithRecords(9, 0x2001, 2);
  file.resize(file.size() + LEARN_SLOT_SIZE / 2, 0x5A);
  writeFileBytes(LEARNING_FILE_NAME, file);
  openLearningFile();
  EXPECT_EQ(tables[WHITE][0x02].lock, 0x2002u);
  EXPECT_EQ(Learning.learnSlots, 3);
  learn(0x2003, 0x03, WHITE, 6, 5, 3);
  expectFileAfterWrite(4, 3, 0x2003);
  closeLearningFile();

  // A header lagging behind the records (a write cut off before the header was updated).
  writeFileBytes(LEARNING_FILE_NAME, fileWithRecords(2, 0x3001, 2));
  openLearningFile();
  learn(0x3003, 0x03, WHITE, 6, 5, 3);
  expectFileAfterWrite(4, 3, 0x3003);
  EXPECT_EQ(recordAt(readFileBytes(LEARNING_FILE_NAME), 2).lock, 0x3002u) << "not overwritten";
  closeLearningFile();

  // Shorter than a header: started afresh.
  writeFileBytes(LEARNING_FILE_NAME, {1, 2, 3});
  openLearningFile();
  EXPECT_EQ(readFileBytes(LEARNING_FILE_NAME), headerBytes(1));
}

TEST_F(LearningTest, FullFileWrapsToTheFirstRecord) {
  writeFileBytes(LEARNING_FILE_NAME, fileWithRecords(LEARN_WRAP_SLOTS + 1, 0x40001, LEARN_WRAP_SLOTS));
  openLearningFile();
  EXPECT_EQ(Learning.learnSlots, 1);
  learn(0x77, 0x77, WHITE, 6, 5, 3);
  std::vector<uint8_t> file = readFileBytes(LEARNING_FILE_NAME);
  EXPECT_EQ(file.size(), (LEARN_WRAP_SLOTS + 1u) * LEARN_SLOT_SIZE);
  EXPECT_EQ(recordAt(file, 1).lock, 0x77u);
  EXPECT_EQ(recordAt(file, 2).lock, 0x40002u);
  EXPECT_EQ(headerCount(), LEARN_WRAP_SLOTS + 2u);
  EXPECT_EQ(Learning.learnSlots, 2);
}

TEST_F(LearningTest, WriteConditions) {
  openLearningFile();
  EvalContext.searchDepth = 5;
  Board.gameCount = 10;
  GameHistory[9].score = 0;
  EXPECT_EQ(learningConditionsHold(30, 20, 1), 1);
  EXPECT_EQ(learningConditionsHold(30, 20, 2), 0) << "middlegame";
  Board.gameCount = 60;
  EXPECT_EQ(learningConditionsHold(30, 20, 0), 0) << "too late in the game";
  Board.gameCount = 10;
  EvalContext.searchDepth = 4;
  EXPECT_EQ(learningConditionsHold(30, 20, 0), 0) << "too shallow";
  EvalContext.searchDepth = 0;
  EXPECT_EQ(learningConditionsHold(30, 20, 0), 0) << "a book move";
  EvalContext.searchDepth = 5;

  // Lost by both scores: only the previous move's score can admit it.
  EXPECT_EQ(learningConditionsHold(-200, -9999, 0), 1);  // H = 0 admits it
  GameHistory[9].score = -300;
  EXPECT_EQ(learningConditionsHold(-200, -9999, 0), 0);
  Board.gameCount = 1;
  GameHistory[0].score = 0;
  EXPECT_EQ(learningConditionsHold(-200, -9999, 0), 0) << "no previous move yet";
  Board.gameCount = 10;

  // Won by both scores: admitted by a jump of more than 200 only.
  GameHistory[9].score = 300;
  EXPECT_EQ(learningConditionsHold(250, 300, 0), 0);
  EXPECT_EQ(learningConditionsHold(250, 451, 0), 1);
  EXPECT_EQ(learningConditionsHold(-50, 300, 0), 1);

  EngineSettings.learningEnabled = 0;
  EXPECT_EQ(learningConditionsHold(30, 20, 0), 0);
}

}  // namespace
