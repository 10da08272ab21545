#include "shell/input.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "game/protocolstate.h"
#include "game/timecontrol.h"
#include "platform/clock.h"
#include "search/searchstate.h"
#include "support/io_fixtures.h"

namespace {

using namespace std::string_literals;

std::string nextLine(int size = LINE_SIZE) {
  char buffer[LINE_SIZE];
  EXPECT_EQ(readLine(buffer, size), 1);
  return buffer;
}

TEST(ReadLine, HandsOutLinesInOrderAndKeepsAPartialOne) {
  StdinPipe input;
  input.send("xboard\nnew\ngo");
  EXPECT_EQ(nextLine(), "xboard");
  EXPECT_EQ(nextLine(), "new");
  EXPECT_STREQ(Input.CBuf, "go");
  input.send("\n");
  EXPECT_EQ(nextLine(), "go");
}

TEST(ReadLine, CarriageReturns) {
  StdinPipe input;
  input.send("e2e4\r\na\rb\r\na\rb\rc\nx\0y\n"s);
  EXPECT_EQ(nextLine(), "e2e4");
  EXPECT_EQ(nextLine(), "a b");
  EXPECT_EQ(nextLine(), "a b\rc");
  EXPECT_EQ(nextLine(), "xy");  // a zero byte must not end CBuf early
  // The return and its line feed in different reads.
  input.send("quit\r");
  ASSERT_EQ(fillInputBuffer(), 1);
  input.send("\n");
  EXPECT_EQ(nextLine(), "quit");
}

TEST(ReadLine, OverlongInputIsCutNeverOverflowed) {
  StdinPipe input;
  // A line longer than CBuf: its head survives, its tail is dropped, the next line is whole.
  input.send(std::string(3000, 'x') + "\nnext\n");
  EXPECT_EQ(nextLine(), std::string(CBUF_SIZE - 2, 'x'));
  EXPECT_EQ(nextLine(), "next");
  // A line longer than the caller's buffer: cut to fit, the rest is not a line of its own.
  input.send("abcdefghij\nrest\n");
  EXPECT_EQ(nextLine(5), "abcd");
  EXPECT_EQ(nextLine(5), "rest");
}

TEST(ReadLine, EndOfInputEveryTimeWithoutReadingAgain) {
  char buffer[LINE_SIZE] = "old";
  {
    StdinPipe input;
    input.send("go");
    input.close();
    EXPECT_EQ(readLine(buffer, LINE_SIZE), -1);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(Input.endOfInput, 1);
    EXPECT_EQ(readLine(buffer, LINE_SIZE), -1);
    EXPECT_EQ(inputAvailable(), 1u);
    // Fresh data on a new descriptor 0 is not read once the end was met.
    StdinPipe later;
    Input.endOfInput = 1;
    later.send("new\n");
    EXPECT_EQ(readLine(buffer, LINE_SIZE), -1);
  }
}

TEST(ReadLine, RandomBytesNeverOverrunABuffer) {
  StdinPipe input;
  std::mt19937 random(7);
  std::string bytes;
  while (bytes.size() < 50000) {  // lines of 0 to 3999 bytes of any value but a line feed
    for (unsigned length = random() % 4000; length > 0; --length) {
      const char byte = static_cast<char>(random());
      bytes += byte == '\n' ? '\r' : byte;
    }
    bytes += '\n';
  }
  input.send(bytes);
  input.close();
  char buffer[EDIT_LINE_SIZE];
  int lines = 0;
  while (readLine(buffer, EDIT_LINE_SIZE) == 1) {
    ASSERT_LT(std::strlen(buffer), static_cast<size_t>(EDIT_LINE_SIZE));
    ASSERT_LE(tokenize(buffer, " ;"), TOKEN_COUNT);
    ++lines;
  }
  EXPECT_EQ(lines, std::count(bytes.begin(), bytes.end(), '\n'));  // one line per line feed
  EXPECT_LT(std::strlen(Input.CBuf), static_cast<size_t>(CBUF_SIZE));
}

TEST(UnreadLine, PutsBackAtTheFrontOnlyWhenItFits) {
  StdinPipe input;
  input.send("force\nnew\n");
  EXPECT_EQ(nextLine(), "force");
  EXPECT_EQ(unreadLine("level 40 5 0"), 1);
  EXPECT_EQ(nextLine(), "level 40 5 0");
  EXPECT_EQ(nextLine(), "new");
  const std::string full(CBUF_SIZE - 8, 'z');
  std::snprintf(Input.CBuf, CBUF_SIZE, "%s", full.c_str());
  EXPECT_EQ(unreadLine("1234567"), 0);
  EXPECT_EQ(Input.CBuf, full);
  EXPECT_EQ(unreadLine("123456\n"), 1);
}

TEST(Tokenize, WordsSeparatorsAndLimits) {
  EXPECT_EQ(tokenize("level 40 5 0", " ;"), 4);
  EXPECT_EQ(tokenize("  quit  ", " ;"), 1);
  EXPECT_STREQ(Input.tokens[0], "quit");
  EXPECT_STREQ(Input.tokens[1], "");
  EXPECT_EQ(tokenize(";", " ;"), 0);

  std::string forty;
  for (int i = 0; i < 40; ++i) forty.append("w").append(std::to_string(i)).append(" ");
  EXPECT_EQ(tokenize(forty.c_str(), " ;"), TOKEN_COUNT);
  EXPECT_STREQ(Input.tokens[31], "w31");
  // Only tokens[0..15] are emptied by the next split.
  EXPECT_EQ(tokenize("a b", " ;"), 2);
  EXPECT_STREQ(Input.tokens[2], "");
  EXPECT_STREQ(Input.tokens[16], "w16");

  EXPECT_EQ(tokenize(std::string(200, 'k').c_str(), " "), 1);
  EXPECT_EQ(std::string(Input.tokens[0]), std::string(TOKEN_SIZE - 1, 'k'));
  // The line may be one of the tokens.
  tokenize("level 40 5:30 0", " ;");
  EXPECT_EQ(tokenize(Input.tokens[2], " :"), 2);
  EXPECT_STREQ(Input.tokens[0], "5");
  EXPECT_STREQ(Input.tokens[1], "30");
}

TEST(PollInput, ElapsedAndStopRequest) {
  StdinPipe input;
  SearchState = {};
  TimeControl.startTime = static_cast<int32_t>(tickCount() / 10) - 150;
  EXPECT_GE(pollInput(2), 150);
  TimeControl.startTime += 100000;
  EXPECT_EQ(pollInput(2), 0);

  Ordering.nodes = 1000;
  pollInput(1);
  EXPECT_EQ(SearchState.inputPending, 0);
  EXPECT_EQ(SearchState.nextPoll, 26000u);
  input.send("?\n");
  SearchState.stopSearch = 1;
  pollInput(1);
  EXPECT_EQ(SearchState.inputPending, 0);
  SearchState.stopSearch = 0;
  ProtocolState.setboardRun = 1;  // the setboard search ignores input
  pollInput(1);
  EXPECT_EQ(SearchState.inputPending, 0);
  ProtocolState.setboardRun = 0;
  pollInput(1);
  EXPECT_EQ(SearchState.inputPending, 1);
  EXPECT_STREQ(Input.CBuf, "");  // the line stays unread for the interpreter
}

}  // namespace
