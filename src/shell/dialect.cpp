// The dialect choice and what the newer dialects share: positions from FEN texts and the test
// of a typed move.
#include "shell/dialect.h"

#include <cstdio>
#include <cstring>

#include "board/attack.h"
#include "board/board.h"
#include "board/makemove.h"
#include "board/ordering.h"
#include "board/setup.h"
#include "game/notation.h"
#include "search/searchstate.h"
#include "game/protocolstate.h"
#include "shell/arguments.h"
#include "shell/input.h"
#include "shell/uci.h"
#include "shell/xboard2.h"

DialectData Dialect;

namespace {

constexpr int MIN_XBOARD_VERSION = 2;
constexpr const char* PROTOVER_PREFIX = "protover ";
constexpr const char* SETBOARD_PREFIX = "setboard ";
constexpr int POSITION_TEXT_SIZE = 256;

// The interface's first command (after an optional "xboard") chooses: "protover N" with N >= 2
// xboard protocol 2, "uci" UCI, anything else the classic dialect.
DialectStep chooseDialect(const char* line) {
  if (!Dialect.choiceOpen || Dialect.chosen) return DialectStep::classic;
  if (std::strcmp(line, "uci") == 0) {
    Dialect.kind = DialectKind::uci;
    Dialect.chosen = true;
    startUciSession();
    return DialectStep::leave;
  }
  // "xboard" may come first; any other command leaves the choice to the classic dialect.
  if (std::strcmp(line, "xboard") == 0) return DialectStep::classic;
  Dialect.chosen = true;
  const size_t prefix = std::strlen(PROTOVER_PREFIX);
  if (std::strncmp(line, PROTOVER_PREFIX, prefix) != 0) return DialectStep::classic;
  if (parseNumber(line + prefix) < MIN_XBOARD_VERSION) return DialectStep::classic;
  Dialect.kind = DialectKind::xboard2;
  offerXboardFeatures();
  return DialectStep::tail;
}

}  // namespace

void openDialectChoice() { Dialect.choiceOpen = true; }

DialectStep runDialectLine(char* line) {
  switch (Dialect.kind) {
    case DialectKind::classic:
      return chooseDialect(line);
    case DialectKind::xboard2:
      return runXboardLine(line);
    case DialectKind::uci:
      break;
  }
  return DialectStep::leave;
}

void handleDialectInputWhileSearching() {
  if (Dialect.kind == DialectKind::uci) {
    handleUciInputWhileSearching();
  } else {
    handleXboardInputWhileSearching();
  }
}

bool setUpGamePosition(const char* fen) {
  char text[POSITION_TEXT_SIZE];
  if (std::snprintf(text, sizeof text, "%s%s", SETBOARD_PREFIX, fen) >= static_cast<int>(sizeof text)) return false;
  // Castling rights come from the text alone, not from the king moves of an earlier game.
  return setupFreshPosition(text) != 0;
}

bool namesLegalMove(const char* text) {
  if (Board.gameCount >= GAME_MOVE_LIMIT || !positionIsPlayable(Board.sideToMove)) return false;
  setPly(1);
  Move move;
  if (!findNamedMove(text, move)) return false;
  const int mover = Board.sideToMove;
  const int8_t lastTo = Board.lastTo;
  makeMove(mover, move);
  const bool legal = !isSquareAttacked(Board.pieceList[mover][0], mover ^ 1);
  unmakeMove(mover, move);
  restoreLastTo(lastTo);
  return legal;
}

void readLinesWhileSearching(bool (*execute)(const char* line)) {
  char line[WIDE_CBUF_SIZE];
  for (;;) {
    if (readLine(line, WIDE_CBUF_SIZE) != 1) {
      requestQuit();
      requestSearchStop();
      return;
    }
    if (line[0] != '\0' && !execute(line)) return;
    if (SearchState.inputPending || SearchState.stopSearch) return;
    if (std::strchr(Input.CBuf, '\n') == nullptr) return;
  }
}
