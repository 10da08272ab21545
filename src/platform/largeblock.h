// Memory blocks for the large position tables.
#pragma once
#include <cstddef>

// A block of `bytes` that std::free releases, or nullptr. On Linux a block of 2 MB or more
// starts on a 2 MB boundary and asks the system for huge pages: the tables are probed at random
// places, and huge pages spare most of the address translation misses. On Windows it is a plain
// block. Contents are undefined.
void* allocateLargeBlock(std::size_t bytes);
