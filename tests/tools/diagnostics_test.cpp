// The diagnostic subcommands that search or evaluate positions from files (epd, evalcost) and the
// perft command's refusals.
#include <gtest/gtest.h>

#include <string>

#include "support/engine_process.h"

using namespace vostrel_test;

namespace {

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

int exitStatus(const std::vector<std::string>& args) {
  TempDir dir;
  return runEngine(dir, args, {}).exit.status;
}

TEST(Diagnostics, EpdSuiteCountsSolvedPositions) {
  TempDir dir;
  const std::string suite = std::string(VOSTREL_TEST_DATA) + "/wac3.epd";
  EngineRun run = runEngine(dir, {"epd", suite, "--depth", "3"}, {});
  ASSERT_EQ(run.exit.status, 0) << run.output;
  EXPECT_TRUE(contains(run.output, "WAC.001    solved g3g6")) << run.output;
  EXPECT_TRUE(contains(run.output, "Solved: ")) << run.output;
  EXPECT_TRUE(contains(run.output, " of 3\n")) << run.output;
}

TEST(Diagnostics, EpdAndEvalcostRefuseBadArguments) {
  EXPECT_EQ(exitStatus({"epd"}), 2);
  EXPECT_EQ(exitStatus({"epd", "x.epd", "--depth", "0"}), 2);
  EXPECT_EQ(exitStatus({"epd", "x.epd", "--speed", "3"}), 2);
  EXPECT_EQ(exitStatus({"epd", "/nonexistent/x.epd"}), 1);
  EXPECT_EQ(exitStatus({"evalcost", "0"}), 2);
}

// An explicit FEN that is empty or unreadable is refused; only a missing one means the initial
// position.
TEST(Diagnostics, PerftRefusesAnEmptyOrUnreadableFen) {
  EXPECT_EQ(exitStatus({"perft", "1", ""}), 2);
  EXPECT_EQ(exitStatus({"perft", "1", "", ""}), 2);
  EXPECT_EQ(exitStatus({"perft", "1", "8/8/8/8/8/8/8/8 w - - 0 1"}), 2);
  EXPECT_EQ(exitStatus({"perft", "x"}), 2);
  TempDir dir;
  EngineRun run = runEngine(dir, {"perft", "2"}, {});
  ASSERT_EQ(run.exit.status, 0);
  EXPECT_TRUE(contains(run.output, "Nodes: 400\n")) << run.output;
}

TEST(Diagnostics, EvalcostReportsEveryBenchPosition) {
  TempDir dir;
  EngineRun run = runEngine(dir, {"evalcost", "10"}, {});
  ASSERT_EQ(run.exit.status, 0);
  EXPECT_TRUE(contains(run.output, "\n34 ")) << run.output;
  EXPECT_TRUE(contains(run.output, "Median: ")) << run.output;
}

}  // namespace
