// The perft suite of tests/data/perft.epd: "FEN ;D1 n ;D2 n ...".
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct PerftCase {
  std::string fen;
  std::vector<uint64_t> counts;  // counts[d - 1] = leaf count at depth d
};

std::vector<PerftCase> loadPerftSuite();
