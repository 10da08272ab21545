// Taking back a game move: the board's unmake, then the clock and game marks that go with it.
#include "game/takeback.h"

#include "board/board.h"
#include "board/makemove.h"
#include "eval/evalcontext.h"
#include "game/protocolstate.h"
#include "game/timecontrol.h"

void takeBackMove() {
  const GameRecord& record = GameHistory[Board.gameCount];
  Move move;
  move.from = static_cast<int8_t>(moveCodeFrom(record.moveCode));
  move.to = static_cast<int8_t>(moveCodeTo(record.moveCode));
  move.score = 0;
  move.flags = record.flags;
  int mover = Board.colorAt[move.to];
  unmakeMove(mover, move);
  returnMoveToGo(mover);
  reopenGame();
  clearSearchDepth();
  setSideToMove(Board.sideToMove ^ 1);
}
