// The selective alpha-beta search below the root and the quiescence search.
#pragma once
#include <cstdint>

// nullFlag: 0 normal, 1 after a null move, 2 after the null move of a threat test.
// cutFlag: 1 inside a multi-cut test.
int16_t search(int side, int depth, int alpha, int beta, int nullFlag, int cutFlag);
int16_t quiesce(int side, int qdepth, int alpha, int beta);

// The poll of a search node once nodes has passed nextPoll: reads input and the clock, then the
// time control's stop test (waiting input or spent time, from searchDepth 4 on). Returns 1 when
// the search must stop.
int pollForStop();

// The input and the clock belong to the layers above the search, so the stop poll is installed
// from there (the interface installs its poll when the program starts). Without one the search
// stops only when stopSearch is set.
using StopPoll = int (*)();
void installStopPoll(StopPoll poll);

// The draw score for `side`: drawScore for the root side, its negation for the other (both 0).
int drawScoreFor(int side);
