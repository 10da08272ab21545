// The interpreter through the real binary: what the log records, the hint while pondering, the
// end of input in edit mode, and a long run of random input.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/engine_process.h"

using namespace vostrel_test;

namespace {

class ProtocolTest : public ::testing::Test {
 protected:
  TempDir dir;
};

void expectCleanEnd(const ExitResult& exit, const std::string& errors) {
  EXPECT_TRUE(exit.exited) << "signal " << exit.signal << (exit.timedOut ? " (timed out)" : "");
  EXPECT_EQ(exit.status, 0);
  EXPECT_EQ(errors, "");
}

}  // namespace

TEST_F(ProtocolTest, LogRecordsEachCommandLineOnceAfterItsOwnLines) {
  writeIni(dir, {.log = true});
  const EngineRun run = runEngine(dir, {}, {"undo",        "force",        "e2e4",       "Sc6",        "e2e5",
                                            "st 10",       "sd 6",         "time 12345", "otim 6000",  "level 40 5 0",
                                            "time 30000",  "otim 29000",   "ep e3",      "castle -w00", "edit",
                                            "#",           "",             "Ke1",        "ep e3",      ".",
                                            "ponder e7e5", "quit"});
  expectCleanEnd(run.exit, run.errors);
  EXPECT_EQ(run.output, "");
  EXPECT_EQ(dir.readFile("VOS_LOG.001"),
            "undo\n"
            "force\n"
            "White: e2e4\n"
            "Black: b8c6\n"
            "e2e5\n"
            "st 10\n"
            "sd 6\n"
            "Remaining time (Vostrel):  2: 3\n"
            "time 12345\n"
            "Remaining time (opponent):  1: 0\n"
            "otim 6000\n"
            "level 40 5 0\n"
            "Remaining time (Vostrel):  5: 0 for 40 moves\n"
            "time 30000\n"
            "Remaining time (opponent):  4:50 for 40 moves\n"
            "otim 29000\n"
            "EP-Feld: 20\n"
            "ep e3\n"
            "castle -w00\n"
            "(Edit mode): #\n"
            "(Edit mode): Ke1\n"
            "(Edit mode): ep e3\n"
            "EP-Feld: 20\n"
            "(Edit mode): .\n"
            "edit\n"
            "ponder e7e5\n"
            "quit\n");
}

TEST_F(ProtocolTest, WithoutLoggingNoLogFileIsWritten) {
  writeIni(dir);
  const EngineRun run = runEngine(dir, {}, {"force", "e2e4", "quit"});
  expectCleanEnd(run.exit, run.errors);
  EXPECT_EQ(dir.fileNames(), std::vector<std::string>{"vostrel.ini"});
}

TEST_F(ProtocolTest, PonderingStartsWithTheHint) {
  writeIni(dir);
  EngineProcess engine(dir.path());
  for (const char* line : {"new", "force", "e2e4", "black", "ponder e7e5"}) engine.writeLine(line);
  EXPECT_EQ(engine.readLine(), "Hint: e7e5");
  engine.writeLine("quit");
  engine.readToEnd();  // thinking lines of the ponder search, if any
  const ExitResult exit = engine.waitForExit();
  expectCleanEnd(exit, engine.stderrText());
}

TEST_F(ProtocolTest, EndOfInputInsideEditModeEndsTheEngine) {
  writeIni(dir);
  const EngineRun run = runEngine(dir, {}, {"edit", "#", "Ke1"});
  expectCleanEnd(run.exit, run.errors);
  EXPECT_EQ(run.output, "");
}

// Random input of every kind the interface or a person might send, and some no one would. The
// engine stays in force mode so that it never starts a search of its own.
class RandomInput {
 public:
  explicit RandomInput(uint32_t seed) : random_(seed) {}

  std::string script(int lineCount) {
    std::string text = "force\n";
    for (int i = 0; i < lineCount; ++i) text += line() + "\n";
    return text;
  }

 private:
  int below(int n) { return static_cast<int>(random_() % static_cast<uint32_t>(n)); }
  template <typename T>
  const T& pick(const std::vector<T>& items) { return items[below(static_cast<int>(items.size()))]; }

  std::string square() { return std::string{char('a' + below(10)), char('0' + below(10))}; }

  std::string number() {
    static const std::vector<std::string> specials = {"0", "-1", "7", "65537", "2147483647", "-2147483648",
                                                      "99999999999", "1:30", "0:0", "x", "", "5:", ":5"};
    return below(3) == 0 ? pick(specials) : std::to_string(static_cast<int>(random_()) % 100000);
  }

