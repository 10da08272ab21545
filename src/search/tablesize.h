// Sizing of the two hash tables and the ScoreTable from the HASHSIZE megabytes.
// allocatePositionTables / freePositionTables are declared with the hash table (search/hashtable.h).
#pragma once
#include <cstddef>
#include <cstdint>

// Entries per hash table for a budget of `megabytes` (at least 1); 2 for a budget of 0 or less.
uint32_t hashEntriesFor(int megabytes);
// ScoreTable entries: what the budget leaves after both hash tables, at least 1.
uint32_t scoreEntriesFor(int megabytes);
// The entries per hash table asked for before the tables are allocated (the command line; a
// power of two); the allocation sets its own.
void setHashEntryCount(uint32_t entries);

// The allocation behind the position tables: allocateLargeBlock unless replaced. Tests replace it to make
// chosen sizes fail; the blocks must be releasable with std::free. nullptr restores the default.
using TableAllocator = void* (*)(std::size_t bytes);
void setTableAllocator(TableAllocator allocator);
