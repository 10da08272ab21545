#include "support/perft_suite.h"

#include <fstream>
#include <sstream>

std::vector<PerftCase> loadPerftSuite() {
  std::vector<PerftCase> cases;
  std::ifstream in(std::string(VOSTREL_TEST_DATA) + "/perft.epd");
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    std::stringstream fields(line);
    std::string part;
    PerftCase c;
    std::getline(fields, part, ';');
    while (!part.empty() && part.back() == ' ') part.pop_back();
    c.fen = part;
    while (std::getline(fields, part, ';')) {
      std::stringstream depthField(part);
      std::string label;
      uint64_t count = 0;
      depthField >> label >> count;
      c.counts.push_back(count);
    }
    cases.push_back(c);
  }
  return cases;
}
