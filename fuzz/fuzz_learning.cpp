// The learning file: any bytes as "VSVOSTRL.LRN", loaded into the hash tables, then records
// written for two positions (the replace-in-place and the append paths meet the damaged file),
// and the result loaded once more.
#include <cstddef>
#include <cstdint>

#include "board/board.h"
#include "config/settings.h"
#include "eval/evalcontext.h"
#include "fuzz_support.h"
#include "game/learning.h"
#include "search/hashtable.h"

namespace {
constexpr int HASH_MEGABYTES = 2;
constexpr int LEARN_DEPTH = 6;
constexpr int LEARN_SCORE = 25;
constexpr uint16_t LEARN_MOVE = 12 * 64 + 28;  // e2e4 as a move code
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vostrel_fuzz::enterScratchFolder();
  static const bool allocated = allocatePositionTables(HASH_MEGABYTES) == 0;
  if (!allocated) return 0;
  clearHashTables();
  vostrel_fuzz::writeFile(LEARNING_FILE_NAME, data, size);
  EngineSettings.learningEnabled = 1;
  openLearningFile();
  if (!EngineSettings.learningEnabled) return 0;
  for (const auto& moves : {std::vector<std::string>{}, std::vector<std::string>{"e2e4", "e7e5"}}) {
    vostrel_fuzz::setUpGame(moves);
    EvalContext.rootSide = Board.sideToMove;
    EvalContext.searchDepth = LEARN_DEPTH;
    writeLearning(LEARN_SCORE, LEARN_MOVE);
  }
  closeLearningFile();
  openLearningFile();
  closeLearningFile();
  return 0;
}
