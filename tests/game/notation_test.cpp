// Move notation: the renderings, typed moves in every accepted form, moveCodes from text, the
// thinking line and the move announcement.
#include <gtest/gtest.h>

#include <string>

#include "board/board.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "board/setup.h"
#include "game/notation.h"
#include "game/protocolstate.h"
#include "game/timecontrol.h"
#include "search/hashtable.h"
#include "search/searchstate.h"
#include "support/shell_session.h"

using namespace vostrel_test;

namespace {

class NotationTest : public ::testing::Test {
 protected:
  void SetUp() override { startShellGame(); }

  static void setPosition(const std::string& fen) {
    ASSERT_TRUE(setupPosition(("setboard " + fen).c_str())) << fen;
  }

  // Enters `text` on a fresh copy of the position; returns enterMove's result.
  static int enter(const std::string& text, const std::string& fen = "") {
    startShellGame();
    if (!fen.empty()) setPosition(fen);
    std::string copy = text;
    return enterMove(copy.data());
  }
};

constexpr const char* CASTLING_POSITION = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq -";
constexpr const char* PROMOTION_PUSH = "3r3k/4P3/8/8/8/8/8/4K3 w - -";
constexpr const char* PROMOTION_CAPTURE = "4r2k/3P4/8/8/8/8/8/4K3 w - -";

void expectMoved(int from, int to, int piece, const std::string& text) {
  EXPECT_EQ(Board.pieceAt[from], NONE) << text;
  EXPECT_EQ(Board.pieceAt[to], piece) << text;
  EXPECT_EQ(Board.gameCount, 1) << text;
  EXPECT_TRUE(boardIsOk()) << text;
}

std::string renderings() {
  const NotationData& n = Notation;
  return std::string(n.coordText) + "|" + n.shortText + "|" + n.rankText + "|" + n.fileText;
}

}  // namespace

TEST_F(NotationTest, RenderingsOfEachKindOfMove) {
  formatMove(G1, F3, 0);
  EXPECT_EQ(renderings(), "g1f3|Sf3|S1f3|Sgf3");
  formatMove(E2, E4, 0);
  EXPECT_EQ(renderings(), "e2e4|Be4|B2e4|Bee4");
  formatMove(E1, G1, CASTLING);
  EXPECT_EQ(renderings(), "e1g1|o-o|0-0|O-O");
  formatMove(E8, C8, CASTLING);
  EXPECT_EQ(renderings(), "e8c8|o-o-o|0-0-0|O-O-O");
  formatMove(E7, E8, PROMOTION + QUEEN);
  EXPECT_EQ(renderings(), "e7e8q|e8|e8q|");
  formatMove(D7, E8, PROMOTION + KNIGHT);
  EXPECT_EQ(renderings(), "d7e8n|de|de8n|");
  formatMove(E4, E4, 0);
  EXPECT_EQ(renderings(), "|||");
  // From an empty square the piece letter is a blank.
  formatMove(E4, E5, 0);
  EXPECT_EQ(renderings(), "e4e5| e5| 4e5| ee5");

  ProtocolState.fritzMode = 1;
  formatMove(E7, E8, PROMOTION + ROOK);
  EXPECT_EQ(renderings(), "e7e8R|e8|e8R|");
}

TEST_F(NotationTest, PawnAndKnightMovesInEveryForm) {
  for (const char* text : {"e2e4", "Be4", "B2e4", "Bee4"}) {
    EXPECT_EQ(enter(text), 1) << text;
    expectMoved(E2, E4, PAWN, text);
    EXPECT_EQ(Board.sideToMove, WHITE) << "the interpreter flips the side, not enterMove";
  }
  for (const char* text : {"g1f3", "Sf3", "S1f3", "Sgf3"}) {
    EXPECT_EQ(enter(text), 1) << text;
    expectMoved(G1, F3, KNIGHT, text);
  }
  for (const char* text : {"e4", "Pe4", "Nf3", "e2-e4", "E2E4", "e2e4 ", "e2e5", "e7e5", "", "Sf", "o-o"}) {
    EXPECT_EQ(enter(text), 0) << text;
    EXPECT_EQ(Board.gameCount, 0) << text;
    EXPECT_EQ(Board.pieceAt[E2], PAWN) << text;
  }
}

