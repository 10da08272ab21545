// Polyglot books: the format's keys on the engine's board, the walk that turns weights into game
// statistics, damaged files, and how often the engine's book choice plays each move of a book.
#include "tools/polyglot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "board/attack.h"
#include "board/board.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "board/tables.h"
#include "config/settings.h"
#include "game/book.h"
#include "tools/makebook.h"
#include "board/ordering.h"
#include "eval/evalcontext.h"
#include "search/searchstate.h"
#include "support/board_fixture.h"
#include "support/io_fixtures.h"

namespace {

const char* const SYSTEM_POLYGLOT_BOOK = "/usr/share/games/gnuchess/book.bin";

// Plays a coordinate move ("e2e4", castling as "e1g1") of the side to move on the board.
void play(const std::string& text) {
  int from = squareAt(text[1] - '1', text[0] - 'a');
  int to = squareAt(text[3] - '1', text[2] - 'a');
  int side = Board.sideToMove;
  Ordering.ply = 1;
  MoveStack.plyStart[1] = 0;
  generateMoves(side);
  for (int i = MoveStack.plyStart[1]; i < MoveStack.plyStart[2]; i++) {
    Move m = MoveStack.moveStack[i];
    if (m.from != from || m.to != to) continue;
    if ((m.flags & PROMOTION) && (m.flags & PROMOTION_PIECE_MASK) != QUEEN) continue;
    makeMove(side, m);
    Board.sideToMove = static_cast<int8_t>(side ^ 1);
    return;
  }
  FAIL() << "no move " << text;
}

// The Polyglot key after `line` from the initial position.
uint64_t keyAfter(const std::vector<std::string>& line) {
  initBoardTables();
  setPieceValues(false);
  startBookGame();
  for (const std::string& move : line) play(move);
  return polyglotKey();
}

uint16_t code(const std::string& text) {
  int from = squareAt(text[1] - '1', text[0] - 'a');
  int to = squareAt(text[3] - '1', text[2] - 'a');
  return static_cast<uint16_t>(from * 64 + to);
}

// One entry in the file's byte order.
void appendEntry(std::string* bytes, uint64_t key, uint16_t move, uint16_t weight) {
  for (int i = 7; i >= 0; i--) bytes->push_back(static_cast<char>(key >> (8 * i)));
  bytes->push_back(static_cast<char>(move >> 8));
  bytes->push_back(static_cast<char>(move));
  bytes->push_back(static_cast<char>(weight >> 8));
  bytes->push_back(static_cast<char>(weight));
  bytes->append(4, '\0');
}

struct TestEntry {
  std::vector<std::string> line;  // where the move is played
  std::string move;
  uint16_t weight;
};

std::string bookBytes(const std::vector<TestEntry>& entries) {
  std::string bytes;
  for (const TestEntry& e : entries) appendEntry(&bytes, keyAfter(e.line), code(e.move), e.weight);
  return bytes;
}

// Games of the walk's position after `line`, 0 when the walk did not reach it.
uint32_t gamesAfter(const std::vector<PolyglotPosition>& positions, const std::vector<std::string>& line) {
  keyAfter(line);
  for (const PolyglotPosition& p : positions) {
    if (p.lock == Board.hashLock && p.side == Board.sideToMove) return p.games;
  }
  return 0;
}

std::vector<PolyglotPosition> walk(const std::string& bytes, int maxPly, PolyglotReport* report,
                                   std::string* out = nullptr) {
  ::testing::internal::CaptureStdout();
  std::vector<PolyglotEntry> entries = readPolyglotEntries(bytes, report);
  std::vector<PolyglotPosition> positions = walkPolyglotBook(entries, maxPly, "test.bin", report);
  std::string text = ::testing::internal::GetCapturedStdout();
  if (out != nullptr) *out = text;
  return positions;
}

TEST(PolyglotKeys, CheckPositionsOfTheFormat) {
  EXPECT_EQ(keyAfter({}), 0x463b96181691fc9cULL);
  EXPECT_EQ(keyAfter({"e2e4"}), 0x823c9b50fd114196ULL);
  EXPECT_EQ(keyAfter({"e2e4", "d7d5"}), 0x0756b94461c50fb0ULL);
  EXPECT_EQ(keyAfter({"e2e4", "d7d5", "e4e5"}), 0x662fafb965db29d4ULL);
  EXPECT_EQ(keyAfter({"e2e4", "d7d5", "e4e5", "f7f5"}), 0x22a48b5a8e47ff78ULL) << "en passant possible";
}

TEST(PolyglotKeys, CastlingRightsAndEnPassantFollowTheBoard) {
  // A double push with no pawn beside it leaves no en-passant file in the key.
  uint64_t direct = keyAfter({"g1f3", "g8f6", "e2e4"});
  uint64_t withRights = keyAfter({"e2e4", "g8f6", "g1f3"});
  EXPECT_EQ(direct, withRights);
  // A king that went away and came back has lost both rights: the placement is the same.
  uint64_t afterKingWalk = keyAfter({"e2e4", "e7e5", "e1e2", "e8e7", "e2e1", "e7e8"});
  uint64_t sameWithRights = keyAfter({"e2e4", "e7e5"});
  EXPECT_EQ(afterKingWalk ^ sameWithRights,
            POLYGLOT_KEYS[768] ^ POLYGLOT_KEYS[769] ^ POLYGLOT_KEYS[770] ^ POLYGLOT_KEYS[771]);
  // A rook that moved loses only its side's right.
  uint64_t afterRookWalk = keyAfter({"h2h4", "a7a5", "h1h2", "a8a7", "h2h1", "a7a8"});
  uint64_t pawnsOnly = keyAfter({"h2h4", "a7a5"});
  EXPECT_EQ(afterRookWalk ^ pawnsOnly, POLYGLOT_KEYS[768] ^ POLYGLOT_KEYS[771]);
}

TEST(PolyglotWalk, WeightsShareOutTheGames) {
  std::string bytes = bookBytes({
      {{}, "e2e4", 3}, {{}, "d2d4", 1}, {{}, "c2c4", 0},         // c4 has weight 0: not walked
      {{"e2e4"}, "e7e5", 1}, {{"e2e4"}, "c7c5", 1},
      {{"d2d4"}, "d7d5", 5},
      {{"e2e4", "e7e5"}, "g1f3", 2},
      {{"d2d4", "d7d5"}, "e2e4", 1},
      {{"e2e4", "e7e5", "g1f3"}, "b8c6", 1},
  });
  PolyglotReport report{};
  std::vector<PolyglotPosition> positions = walk(bytes, 4, &report);
  EXPECT_EQ(report.entries, 9);
  EXPECT_EQ(report.zeroWeight, 1);
  EXPECT_EQ(report.illegalMoves + report.cycles + report.duplicates, 0);
  EXPECT_EQ(gamesAfter(positions, {"e2e4"}), 750000000u);
  EXPECT_EQ(gamesAfter(positions, {"d2d4"}), 250000000u);
  EXPECT_EQ(gamesAfter(positions, {"c2c4"}), 0u);
  EXPECT_EQ(gamesAfter(positions, {"e2e4", "c7c5"}), 375000000u);
  EXPECT_EQ(gamesAfter(positions, {"e2e4", "e7e5", "g1f3"}), 375000000u);
  EXPECT_EQ(gamesAfter(positions, {"e2e4", "e7e5", "g1f3", "b8c6"}), 375000000u);
  EXPECT_EQ(gamesAfter(positions, {"d2d4", "d7d5", "e2e4"}), 250000000u);
  EXPECT_EQ(report.positionsReached, 8);

  positions = walk(bytes, 2, &report);
  EXPECT_EQ(gamesAfter(positions, {"e2e4", "e7e5", "g1f3"}), 0u) << "beyond the last ply";
  EXPECT_EQ(report.positionsReached, 5);
}

TEST(PolyglotWalk, TranspositionsGatherTheirGamesBeforeSharingThem) {
  std::string bytes = bookBytes({
      {{}, "e2e4", 1}, {{}, "g1f3", 1},
      {{"e2e4"}, "g8f6", 1}, {{"g1f3"}, "g8f6", 1},
      {{"e2e4", "g8f6"}, "g1f3", 1}, {{"g1f3", "g8f6"}, "e2e4", 1},
      {{"e2e4", "g8f6", "g1f3"}, "f6e4", 1}, {{"e2e4", "g8f6", "g1f3"}, "d7d6", 3},
  });
  PolyglotReport report{};
  std::vector<PolyglotPosition> positions = walk(bytes, 4, &report);
  EXPECT_EQ(gamesAfter(positions, {"e2e4", "g8f6", "g1f3"}), 1000000000u);
  EXPECT_EQ(gamesAfter(positions, {"g1f3", "g8f6", "e2e4", "f6e4"}), 250000000u);
  EXPECT_EQ(gamesAfter(positions, {"e2e4", "g8f6", "g1f3", "d7d6"}), 750000000u);
  EXPECT_EQ(report.otherPlyRepeats, 0);
}

TEST(PolyglotWalk, CastlingIsTheKingTakingItsRook) {
  std::vector<std::string> line = {"e2e4", "e7e5", "g1f3", "b8c6", "f1c4", "g8f6"};
  std::string bytes;
  for (size_t i = 0; i < line.size(); i++) {
    appendEntry(&bytes, keyAfter(std::vector<std::string>(line.begin(), line.begin() + i)), code(line[i]), 1);
  }
  appendEntry(&bytes, keyAfter(line), code("e1h1"), 1);
  appendEntry(&bytes, keyAfter(line), code("e1g1"), 1);  // the king's two steps are no castling here
  PolyglotReport report{};
  std::string out;
  std::vector<PolyglotPosition> positions = walk(bytes, 8, &report, &out);
  std::vector<std::string> castled = line;
  castled.push_back("e1g1");
  EXPECT_EQ(gamesAfter(positions, castled), 1000000000u);
  EXPECT_EQ(report.illegalMoves, 1);
  EXPECT_NE(out.find("test.bin: illegal move e1g1 in the position with key"), std::string::npos) << out;
}

TEST(PolyglotWalk, DamageIsSkippedAndReported) {
  std::string bytes = bookBytes({
      {{"e2e4"}, "e7e5", 1},
      {{}, "e2e4", 2},
      {{}, "e2e5", 9},                                   // illegal
      {{}, "e2e4", 7},                                   // the same move again
      {{"e2e4"}, "d7d5", 0},                             // weight 0, then listed again
      {{"e2e4"}, "d7d5", 5},
      {{}, "g1f3", 2},
      {{"g1f3"}, "g8f6", 1},
      {{"g1f3"}, "e7e5", 1},
      {{"g1f3", "g8f6"}, "f3g1", 1},
      {{"g1f3", "g8f6", "f3g1"}, "f6g8", 1},             // back to the initial position
      {{"g1f3", "g8f6", "f3g1"}, "e7e5", 1},
      {{"g1f3", "g8f6", "f3g1", "e7e5"}, "g1f3", 1},
      {{"g1f3", "g8f6", "f3g1", "e7e5", "g1f3"}, "f6g8", 1},  // 1.Nf3 e5 again, at ply 6
  });
  bytes += "\x01\x02\x03";
  PolyglotReport report{};
  std::string out;
  std::vector<PolyglotPosition> positions = walk(bytes, 10, &report, &out);
  EXPECT_EQ(report.entries, 14);
  EXPECT_EQ(report.trailingBytes, 3);
  EXPECT_GT(report.outOfOrder, 0);
  EXPECT_EQ(report.illegalMoves, 1);
  EXPECT_EQ(report.duplicates, 2);
  EXPECT_EQ(report.zeroWeight, 1);
  EXPECT_EQ(report.cycles, 1);
  EXPECT_EQ(report.otherPlyRepeats, 1);
  EXPECT_EQ(gamesAfter(positions, {"g1f3", "e7e5"}), 375000000u) << "250 million at ply 2, 125 million at ply 6";
  EXPECT_EQ(gamesAfter(positions, {"e2e4"}), 500000000u) << "the duplicate's weight is not added";
  EXPECT_EQ(gamesAfter(positions, {"e2e4", "e7e5"}), 500000000u) << "found although the entries are unsorted";
  EXPECT_EQ(gamesAfter(positions, {"e2e4", "d7d5"}), 0u) << "the first listing counts";
  EXPECT_NE(out.find("move back to an earlier position of its line: f6g8"), std::string::npos) << out;
  EXPECT_NE(out.find("illegal move e2e5"), std::string::npos) << out;
}

TEST(PolyglotWalk, RandomBytesNeverStopTheWalk) {
  // Entries on real keys with random moves and weights, and files of pure noise of every length.
  std::mt19937 random(15);
  std::vector<uint64_t> keys = {keyAfter({}), keyAfter({"e2e4"}), keyAfter({"e2e4", "e7e5"}),
                                keyAfter({"d2d4"}), keyAfter({"e2e4", "d7d5", "e4e5", "f7f5"})};
  std::string bytes;
  for (int i = 0; i < 3000; i++) {
    appendEntry(&bytes, keys[random() % keys.size()], static_cast<uint16_t>(random()),
                static_cast<uint16_t>(random() % 4));
  }
  PolyglotReport report{};
  walk(bytes, 12, &report);
  EXPECT_GT(report.illegalMoves, 0);
  for (size_t length : {0u, 1u, 15u, 16u, 17u, 333u}) {
    std::string noise(length, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    std::vector<PolyglotPosition> positions = walk(noise, 30, &report);
    EXPECT_EQ(report.trailingBytes, static_cast<int64_t>(length % 16));
    EXPECT_TRUE(positions.empty());
  }
}

// ---- Through the book builder ---------------------------------------------------------------------

class PolyglotBookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    initRatingDiff();
    EngineSettings.bookEnabled = 1;
  }
  void TearDown() override { closeBookFiles(); }

