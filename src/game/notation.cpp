// Move notation: the four renderings of a move, typed moves, moveCodes from text, the thinking
// line and the announcement of the engine's move.
#include "game/notation.h"

#include <cassert>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board/attack.h"
#include "board/board.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "config/logfile.h"
#include "game/protocolstate.h"
#include "game/timecontrol.h"
#include "platform/output.h"
#include "search/hashtable.h"
#include "search/searchstate.h"

NotationData Notation;

namespace {

// ---- Letters ----
// German piece letters by piece code: Bauer, Springer, Laeufer, Turm, Dame, Koenig.
constexpr char PIECE_LETTERS[] = " BSLTDK";
// Promotion letters by promoted piece code (flags & 7); the last entry keeps the index in range.
constexpr char PROMOTION_LETTERS[] = " pnbrqk ";
constexpr char FRITZ_PROMOTION_LETTERS[] = " PNBRQK ";
constexpr const char* FRITZ_LOWER_PROMOTIONS = "nbrq";
constexpr int PROMOTION_LETTER_INDEX = 4;  // e7e8q: the fifth character

// ---- Move text ----
constexpr int COORDINATE_LENGTH = 4;
constexpr int SQUARE_TEXT_LENGTH = 2;
constexpr int CASTLING_KING_STEP = 2;  // the king's move when castling, in squares
constexpr int FLAGS_LOW_BYTE = 0xFF;  // the flag bits a rendering depends on
constexpr const char* SHORT_CASTLING = "o-o";

// ---- Thinking line ----
constexpr int THINKING_LINE_SIZE = 640;      // 4 numbers and 49 moves of 6 characters fit
constexpr int QUIET_DEPTH = 4;               // shallower lines are shown only for mate scores
constexpr int LOGGED_DEPTH = 3;              // deeper marked lines go to the log
constexpr int FRITZ_MATE_SHIFT = 22767;      // moves mate scores near +-32767
constexpr int FIRST_MARKED_KIND = LINE_FAIL_LOW;
constexpr int LAST_MARKED_KIND = LINE_FINAL;

char fileLetter(int square) { return static_cast<char>('a' + fileOf(square)); }
char rankDigit(int square) { return static_cast<char>('1' + rankOf(square)); }

void setText(char* text, const char* value) {
  std::strncpy(text, value, MOVE_TEXT_SIZE - 1);
  text[MOVE_TEXT_SIZE - 1] = '\0';
}

// Promotions: the straight push as its to-square, a capture as its two files.
void formatPromotion(int from, int to, int flags) {
  const char promoted = ProtocolState.fritzMode ? FRITZ_PROMOTION_LETTERS[flags & PROMOTION_PIECE_MASK]
                                                : PROMOTION_LETTERS[flags & PROMOTION_PIECE_MASK];
  NotationData& n = Notation;
  const char ff = fileLetter(from), tf = fileLetter(to), tr = rankDigit(to);
  if (ff == tf) {
    const char text[] = {tf, tr, '\0'};
    setText(n.shortText, text);
    const char withLetter[] = {tf, tr, promoted, '\0'};
    setText(n.rankText, withLetter);
  } else {
    const char text[] = {ff, tf, '\0'};
    setText(n.shortText, text);
    const char withLetter[] = {ff, tf, tr, promoted, '\0'};
    setText(n.rankText, withLetter);
  }
  const size_t length = std::strlen(n.coordText);
  n.coordText[length] = promoted;
  n.coordText[length + 1] = '\0';
}

void formatCastling(int from, int to) {
  const bool kingSide = to > from;
  setText(Notation.shortText, kingSide ? "o-o" : "o-o-o");
  setText(Notation.rankText, kingSide ? "0-0" : "0-0-0");
  setText(Notation.fileText, kingSide ? "O-O" : "O-O-O");
}

// Every other move carries the letter of the piece on its from-square, pawns included.
void formatPieceMove(int from, int to) {
  const char letter = PIECE_LETTERS[Board.pieceAt[from]];
  const char ff = fileLetter(from), fr = rankDigit(from), tf = fileLetter(to), tr = rankDigit(to);
  const char shortForm[] = {letter, tf, tr, '\0'};
  const char rankForm[] = {letter, fr, tf, tr, '\0'};
  const char fileForm[] = {letter, ff, tf, tr, '\0'};
  setText(Notation.shortText, shortForm);
  setText(Notation.rankText, rankForm);
  setText(Notation.fileText, fileForm);
}

bool matchesRendering(const char* text) {
  const NotationData& n = Notation;
  return std::strcmp(text, n.coordText) == 0 || std::strcmp(text, n.shortText) == 0 ||
         std::strcmp(text, n.rankText) == 0 || std::strcmp(text, n.fileText) == 0;
}

void logMover(int square) {
  logPrintf(Board.colorAt[square] == WHITE ? "White: %s\n" : "Black: %s\n", Notation.coordText);
}

bool isMarkedKind(int kind) { return kind >= FIRST_MARKED_KIND && kind <= LAST_MARKED_KIND; }

constexpr int FILE_COUNT = 8;
constexpr int RANK_COUNT = 8;

}  // namespace

