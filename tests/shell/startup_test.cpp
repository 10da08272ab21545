// The engine binary's command-line forms, its end, and its signal handling.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>

#include "support/engine_process.h"

using namespace vostrel_test;

namespace {

// The texts of the command-line messages (0x81 u umlaut, 0x84 a umlaut).
const std::string HASH_ECHO_DEFAULT = "Eintr\x84ge Hashtabelle:  131072 (default:  131072)\n";
const std::string SCORE_ECHO_DEFAULT = "Eintr\x84ge Scoretabelle: 100000 (default:  100000)\n";
const std::string VALID_LIST =
    "\n G\x81ltige Werte: 16384, 32768, 65536, 131072, 262144, 524288,\n 1048576, 2097152, 4194304";

class CommandLineTest : public ::testing::Test {
 protected:
  void SetUp() override { writeIni(dir); }

  EngineRun run(const std::vector<std::string>& args, const std::vector<std::string>& input = {"quit"}) {
    return runEngine(dir, args, input);
  }

  TempDir dir;
};

void expectNormalEnd(const EngineRun& run) {
  EXPECT_TRUE(run.exit.exited) << "signal " << run.exit.signal;
  EXPECT_FALSE(run.exit.timedOut);
  EXPECT_EQ(run.exit.status, 0);
  EXPECT_EQ(run.errors, "");
}

void expectRefusal(const EngineRun& run, const std::string& output) {
  EXPECT_TRUE(run.exit.exited);
  EXPECT_EQ(run.exit.status, 1);
  EXPECT_EQ(run.output, output);
}

}  // namespace

TEST_F(CommandLineTest, NoArgumentsPrintsNothingAndWaitsForCommands) {
  const EngineRun r = run({});
  expectNormalEnd(r);
  EXPECT_EQ(r.output, "");
}

TEST_F(CommandLineTest, TwoValidSizesAreEchoedAndTheEngineRuns) {
  EngineRun r = run({"131072", "100000"});
  expectNormalEnd(r);
  EXPECT_EQ(r.output, HASH_ECHO_DEFAULT + SCORE_ECHO_DEFAULT);

  r = run({"4194304", "50000"});
  expectNormalEnd(r);
  EXPECT_EQ(r.output, "Eintr\x84ge Hashtabelle: 4194304 (default:  131072)\n"
                      "Eintr\x84ge Scoretabelle:  50000 (default:  100000)\n");
}

TEST_F(CommandLineTest, BadSizesEndWithStatusOne) {
  expectRefusal(run({"100000", "100000"}), "Ung\x81ltiger Wert ( 100000) f\x81r Hashtabelle!!\n" + VALID_LIST);
  expectRefusal(run({"8192", "100000"}), "Wert f\x81r Hashtabelle (   8192) ist zu klein!!\n");
  expectRefusal(run({"131072", "49999"}),
                HASH_ECHO_DEFAULT + "Wert f\x81r 2. Hashtabelle (  49999) ist zu klein!!\n");
  // Text without digits reads as 0.
  expectRefusal(run({"abc", "100000"}), "Wert f\x81r Hashtabelle (      0) ist zu klein!!\n");
}

TEST_F(CommandLineTest, SizesAreComparedUnsigned) {
  // A negative hash count is no small number but an invalid one; a negative score count passes.
  expectRefusal(run({"-5", "100000"}), "Ung\x81ltiger Wert (     -5) f\x81r Hashtabelle!!\n" + VALID_LIST);
  const EngineRun r = run({"131072", "-7"});
  expectNormalEnd(r);
  EXPECT_EQ(r.output, HASH_ECHO_DEFAULT + "Eintr\x84ge Scoretabelle:     -7 (default:  100000)\n");
}

TEST_F(CommandLineTest, ThreeArgumentsAreEchoedWithoutChecks) {
  const EngineRun r = run({"1000", "5", "x"});
  expectNormalEnd(r);
  EXPECT_EQ(r.output, "Eintr\x84ge Hashtabelle:    1000 (default:  131072)\n"
                      "Eintr\x84ge Scoretabelle:      5 (default:  100000)\n");
}

TEST_F(CommandLineTest, OtherArgumentCountsAreIgnored) {
  EngineRun r = run({"12345"});
  expectNormalEnd(r);
  EXPECT_EQ(r.output, "");
  r = run({"1", "2", "3", "4"});
  expectNormalEnd(r);
  EXPECT_EQ(r.output, "");
}

TEST_F(CommandLineTest, EndOfInputEndsTheEngineLikeQuit) {
  const EngineRun r = run({}, {"xboard", "new", "force"});
  expectNormalEnd(r);
  EXPECT_EQ(r.output, "");
}

TEST_F(CommandLineTest, SetboardRunSearchesOnceWithoutReadingInput) {
  // Standard input stays open: the run must end by itself.
  EngineProcess engine(dir.path(), {"setboard 4k3/8/8/8/8/8/4P3/4K3 w - -"});
  EXPECT_EQ(engine.readLine(), "Hello from Vostrel!");
  const ExitResult exit = engine.waitForExit(30);
  EXPECT_TRUE(exit.exited);
  EXPECT_EQ(exit.status, 0);
  EXPECT_EQ(engine.stderrText(), "");
}

TEST_F(CommandLineTest, RefusedSetboardPositionsEndSilently) {
  for (const char* position : {"setboard 8/8/8/8/8/8/8/8 x", "setboard 4k3/8/8/8/8/8/8/4K3 x - -",
                               "setboard 8/8/8/8/8/8/8/8 w - -", "setboard 4k3/8/8/8/8/8/8/8 w - -",
                               "setboard 4k3/8/8/8/8/8/8/4K3w", "setboard k"}) {
    EngineProcess engine(dir.path(), {position});
    EXPECT_EQ(engine.readToEnd(), "") << position;
    const ExitResult exit = engine.waitForExit();
    EXPECT_TRUE(exit.exited) << position;
    EXPECT_EQ(exit.status, 0) << position;
    EXPECT_EQ(engine.stderrText(), "") << position;
  }
}

// The engine answers "hint" after "ponder"; used to see that it is alive and reading.
bool answersProbe(EngineProcess& engine) {
  engine.writeLine("ponder e2e4");
  engine.writeLine("hint");
  return engine.waitForLineStartingWith("Hint: e2e4").has_value();
}

// XBoard interrupts a protocol-1 engine right after starting it; the largest tables take a
// while to clear, and the engine must not die of an interrupt that arrives meanwhile.
TEST(StartupSignalTest, InterruptDuringStartUpIsIgnored) {
  TempDir dir;
  IniOptions options;
  options.hashMegabytes = 384;
  writeIni(dir, options);
  EngineProcess engine(dir.path());
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  engine.sendSignal(SIGINT);
  engine.writeLine("quit");
  const ExitResult exit = engine.waitForExit(60.0);
  EXPECT_TRUE(exit.exited) << "ended by signal " << exit.signal;
  EXPECT_EQ(exit.status, 0);
}

TEST_F(CommandLineTest, InterruptIsIgnoredAndOneTerminationSignalIsSwallowed) {
  EngineProcess engine(dir.path());
  engine.writeLine("force");
  ASSERT_TRUE(answersProbe(engine));
  engine.sendSignal(SIGINT);
  EXPECT_TRUE(answersProbe(engine));
  engine.sendSignal(SIGTERM);
  EXPECT_TRUE(answersProbe(engine));
  engine.sendSignal(SIGTERM);
  const ExitResult exit = engine.waitForExit();
  EXPECT_FALSE(exit.exited);
  EXPECT_EQ(exit.signal, SIGTERM);
}
