#include "support/endgame_play.h"

#include <gtest/gtest.h>

#include <sstream>

#include "board/board.h"
#include "game/think.h"
#include "game/timecontrol.h"
#include "support/selfplay_referee.h"
#include "support/think_session.h"

namespace vostrel_test {

namespace {

constexpr size_t PROMOTION_MOVE_LENGTH = 5;  // "e7e8q"
constexpr int MATING_PLY_LIMIT = 200;        // the fifty-move rule ends any mateless game before
const char* const WIN_RESULT[2] = {"1-0", "0-1"};
const char* const MATE_REASON[2] = {"{White mates}", "{Black mates}"};
const char* const DRAW_RESULT = "1/2-1/2";

void splitResultLine(const std::string& line, EndgameGame& game) {
  const size_t blank = line.find(' ');
  game.result = line.substr(0, blank);
  game.reason = blank == std::string::npos ? "" : line.substr(blank + 1);
}

// A game that ended without a result ("*"). Built from characters, since GCC 12 warns
// (-Wrestrict) about assigning short literals here.
void markUnfinished(EndgameGame& game, const char* reason) {
  game.result = std::string(1, '*');
  game.reason = std::string(reason);
}

}  // namespace

EndgameGame playEndgame(const std::string& fen, int depth, int maxPlies) {
  EndgameGame game;
  if (!startThinkPosition(fen)) {
    markUnfinished(game, "position refused");
    return game;
  }
  setFixedDepthControl(depth);
  while (static_cast<int>(game.moves.size()) < maxPlies) {
    const int side = Board.sideToMove;
    const int before = Board.gameCount;
    runThinkQuietly(side, THINK_MOVE);
    if (Board.gameCount != before + 1) {
      markUnfinished(game, "no move played");
      return game;
    }
    const std::string move = lastGameMove();
    game.moves.push_back(move);
    if (move.size() == PROMOTION_MOVE_LENGTH) game.promotions[side] += 1;
    // A drawing move leaves the side to move unchanged; the board tells the result either way.
    Board.sideToMove = static_cast<int8_t>(side ^ 1);
    const std::string result = resultAfterMove();
    if (!result.empty()) {
      splitResultLine(result, game);
      return game;
    }
  }
  markUnfinished(game, "ply limit");
  return game;
}

void expectMateBy(const std::string& fen, int depth, int winner, bool promotes) {
  const EndgameGame game = playEndgame(fen, depth, MATING_PLY_LIMIT);
  const std::string text = describeGame(game);
  EXPECT_EQ(game.result, WIN_RESULT[winner]) << fen << " at depth " << depth << ": " << text;
  EXPECT_EQ(game.reason, MATE_REASON[winner]) << fen << " at depth " << depth << ": " << text;
  if (promotes) {
    EXPECT_GT(game.promotions[winner], 0) << fen << " at depth " << depth << ": " << text;
  }
}

void expectHeldBy(const std::string& fen, int depth, int defender, int maxPlies, bool drawn) {
  const EndgameGame game = playEndgame(fen, depth, maxPlies);
  const std::string text = describeGame(game);
  const int attacker = defender ^ 1;
  EXPECT_NE(game.result, WIN_RESULT[attacker]) << fen << " at depth " << depth << ": " << text;
  EXPECT_EQ(game.promotions[attacker], 0) << fen << " at depth " << depth << ": " << text;
  if (drawn) {
    EXPECT_EQ(game.result, DRAW_RESULT) << fen << " at depth " << depth << ": " << text;
  }
}

std::string describeGame(const EndgameGame& game) {
  std::ostringstream text;
  text << game.result << ' ' << game.reason << " after " << game.moves.size() << " plies:";
  for (const std::string& move : game.moves) text << ' ' << move;
  return text.str();
}

}  // namespace vostrel_test
