// The learning file "VSVOSTRL.LRN": 16-byte header and 16-byte records.
#pragma once
#include <cstdint>
#include <cstdio>

struct LearningData {
  FILE* learnFile;
  int32_t learnSlots;  // slot of the next new record
};
extern LearningData Learning;

void openLearningFile();
void loadLearning();
void writeLearning(int score, uint16_t move);
void closeLearningFile();
