// Commands arriving while the engine ponders or analyses: lines are fed through a pipe on
// descriptor 0, the handler runs as the search's poll would run it, and the flags, settings and
// CBuf show what it did.
#include "shell/ponderinput.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "board/board.h"
#include "board/types.h"
#include "config/logfile.h"
#include "config/settings.h"
#include "game/protocolstate.h"
#include "game/timecontrol.h"
#include "platform/clock.h"
#include "search/searchstate.h"
#include "shell/input.h"
#include "support/board_fixture.h"
#include "support/io_fixtures.h"

namespace {

// After 1.e4 the engine expects e7e5 and has made it on the board.
constexpr const char* PONDERED_POSITION = "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq -";
constexpr uint16_t EXPECTED_E7E5 = moveCodeOf(E7, E5);

class PonderInput : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(setUpPosition(PONDERED_POSITION));
    Input.CBuf[0] = '\0';
    Input.endOfInput = 0;
    ProtocolState = ProtocolData{};
    ProtocolState.ponderEnabled = 1;
    ProtocolState.ponderMove = EXPECTED_E7E5;
    SearchState.pondering = 1;
    SearchState.stopSearch = 0;
    SearchState.inputPending = 0;
    EvalContext.rootSide = WHITE;
    EvalContext.searchDepth = 6;
    Ordering.nodes = 123456;
    SearchState.legalRootMoves = 30;
    SearchState.rootMovesSearched = 10;
    TimeControl = TimeControlData{};
    TimeControl.timeMode = TIME_MODE_GAME;
    TimeControl.clockRunning = 1;
    TimeControl.depthLimit = 48;
    TimeControl.Responsetime = 1000;
    TimeControl.TimeC[WHITE] = TimeControl.TimeC[BLACK] = 60000;
    TimeControl.movesPerPeriod = 40;
    EngineSettings.logEnabled = 0;
  }

  // Sends the bytes and runs the handler once, as the poll does when it sees input.
  void handle(const std::string& bytes) {
    input.send(bytes);
    handleInputWhileSearching();
  }

  bool searchGoesOn() const { return SearchState.inputPending == 0 && SearchState.pondering == 1; }

  StdinPipe input;
};

TEST_F(PonderInput, PonderHitLengthensTheTargetTimeByItsSize) {
  const int32_t cases[][2] = {{0, 0},       {100, 100},   {101, 201},   {500, 600},
                              {501, 701},   {1500, 1700}, {1501, 1801}, {30000, 30300}};
  for (const auto& [before, after] : cases) {
    SetUp();
    TimeControl.Responsetime = before;
    handle("e7e5\n");
    EXPECT_EQ(TimeControl.Responsetime, after) << before;
    EXPECT_EQ(ProtocolState.ponderHit, 1);
    EXPECT_EQ(SearchState.pondering, 0);  // the search goes on as the engine's own
    EXPECT_EQ(SearchState.inputPending, 0);
  }
  // The lengthened budget still ends 0.1 s before the engine's clock: "st 2" gets no more than
  // its 2 seconds, whenever the hit comes.
  SetUp();
  TimeControl.TimeC[WHITE] = 200;
  TimeControl.Responsetime = 190;
  handle("e7e5\n");
  EXPECT_EQ(TimeControl.Responsetime, 190);
}

TEST_F(PonderInput, PonderHitConsumesTheMoveOnlyAndLeavesLaterLines) {
  handle("e7e5 time 1\nnew\n");
  EXPECT_EQ(ProtocolState.ponderHit, 1);
  EXPECT_EQ(TimeControl.timeCmd, 0);  // the rest of the move's line is dropped
  EXPECT_STREQ(Input.CBuf, "new\n");  // read by the interpreter after the engine's move
  // A promotion letter does not matter: only the squares are compared.
  SetUp();
  ProtocolState.ponderMove = moveCodeOf(E2, E1);
  handle("e2e1q\n");
  EXPECT_EQ(ProtocolState.ponderHit, 1);
}

