// The PGN reader and the SAN text reader of the book builder.
#include "tools/pgn.h"

#include <gtest/gtest.h>

#include "tools/san.h"

namespace {

std::vector<PgnGame> readAll(const std::string& text) {
  PgnReader reader;
  startPgnReader(&reader, text);
  std::vector<PgnGame> games;
  PgnGame game;
  while (readPgnGame(&reader, &game)) games.push_back(game);
  return games;
}

using Moves = std::vector<std::string>;

TEST(PgnReader, TagsAndMainLine) {
  auto games = readAll(
      "[Event \"Test \\\"quoted\\\"\"]\n"
      "[White \"Nimzo \"Aron\" Witsch\"]\n"  // unescaped quotes inside a value
      "[WhiteElo \"2650\"]\n[BlackElo \"?\"]\n[Result \"1-0\"]\n\n"
      "{A comment\nover two lines} 1.e4 e5 2. Nf3 $1 Nc6?! ; rest of line\n"
      "3.Bb5 (3.Bc4 Bc5 (3...Nf6 4.Ng5) 4.c3) 3...a6 4.Ba4 Nf6 5.O-O 1-0\n");
  ASSERT_EQ(games.size(), 1u);
  const PgnGame& g = games[0];
  EXPECT_EQ(g.whiteElo, 2650);
  EXPECT_EQ(g.blackElo, 0);
  EXPECT_EQ(g.result, PGN_WHITE_WINS);
  EXPECT_EQ(g.setUp, 0);
  EXPECT_EQ(g.line, 1);
  EXPECT_TRUE(g.damage.empty());
  EXPECT_EQ(g.moves, (Moves{"e4", "e5", "Nf3", "Nc6?!", "Bb5", "a6", "Ba4", "Nf6", "O-O"}));
}

TEST(PgnReader, ResultsAndGameBoundaries) {
  auto games = readAll(
      "\xEF\xBB\xBF[Result \"1/2\"]\r\n1. d4 d5 1/2\r\n\r\n"
      "[Result \"0-1\"]\n1. f3 e5 2. g4 Qh4# 0-1\n"
      "[Result \"1-0\"]\n1. c4\n"  // no termination: the next tags end it, the tag gives the result
      "[Result \"*\"]\n1. b3 *\n"
      "1. a3 1/2-1/2\n");  // a game without tags
  ASSERT_EQ(games.size(), 5u);
  EXPECT_EQ(games[0].result, PGN_DRAW);
  EXPECT_EQ(games[0].moves, (Moves{"d4", "d5"}));
  EXPECT_EQ(games[1].result, PGN_BLACK_WINS);
  EXPECT_EQ(games[1].moves, (Moves{"f3", "e5", "g4", "Qh4#"}));
  EXPECT_EQ(games[2].result, PGN_WHITE_WINS);
  EXPECT_EQ(games[2].moves, (Moves{"c4"}));
  EXPECT_EQ(games[3].result, PGN_UNKNOWN);
  EXPECT_EQ(games[4].result, PGN_DRAW);
  EXPECT_EQ(games[4].number, 5);
  EXPECT_EQ(games[4].line, 10);
}

TEST(PgnReader, SetUpGamesAreMarked) {
  auto games = readAll(
      "[SetUp \"1\"]\n[FEN \"8/8/8/8/8/8/8/K6k w - - 0 1\"]\n1. Kb1 *\n"
      "[FEN \"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1\"]\n1. e4 *\n");
  ASSERT_EQ(games.size(), 2u);
  EXPECT_EQ(games[0].setUp, 1);
  EXPECT_EQ(games[1].setUp, 0);
}

TEST(PgnReader, DamagedTextNeverSwallowsTheNextGame) {
  auto games = readAll(
      "[Event \"a\"]\n1. e4 {never closed\n1... e5\n\n"
      "[Event \"b\"]\n1. d4 ((( d5 ) 2. c4\n\n"  // unbalanced variation
      "[Event \"c\"]\n[Result \"0-1\"]\n1. c4 ) } ] e5 0-1\n"
      "{trailing comment only}\n");
  ASSERT_EQ(games.size(), 3u);
  EXPECT_EQ(games[0].damage, "unterminated comment");
  EXPECT_EQ(games[1].moves, (Moves{"d4"}));
  EXPECT_EQ(games[2].moves, (Moves{"c4", "e5"}));
  EXPECT_EQ(games[2].result, PGN_BLACK_WINS);

  EXPECT_TRUE(readAll("").empty());
  EXPECT_TRUE(readAll("\n  \n{only a comment}\n").empty());
  std::string junk;
  for (int i = 0; i < 2000; i++) junk += static_cast<char>((i * 37) % 256);
  readAll(junk);  // must simply end
  readAll("[Event \"unclosed\n[White");
}

TEST(SanText, Readable) {
  SanMove san;
  ASSERT_TRUE(parseSan("Nbd7", &san));
  EXPECT_EQ(san.piece, KNIGHT);
  EXPECT_EQ(san.fromFile, 1);
  EXPECT_EQ(san.fromRank, -1);
  EXPECT_EQ(san.to, D7);

  ASSERT_TRUE(parseSan("R1e2+", &san));
  EXPECT_EQ(san.piece, ROOK);
  EXPECT_EQ(san.fromRank, 0);
  EXPECT_EQ(san.to, E2);

  ASSERT_TRUE(parseSan("Qh4xe1#", &san));
  EXPECT_EQ(san.fromFile, 7);
  EXPECT_EQ(san.fromRank, 3);
  EXPECT_EQ(san.to, E1);

  ASSERT_TRUE(parseSan("exd6e.p.", &san));
  EXPECT_EQ(san.piece, PAWN);
  EXPECT_EQ(san.fromFile, 4);
  EXPECT_EQ(san.to, D6);

  for (const char* text : {"e8=Q+", "e8Q", "e8(Q)", "e8=q"}) {
    ASSERT_TRUE(parseSan(text, &san)) << text;
    EXPECT_EQ(san.to, E8) << text;
    EXPECT_EQ(san.promotion, QUEEN) << text;
  }
  ASSERT_TRUE(parseSan("bxa1=N", &san));
  EXPECT_EQ(san.promotion, KNIGHT);
  EXPECT_EQ(san.fromFile, 1);

  for (const char* text : {"O-O", "0-0", "O-O+"}) {
    ASSERT_TRUE(parseSan(text, &san));
    EXPECT_EQ(san.castling, SAN_KING_SIDE) << text;
  }
  ASSERT_TRUE(parseSan("O-O-O!", &san));
  EXPECT_EQ(san.castling, SAN_QUEEN_SIDE);
}

TEST(SanText, Unreadable) {
  SanMove san;
  for (const char* text : {"", "+", "N", "Nf9", "Zf3", "xx", "Ke", "Nbb1d2", "e4e5e6", "O-O-O-O", "--", "Q(h4)"})
    EXPECT_FALSE(parseSan(text, &san)) << text;
}

}  // namespace