TEST_F(NotationTest, CastlingInEveryForm) {
  for (const char* text : {"e1g1", "o-o", "0-0", "O-O"}) {
    EXPECT_EQ(enter(text, CASTLING_POSITION), 1) << text;
    EXPECT_EQ(Board.pieceAt[G1], KING) << text;
    EXPECT_EQ(Board.pieceAt[F1], ROOK) << text;
    EXPECT_EQ(Board.castled[WHITE], 1) << text;
  }
  for (const char* text : {"e1c1", "o-o-o", "0-0-0", "O-O-O"}) {
    EXPECT_EQ(enter(text, CASTLING_POSITION), 1) << text;
    EXPECT_EQ(Board.pieceAt[C1], KING) << text;
    EXPECT_EQ(Board.pieceAt[D1], ROOK) << text;
  }
  EXPECT_EQ(enter("Kg1", CASTLING_POSITION), 0);
  EXPECT_EQ(enter("o-o", "r3k2r/8/8/8/8/8/8/R3K2R w Qkq -"), 0);
}

TEST_F(NotationTest, PromotionsAndFritzLetters) {
  EXPECT_EQ(enter("e7e8q", PROMOTION_PUSH), 1);
  EXPECT_EQ(Board.pieceAt[E8], QUEEN);
  EXPECT_EQ(enter("e7e8n", PROMOTION_PUSH), 1);
  EXPECT_EQ(Board.pieceAt[E8], KNIGHT);
  EXPECT_EQ(enter("e8", PROMOTION_PUSH), 1);  // the first generated promotion: the queen
  EXPECT_EQ(Board.pieceAt[E8], QUEEN);
  EXPECT_EQ(enter("e8q", PROMOTION_PUSH), 1);
  EXPECT_EQ(Board.pieceAt[E8], QUEEN);
  EXPECT_EQ(enter("e8r", PROMOTION_PUSH), 1);
  EXPECT_EQ(Board.pieceAt[E8], ROOK);
  EXPECT_EQ(enter("e7e8Q", PROMOTION_PUSH), 0);
  EXPECT_EQ(enter("e7e8", PROMOTION_PUSH), 0);
  EXPECT_EQ(enter("e7e8k", PROMOTION_PUSH), 0);

  // A capturing promotion d7xe8.
  for (const char* text : {"d7e8q", "de8q", "de"}) {
    EXPECT_EQ(enter(text, PROMOTION_CAPTURE), 1) << text;
    EXPECT_EQ(Board.pieceAt[E8], QUEEN) << text;
    EXPECT_EQ(Board.colorAt[E8], WHITE) << text;
    EXPECT_EQ(Board.pieceAt[D7], NONE) << text;
  }
  EXPECT_EQ(enter("de8b", PROMOTION_CAPTURE), 1);
  EXPECT_EQ(Board.pieceAt[E8], BISHOP);

  // The fritz interface: lower-case letters are raised, upper-case ones accepted.
  for (const char* text : {"e7e8q", "e7e8Q"}) {
    startShellGame();
    ProtocolState.fritzMode = 1;
    setPosition(PROMOTION_PUSH);
    std::string copy = text;
    EXPECT_EQ(enterMove(copy.data()), 1) << text;
    EXPECT_EQ(Board.pieceAt[E8], QUEEN) << text;
  }
}

TEST_F(NotationTest, MoveLeavingTheKingAttackedIsRefused) {
  const char* pinned = "4k3/4r3/8/8/8/8/4B3/4K3 w - -";
  for (const char* text : {"e2d3", "Ld3", "e2f1"}) {
    EXPECT_EQ(enter(text, pinned), 0) << text;
    EXPECT_EQ(Board.pieceAt[E2], BISHOP) << text;
    EXPECT_EQ(Board.gameCount, 0) << text;
    EXPECT_TRUE(boardIsOk()) << text;
  }
  EXPECT_EQ(enter("e1d1", pinned), 1);
}