TEST_F(PonderInput, MoveNowArrivingWithTheHit) {
  // The engine plays at once.
  handle("e7e5\n?\n");
  EXPECT_EQ(ProtocolState.ponderHit, 1);
  EXPECT_EQ(SearchState.inputPending, 1);
  EXPECT_STREQ(Input.CBuf, "?\n");
  // The other interface variant cancels the hit: the pondered move is taken back.
  SetUp();
  ProtocolState.fritzMode = 1;
  handle("e7e5\n?\n");
  EXPECT_EQ(ProtocolState.ponderHit, 0);
  EXPECT_EQ(SearchState.pondering, 0);
  EXPECT_EQ(SearchState.inputPending, 1);
  EXPECT_STREQ(Input.CBuf, "?\n");
}

TEST_F(PonderInput, NoHitInForceModeOrWithoutAnExpectedMove) {
  ProtocolState.forceMode = 1;
  handle("e7e5\n");
  EXPECT_EQ(ProtocolState.ponderHit, 0);
  EXPECT_EQ(SearchState.inputPending, 1);
  EXPECT_STREQ(Input.CBuf, "e7e5\n");
  // An unknown word reads as move 0, which must not match "no expected move".
  SetUp();
  ProtocolState.analyzing = 1;
  ProtocolState.ponderMove = 0;
  handle("new\n");
  EXPECT_EQ(ProtocolState.ponderHit, 0);
  EXPECT_EQ(SearchState.inputPending, 1);
  EXPECT_STREQ(Input.CBuf, "new\n");
}

TEST_F(PonderInput, UnexpectedWordGoesBackInFrontWithTheRestOfItsLine) {
  // Lines that arrived later stay behind it, in order.
  handle("d7d5\nnew\nforce\n");
  EXPECT_EQ(SearchState.inputPending, 1);
  EXPECT_EQ(ProtocolState.ponderHit, 0);
  EXPECT_STREQ(Input.CBuf, "d7d5\nnew\nforce\n");
  // Words before it are executed; it comes back with its arguments.
  SetUp();
  handle("time 500 level 40 5 0\nnew\n");
  EXPECT_EQ(TimeControl.timeCmd, 500);
  EXPECT_STREQ(Input.CBuf, "level 40 5 0\nnew\n");
}

TEST_F(PonderInput, PutBackIntoAFullBufferStillFits) {
  // CBuf full to its last byte: the long line and two short ones.
  const std::string tail = "\nnew\ngo\n";
  const std::string line = "level 40 5 0 " + std::string(CBUF_SIZE - 1 - 13 - tail.size(), 'x');
  handle(line + tail);
  EXPECT_EQ(SearchState.inputPending, 1);
  EXPECT_EQ(std::string(Input.CBuf), line + tail);
}

