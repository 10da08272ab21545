#include "search/tablesize.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "eval/scoretable.h"
#include "search/hashtable.h"

namespace {

TEST(TableSize, EntriesByMegabytes) {
  struct Row { int first, last; uint32_t entries; };
  const Row rows[] = {{1, 1, 32768},      {2, 3, 65536},       {4, 6, 131072},
                      {7, 13, 262144},    {14, 27, 524288},    {28, 52, 1048576},
                      {53, 102, 2097152}, {103, 204, 4194304}, {205, 384, 8388608}};
  for (const Row& row : rows) {
    EXPECT_EQ(hashEntriesFor(row.first), row.entries) << row.first;
    EXPECT_EQ(hashEntriesFor(row.last), row.entries) << row.last;
  }
  EXPECT_EQ(scoreEntriesFor(16), 524288u);
  EXPECT_EQ(scoreEntriesFor(1), 32768u);
  EXPECT_EQ(scoreEntriesFor(13), 917504u);
  EXPECT_EQ(scoreEntriesFor(384), 25165824u);
  EXPECT_EQ(hashEntriesFor(0), 2u);
  EXPECT_EQ(scoreEntriesFor(-2), 1u);
}

// Allocation outcomes by call: the script first, then `rest` repeated.
std::vector<bool> Script;
std::vector<bool> Rest;
size_t Calls;

void* scriptedAllocation(std::size_t bytes) {
  const size_t call = Calls++;
  const bool succeeds = call < Script.size() ? Script[call] : Rest[(call - Script.size()) % Rest.size()];
  return succeeds ? std::malloc(bytes) : nullptr;
}

int allocateScripted(int megabytes, std::vector<bool> script, std::vector<bool> rest) {
  Script = std::move(script);
  Rest = std::move(rest);
  Calls = 0;
  setTableAllocator(scriptedAllocation);
  const int code = allocatePositionTables(megabytes);
  setTableAllocator(nullptr);
  return code;
}

bool nothingAllocated() {
  return HashTable.table[0] == nullptr && HashTable.table[1] == nullptr && ScoreTable.entries == nullptr;
}

TEST(TableSize, AllocatesTheConfiguredSizes) {
  ASSERT_EQ(allocatePositionTables(16), 0);
  EXPECT_EQ(HashTable.hashMask, 524287u);
  EXPECT_EQ(ScoreTable.scoreEntries, 524288u);
  EXPECT_NE(HashTable.table[1], nullptr);
  ASSERT_EQ(allocatePositionTables(0), 0);
  EXPECT_EQ(HashTable.hashMask, 1u);
  EXPECT_EQ(ScoreTable.scoreEntries, 1u);
  freePositionTables();
  EXPECT_TRUE(nothingAllocated());
}

TEST(TableSize, RetriesShrinkTheBudget) {
  // The score table gets a second try at half its entries.
  EXPECT_EQ(allocateScripted(16, {true, true, false}, {true}), 0);
  EXPECT_EQ(ScoreTable.scoreEntries, 262144u);
  // 16, 14 and 12 MB fail, at each of the three tables in turn; then 10 MB fits.
  EXPECT_EQ(allocateScripted(16, {false, true, false, true, true, false, false}, {true}), 0);
  EXPECT_EQ(HashTable.hashMask, 262143u);
  EXPECT_EQ(ScoreTable.scoreEntries, 524288u);
  // Down to 0 MB for an even budget (9 tries), to 1 MB for an odd one.
  EXPECT_EQ(allocateScripted(16, {}, {false}), 5);
  EXPECT_EQ(Calls, 9u);
  EXPECT_EQ(allocateScripted(3, {}, {false}), 5);
  EXPECT_EQ(Calls, 2u);
  EXPECT_EQ(allocateScripted(16, {}, {true, false}), 6);
  EXPECT_TRUE(nothingAllocated());
  EXPECT_EQ(allocateScripted(16, {}, {true, true, false, false}), 12);
  EXPECT_TRUE(nothingAllocated());
}

}  // namespace
