// Large blocks: aligned allocation plus the system's huge-page advice where it has one.
#include "platform/largeblock.h"

#include <cstdlib>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace {

constexpr std::size_t HUGE_PAGE_BYTES = 2 * 1024 * 1024;

}  // namespace

void* allocateLargeBlock(std::size_t bytes) {
  if (bytes < HUGE_PAGE_BYTES) return std::malloc(bytes);
#if defined(_WIN32)
  // Windows' C runtime has no aligned block that free releases, and its large pages need a
  // privilege interfaces do not have: a plain block.
  return std::malloc(bytes);
#else
  // aligned_alloc wants a size that is a multiple of the alignment.
  const std::size_t rounded = (bytes + HUGE_PAGE_BYTES - 1) / HUGE_PAGE_BYTES * HUGE_PAGE_BYTES;
  void* block = std::aligned_alloc(HUGE_PAGE_BYTES, rounded);
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  // Only advice: without huge pages the block works the same.
  if (block != nullptr) madvise(block, rounded, MADV_HUGEPAGE);
#endif
  return block;
#endif
}
