// The book builder: SAN moves on the engine's board, the files it writes, its report, malformed
// input, and the "bk" text of a book it built.
#include "tools/makebook.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board/attack.h"
#include "board/board.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "config/settings.h"
#include "game/book.h"
#include "game/littleendian.h"
#include "search/searchstate.h"
#include "support/board_fixture.h"
#include "support/book_files.h"
#include "support/io_fixtures.h"
#include "tools/san.h"

namespace {

const std::string SMALL_PGN = std::string(VOSTREL_TEST_DATA) + "/book_small.pgn";

// Finds `text` for the side to move; the found move's coordinates in `found`.
SanStatus findSan(const std::string& text, std::string* found = nullptr) {
  Ordering.ply = 1;
  MoveStack.plyStart[1] = 0;
  Move move;
  SanStatus status = findSanMove(text, Board.sideToMove, &move);
  if (status == SAN_FOUND && found != nullptr) *found = moveText(move.from, move.to, move.flags);
  return status;
}

TEST(SanMoves, FoundOnTheBoard) {
  setUpInitialPosition();
  std::string move;
  EXPECT_EQ(findSan("Nc3", &move), SAN_FOUND);
  EXPECT_EQ(move, "b1c3");
  EXPECT_EQ(findSan("e4", &move), SAN_FOUND);
  EXPECT_EQ(move, "e2e4");
  EXPECT_EQ(findSan("e5"), SAN_ILLEGAL);
  EXPECT_EQ(findSan("Nd2"), SAN_ILLEGAL);

  ASSERT_TRUE(setUpPosition("rnbqkb1r/ppp2ppp/4pn2/3p4/3P1B2/5N2/PPP1PPPP/RN1QKB1R w KQkq - 0 4"));
  EXPECT_EQ(findSan("Nd2"), SAN_AMBIGUOUS);
  EXPECT_EQ(findSan("Nbd2", &move), SAN_FOUND);
  EXPECT_EQ(move, "b1d2");
  EXPECT_EQ(findSan("Nfd2", &move), SAN_FOUND);
  EXPECT_EQ(move, "f3d2");

  ASSERT_TRUE(setUpPosition("r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1"));
  EXPECT_EQ(findSan("O-O-O", &move), SAN_FOUND);
  EXPECT_EQ(move, "e8c8");
  EXPECT_EQ(findSan("0-0", &move), SAN_FOUND);
  EXPECT_EQ(move, "e8g8");

  ASSERT_TRUE(setUpPosition("4k3/P7/8/3pP3/8/8/8/4K3 w - d6 0 1"));
  EXPECT_EQ(findSan("exd6", &move), SAN_FOUND);
  EXPECT_EQ(move, "e5d6");
  EXPECT_EQ(findSan("a8=N", &move), SAN_FOUND);
  EXPECT_EQ(move, "a7a8n");
  EXPECT_EQ(findSan("a8"), SAN_ILLEGAL) << "a promotion needs its piece";

  ASSERT_TRUE(setUpPosition("4k3/4r3/8/8/8/8/4N3/4K3 w - - 0 1"));
  EXPECT_EQ(findSan("Nc3"), SAN_ILLEGAL) << "pinned";
  EXPECT_EQ(findSan("Nf9"), SAN_UNREADABLE);
}

class MakebookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    initRatingDiff();
    EngineSettings.bookEnabled = 1;
  }
  void TearDown() override { closeBookFiles(); }

  MakebookReport build(const std::vector<std::string>& files, int maxPly, int minGames, std::string* out = nullptr) {
    MakebookReport report;
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(buildBook(files, {maxPly, minGames}, &report), 0);
    std::string text = ::testing::internal::GetCapturedStdout();
    if (out != nullptr) *out = text;
    return report;
  }

  // Probes every legal root move of `side` as the think driver does (measured 0 each).
  void collectCandidates(int side) {
    clearBookCandidates();
    EvalContext.rootSide = static_cast<int8_t>(side);
    SearchState.soundBookMove = 0;
    Ordering.ply = 1;
    MoveStack.plyStart[1] = 0;
    generateMoves(side);
    for (int i = MoveStack.plyStart[1]; i < MoveStack.plyStart[2]; i++) {
      Move m = MoveStack.moveStack[i];
      makeMove(side, m);
      if (!isSquareAttacked(Board.pieceList[side][0], side ^ 1))
        Book.candidateCount += probeBook(m.from, m.to, Book.candidateCount, side);
      unmakeMove(side, m);
    }
  }

  std::string bookInfo(int side) {
    collectCandidates(side);
    ::testing::internal::CaptureStdout();
    chooseBookMove(1);
    return ::testing::internal::GetCapturedStdout();
  }

  ScratchDirectory folder;
};