  int build(const std::vector<std::string>& pgn, const std::vector<std::string>& books, int maxPly,
            MakebookReport* report, std::string* out = nullptr) {
    MakebookOptions options = {maxPly, 1, books};
    ::testing::internal::CaptureStdout();
    int status = buildBook(pgn, options, report);
    std::string text = ::testing::internal::GetCapturedStdout();
    if (out != nullptr) *out = text;
    return status;
  }

  // The engine's chance of playing each candidate after the line, as its book choice draws
  // them (every quick measurement 0): weight over the sum of weights, by move text.
  std::map<std::string, double> engineShares(const std::vector<std::string>& line) {
    keyAfter(line);
    int side = Board.sideToMove;
    clearBookCandidates();
    EvalContext.rootSide = static_cast<int8_t>(side);
    SearchState.soundBookMove = 0;
    for (const Move& m : legalMovesHere()) {
      makeMove(side, m);
      Book.candidateCount += probeBook(m.from, m.to, Book.candidateCount, side);
      unmakeMove(side, m);
    }
    std::map<std::string, double> shares;
    if (chooseBookMove(0) < 0) return shares;
    double sum = 0;
    for (int i = 0; i < Book.candidateCount; i++) sum += Book.bookCandidate[i].weight;
    for (int i = 0; i < Book.candidateCount; i++) {
      const BookCandidate& c = Book.bookCandidate[i];
      shares[moveText(moveCodeFrom(c.moveCode), moveCodeTo(c.moveCode), 0)] = sum > 0 ? c.weight / sum : 0;
    }
    return shares;
  }