  std::string moveText() {
    static const std::vector<std::string> moves = {"e2e4", "e7e5", "g1f3", "b8c6", "Sf3", "Sc6", "d2d4", "e5d4",
                                                   "o-o", "0-0", "O-O-O", "Le2", "Lc5", "de", "e8q", "e7e8n",
                                                   "Bee4", "S1f3", "Kf1", "h7h8Q", "a7a8"};
    switch (below(3)) {
      case 0: return pick(moves);
      case 1: return square() + square() + (below(4) == 0 ? "q" : "");
      default: return std::string(1, " BSLTDKPNRQ"[below(11)]) + square();
    }
  }

  std::string randomBytes(int length) {
    std::string bytes;
    for (int i = 0; i < length; ++i) {
      char byte = static_cast<char>(below(256));
      bytes += byte == '\n' ? '\r' : byte;
    }
    return bytes;
  }

  std::string editSession() {
    std::string text = "edit";
    const int placements = below(12);
    for (int i = 0; i < placements; ++i) {
      static const std::vector<std::string> specials = {"#", "c", "castle -w00", "castle -b000", "ep e3", "ep",
                                                        "", "x", std::string(700, 'K')};
      text += "\n" + (below(4) == 0 ? pick(specials) : std::string(1, "KQRBNPkqrbnpx "[below(14)]) + square());
    }
    return text + (below(10) == 0 ? "" : "\n.");
  }

  // A game from the start that plays castling, captures, en passant and a promotion.
  std::string game() {
    static const std::vector<std::string> games = {
        "e2e4 e7e5 Sf3 Sc6 Lc4 Sf6 d2d3 Lc5 o-o 0-0 Le3 c5e3 f2e3 d7d6",
        "d2d4 d7d5 c2c4 d5c4 e2e4 b7b5 a2a4 c7c6 a4b5 c6b5 b2b3 c4b3 Db3 a7a6",
        "e2e4 d7d5 e4e5 f7f5 e5f6 Sc6 f6g7 Sf6 g7h8q Dd6 Sf3 Le6 Lb5 o-o-o o-o",
        "g1f3 g8f6 g2g3 g7g6 Lg2 Lg7 o-o o-o d2d3 d7d6 e2e4 e7e5 Sc3 Sc6 Lg5 h7h6 Lf6 Df6"};
    std::string text = "new\nforce";
    std::string moves = pick(games);
    for (char& c : moves) {
      if (c == ' ') c = '\n';
    }
    return text + "\n" + moves;
  }

  std::string line() {
    static const std::vector<std::string> words = {
        "level", "st", "sd", "time", "otim", "post", "nopost", "fritz", "reset", "ponder", "castle", "ep",
        "exit", "pb", "xboard", "?", "easy", "hard", "force", "wild", "hint", "undo", "remove", "bk",
        "random", "quit!", "protover", "setboard", "stop", "sdx", "level40", "eps", "."};
    switch (below(40)) {
      case 0: case 1: return randomBytes(below(120));
      case 2: return randomBytes(600 + below(4000));
      case 3: return editSession();
      case 4: return pick(std::vector<std::string>{"new", "white", "black"}) + "\nforce";
      case 5: return "wild 7";
      case 6: case 7: return game();
      case 8: case 9: case 10: case 11: case 12: case 13: case 14: case 15: case 16: case 17: return moveText();
      default: {
        std::string text = pick(words);
        const int arguments = below(4);
        for (int i = 0; i < arguments; ++i) {
          text += below(5) == 0 ? ';' : ' ';
          text += below(2) ? number() : moveText();
        }
        return text;
      }
    }
  }

  std::mt19937 random_;
};

TEST_F(ProtocolTest, RandomInputNeverCrashesOrHangs) {
  writeIni(dir);
  for (uint32_t seed : {1u, 2u, 3u}) {
    EngineProcess engine(dir.path());
    // The closing lines show that every line before them was read.
    const std::string input = RandomInput(seed).script(1500) + "\nforce\nponder e2e4\nhint\n";
    EXPECT_TRUE(engine.writeRaw(input, 60)) << "seed " << seed;
    engine.closeInput();
    const std::vector<std::string> output = splitLines(engine.readToEnd(60));
    ASSERT_FALSE(output.empty()) << "seed " << seed;
    EXPECT_EQ(output.back(), "Hint: e2e4") << "seed " << seed;
    const ExitResult exit = engine.waitForExit(60);
    expectCleanEnd(exit, engine.stderrText());
  }
}
