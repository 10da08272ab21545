// The whole engine fed one input stream from memory: start-up, the command interpreter, edit
// mode, thinking, pondering and analysis with the words that arrive meanwhile, and the end of
// input (or "quit"), after which engineMain returns and the next stream starts a fresh run.
//
// The first byte of the input is the size of the pieces the stream is read in (0: as much as
// the engine asks for), so that lines also arrive cut at every place.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "platform/console.h"
#include "shell/input.h"
#include "shell/startup.h"
#include "tools/makebook.h"

namespace {

// ---- The stream ----

struct Stream {
  const uint8_t* bytes;
  size_t size;
  size_t position;
  size_t piece;  // 0: no limit
} stream;

unsigned streamWaiting() { return 1; }  // bytes, or the end: a read never blocks

int streamRead(char* buffer, int size) {
  size_t count = std::min(static_cast<size_t>(size), stream.size - stream.position);
  if (stream.piece != 0) count = std::min(count, stream.piece);
  std::memcpy(buffer, stream.bytes + stream.position, count);
  stream.position += count;
  return static_cast<int>(count);
}

const InputSource MEMORY_SOURCE = {streamWaiting, streamRead};

// ---- The working folder: a small hash, the book of the test games, no learning, no log ----

constexpr const char* INI_TEXT =
    "HASHSIZE [2 - 384 MB]=2\n"
    "SELECTIVITY [0..4]=1\n"
    "COMBINATION [ON or OFF]=OFF\n"
    "CHESS KNOWLEDGE [ON or OFF]=ON\n"
    "-----------------------------\n"
    "BOOK [ON or OFF]=ON\n"
    "LEARNING [ON or OFF]=OFF\n"
    "LOG-FILE [ON or OFF]=OFF\n";

void prepareFolder() {
  vostrel_fuzz::enterScratchFolder();
  // The engine rewrites a file it does not like; the default file follows the first lines.
  std::string ini = INI_TEXT;
  FILE* defaults = std::fopen(VOSTREL_SOURCE_DIR "/data/vostrel.ini", "rb");
  if (defaults != nullptr) {
    char line[256];
    int number = 0;
    while (std::fgets(line, sizeof line, defaults) != nullptr) {
      if (++number > 8) ini += line;
    }
    std::fclose(defaults);
  }
  vostrel_fuzz::writeFile("vostrel.ini", ini);
  MakebookReport report;
  buildBook({VOSTREL_TEST_DATA "/worldchamp1972.pgn", VOSTREL_TEST_DATA "/book_small.pgn"},
            MakebookOptions{DEFAULT_BOOK_MAX_PLY, 1}, &report);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool prepared = (prepareFolder(), true);
  (void)prepared;
  if (size == 0) return 0;
  stream = Stream{data + 1, size - 1, 0, data[0]};
  Input = InputData{};
  setInputSource(&MEMORY_SOURCE);
  char name[] = "vostrel";
  char* argv[] = {name, nullptr};
  engineMain(1, argv);
  setInputSource(nullptr);
  return 0;
}
