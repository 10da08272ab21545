// xboard protocol 2 through the real binary: the feature negotiation, ping ordering while the
// engine thinks, ponders and analyses, setboard, usermove, undo, the errors, and the classic
// dialect staying as it was for an interface that never asks for protocol 2.
#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <string>
#include <vector>

#include "support/dialect_session.h"

using namespace vostrel_test;

namespace {

using Clock = std::chrono::steady_clock;

constexpr double MOVE_TIMEOUT = 30.0;
constexpr double START_LIMIT = 1.0;

int countStartingWith(const std::vector<std::string>& lines, const std::string& prefix) {
  int count = 0;
  for (const std::string& line : lines) count += line.rfind(prefix, 0) == 0 ? 1 : 0;
  return count;
}

// A thinking line: "DEPTH SCORE TIME NODES PV...".
bool isThinkingLine(const std::string& line) { return !line.empty() && line[0] >= '0' && line[0] <= '9'; }

class Xboard2Protocol : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto begin = Clock::now();
    session.send("xboard");
    session.send("protover 2");
    features = session.readUntil("feature done=1", MOVE_TIMEOUT);
    startSeconds = secondsSince(begin);
    for (const char* line : {"accepted ping", "accepted setboard", "accepted usermove", "accepted done", "new"}) {
      session.send(line);
    }
  }

  void TearDown() override { session.quitAndExpectCleanEnd(); }

  // Pings and expects the pong before anything but thinking lines.
  void expectPongNext(int number) {
    session.send("ping " + std::to_string(number));
    const std::vector<std::string> lines = session.readUntil("pong ");
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "pong " + std::to_string(number));
    for (size_t i = 0; i + 1 < lines.size(); ++i) EXPECT_TRUE(isThinkingLine(lines[i])) << lines[i];
  }

  DialectSession session;
  std::vector<std::string> features;
  double startSeconds = 0;
};

}  // namespace

TEST_F(Xboard2Protocol, FeaturesAreOfferedAtOnceAndEndWithDone) {
  ASSERT_GE(features.size(), 2u);
  for (const char* feature : {"ping=1", "setboard=1", "usermove=1", "playother=1", "time=1", "draw=1", "sigint=0",
                              "sigterm=0", "reuse=1", "analyze=1", "colors=0", "san=0", "variants=\"normal\"",
                              "myname=\"Vostrel", "memory=1", "debug=1"}) {
    EXPECT_NE(features.front().find(feature), std::string::npos) << feature;
  }
  for (const char* option : {"feature option=\"Selectivity -spin 1 0 4\"", "feature option=\"Combination -check 0\"",
                             "feature option=\"Chess Knowledge -check 1\"", "feature option=\"Book -check 0\"",
                             "feature option=\"Learning -check 0\"", "feature option=\"Log File -check 0\""}) {
    EXPECT_EQ(countStartingWith(features, option), 1) << option;
  }
  EXPECT_LT(startSeconds, START_LIMIT);
  std::cout << "[ figure ] protover 2 to done=1: " << startSeconds * 1000 << " ms\n";
  // Option changes, memory and variant are answered only when refused.
  for (const char* line : {"option Selectivity=3", "option Combination=1", "memory 4", "memory 1", "variant normal"}) {
    session.send(line);
  }
  expectPongNext(1);
  session.send("option Selectivity=7");
  EXPECT_EQ(*session.waitFor("Error"), "Error (bad option value): option Selectivity=7");
  session.send("variant atomic");
  EXPECT_EQ(*session.waitFor("Error"), "Error (unsupported variant): atomic");
}

TEST_F(Xboard2Protocol, UsermoveUndoAndErrorsChangeNothingWhenRefused) {
  for (const char* line : {"force", "usermove e2e4", "usermove e7e5"}) session.send(line);
  session.send("usermove e1e3");
  EXPECT_EQ(*session.waitFor("Illegal"), "Illegal move: e1e3");
  session.send("e2e5");
  EXPECT_EQ(*session.waitFor("Illegal"), "Illegal move: e2e5");
  session.send("frobnicate 3");
  EXPECT_EQ(*session.waitFor("Error"), "Error (unknown command): frobnicate 3");
  // After undo Black is to move again: e7e6 is legal, and g1f3 is White's.
  session.send("undo");
  session.send("usermove g1f3");
  EXPECT_EQ(*session.waitFor("Illegal"), "Illegal move: g1f3");
  session.send("usermove e7e6");
  session.send("st 1");
  session.send("go");
  const std::string move = *session.waitFor("move ", MOVE_TIMEOUT);
  EXPECT_TRUE(isLegalAfter("startpos", {"e2e4", "e7e6"}, move.substr(5))) << move;
  // Nothing classic: no "N. ... MOVE" line.
  for (const std::string& line : session.transcript()) EXPECT_EQ(line.find(". ... "), std::string::npos) << line;
}