  static std::vector<Move> legalMovesHere() {
    int side = Board.sideToMove;
    Ordering.ply = 1;
    MoveStack.plyStart[1] = 0;
    generateMoves(side);
    std::vector<Move> all(MoveStack.moveStack + MoveStack.plyStart[1], MoveStack.moveStack + MoveStack.plyStart[2]);
    std::vector<Move> legal;
    for (const Move& m : all) {
      makeMove(side, m);
      if (!isSquareAttacked(Board.pieceList[side][0], side ^ 1)) legal.push_back(m);
      unmakeMove(side, m);
    }
    return legal;
  }

  ScratchDirectory folder;
};

TEST_F(PolyglotBookTest, BookChoiceFollowsTheWeights) {
  writeWholeFile("weights.bin", bookBytes({{{}, "e2e4", 60}, {{}, "d2d4", 30}, {{}, "c2c4", 10},
                                           {{"e2e4"}, "c7c5", 1}, {{"e2e4"}, "e7e5", 1}, {{"e2e4"}, "e7e6", 2}}));
  MakebookReport report;
  ASSERT_EQ(build({}, {"weights.bin"}, 10, &report), 0);
  EXPECT_EQ(report.positionsWritten, 6);
  openBookFiles();
  std::map<std::string, double> shares = engineShares({});
  EXPECT_DOUBLE_EQ(shares["e2e4"], 0.6);
  EXPECT_DOUBLE_EQ(shares["d2d4"], 0.3);
  EXPECT_DOUBLE_EQ(shares["c2c4"], 0.1);
  shares = engineShares({"e2e4"});
  EXPECT_DOUBLE_EQ(shares["e7e6"], 0.5);
  EXPECT_DOUBLE_EQ(shares["c7c5"], 0.25);
}

