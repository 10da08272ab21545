// The evaluation cache's slot: hashKey mod scoreEntries, computed without a division, for every
// table size HASHSIZE can give and for sizes set directly (tests, tools, retries at half size).
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "search/tablesize.h"
#include "eval/scoretable.h"

namespace {

constexpr int LARGEST_HASHSIZE = 384;

TEST(ScoreSlot, EqualsTheRemainderForEveryTableSize) {
  std::vector<uint32_t> sizes = {1, 2, 3, 7, 64, 100000, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu};
  for (int megabytes = 0; megabytes <= LARGEST_HASHSIZE; ++megabytes) {
    sizes.push_back(scoreEntriesFor(megabytes));
    sizes.push_back(scoreEntriesFor(megabytes) / 2);
  }
  std::vector<uint32_t> keys = {0u, 1u, 2u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFEu, 0xFFFFFFFFu};
  std::mt19937 random(20261207);
  for (int i = 0; i < 200; ++i) keys.push_back(static_cast<uint32_t>(random()));
  const uint32_t savedEntries = ScoreTable.scoreEntries;
  for (uint32_t size : sizes) {
    if (size == 0) continue;
    ScoreTable.scoreEntries = size;
    for (uint32_t key : {size - 1, size, size + 1}) keys.push_back(key);
    for (uint32_t key : keys) ASSERT_EQ(scoreSlotOf(key), key % size) << "key " << key << " size " << size;
    keys.resize(keys.size() - 3);
  }
  ScoreTable.scoreEntries = savedEntries;
}

}  // namespace
