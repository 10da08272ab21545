// TEMPORARY STUBS (engineer "think"): the opening book and the learning file until their code
// lands. Weak, so that the real definitions replace them. No book move is ever found and
// nothing is learned.
#include <cstdint>

#include "game/book.h"
#include "game/learning.h"

__attribute__((weak)) BookData Book;
__attribute__((weak)) LearningData Learning;
__attribute__((weak)) void initRatingDiff() {}
__attribute__((weak)) void openBookFiles() {}
__attribute__((weak)) void closeBookFiles() {}
__attribute__((weak)) int probeBook(int, int, int, int) { return 0; }
__attribute__((weak)) int chooseBookMove(int) { return 0; }
__attribute__((weak)) void openLearningFile() {}
__attribute__((weak)) void loadLearning() {}
__attribute__((weak)) void writeLearning(int, uint16_t) {}
__attribute__((weak)) void closeLearningFile() {}
