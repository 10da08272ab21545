// Pawn structure of both colours, cached by pawnHashKey in 32768 entries.
#pragma once
#include <cstdint>

struct PawnHashEntry {
  int16_t scoreWhite;
  int16_t scoreBlack;
  uint8_t passers;
  uint32_t key;               // pawnHashKey; 0 = empty
  uint16_t fileInfoWhite[8];
  uint16_t fileInfoBlack[8];
  uint8_t shelters[4];        // kingSide W, queenSide W, kingSide B, queenSide B
};

constexpr uint32_t PAWN_HASH_ENTRIES = 32768;
constexpr uint32_t PAWN_HASH_MASK = 0x7FFF;

struct PawnTableData {
  PawnHashEntry entries[PAWN_HASH_ENTRIES];
};
extern PawnTableData PawnTable;

// Starts loading the entry of a pawn structure with this pawnHashKey (48 bytes: both of the cache
// lines it may touch).
void prefetchPawnEntry(uint32_t pawnKey);
// Empties every entry and resets the hit and fill statistics.
void clearPawnTable();
// Fills pawnStructureScore, pawnFileInfo, passerSides and the shelters of both colours, from the
// table on a hit. firstPawnFile/lastPawnFile are filled only when the entry is computed.
void evaluatePawnStructure();
// One colour's skeleton on a miss (its pawnFileInfo cleared beforehand); returns its score.
int16_t evaluatePawns(int colour);