TEST_F(NotationTest, OnlyTheFirstMatchCountsEvenWhenItIsIllegal) {
  // Knights on b3 and f3 can both go to d2; the f3 knight is pinned against the king on h1.
  const char* position = "7k/8/8/3b4/8/1N3N2/8/7K w - -";
  startShellGame();
  setPosition(position);
  Ordering.ply = 1;
  generateMoves(WHITE);
  int firstToD2 = -1;
  for (int i = MoveStack.plyStart[1]; i < MoveStack.plyStart[2]; ++i) {
    if (MoveStack.moveStack[i].to == D2) {
      firstToD2 = MoveStack.moveStack[i].from;
      break;
    }
  }
  ASSERT_EQ(firstToD2, F3) << "the pinned knight must come first for this test";
  EXPECT_EQ(enter("Sd2", position), 0);
  EXPECT_EQ(Board.pieceAt[B3], KNIGHT);
  EXPECT_EQ(enter("Sbd2", position), 1);
  EXPECT_EQ(Board.pieceAt[D2], KNIGHT);
  EXPECT_EQ(Board.pieceAt[B3], NONE);
}

TEST_F(NotationTest, NoMoveInAPositionWithoutKings) {
  startShellGame();
  Board.pieceAt[E1] = NONE;
  Board.colorAt[E1] = EMPTY;
  recomputeBoardState();
  std::string text = "e2e4";
  EXPECT_EQ(enterMove(text.data()), 0);
  EXPECT_EQ(Board.pieceAt[E2], PAWN);
}

TEST_F(NotationTest, TheGameRecordLimitRefusesFurtherMoves) {
  startShellGame();
  Board.gameCount = GAME_MOVE_LIMIT;
  std::string text = "e2e4";
  EXPECT_EQ(enterMove(text.data()), 0);
  EXPECT_EQ(Board.pieceAt[E2], PAWN);
  Board.gameCount = GAME_MOVE_LIMIT - 1;
  EXPECT_EQ(enterMove(text.data()), 1);
  EXPECT_EQ(Board.gameCount, GAME_MOVE_LIMIT);
}

TEST_F(NotationTest, EnteredMovesAgeTheHashTablesUpTo251) {
  for (const auto& [before, after] : {std::pair{0, 1}, {249, 250}, {250, 251}, {251, 251}}) {
    startShellGame();
    HashTable.hashAge = static_cast<uint8_t>(before);
    std::string text = "e2e4";
    ASSERT_EQ(enterMove(text.data()), 1);
    EXPECT_EQ(HashTable.hashAge, after) << before;
  }
  startShellGame();
  HashTable.hashAge = 7;
  std::string illegal = "e2e5";
  EXPECT_EQ(enterMove(illegal.data()), 0);
  EXPECT_EQ(HashTable.hashAge, 7);
}

TEST_F(NotationTest, MoveCodesFromText) {
  EXPECT_EQ(parseMoveCode("e2e4", WHITE), 12 * 64 + 28);
  EXPECT_EQ(parseMoveCode("e7e8q", WHITE), E7 * 64 + E8);
  EXPECT_EQ(parseMoveCode("o-o", WHITE), 4 * 64 + 6);
  EXPECT_EQ(parseMoveCode("o-o", BLACK), E8 * 64 + G8);
  EXPECT_EQ(parseMoveCode("o-o-o", WHITE), E1 * 64 + C1);
  EXPECT_EQ(parseMoveCode("o-o-o", BLACK), E8 * 64 + C8);
  for (const char* text : {"", "e", "e2", "e2e", "e2e9", "i2e4", "O-O", "0-0", "Sf3", "o-", "h0h1"}) {
    EXPECT_EQ(parseMoveCode(text, WHITE), 0) << text;
  }
}