TEST_F(PolyglotBookTest, PolyglotPositionsReplaceThoseOfPgnGames) {
  writeWholeFile("games.pgn",
                 "[Result \"1-0\"]\n1. e4 e5 2. Nf3 1-0\n\n[Result \"1-0\"]\n1. e4 e5 2. Nf3 1-0\n\n"
                 "[Result \"0-1\"]\n1. d4 d5 0-1\n\n[Result \"0-1\"]\n1. d4 d5 0-1\n\n");
  writeWholeFile("small.bin", bookBytes({{{}, "e2e4", 1}, {{}, "d2d4", 1}}));
  MakebookReport report;
  std::string out;
  ASSERT_EQ(build({"games.pgn"}, {"small.bin"}, 10, &report, &out), 0);
  EXPECT_EQ(report.gamesRead, 4);
  EXPECT_EQ(report.positionsWritten, 5) << "after 1.e4 and 1.d4 from the book, three more from the games";
  EXPECT_NE(out.find("small.bin: 2 entries, 2 positions reached\n"), std::string::npos) << out;
  openBookFiles();
  std::map<std::string, double> shares = engineShares({});
  EXPECT_DOUBLE_EQ(shares["e2e4"], 0.5) << "the games' results no longer count";
  shares = engineShares({"e2e4", "e7e5"});
  EXPECT_DOUBLE_EQ(shares["g1f3"], 1.0) << "the games still fill what the book lacks";

  EXPECT_EQ(build({}, {"missing.bin"}, 10, &report), 1);
}

