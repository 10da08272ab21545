// Program entry: the diagnostic subcommands first, then the engine itself.
#include <cstring>

#include "shell/startup.h"
#include "tools/bench.h"
#include "tools/epd.h"
#include "tools/evalcost.h"
#include "tools/evaltrace.h"
#include "tools/makebook.h"
#include "tools/perft.h"

int main(int argc, char** argv) {
  if (argc >= 2) {
    if (std::strcmp(argv[1], "perft") == 0) return runPerftCommand(argc, argv);
    if (std::strcmp(argv[1], "eval") == 0) return runEvalCommand(argc, argv);
    if (std::strcmp(argv[1], "bench") == 0) return runBenchCommand(argc, argv);
    if (std::strcmp(argv[1], "makebook") == 0) return runMakebookCommand(argc, argv);
    if (std::strcmp(argv[1], "epd") == 0) return runEpdCommand(argc, argv);
    if (std::strcmp(argv[1], "evalcost") == 0) return runEvalCostCommand(argc, argv);
  }
  return engineMain(argc, argv);
}
