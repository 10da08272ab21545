// The learning file: deep search results of the opening and early middlegame, remembered across
// games and loaded into the HashTable so that the next search finds them at once.
#include "game/learning.h"

#include <cstdlib>
#include <cstring>

#include "board/board.h"
#include "board/makemove.h"
#include "board/types.h"
#include "config/settings.h"
#include "eval/evalstate.h"
#include "game/littleendian.h"
#include "search/hashtable.h"
#include "search/searchstate.h"

LearningData Learning;

// ---- Write conditions ---------------------------------------------------------------------------

constexpr int LEARN_MAX_PHASE = PHASE_EARLY_MIDDLEGAME;  // opening and early middlegame only
constexpr int LEARN_MIN_DEPTH = 5;          // shallower searches (and book moves) are not learned
constexpr int LEARN_MAX_GAME_COUNT = 60;    // the first 59 moves of a game
constexpr int LOST_LIMIT = -150;            // at least one score must be above this
constexpr int WON_LIMIT = 200;              // ... and one below this, unless the scores differ
constexpr int SCORE_JUMP = 200;             // ... by more than this
constexpr int PREVIOUS_WON_LIMIT = 150;     // the same test against the engine's previous move
constexpr int PREVIOUS_MOVE_MIN_COUNT = 2;  // the previous move exists from the second move on

// ---- File access ------------------------------------------------------------------------------------

constexpr int HEADER_SLOT = 0;
constexpr int FIRST_RECORD_SLOT = 1;

struct LearnRecord {
  uint32_t lock;
  uint32_t key;
  int16_t score;
  uint8_t bound;
  int8_t depth;
  uint8_t side;
  uint16_t move;
};

static void encodeLearnRecord(const LearnRecord& record, uint8_t* bytes) {
  writeU32(bytes + 0, record.lock);
  writeU32(bytes + 4, record.key);
  writeU16(bytes + 8, static_cast<uint16_t>(record.score));
  bytes[10] = record.bound;
  bytes[11] = static_cast<uint8_t>(record.depth);
  bytes[12] = record.side;
  bytes[13] = 0;
  writeU16(bytes + 14, record.move);
}

static void decodeLearnRecord(const uint8_t* bytes, LearnRecord* record) {
  record->lock = readU32(bytes + 0);
  record->key = readU32(bytes + 4);
  record->score = static_cast<int16_t>(readU16(bytes + 8));
  record->bound = bytes[10];
  record->depth = static_cast<int8_t>(bytes[11]);
  record->side = bytes[12];
  record->move = readU16(bytes + 14);
}

// A record this engine could have written: a real position, a side, a bound kind and a search depth.
static int learnRecordIsSound(const LearnRecord& record) {
  int boundOk = record.bound == BOUND_EXACT || record.bound == BOUND_LOWER || record.bound == BOUND_UPPER;
  return record.lock != 0 && record.side <= BLACK && boundOk && record.depth > 0;
}

static int seekSlot(int64_t slot) {
  return std::fseek(Learning.learnFile, static_cast<long>(slot * LEARN_SLOT_SIZE), SEEK_SET) == 0;
}

static int readNextSlot(uint8_t* bytes) {
  return std::fread(bytes, 1, LEARN_SLOT_SIZE, Learning.learnFile) == static_cast<size_t>(LEARN_SLOT_SIZE);
}

// Writes one slot and flushes it, so that a crash afterwards cannot lose it.
static int writeSlot(int64_t slot, const uint8_t* bytes) {
  if (!seekSlot(slot)) return 0;
  if (std::fwrite(bytes, 1, LEARN_SLOT_SIZE, Learning.learnFile) != static_cast<size_t>(LEARN_SLOT_SIZE))
    return 0;
  return std::fflush(Learning.learnFile) == 0;
}

static int writeHeader(uint32_t slots) {
  uint8_t header[LEARN_SLOT_SIZE] = {};
  writeU32(header, slots);
  return writeSlot(HEADER_SLOT, header);
}

// Whole slots in the file; a trailing partial slot does not count.
static int64_t slotsInFile() {
  if (std::fseek(Learning.learnFile, 0, SEEK_END) != 0) return 0;
  long length = std::ftell(Learning.learnFile);
  return length < 0 ? 0 : length / LEARN_SLOT_SIZE;
}

// ---- Opening and loading ------------------------------------------------------------------------------

void openLearningFile() {
  Learning.learnSlots = FIRST_RECORD_SLOT;
  Learning.learnFile = std::fopen(LEARNING_FILE_NAME, "rb+");
  if (Learning.learnFile == nullptr) {
    Learning.learnFile = std::fopen(LEARNING_FILE_NAME, "wb+");
    if (Learning.learnFile == nullptr) {
      setLearningEnabled(false);
      return;
    }
    writeHeader(FIRST_RECORD_SLOT);
  } else if (slotsInFile() == 0) {
    // Not even a header: start the file afresh.
    writeHeader(FIRST_RECORD_SLOT);
  }
  loadLearning();
}

