// Sizing and allocating the position tables: two hash tables of equal size (one per side to
// move) and the ScoreTable share the HASHSIZE budget. When memory runs short the budget shrinks
// by 2 MB at a time down to nothing. The tables are not cleared here: the caller clears them.
#include "search/tablesize.h"

#include <cstdlib>
#include <iterator>

#include "eval/scoretable.h"
#include "platform/largeblock.h"
#include "search/hashtable.h"

namespace {

// Budget.
constexpr uint32_t BYTES_PER_MEGABYTE = 1048576;
constexpr int RETRY_STEP_MEGABYTES = 2;
constexpr uint32_t HASH_TABLE_COUNT = 2;

// The smallest tables, for a budget of 0 (reached only by retries).
constexpr uint32_t TINY_HASH_MASK = 1;
constexpr uint32_t TINY_SCORE_ENTRIES = 1;

// Entries per hash table by megabytes: the first row whose limit is not below the budget.
struct HashSizeStep {
  int maxMegabytes;
  uint32_t entries;
};
constexpr HashSizeStep HASH_SIZE_STEPS[] = {
    {1, 32768},     {3, 65536},      {6, 131072},     {13, 262144},  {27, 524288},
    {52, 1048576},  {102, 2097152},  {204, 4194304},  {384, 8388608},
};

// Failure codes, one per table that could not be allocated even at the smallest size.
constexpr int FIRST_HASH_TABLE_FAILED = 5;
constexpr int SECOND_HASH_TABLE_FAILED = 6;
constexpr int SCORE_TABLE_FAILED = 12;

void* allocateDefault(std::size_t bytes) { return allocateLargeBlock(bytes); }

TableAllocator allocateBlock = allocateDefault;

void releaseHashTable(int side) {
  std::free(HashTable.table[side]);
  HashTable.table[side] = nullptr;
}

ScoreEntry* allocateScoreEntries(uint32_t count) {
  return static_cast<ScoreEntry*>(allocateBlock(sizeof(ScoreEntry) * count));
}

}  // namespace

void setHashEntryCount(uint32_t entries) { HashTable.hashMask = entries - 1; }

void setTableAllocator(TableAllocator allocator) {
  allocateBlock = allocator != nullptr ? allocator : allocateDefault;
}

uint32_t hashEntriesFor(int megabytes) {
  if (megabytes <= 0) return TINY_HASH_MASK + 1;
  for (const HashSizeStep& step : HASH_SIZE_STEPS) {
    if (megabytes <= step.maxMegabytes) return step.entries;
  }
  return HASH_SIZE_STEPS[std::size(HASH_SIZE_STEPS) - 1].entries;
}

// Computed in unsigned 32-bit arithmetic, as the sizes always were.
uint32_t scoreEntriesFor(int megabytes) {
  if (megabytes <= 0) return TINY_SCORE_ENTRIES;
  const uint32_t budget = static_cast<uint32_t>(megabytes) * BYTES_PER_MEGABYTE;
  const uint32_t hashBytes =
      static_cast<uint32_t>(HASH_TABLE_COUNT * sizeof(HashEntry)) * hashEntriesFor(megabytes);
  const uint32_t entries = (budget - hashBytes) / static_cast<uint32_t>(sizeof(ScoreEntry));
  return entries > 0 ? entries : 1;
}

namespace {

// One attempt at the sizes for n megabytes: 0 with all three tables allocated, otherwise the
// failure code with nothing left allocated.
int tryAllocation(int n) {
  // Step 1. The sizes for this budget.
  const uint32_t entries = hashEntriesFor(n);
  HashTable.hashMask = entries - 1;
  setScoreEntryCount(scoreEntriesFor(n));
  const std::size_t hashBytes = sizeof(HashEntry) * entries;

  // Step 2. The first hash table.
  HashTable.table[0] = static_cast<HashEntry*>(allocateBlock(hashBytes));
  if (HashTable.table[0] == nullptr) return FIRST_HASH_TABLE_FAILED;

  // Step 3. The second hash table.
  HashTable.table[1] = static_cast<HashEntry*>(allocateBlock(hashBytes));
  if (HashTable.table[1] == nullptr) {
    releaseHashTable(0);
    return SECOND_HASH_TABLE_FAILED;
  }
  // Step 4. The ScoreTable, with one second try at half the entries.
  uint32_t scoreCount = ScoreTable.scoreEntries;
  ScoreEntry* scoreEntries = allocateScoreEntries(scoreCount);
  if (scoreEntries == nullptr) {
    scoreCount = scoreCount > 1 ? scoreCount / 2 : 1;
    scoreEntries = allocateScoreEntries(scoreCount);
  }
  setScoreTableStorage(scoreEntries, scoreCount);
  if (scoreEntries == nullptr) {
    releaseHashTable(1);
    releaseHashTable(0);
    return SCORE_TABLE_FAILED;
  }
  return 0;
}

}  // namespace

// Tries the budget, then 2 MB less each time while the budget stays at 0 or above.
int allocatePositionTables(int megabytes) {
  freePositionTables();
  for (int n = megabytes;; n -= RETRY_STEP_MEGABYTES) {
    const int failure = tryAllocation(n);
    if (failure == 0 || n - RETRY_STEP_MEGABYTES < 0) return failure;
  }
}

void freePositionTables() {
  releaseHashTable(0);
  releaseHashTable(1);
  std::free(ScoreTable.entries);
  forgetScoreTableStorage();
}