TEST_F(Xboard2Protocol, SetboardThenGoAndARefusedPositionKeepsTheOldOne) {
  const std::string fen = "4k3/8/8/8/8/8/4P3/4K3 w - - 0 1";
  for (const char* line : {"force", "st 1"}) session.send(line);
  session.send("setboard " + fen);
  for (const char* bad : {"setboard 8/8/8/8/8/8/8/8 w - -", "setboard k7/8/8/8/8/8/8/RK6 w - -", "setboard rubbish"}) {
    session.send(bad);
    EXPECT_EQ(*session.waitFor("tellusererror"), "tellusererror Illegal position") << bad;
  }
  session.send("go");
  const std::string move = *session.waitFor("move ", MOVE_TIMEOUT);
  EXPECT_TRUE(isLegalAfter(fen, {}, move.substr(5))) << move;
}

TEST_F(Xboard2Protocol, PingWaitsForTheMoveButIsAnsweredAtOnceWhilePonderingAndAnalysing) {
  for (const char* line : {"hard", "st 2", "usermove e2e4"}) session.send(line);
  session.send("ping 5");  // arrives while the engine thinks on its move
  const std::vector<std::string> reply = session.readUntil("pong 5", MOVE_TIMEOUT);
  ASSERT_GE(reply.size(), 2u);
  EXPECT_EQ(countStartingWith(reply, "move "), 1);
  EXPECT_EQ(reply[reply.size() - 2].rfind("move ", 0), 0u) << "pong must follow the move";
  const std::string engineMove = reply[reply.size() - 2].substr(5);
  EXPECT_TRUE(isLegalAfter("startpos", {"e2e4"}, engineMove));
  // Now the engine ponders: a ping is answered at once, without a move.
  ASSERT_TRUE(session.waitFor("Hint: ", MOVE_TIMEOUT));
  expectPongNext(6);
  session.send("force");
  expectPongNext(7);
  // Analysis: thinking lines, "." status, ping at once, then exit.
  session.send("analyze");
  ASSERT_TRUE(session.engine().waitForLine([](const std::string& line) { return isThinkingLine(line); }, MOVE_TIMEOUT));
  expectPongNext(8);
  session.send("exit");
  expectPongNext(9);
}

TEST(Xboard2ProtocolClassic, AnInterfaceThatNeverAsksForProtocol2GetsTheClassicDialect) {
  DialectSession session;
  for (const char* line : {"xboard", "protover 1", "new", "force", "e2e4", "st 1", "go"}) session.send(line);
  const std::vector<std::string> lines = session.readUntil("2. ... ", MOVE_TIMEOUT);
  ASSERT_EQ(lines.back().rfind("2. ... ", 0), 0u);
  EXPECT_EQ(countStartingWith(lines, "feature"), 0);
  EXPECT_EQ(countStartingWith(lines, "move "), 0);
  // A later "protover 2" or "uci" is ignored like any line that is no command.
  for (const char* line : {"protover 2", "uci", "ping 3", "new", "force", "e2e4", "go"}) session.send(line);
  const std::vector<std::string> after = session.readUntil("2. ... ", MOVE_TIMEOUT);
  ASSERT_EQ(after.back().rfind("2. ... ", 0), 0u);
  EXPECT_EQ(countStartingWith(after, "feature"), 0);
  EXPECT_EQ(countStartingWith(after, "uciok"), 0);
  EXPECT_EQ(countStartingWith(after, "pong"), 0);
  session.quitAndExpectCleanEnd();
  // Any other first command chooses the classic dialect too.
  DialectSession late;
  for (const char* line : {"new", "uci", "protover 2", "force", "e2e4", "st 1", "go"}) late.send(line);
  const std::vector<std::string> lateLines = late.readUntil("2. ... ", MOVE_TIMEOUT);
  ASSERT_EQ(lateLines.back().rfind("2. ... ", 0), 0u);
  EXPECT_EQ(countStartingWith(lateLines, "feature"), 0);
  EXPECT_EQ(countStartingWith(lateLines, "uciok"), 0);
  late.quitAndExpectCleanEnd();
}