TEST_F(MakebookTest, WritesASortedBookAndReportsRefusals) {
  std::string out;
  MakebookReport report = build({SMALL_PGN}, DEFAULT_BOOK_MAX_PLY, 1, &out);
  EXPECT_EQ(report.gamesRead, 7);
  EXPECT_EQ(report.gamesRefused, 1);
  EXPECT_EQ(report.positionsWritten, 17);
  EXPECT_NE(out.find("game 7 (line 60) refused: illegal move \"Ke3\" at ply 3\n"), std::string::npos) << out;

  std::vector<uint8_t> index = readFileBytes(BOOK_INDEX_FILE_NAME);
  std::vector<uint8_t> data = readFileBytes(BOOK_DATA_FILE_NAME);
  ASSERT_EQ(index.size(), 17u * BOOK_INDEX_ENTRY_SIZE);
  ASSERT_EQ(data.size(), 17u * BOOK_RECORD_SIZE);
  uint32_t games = 0;
  for (int i = 0; i < 17; i++) {
    uint32_t key = readU32(&index[i * BOOK_INDEX_ENTRY_SIZE]);
    if (i > 0) {
      EXPECT_GT(key, readU32(&index[(i - 1) * BOOK_INDEX_ENTRY_SIZE]));
    }
    EXPECT_EQ(readU32(&index[i * BOOK_INDEX_ENTRY_SIZE + 4]), static_cast<uint32_t>(i));
    BookRecord record;
    decodeBookRecord(&data[i * BOOK_RECORD_SIZE], &record);
    EXPECT_EQ(record.key, key);
    EXPECT_LE(record.sideToMove, 1);
    games += record.whiteWins + record.blackWins + record.draws;
  }
  EXPECT_EQ(games, 24u) << "one count per position for each ply of the six games played";

  EXPECT_EQ(build({SMALL_PGN}, DEFAULT_BOOK_MAX_PLY, 2).positionsWritten, 4);
  EXPECT_EQ(build({SMALL_PGN}, 1, 1).positionsWritten, 2);
}

TEST_F(MakebookTest, BookInfoTextOfABuiltBook) {
  build({SMALL_PGN}, DEFAULT_BOOK_MAX_PLY, 1);
  openBookFiles();
  ASSERT_EQ(EngineSettings.bookEnabled, 1);

  // 1.e4: 2 wins, 1 draw, 1 loss, 62 %; 1.d4: 1 draw, 1 loss. Average performance 2319.
  setUpInitialPosition();
  EXPECT_EQ(bookInfo(WHITE),
            "\tThis position was found in     6 games.\n"
            "\tSuggested move ( e2e4 ) was played in     4 games by players\n"
            "\twith an average rating of 2388 ELO (opponents: 2338 ELO).\n"
            "\tWhite scores    2+    1=    1- (= 62%, performance 2425 ELO).\n"
            "\tVostrel would play the move with a probability of 133%.\n\n");
  collectCandidates(WHITE);
  EXPECT_EQ(chooseBookMove(0), 0);
  EXPECT_EQ(Book.bookCandidate[0].moveCode, moveCodeOf(E2, E4));

  // After 1.e4 the placement after 1...e5 has White to move, as the probe for Black requires.
  ASSERT_TRUE(setUpPosition("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1"));
  EXPECT_EQ(bookInfo(BLACK),
            "\tThis position was found in     4 games.\n"
            "\tSuggested move ( c7c5 ) was played in     1 games by players\n"
            "\twith an average rating of 2500 ELO (opponents: 2600 ELO).\n"
            "\tBlack scores    1+    0=    0- (= 100%, performance 3474 ELO).\n"
            "\tVostrel would play the move with a probability of 50%.\n\n");

  // No book move: nothing at all.
  ASSERT_TRUE(setUpPosition("rnbqkbnr/pppppppp/8/8/8/P7/1PPPPPPP/RNBQKBNR b KQkq - 0 1"));
  EXPECT_EQ(bookInfo(BLACK), "");
}

