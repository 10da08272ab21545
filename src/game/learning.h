// The learning file "VSVOSTRL.LRN": a 16-byte header slot and 16-byte record slots, little-endian.
//
// Header (slot 0):
//   offset 0 u32  slots     slots in use including the header; 1 in a new file
//   offset 4 -    reserved  12 bytes, zero in a new file
// Record (slots 1 and up):
//   offset  0 u32   lock    hashLock of the position
//   offset  4 u32   key     hashKey of the position
//   offset  8 int16 score   score of the chosen move, side to move's view
//   offset 10 u8    bound   hash bound kind copied into the entry; 1 (exact) when written here
//   offset 11 int8  depth   searchDepth of the think's last iteration
//   offset 12 u8    side    side to move: 0 White, 1 Black
//   offset 13 u8    unused
//   offset 14 u16   move    moveCode of the chosen move
#pragma once
#include <cstdint>
#include <cstdio>

constexpr const char* LEARNING_FILE_NAME = "VSVOSTRL.LRN";
constexpr int LEARN_SLOT_SIZE = 16;
constexpr int32_t LEARN_WRAP_SLOTS = 16384;  // a header count above this restarts writing at slot 1

struct LearningData {
  FILE* learnFile;     // open for update for the whole run while learning is on, else null
  int32_t learnSlots;  // slot of the next new record
};
extern LearningData Learning;

// Opens (or creates) the file and loads it; learning is switched off when neither works.
void openLearningFile();
// Puts every readable record into the HashTable entry of its side; damaged records are skipped.
void loadLearning();
// Learns the root position on the board: `score` of the chosen `move`, at EvalContext.searchDepth,
// for EvalContext.rootSide. Replaces a shallower record of the same position in place.
void writeLearning(int score, uint16_t move);
void closeLearningFile();

// 1 when a searched move is worth a learning record: learning on, `phaseAtStart` (the game phase
// taken at the start of the think) <= 1, searchDepth >= 5, gameCount < 60, and the chosen move's
// `score` together with the pre-search's best `preSearchScore` (-9999 when there was none) or the
// engine's previous move score says the position is neither lost nor clearly won.
int learningConditionsHold(int score, int preSearchScore, int phaseAtStart);
