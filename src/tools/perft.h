// Perft: leaf count of the legal move tree, through the engine's own generation and legality tests.
#pragma once
#include <cstdint>

uint64_t perft(int side, int depth);

// `vostrel perft DEPTH [FEN]`; returns the process exit status.
int runPerftCommand(int argc, char** argv);