TEST_F(MakebookTest, MalformedPgnIsReportedNotFatal) {
  writeWholeFile("broken.pgn",
                 "[Event \"1\"]\n[Result \"1-0\"]\n1. e4 Nf9 1-0\n\n"
                 "[Event \"2\"]\n[Result \"1-0\"]\n1. d4 d5 2. Nf3 Nf6 3. Bf4 e6 4. Nd2 1-0\n\n"
                 "[Event \"3\"]\n1. c4 *\n\n"
                 "[Event \"4\"]\n[SetUp \"1\"]\n[FEN \"4k3/8/8/8/8/8/8/4K3 w - - 0 1\"]\n1. Kd2 1-0\n\n"
                 "[Event \"5\"]\n[Result \"0-1\"]\n1. e4 {lost brace\n\n"
                 "[Event \"6\"]\n[Result \"0-1\"]\n1. e4 -- 2. d4 0-1\n\n"
                 "[Event \"7\"]\n[Result \"1-0\"]\n1. g3 d5 2. Bg2 1-0\n\n"
                 "[Event \"8\"]\n[Result \"1-0\"]\n1. Nf3 Nf6 2. N");
  std::string out;
  MakebookReport report = build({"broken.pgn"}, DEFAULT_BOOK_MAX_PLY, 1, &out);
  EXPECT_EQ(report.gamesRead, 8) << out;
  EXPECT_EQ(report.gamesRefused, 7) << out;
  EXPECT_EQ(report.positionsWritten, 3) << "only game 7 is played";
  for (const char* reason :
       {"game 1 (line 1) refused: unreadable move \"Nf9\" at ply 2\n",
        "game 2 (line 5) refused: ambiguous move \"Nd2\" at ply 7\n", "game 3 (line 9) refused: no result\n",
        "game 4 (line 12) refused: starts from a set-up position\n", "game 5 (line 17) refused: unterminated comment\n",
        "game 6 (line 21) refused: unreadable move \"--\" at ply 2\n",
        "game 8 (line 29) refused: unreadable move \"N\" at ply 3\n"})
    EXPECT_NE(out.find(reason), std::string::npos) << reason << "\n" << out;

  writeWholeFile("junk.pgn", std::string("\x00\xff[[[((({{ 1. e4 \x01 $$ )))]]\n\x00", 29));
  report = build({"junk.pgn"}, DEFAULT_BOOK_MAX_PLY, 1);
  EXPECT_EQ(report.positionsWritten, 0);
  EXPECT_EQ(report.gamesRefused, report.gamesRead);
}

TEST_F(MakebookTest, RealGamesAreAllRead) {
  MakebookReport report = build({std::string(VOSTREL_TEST_DATA) + "/worldchamp1972.pgn"}, LARGEST_BOOK_MAX_PLY, 1);
  EXPECT_EQ(report.gamesRead, 21);
  EXPECT_EQ(report.gamesRefused, 0);
  EXPECT_GT(report.positionsWritten, 21 * 20);
}

TEST_F(MakebookTest, CommandLine) {
  std::string small = SMALL_PGN;
  auto run = [](std::vector<std::string> words, std::string* out) {
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    int status = runMakebookCommand(static_cast<int>(argv.size()), argv.data());
    *out = ::testing::internal::GetCapturedStdout();
    *out += ::testing::internal::GetCapturedStderr();
    return status;
  };
  std::string out;
  EXPECT_EQ(run({"vostrel", "makebook"}, &out), 2);
  EXPECT_EQ(run({"vostrel", "makebook", "--max-ply", "0", small}, &out), 2);
  EXPECT_EQ(run({"vostrel", "makebook", "--max-ply", "101", small}, &out), 2);
  EXPECT_EQ(run({"vostrel", "makebook", "--min-games", "x", small}, &out), 2);
  EXPECT_EQ(run({"vostrel", "makebook", "--min-games"}, &out), 2);
  EXPECT_EQ(run({"vostrel", "makebook", "--depth", "3", small}, &out), 2);
  EXPECT_EQ(run({"vostrel", "makebook", "missing.pgn"}, &out), 1);
  EXPECT_EQ(readWholeFile(BOOK_INDEX_FILE_NAME), "<missing>") << "nothing written after a failed read";

  EXPECT_EQ(run({"vostrel", "makebook", "--min-games", "2", "--max-ply", "10", small}, &out), 0);
  EXPECT_NE(out.find("Games read: 7\nGames refused: 1\nPositions written: 4\n"), std::string::npos) << out;
  EXPECT_EQ(readFileBytes(BOOK_INDEX_FILE_NAME).size(), 4u * BOOK_INDEX_ENTRY_SIZE);
}

}  // namespace
