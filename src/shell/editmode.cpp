// The interface's edit mode: the board is cleared and pieces are placed one line at a time up to
// the line ".".
#include "shell/editmode.h"

#include <cctype>
#include <cstring>

#include "board/board.h"
#include "board/setup.h"
#include "config/logfile.h"
#include "eval/pawnhash.h"
#include "eval/scoretable.h"
#include "game/notation.h"
#include "game/protocolstate.h"
#include "search/hashtable.h"
#include "search/searchstate.h"
#include "shell/arguments.h"
#include "shell/input.h"

namespace {

constexpr const char* EDIT_SEPARATORS = " ;";
// Piece letters by piece code; a placement's letter is looked up in either case.
constexpr const char EDIT_PIECE_LETTERS[] = " PNBRQK";
constexpr int SQUARE_COUNT = 64;
constexpr int NO_EP_SQUARE = -1;
constexpr int16_t EDITED_LAST_IRREVERSIBLE = 1;
constexpr int FIRST_RANK = 0;
constexpr int LAST_RANK = 7;

// The dialogue's own state: what "ep" announced and which colour "c" selected.
struct EditState {
  int pendingEpSquare;
  int colour;
};

void emptyBoard() {
  for (int s = 0; s < SQUARE_COUNT; ++s) {
    setSquare(s, NONE, EMPTY);
  }
}

// Piece code of a placement letter (either case), or NONE.
int pieceOfLetter(char letter) {
  const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  for (int piece = PAWN; piece <= KING; ++piece) {
    if (EDIT_PIECE_LETTERS[piece] == upper) return piece;
  }
  return NONE;
}

// Would `piece` of `colour` on `square` give the colour more than sixteen men or eight pawns? No
// game has more, and the engine's piece lists and move stack are sized for what games reach.
bool exceedsMen(int square, int piece, int colour) {
  int men = 0;
  int pawns = 0;
  for (int s = 0; s < SQUARE_COUNT; ++s) {
    if (s == square || Board.pieceAt[s] == NONE || Board.colorAt[s] != colour) continue;
    men += 1;
    pawns += Board.pieceAt[s] == PAWN;
  }
  return men + 1 > MOST_MEN || (piece == PAWN && pawns + 1 > MOST_PAWNS);
}

// "Ke1" puts a king of the colour being placed on e1; an unknown letter ("xe1") empties the
// square. A line without a square, a pawn on the first or last rank, and a man beyond sixteen
// of a colour (or a pawn beyond eight) are ignored.
void placePiece(const char* line, int colour) {
  if (line[0] == '\0') return;
  const int square = parseSquareText(line + 1);
  if (square < 0) return;
  const int piece = pieceOfLetter(line[0]);
  if (piece == PAWN && (rankOf(square) == FIRST_RANK || rankOf(square) == LAST_RANK)) return;
  if (piece != NONE && exceedsMen(square, piece, colour)) return;
  setSquare(square, piece, piece == NONE ? EMPTY : colour);
}

// One edit line; returns false for the line that ends edit mode.
bool executeEditLine(const char* line, EditState& edit) {
  if (std::strcmp(line, ".") == 0) return false;
  if (std::strcmp(line, "#") == 0) {
    emptyBoard();
  } else if (std::strncmp(line, "castle", std::strlen("castle")) == 0) {
    const int words = tokenize(line, EDIT_SEPARATORS);
    withdrawCastlingRight(argumentWord(1, words));
  } else if (std::strncmp(line, "ep", std::strlen("ep")) == 0) {
    const int words = tokenize(line, EDIT_SEPARATORS);
    edit.pendingEpSquare = parseSquareText(argumentWord(1, words));
    logPrintf("EP-Feld: %d\n", edit.pendingEpSquare);
  } else if (std::strcmp(line, "c") == 0) {
    edit.colour ^= 1;
  } else {
    placePiece(line, edit.colour);
  }
  return true;
}

// The edited position starts a record of its own: no inherited en-passant square or castling
// mark, no book, clean position tables.
void leaveEditMode(const EditState& edit) {
  restartGameRecord(EDITED_LAST_IRREVERSIBLE);
  clearSearchDepth();
  setEpSquare(edit.pendingEpSquare);
  clearCastledMarks();
  recomputeBoardState();
  setBookAllowed(false);
  clearHashTables();
  clearPawnTable();
  clearScoreTable();
}

}  // namespace

void editMode() {
  // Step 1. Every castling right granted until "castle" withdraws one.
  clearSquareMoves();
  EditState edit = {NO_EP_SQUARE, WHITE};
  // Step 2. Edit lines until "." or the end of input.
  char line[EDIT_LINE_SIZE];
  for (;;) {
    if (readLine(line, EDIT_LINE_SIZE) < 0) {
      requestQuit();  // end of input: leave at once, then end the engine
      break;
    }
    if (line[0] == '\0') continue;
    logPrintf("(Edit mode): %s\n", line);
    if (!executeEditLine(line, edit)) break;
  }
  // Step 3. The edited position starts a fresh game record, off the book, with cleared tables.
  leaveEditMode(edit);
}