TEST_F(PonderInput, SettingsChangeWithoutDisturbingTheSearch) {
  handle("black white post force\n");
  EXPECT_TRUE(searchGoesOn());
  EXPECT_EQ(ProtocolState.forceMode, 1);

  handle("easy\n");
  EXPECT_EQ(ProtocolState.ponderEnabled, 0);
  handle("hard\n");
  EXPECT_EQ(ProtocolState.ponderEnabled, 1);
  handle("pb\n");
  EXPECT_EQ(ProtocolState.ponderEnabled, 0);
  EXPECT_TRUE(searchGoesOn());

  TimeControl.elapsed = 77;
  handle("st 5\n");
  EXPECT_EQ(TimeControl.timeMode, TIME_MODE_FIXED_TIME);
  EXPECT_EQ(TimeControl.baseSeconds, 5);
  EXPECT_EQ(TimeControl.TimeC[WHITE], 500);
  EXPECT_EQ(TimeControl.TimeC[BLACK], 500);
  EXPECT_EQ(TimeControl.movesPerPeriod, 1);
  EXPECT_EQ(TimeControl.movesToGo[WHITE], 0);
  EXPECT_EQ(TimeControl.clockRunning, 1);
  EXPECT_EQ(TimeControl.elapsed, 0);
  EXPECT_TRUE(searchGoesOn());

  TimeControl.Bedienerzeit = 12;
  handle("sd 6\n");
  EXPECT_EQ(TimeControl.timeMode, TIME_MODE_FIXED_DEPTH);
  EXPECT_EQ(TimeControl.depthLimit, 8);
  EXPECT_EQ(TimeControl.clockRunning, 0);
  EXPECT_EQ(TimeControl.TimeC[WHITE], 0);
  EXPECT_EQ(TimeControl.Bedienerzeit, 0);
  EXPECT_TRUE(searchGoesOn());

  // Arguments are skipped as words; clocks of both sides in one line.
  handle("time 30000 ; otim 29000\n");
  EXPECT_EQ(TimeControl.timeCmd, 30000);
  EXPECT_EQ(TimeControl.otimCmd, 29000);
  EXPECT_EQ(TimeControl.clockRunning, 0);  // only the other interface variant restarts the clock
  EXPECT_TRUE(searchGoesOn());
  EXPECT_STREQ(Input.CBuf, "");

  // A missing argument reads as 0.
  handle("sd\n");
  EXPECT_EQ(TimeControl.depthLimit, 2);
}

TEST_F(PonderInput, ClockReadingsRestartTheClockInTheOtherInterfaceVariant) {
  ProtocolState.fritzMode = 1;
  TimeControl.clockRunning = 0;
  handle("otim 100\n");
  EXPECT_EQ(TimeControl.otimCmd, 100);
  EXPECT_EQ(TimeControl.clockRunning, 1);
  EXPECT_TRUE(searchGoesOn());
}

TEST_F(PonderInput, SeveralLinesOfOneReadAreHandledTogether) {
  handle("time 100\notim 200\n");
  EXPECT_EQ(TimeControl.timeCmd, 100);
  EXPECT_EQ(TimeControl.otimCmd, 200);
  // A partial line is left for later.
  handle("time 300\notim");
  EXPECT_EQ(TimeControl.timeCmd, 300);
  EXPECT_STREQ(Input.CBuf, "otim");
  // One line per call in the other interface variant.
  SetUp();
  ProtocolState.fritzMode = 1;
  handle("time 100\notim 200\n");
  EXPECT_EQ(TimeControl.timeCmd, 100);
  EXPECT_EQ(TimeControl.otimCmd, 0);
  EXPECT_STREQ(Input.CBuf, "otim 200\n");
}

TEST_F(PonderInput, MoveNowAndExitStopTheSearch) {
  handle("? time 5\nnew\n");
  EXPECT_EQ(SearchState.inputPending, 1);
  EXPECT_EQ(TimeControl.timeCmd, 0);  // the rest of the line is not executed
  EXPECT_STREQ(Input.CBuf, "new\n");  // and the next line is for the interpreter

  SetUp();
  ProtocolState.analyzing = 1;
  handle("exit\n");
  EXPECT_EQ(ProtocolState.analyzing, 0);
  EXPECT_EQ(SearchState.inputPending, 1);
  EXPECT_STREQ(Input.CBuf, "");

  // A search that is already ending is left alone.
  SetUp();
  SearchState.stopSearch = 1;
  handle("?\n");
  EXPECT_EQ(SearchState.inputPending, 0);
}

TEST_F(PonderInput, AnalyzeIsIgnoredWhileAnalysingAndKeptWhilePondering) {
  ProtocolState.analyzing = 1;
  handle("analyze\n");
  EXPECT_EQ(SearchState.inputPending, 0);
  EXPECT_STREQ(Input.CBuf, "");
  // While only pondering the request must reach the interpreter.
  SetUp();
  handle("analyze\n");
  EXPECT_EQ(SearchState.inputPending, 1);
  EXPECT_STREQ(Input.CBuf, "analyze\n");
}