void closeLearningFile() {
  if (Learning.learnFile != nullptr) std::fclose(Learning.learnFile);
  Learning.learnFile = nullptr;
}

// A full file: new records overwrite it from slot 1 on, and the header count only grows.
static int fileHasWrapped(uint32_t headerSlots, int64_t fileSlots) {
  return headerSlots > static_cast<uint32_t>(LEARN_WRAP_SLOTS) && fileSlots > LEARN_WRAP_SLOTS;
}

// Where new records go: slot 1 in a full file, else the true end of the file, so that a header
// that disagrees with the length (a write cut off between record and header, damage) can neither
// make a record be overwritten nor leave a hole.
static int32_t nextFreeSlot(uint32_t headerSlots, int64_t fileSlots) {
  if (fileHasWrapped(headerSlots, fileSlots)) return FIRST_RECORD_SLOT;
  if (fileSlots < FIRST_RECORD_SLOT) return FIRST_RECORD_SLOT;
  return fileSlots > INT32_MAX ? INT32_MAX : static_cast<int32_t>(fileSlots);
}

void loadLearning() {
  if (Learning.learnFile == nullptr) return;
  // Step 1. The header.
  uint8_t bytes[LEARN_SLOT_SIZE];
  if (!seekSlot(HEADER_SLOT) || !readNextSlot(bytes)) return;
  // Step 2. The slot for the next new record.
  Learning.learnSlots = nextFreeSlot(readU32(bytes), slotsInFile());
  // Step 3. Every record up to the end of the file, without replacement tests.
  if (!seekSlot(FIRST_RECORD_SLOT)) return;
  while (readNextSlot(bytes)) {
    LearnRecord record;
    decodeLearnRecord(bytes, &record);
    if (!learnRecordIsSound(record)) continue;
    storeLearnedHash(record.side, record.key, record.lock, record.depth, record.score, record.bound, record.move);
  }
}

// ---- Writing ------------------------------------------------------------------------------------------

// Slot of the first record of the position with `lock` (its depth in `depth`), or 0 when none.
static int64_t findLearnedPosition(uint32_t lock, int* depth) {
  if (!seekSlot(FIRST_RECORD_SLOT)) return 0;
  uint8_t bytes[LEARN_SLOT_SIZE];
  for (int64_t slot = FIRST_RECORD_SLOT; readNextSlot(bytes); slot++) {
    LearnRecord record;
    decodeLearnRecord(bytes, &record);
    if (record.lock == lock) {
      *depth = record.depth;
      return slot;
    }
  }
  return 0;
}

// Counts the new slot in the header: once the file has wrapped the count just grows by one, before
// that it is the slot after the last record (which repairs a count that disagreed with the
// length). A header that cannot be read is left alone.
static void countNewSlot() {
  uint8_t header[LEARN_SLOT_SIZE];
  if (!seekSlot(HEADER_SLOT) || !readNextSlot(header)) return;
  uint32_t slots = readU32(header);
  writeU32(header, fileHasWrapped(slots, slotsInFile()) ? slots + 1 : static_cast<uint32_t>(Learning.learnSlots));
  writeSlot(HEADER_SLOT, header);
}

void writeLearning(int score, uint16_t move) {
  if (Learning.learnFile == nullptr) return;
  LearnRecord record = {Board.hashLock, Board.hashKey, static_cast<int16_t>(score), BOUND_EXACT,
                        EvalContext.searchDepth, static_cast<uint8_t>(EvalContext.rootSide), move};
  uint8_t bytes[LEARN_SLOT_SIZE];
  encodeLearnRecord(record, bytes);
  // Step 1. A known position is only replaced by a deeper search, in place.
  int oldDepth = 0;
  int64_t slot = findLearnedPosition(record.lock, &oldDepth);
  if (slot != 0) {
    if (oldDepth < record.depth) writeSlot(slot, bytes);
    return;
  }
  // Step 2. A new position: the record first, then the header, each flushed.
  if (!writeSlot(Learning.learnSlots, bytes)) return;
  Learning.learnSlots += 1;
  countNewSlot();
}

int learningConditionsHold(int score, int preSearchScore, int phaseAtStart) {
  if (!EngineSettings.learningEnabled || Learning.learnFile == nullptr) return 0;
  if (phaseAtStart > LEARN_MAX_PHASE || EvalContext.searchDepth < LEARN_MIN_DEPTH) return 0;
  if (Board.gameCount >= LEARN_MAX_GAME_COUNT) return 0;
  int s = score;
  int s0 = preSearchScore;
  if ((s0 > LOST_LIMIT || s > LOST_LIMIT) && (s0 < WON_LIMIT || s < WON_LIMIT || std::abs(s0 - s) > SCORE_JUMP))
    return 1;
  if (Board.gameCount < PREVIOUS_MOVE_MIN_COUNT) return 0;
  int h = GameHistory[Board.gameCount - 1].score;
  return (h > LOST_LIMIT || s > LOST_LIMIT) && (h < PREVIOUS_WON_LIMIT || s < PREVIOUS_WON_LIMIT);
}
