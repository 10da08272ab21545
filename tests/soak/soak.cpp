// The soak: many self-play games of the engine binary at a fast clock with a restless interface,
// every move checked by the referee. Seeded: game K of seed S is drawn from the same numbers in
// every run, so a failing game can be played again alone with --first K --games 1.
//
//   vostrel_soak [--games N] [--seed S] [--first K] [--base SECONDS] [--inc SECONDS] [--bonus-cs C] [--max-plies P]
//               [--trace 1]
//
// Prints one line per game and the totals; the exit status is 1 when any game had a fault or a
// flag fell.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <map>
#include <string>

#include "soak/soak_game.h"
#include "support/engine_process.h"

using namespace vostrel_soak;

namespace {

constexpr uint64_t GAME_SEED_STRIDE = 0x9E3779B97F4A7C15ULL;

struct Arguments {
  int games = 10;
  uint64_t seed = 1;
  int first = 0;
  SoakSettings settings;
};

bool readArguments(int argc, char** argv, Arguments& arguments) {
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string name = argv[i];
    const char* value = argv[i + 1];
    if (name == "--games") arguments.games = std::atoi(value);
    else if (name == "--seed") arguments.seed = std::strtoull(value, nullptr, 10);
    else if (name == "--first") arguments.first = std::atoi(value);
    else if (name == "--base") arguments.settings.baseSeconds = std::atoi(value);
    else if (name == "--inc") arguments.settings.incrementSeconds = std::atoi(value);
    else if (name == "--bonus-cs") arguments.settings.bonusCentiseconds = std::atoi(value);
    else if (name == "--max-plies") arguments.settings.maxPlies = std::atoi(value);
    else if (name == "--trace") arguments.settings.trace = std::atoi(value) != 0;
    else return false;
  }
  return argc % 2 == 1;
}

// The book of the test PGN files, built by the engine itself.
bool buildBook(const vostrel_test::TempDir& folder) {
  const std::string data = VOSTREL_TEST_DATA;
  const vostrel_test::EngineRun run = vostrel_test::runEngine(
      folder, {"makebook", "--min-games", "1", data + "/worldchamp1972.pgn", data + "/book_small.pgn"}, {}, 120.0);
  return run.exit.exited && run.exit.status == 0 && folder.exists("VSbook.ind") && folder.exists("VSbook.dat");
}

struct Totals {
  int games = 0;
  long moves = 0;
  int timeLosses = 0;
  std::map<Fault, int> faults;
  std::map<std::string, int> results;
  long restarts = 0, takebacks = 0, replays = 0, analyses = 0, moveNows = 0, hints = 0, bookQueries = 0,
       lateClocks = 0, ponderSwitches = 0, postSwitches = 0;

  void add(const SoakGameReport& game) {
    games += 1;
    moves += game.moves;
    timeLosses += game.timeLosses;
    if (game.fault != Fault::none) faults[game.fault] += 1;
    else results[game.result + " " + game.reason] += 1;
    restarts += game.restarts;
    takebacks += game.takebacks;
    replays += game.replays;
    analyses += game.analyses;
    moveNows += game.moveNows;
    hints += game.hints;
    bookQueries += game.bookQueries;
    lateClocks += game.lateClocks;
    ponderSwitches += game.ponderSwitches;
    postSwitches += game.postSwitches;
  }

  int faultCount(Fault fault) const {
    const auto found = faults.find(fault);
    return found == faults.end() ? 0 : found->second;
  }

  void print(double seconds) const {
    std::printf("games %d, moves %ld, illegal moves %d, crashes %d, hangs %d, time losses %d, sanitizer reports %d, "
                "protocol faults %d (%.0f s)\n",
                games, moves, faultCount(Fault::illegalMove), faultCount(Fault::crash), faultCount(Fault::hang),
                timeLosses, faultCount(Fault::sanitizer), faultCount(Fault::protocol), seconds);
    std::printf("behaviour: %ld restarts with new, %ld take-backs (%ld replayed), %ld analysis interludes, "
                "%ld move-now requests, %ld hints, %ld bk, %ld late clocks, %ld ponder switches, %ld post switches\n",
                restarts, takebacks, replays, analyses, moveNows, hints, bookQueries, lateClocks, ponderSwitches,
                postSwitches);
    for (const auto& [result, count] : results) std::printf("  %5d  %s\n", count, result.c_str());
    // The same counts in one line for adding up the logs of several soak runs.
    std::printf("TOTALS games=%d moves=%ld illegal=%d crashes=%d hangs=%d timelosses=%d sanitizer=%d protocol=%d\n",
                games, moves, faultCount(Fault::illegalMove), faultCount(Fault::crash), faultCount(Fault::hang),
                timeLosses, faultCount(Fault::sanitizer), faultCount(Fault::protocol));
    std::fflush(stdout);
  }
};

}  // namespace

int main(int argc, char** argv) {
  Arguments arguments;
  if (!readArguments(argc, argv, arguments)) {
    std::fprintf(stderr, "usage: vostrel_soak [--games N] [--seed S] [--first K] [--base S] [--inc S] [--bonus-cs C] [--max-plies P]\n");
    return 2;
  }
  // Step 1. The book and the openings.
  const vostrel_test::TempDir bookFolder;
  if (!buildBook(bookFolder)) {
    std::fprintf(stderr, "the book could not be built\n");
    return 2;
  }
  arguments.settings.bookFolder = bookFolder.path();
  const std::string data = VOSTREL_TEST_DATA;
  const auto openings = loadOpenings({data + "/worldchamp1972.pgn", data + "/book_small.pgn"});
  std::printf("soak: %d games from game %d, seed %llu, level 0 0:%02d %d and %d cs a move, %zu openings\n",
              arguments.games, arguments.first, static_cast<unsigned long long>(arguments.seed),
              arguments.settings.baseSeconds, arguments.settings.incrementSeconds,
              arguments.settings.bonusCentiseconds, openings.size());
  std::fflush(stdout);
  // Step 2. The games, each from its own seed.
  Totals totals;
  const auto start = std::chrono::steady_clock::now();
  for (int k = arguments.first; k < arguments.first + arguments.games; ++k) {
    std::mt19937_64 rng(arguments.seed * GAME_SEED_STRIDE + static_cast<uint64_t>(k));
    const SoakGameReport game = playSoakGame(arguments.settings, openings, rng);
    totals.add(game);
    std::printf("game %d: %d moves, %s %s, restarts %d, take-backs %d, analyses %d, ? %d%s%s%s\n", k, game.moves,
                game.result.c_str(), game.reason.c_str(), game.restarts, game.takebacks, game.analyses,
                game.moveNows, game.timeLosses == 0 ? "" : ("  flag fell:" + game.timeLossDetail).c_str(), game.fault == Fault::none ? "" : "  FAULT ",
                game.fault == Fault::none ? "" : (std::string(faultName(game.fault)) + ": " + game.detail).c_str());
    if (!game.timeLossContext.empty()) std::printf("  the dialogue before the first flag fell:\n%s", game.timeLossContext.c_str());
    std::fflush(stdout);
  }
  // Step 3. The totals.
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  totals.print(seconds);
  return totals.faults.empty() && totals.timeLosses == 0 ? 0 : 1;
}