TEST_F(PonderInput, QuitAndEndOfInputEndTheSearchAndTheProgram) {
  handle("quit\n");
  EXPECT_EQ(ProtocolState.quitRequested, 1);
  EXPECT_EQ(SearchState.inputPending, 1);

  SetUp();
  input.send("time 10\n");
  input.close();
  handleInputWhileSearching();
  EXPECT_EQ(TimeControl.timeCmd, 10);
  EXPECT_EQ(ProtocolState.quitRequested, 0);  // the end is not seen while lines are waiting
  handleInputWhileSearching();
  EXPECT_EQ(ProtocolState.quitRequested, 1);
  EXPECT_EQ(SearchState.inputPending, 1);

  SetUp();
  SearchState.stopSearch = 1;
  handleInputWhileSearching();
  EXPECT_EQ(ProtocolState.quitRequested, 1);
  EXPECT_EQ(SearchState.inputPending, 0);
}

TEST_F(PonderInput, PollSeesALineLeftInTheBufferByAnEarlierRead) {
  // A move and "quit" in one read: after the hit the "quit" waits in CBuf, not on the pipe.
  input.send("e7e5\nquit\n");
  pollInput(1);
  EXPECT_EQ(ProtocolState.ponderHit, 1);
  EXPECT_EQ(SearchState.inputPending, 0);
  EXPECT_STREQ(Input.CBuf, "quit\n");
  // Now the engine's own search: the line stops it.
  pollInput(1);
  EXPECT_EQ(SearchState.inputPending, 1);
  // Pondering on the next move: the handler takes it.
  SearchState.inputPending = 0;
  SearchState.pondering = 1;
  pollInput(1);
  EXPECT_EQ(ProtocolState.quitRequested, 1);
  EXPECT_EQ(SearchState.inputPending, 1);
  // A partial line alone is no input.
  SetUp();
  input.send("time");
  ASSERT_EQ(fillInputBuffer(), 1);
  pollInput(1);
  EXPECT_EQ(SearchState.inputPending, 0);
  EXPECT_STREQ(Input.CBuf, "time");
}

// ---- "." and nested runs ----

class AnalysisStatus : public PonderInput {
 protected:
  void SetUp() override {
    PonderInput::SetUp();
    ProtocolState.analyzing = 1;
    ProtocolState.ponderMove = 0;
    EvalContext.searchDepth = 5;
    TimeControl.startTime = static_cast<int32_t>(tickCount() / 10);
  }

  std::string handleCapturingOutput(const std::string& bytes) {
    testing::internal::CaptureStdout();
    handle(bytes);
    return testing::internal::GetCapturedStdout();
  }
};

TEST_F(AnalysisStatus, PrintedFromDepthFiveInAnalysisOnly) {
  const std::string shown = handleCapturingOutput(".\n");
  long elapsed = -1;
  unsigned long long nodes = 0;
  int depth = 0, left = 0, total = 0;
  char end = 0;
  ASSERT_EQ(std::sscanf(shown.c_str(), "stat01: %ld %llu %d %d %d %c", &elapsed, &nodes, &depth, &left,
                        &total, &end),
            5)
      << shown;
  EXPECT_EQ(shown.substr(shown.size() - 2), " \n");
  EXPECT_GE(elapsed, 0);
  EXPECT_LT(elapsed, 100);
  EXPECT_EQ(nodes, 246912u);
  EXPECT_EQ(depth, 7);
  EXPECT_EQ(left, 20);
  EXPECT_EQ(total, 30);
  EXPECT_EQ(SearchState.inputPending, 0);

  EvalContext.searchDepth = 4;
  EXPECT_EQ(handleCapturingOutput(".\n"), "");
  EvalContext.searchDepth = 5;
  ProtocolState.analyzing = 0;
  EXPECT_EQ(handleCapturingOutput(".\n"), "");
  EXPECT_EQ(SearchState.inputPending, 0);
}