bool findNamedMove(const char* text, Move& found) {
  assert(Ordering.ply >= 0 && Ordering.ply + 2 <= MAX_PLY);
  enterNextPly();
  generateMoves(Board.sideToMove);
  returnToPreviousPly();
  const int first = MoveStack.plyStart[Ordering.ply + 1];
  const int end = MoveStack.plyStart[Ordering.ply + 2];
  for (int i = first; i < end; ++i) {
    const Move& move = MoveStack.moveStack[i];
    formatMove(move.from, move.to, move.flags & FLAGS_LOW_BYTE);
    if (matchesRendering(text)) {
      found = move;
      return true;
    }
  }
  return false;
}

void formatMove(int from, int to, int flags) {
  NotationData& n = Notation;
  n.coordText[0] = n.shortText[0] = n.rankText[0] = n.fileText[0] = '\0';
  if (from == to) return;
  const char coordinates[] = {fileLetter(from), rankDigit(from), fileLetter(to), rankDigit(to), '\0'};
  setText(n.coordText, coordinates);
  if (flags & PROMOTION) {
    formatPromotion(from, to, flags);
  } else if (flags & CASTLING) {
    formatCastling(from, to);
  } else {
    formatPieceMove(from, to);
  }
}

int enterMove(char* text) {
  // The game record has room for a fixed number of moves.
  if (Board.gameCount >= GAME_MOVE_LIMIT) return 0;
  // An edited position without a king each (or with the side not to move in check) takes no move.
  if (!positionIsPlayable(Board.sideToMove)) return 0;
  // Step 1. No moves generated yet at the first plies.
  for (int p = 0; p <= 3; ++p) startPlyAtStackBottom(p);
  // Step 2. The fritz interface renders promotion letters in upper case.
  if (ProtocolState.fritzMode && std::strlen(text) > COORDINATE_LENGTH &&
      std::strchr(FRITZ_LOWER_PROMOTIONS, text[PROMOTION_LETTER_INDEX]) != nullptr) {
    text[PROMOTION_LETTER_INDEX] = static_cast<char>(text[PROMOTION_LETTER_INDEX] - 'a' + 'A');
  }
  // Steps 3 and 4. Only the first match counts, even if it turns out illegal.
  Move move;
  if (!findNamedMove(text, move)) return 0;
  // Step 5. Make the move; one that leaves the own king in check is taken back and refused.
  const int mover = Board.sideToMove;
  makeMove(mover, move);
  setPly(0);
  if (isSquareAttacked(Board.pieceList[mover][0], mover ^ 1)) {
    unmakeMove(mover, move);
    return 0;
  }
  // Step 6. Render the move and log it.
  formatMove(move.from, move.to, 0);
  logMover(move.to);
  // Step 7. A move entered ages the hash tables.
  ageHashForEnteredMove();
  return 1;
}