TEST_F(NotationTest, ThinkingLineFiltersAndFormat) {
  const uint16_t pv[] = {0, moveCodeOf(E2, E4), moveCodeOf(E7, E5), moveCodeOf(G1, F3), 0};
  const uint16_t none[] = {0, 0};
  auto print = [](int depth, int score, const uint16_t* line, int kind) {
    EvalContext.searchDepth = static_cast<int8_t>(depth);
    StdoutCapture capture;
    printThinking(score, line, kind);
    return capture.finish();
  };
  TimeControl.elapsed = 412;
  Ordering.nodes = 125673;
  Notation.thinkingPrinted = 0;
  EXPECT_EQ(print(6, 35, pv, 5), "8 35 412 251346 e2e4 e7e5 g1f3 \n");
  EXPECT_EQ(Notation.thinkingPrinted, 1);

  EXPECT_EQ(print(2, 50, pv, 5), "");
  EXPECT_EQ(print(2, 9500, none, 0), "4 9500 412 251346 \n");
  EXPECT_EQ(print(2, -9500, none, 0), "4 -9500 412 251346 \n");
  EXPECT_EQ(print(6, NO_SCORE, pv, 5), "");

  // One line forced past the filters.
  Notation.thinkingPrinted = FORCE_THINKING_LINE;
  EXPECT_EQ(print(1, 20, none, 0), "3 20 412 251346 \n");
  EXPECT_EQ(Notation.thinkingPrinted, 1);

  // A setboard run shows only the marked kinds.
  ProtocolState.setboardRun = 1;
  EXPECT_EQ(print(6, 35, none, 0), "");
  EXPECT_EQ(print(6, 35, none, 7), "8 35 412 251346 \n");
  ProtocolState.setboardRun = 0;

  // Fritz mode moves mate scores near the 16-bit limits.
  ProtocolState.fritzMode = 1;
  EXPECT_EQ(print(2, 9500, none, 1), "4 32267 412 251346 \n");
  EXPECT_EQ(print(6, -9001, none, 1), "8 -31768 412 251346 \n");
  EXPECT_EQ(print(6, 9000, none, 1), "8 9000 412 251346 \n");
  ProtocolState.fritzMode = 0;

  // Node counts beyond 32 bits and a principal variation as long as it can be.
  Ordering.nodes = 3000000000ULL;
  uint16_t longPv[MAX_PLY];
  longPv[0] = 0;
  for (int i = 1; i < MAX_PLY; ++i) longPv[i] = moveCodeOf(A1, A2);
  const std::string line = print(6, 0, longPv, 5);
  EXPECT_EQ(line.rfind("8 0 412 6000000000 a1a2 ", 0), 0u);
  EXPECT_EQ(line.size(), std::string("8 0 412 6000000000 \n").size() + 5 * (MAX_PLY - 1));
}

TEST_F(NotationTest, ThinkingLineShowsPromotionsOfThePrincipalVariation) {
  const uint16_t pv[] = {0, moveCodeOf(E7, E8), 0};
  SearchState.pvFlags[1] = PROMOTION + KNIGHT;
  EvalContext.searchDepth = 5;
  Ordering.nodes = 1;
  TimeControl.elapsed = 3;
  StdoutCapture capture;
  printThinking(-40, pv, 3);
  EXPECT_EQ(capture.finish(), "7 -40 3 2 e7e8n \n");
  SearchState.pvFlags[1] = 0;
}

TEST_F(NotationTest, EngineMoveAnnouncementCountsTheGameRecord) {
  std::string text = "e2e4";
  ASSERT_EQ(enterMove(text.data()), 1);
  Board.sideToMove = BLACK;
  const Move reply = {E7, E5, 0, QUIET};
  makeMove(BLACK, reply);
  formatMove(E7, E5, 0);
  StdoutCapture capture;
  printEngineMove(E5);
  EXPECT_EQ(capture.finish(), "2. ... e7e5\n");
}