TEST_F(AnalysisStatus, NestedRunHandlesInputThatArrivesMeanwhile) {
  // "." is in CBuf already; the next lines are still in the pipe, so the poll made for "." finds
  // them and runs the handler inside the first run.
  input.send(".\n");
  ASSERT_EQ(fillInputBuffer(), 1);
  const std::string shown = handleCapturingOutput("time 300\nd7d5\n");
  EXPECT_EQ(shown.rfind("stat01: ", 0), 0u) << shown;
  EXPECT_EQ(TimeControl.timeCmd, 300);
  EXPECT_EQ(SearchState.inputPending, 1);
  EXPECT_STREQ(Input.CBuf, "d7d5\n");  // the outer run leaves it to the interpreter
}

TEST_F(AnalysisStatus, WordsAfterTheDotAreRunBeforeLaterInput) {
  // More words follow ".": later input waits for the next poll, so nothing of this line can be
  // pushed behind it.
  input.send(". time 300 new\n");
  ASSERT_EQ(fillInputBuffer(), 1);
  const std::string shown = handleCapturingOutput("d7d5\n");
  EXPECT_EQ(shown.rfind("stat01: ", 0), 0u) << shown;
  EXPECT_EQ(TimeControl.timeCmd, 300);
  EXPECT_EQ(SearchState.inputPending, 1);
  EXPECT_STREQ(Input.CBuf, "new\n");
  EXPECT_NE(inputAvailable(), 0u);  // d7d5 is still waiting
  EXPECT_EQ(fillInputBuffer(), 1);
  EXPECT_STREQ(Input.CBuf, "new\nd7d5\n");
}

// ---- Log lines ----

class PonderLog : public PonderInput {
 protected:
  void SetUp() override {
    PonderInput::SetUp();
    if (LogState.logFile == nullptr) LogState.logFile = std::tmpfile();
    ASSERT_NE(LogState.logFile, nullptr);
    EngineSettings.logEnabled = 1;
  }
  void TearDown() override {
    EngineSettings.logEnabled = 0;
    if (LogState.logFile != nullptr) std::fclose(LogState.logFile);
    LogState.logFile = nullptr;
  }
  std::string logged() {
    std::fflush(LogState.logFile);
    std::rewind(LogState.logFile);
    std::string text;
    for (int c; (c = std::fgetc(LogState.logFile)) != EOF;) text += static_cast<char>(c);
    return text;
  }
};

TEST_F(PonderLog, HitUnexpectedMovesAndIgnoredLines) {
  handle("e7e5\n?\n");
  EXPECT_EQ(logged(), "Move entered during PONDERING: Black: e7e5\nCBuf: ?\n\n");
  TearDown();

  SetUp();
  handle("e2e4\n");  // names a White piece on the pondered board
  EXPECT_EQ(logged(), "Unexpected move entered during PONDERING: White: e2e4\n");
  TearDown();

  SetUp();
  TimeControl.timeMode = TIME_MODE_PERIOD;
  TimeControl.movesToGo[WHITE] = 12;
  TimeControl.movesToGo[BLACK] = 13;
  handle("time 6150 otim 12345\n");
  EXPECT_EQ(logged(),
            "Remaining time (Vostrel):  1: 1 for 12 moves\n"
            "Remaining time (opponent):  2: 3 for 13 moves\n"
            "I: time 6150 otim 12345\n");
  TearDown();

  SetUp();
  ProtocolState.analyzing = 1;
  handle("analyze\n?\n");
  EXPECT_EQ(logged(), "BEREITS IM ANALYSE-MODUS!! DENNOCH KOMMANDO  analyze  EMPFANGEN\n");
  handleInputWhileSearching();
  EXPECT_EQ(logged(),
            "BEREITS IM ANALYSE-MODUS!! DENNOCH KOMMANDO  analyze  EMPFANGEN\n?\n");
}

}  // namespace