uint16_t parseMoveCode(const char* text, int side) {
  const bool castling = std::strncmp(text, SHORT_CASTLING, std::strlen(SHORT_CASTLING)) == 0;
  const int from = parseSquareText(text);
  const int to = from < 0 ? -1 : parseSquareText(text + SQUARE_TEXT_LENGTH);
  if (!castling && to < 0) return 0;
  // The fifth character is looked at first: an "o" there names the long castling ("o-o-o").
  const bool longCastling = std::strlen(text) > COORDINATE_LENGTH && text[PROMOTION_LETTER_INDEX] == 'o';
  const int kingHome = side == BLACK ? BLACK_KING_HOME : WHITE_KING_HOME;
  if (longCastling) return moveCodeOf(kingHome, kingHome - CASTLING_KING_STEP);
  if (castling) return moveCodeOf(kingHome, kingHome + CASTLING_KING_STEP);
  return moveCodeOf(from, to);
}

void printThinking(int score, const uint16_t* pv, int kind) {
  // Step 1. The shown node count is twice the search's counter.
  const uint64_t shownNodes = Ordering.nodes * 2;
  // Step 2. The filters, unless the think driver asked for one forced line.
  const bool forced = Notation.thinkingPrinted == FORCE_THINKING_LINE;
  const bool marked = isMarkedKind(kind);
  if (!forced) {
    if (EvalContext.searchDepth < QUIET_DEPTH && std::abs(score) < MATE_RANGE) return;
    if (ProtocolState.setboardRun && !marked) return;
    if (score == NO_SCORE) return;
  }
  // Step 3. The shown depth; a line has now been printed.
  const int depth = EvalContext.searchDepth + SHOWN_DEPTH_OFFSET;
  Notation.thinkingPrinted = 1;
  // Step 4. Fritz shows mate scores shifted.
  if (ProtocolState.fritzMode && std::abs(score) > MATE_RANGE) {
    score += score > 0 ? FRITZ_MATE_SHIFT : -FRITZ_MATE_SHIFT;
  }
  // Step 5. Depth, score, time, nodes and the principal variation.
  char line[THINKING_LINE_SIZE];
  int length = std::snprintf(line, sizeof line, "%d %d %d %" PRIu64 " ", depth, score,
                             static_cast<int>(TimeControl.elapsed), shownNodes);
  for (int i = 1; i < MAX_PLY && pv[i] != 0; ++i) {
    formatMove(moveCodeFrom(pv[i]), moveCodeTo(pv[i]), SearchState.pvFlags[i] & FLAGS_LOW_BYTE);
    length += std::snprintf(line + length, sizeof line - length, "%s ", Notation.coordText);
  }
  // Step 6. Send the line.
  sendLine("%s\n", line);
  // Step 7. Deep or mate lines of the marked kinds (or the forced line) also go to the log.
  if ((EvalContext.searchDepth > LOGGED_DEPTH || std::abs(score) > MATE_RANGE) && (marked || forced)) {
    logPrintf("%s\n", line);
    flushLog();
  }
}

void printEngineMove(int square) {
  sendLine("%d. ... %s\n", Board.gameCount, Notation.coordText);
  logMover(square);
}

void printXboardMove(int square) {
  sendLine("move %s\n", Notation.coordText);
  logMover(square);
}

int parseSquareText(const char* text) {
  if (text[0] < 'a' || text[0] >= 'a' + FILE_COUNT) return -1;
  if (text[1] < '1' || text[1] >= '1' + RANK_COUNT) return -1;
  return squareAt(text[1] - '1', text[0] - 'a');
}

void forgetThinkingLines() { Notation.thinkingPrinted = 0; }

void forceNextThinkingLine() { Notation.thinkingPrinted = FORCE_THINKING_LINE; }
