// The bench: openings, middlegames, tactical positions and endgames searched at a fixed depth.
// The node total changes only when the search or the evaluation changes.
#include "tools/bench.h"

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board/board.h"
#include "board/makemove.h"
#include "board/setup.h"
#include "board/tables.h"
#include "config/logfile.h"
#include "config/settings.h"
#include "eval/pawnhash.h"
#include "eval/scoretable.h"
#include "game/protocolstate.h"
#include "game/think.h"
#include "game/timecontrol.h"
#include "platform/clock.h"
#include "platform/quietio.h"
#include "search/hashtable.h"
#include "search/searchstate.h"
#include "shell/startup.h"
#include "tools/quietrun.h"

namespace {

constexpr int MIN_DEPTH = 1;
constexpr int MAX_DEPTH = 40;
constexpr int EXIT_OK = 0;
constexpr int EXIT_SETUP_FAILED = 1;
constexpr int EXIT_BAD_ARGUMENT = 2;
constexpr uint64_t MILLISECONDS_PER_SECOND = 1000;
constexpr int MOVE_TEXT_SIZE = 6;

// FEN texts: openings, middlegames, tactical shots, endgames.
constexpr const char* benchPositions[] = {
    // Openings.
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "rnbqkb1r/1p2pppp/p2p1n2/8/3NP3/2N5/PPP2PPP/R1BQKB1R w KQkq - 0 6",
    "r1bqkbnr/1ppp1ppp/p1n5/1B2p3/4P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 0 4",
    "rnbqkb1r/ppp2ppp/4pn2/3p4/2PP4/2N5/PP2PPPP/R1BQKBNR w KQkq - 2 4",
    "r1bqkbnr/pppp1ppp/2n5/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R b KQkq - 3 3",
    "rnbq1rk1/ppp1ppbp/3p1np1/8/2PPP3/2N2N2/PP3PPP/R1BQKB1R w KQ - 2 6",
    // Middlegames.
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
    "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
    "r1q3rk/1ppbb1p1/4Np1p/p3pP2/P3P3/2N4R/1PP1Q1PP/3R2K1 w - - 0 1",
    "r1b1k2r/1pp1q2p/p1n3p1/3QPp2/8/1BP3B1/P5PP/3R1RK1 w kq - 0 1",
    "r3k2r/2p2p2/p2p1n2/1p2p3/4P2p/1PPPPp1q/1P5P/R1N2QRK b kq - 0 1",
    "r3rnk1/1pq2bb1/p4p2/3p1Pp1/3B2P1/1NP4R/P1PQB3/2K4R w - - 0 1",
    // Tactical shots.
    "2rr3k/pp3pp1/1nnqbN1p/3pN3/2pP4/2P3Q1/PPB4P/R4RK1 w - - 0 1",
    "5rk1/pp4p1/2n1p2p/2Npq3/2p5/6P1/P3P1BP/R4Q1K w - - 0 1",
    "3R1rk1/8/5Qpp/2p5/2P1p1q1/P3P3/1P2PK2/8 b - - 0 1",
    "2r5/2rk2pp/1pn1pb2/pN1p4/P2P4/1N2B3/nPR1KPPP/3R4 b - - 0 1",
    "2b3k1/4rrpp/p2p4/2pP2RQ/1pP1Pp1N/1P3P1P/1q6/6RK w - - 0 1",
    "6k1/5p2/p5np/4B3/3P4/1PP1q3/P3r1QP/6RK w - - 0 1",
    "5rk1/p4ppp/2p1b3/3Nq3/4P1n1/1p1B2QP/1PPr2P1/1K2R2R w - - 0 1",
    "2rq1rk1/pp3ppp/2n2b2/4NR2/3P4/PB5Q/1P4PP/3R2K1 w - - 0 1",
    // Endgames.
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "8/3k4/3p4/8/3P4/3K4/8/8 w - - 0 1",
    "8/k7/3p4/p2P1p2/P2P1P2/8/8/K7 w - - 0 1",
    "1K1k4/1P6/8/8/8/8/r7/2R5 w - - 0 1",
    "4k3/8/8/8/8/8/8/R3K3 w Q - 0 1",
    "6KQ/8/8/8/8/8/8/7k b - - 0 1",
    "R6r/8/8/2K5/5k2/8/8/r6R w - - 0 1",
    "8/8/1B6/7b/7k/8/2B1b3/7K w - - 0 1",
    "n1n5/1Pk5/8/8/8/8/5Kp1/5N1N w - - 0 1",
    "8/8/8/1p5r/p1p1k1pN/P2pBpP1/1P1K1P2/8 b - - 0 1",
    "k7/8/7p/8/8/6P1/8/K7 w - - 0 1",
    "2r3k1/5p1p/p3q1p1/2n3P1/1p1QP2P/1P4N1/PK6/2R5 b - - 0 1",
};
constexpr int BENCH_POSITION_COUNT = sizeof benchPositions / sizeof benchPositions[0];

// One position from a new game and cleared tables; returns the nodes searched.
uint64_t benchPosition(int index, int depth) {
  setFixedDepthControl(depth);
  const QuietRunResult run = thinkQuietly(benchPositions[index]);
  char move[MOVE_TEXT_SIZE] = "none";
  if (run.moved) coordinateMoveText(run.moveCode, run.flags, move);
  std::printf("%2d  %-5s %6d %12" PRIu64 " nodes %7u ms  %s\n", index + 1, move, run.moved ? run.score : 0, run.nodes,
              static_cast<unsigned>(run.milliseconds), benchPositions[index]);
  return run.nodes;
}

}  // namespace

int runBenchCommand(int argc, char** argv) {
  int depth = BENCH_DEFAULT_DEPTH;
  if (argc >= 3) {
    char* end = nullptr;
    const long value = std::strtol(argv[2], &end, 10);
    if (end == argv[2] || *end != '\0' || value < MIN_DEPTH || value > MAX_DEPTH) {
      std::fprintf(stderr, "bench: depth must be %d..%d\n", MIN_DEPTH, MAX_DEPTH);
      return EXIT_BAD_ARGUMENT;
    }
    depth = static_cast<int>(value);
  }
  if (!setUpDiagnosticEngine()) {
    std::fprintf(stderr, "bench: the position tables could not be allocated\n");
    return EXIT_SETUP_FAILED;
  }
  uint64_t total = 0;
  const uint32_t start = tickCount();
  for (int i = 0; i < BENCH_POSITION_COUNT; ++i) total += benchPosition(i, depth);
  const uint64_t spent = tickCount() - start;
  const uint64_t rate = spent > 0 ? total * MILLISECONDS_PER_SECOND / spent : total;
  std::printf("Nodes: %" PRIu64 "\nTime: %" PRIu64 " ms\nNPS: %" PRIu64 "\n", total, spent, rate);
  freeDiagnosticEngine();
  return EXIT_OK;
}

int benchPositionCount() { return BENCH_POSITION_COUNT; }

const char* benchPositionFen(int index) { return benchPositions[index]; }
