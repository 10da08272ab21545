// The opening book "VSbook.ind" / "VSbook.dat".
#pragma once
#include <cstdint>
#include <cstdio>

constexpr int MAX_BOOK_CANDIDATES = 64;

struct BookCandidate {
  uint16_t moveCode;
  uint32_t whiteWins, blackWins, draws, total;
  int16_t playersRating;
  int16_t opponentsRating;
  int16_t chosen;
  int16_t searchDelta;
  int16_t performance;
  int16_t weight;
};

struct BookData {
  FILE* bookIndexFile;
  FILE* bookDataFile;
  uint32_t bookIndexCount;
  BookCandidate bookCandidate[MAX_BOOK_CANDIDATES];
  int candidateCount;
  int16_t ratingDiff[101];
};
extern BookData Book;

void initRatingDiff();
// Opens both files; clears EngineSettings.bookEnabled when either is missing.
void openBookFiles();
void closeBookFiles();
int probeBook(int from, int to, int slot, int rootSide);
// Chooses among the candidates (or, with `showInfo`, prints the "bk" text); returns the index
// of the chosen candidate (the first after sorting).
int chooseBookMove(int showInfo);
