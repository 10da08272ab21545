// The book builder on one PGN file: the PGN reader, the SAN parser and move finder, and the book
// writer for whatever games survive.
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "tools/makebook.h"

namespace {
constexpr const char* PGN_FILE = "games.pgn";
constexpr int MIN_GAMES = 1;  // every position read makes it into the book
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vostrel_fuzz::enterScratchFolder();
  vostrel_fuzz::writeFile(PGN_FILE, data, size);
  MakebookReport report;
  buildBook({PGN_FILE}, MakebookOptions{DEFAULT_BOOK_MAX_PLY, MIN_GAMES}, &report);
  return 0;
}