TEST_F(PolyglotBookTest, CommandLine) {
  writeWholeFile("small.bin", bookBytes({{{}, "e2e4", 1}, {{}, "d2d4", 1}}));
  auto run = [](std::vector<std::string> words, std::string* out) {
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    int status = runMakebookCommand(static_cast<int>(argv.size()), argv.data());
    *out = ::testing::internal::GetCapturedStdout() + ::testing::internal::GetCapturedStderr();
    return status;
  };
  std::string out;
  EXPECT_EQ(run({"vostrel", "makebook", "--polyglot"}, &out), 2);
  EXPECT_EQ(run({"vostrel", "makebook", "--polyglot", "missing.bin"}, &out), 1);
  EXPECT_EQ(run({"vostrel", "makebook", "--min-games", "1", "--polyglot", "small.bin"}, &out), 0);
  EXPECT_NE(out.find("Games read: 0\nGames refused: 0\nPositions written: 2\n"), std::string::npos) << out;
}

// The default source, when this machine has it: over the first moves of the main lines, the
// engine's chances against the book's weights (reported, and bounded). The gap comes from the
// book choice's own rules: a move in fewer than 1 % of the games is never played, and weights are
// whole percentages.
TEST_F(PolyglotBookTest, DeviationFromTheWeightsOfARealBook) {
  std::FILE* file = std::fopen(SYSTEM_POLYGLOT_BOOK, "rb");
  if (file == nullptr) GTEST_SKIP() << "no " << SYSTEM_POLYGLOT_BOOK;
  std::fclose(file);
  MakebookReport report;
  ASSERT_EQ(build({}, {SYSTEM_POLYGLOT_BOOK}, 6, &report), 0);
  openBookFiles();
  std::string bytes;
  ASSERT_TRUE(readWholeFile(SYSTEM_POLYGLOT_BOOK, &bytes));
  PolyglotReport polyglotReport{};
  std::vector<PolyglotEntry> entries = readPolyglotEntries(bytes, &polyglotReport);
  double worst = 0;
  for (const std::vector<std::string>& line :
       std::vector<std::vector<std::string>>{{}, {"e2e4"}, {"d2d4"}, {"e2e4", "c7c5"}, {"d2d4", "g8f6"}}) {
    std::map<std::string, double> shares = engineShares(line);
    uint64_t key = keyAfter(line);
    std::map<std::string, double> weights;
    double sum = 0;
    for (const PolyglotEntry& e : entries) {
      if (e.key != key) continue;
      std::string text = moveText((e.move >> 6) & 63, e.move & 63, 0);
      weights[text] += e.weight;
      sum += e.weight;
    }
    ASSERT_GT(sum, 0);
    double total = 0;
    for (auto& [move, weight] : weights) {
      double gap = std::fabs(weight / sum - shares[move]);
      total += gap;
      worst = std::max(worst, gap);
    }
    std::printf("after %zu plies: %zu moves, summed gap %.2f %%\n", line.size(), weights.size(), 100 * total);
  }
  std::printf("largest gap of one move: %.2f percentage points\n", 100 * worst);
  EXPECT_LT(worst, 0.04);
}

}  // namespace
