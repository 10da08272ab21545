// Position setup from a position text: "setboard <placement> <side> [<castling> [<en passant> ...]]".
#include "board/setup.h"

#include <cassert>
#include <cstring>

#include "board/board.h"
#include "board/types.h"

namespace {

constexpr int PREFIX_LENGTH = 9;   // "setboard " is skipped unexamined
constexpr int SHORTEST_TEXT = 10;
constexpr const char* WHITE_PIECE_LETTERS = " PNBRQK";
constexpr const char* BLACK_PIECE_LETTERS = " pnbrqk";

struct ParsedPosition {
  int8_t pieceAt[64];
  int8_t colorAt[64];
  int8_t sideToMove;
  int8_t epSquare;
  bool rightGranted[4];  // K, Q, k, q
};

int pieceCodeOf(char c, const char* letters) {
  const char* hit = std::strchr(letters + 1, c);
  return (c != '\0' && hit != nullptr) ? static_cast<int>(hit - letters) : NONE;
}

// Reads the placement from text[i] on, rank 8 first. A rank must describe exactly 8 squares:
// a digit that overshoots the rank, a "/" in the middle of a rank or the end of the text refuse
// the text. Other characters are skipped.
bool parsePlacement(const char* text, int& i, ParsedPosition& pos) {
  for (int rank = 7; rank >= 0; rank--) {
    int file = 0;
    while (file < 8) {
      char c = text[i];
      if (c == '\0') return false;
      i++;
      if (c >= '1' && c <= '8') {
        file += c - '0';
        if (file > 8) return false;
        continue;
      }
      if (c == '/' && file > 0) return false;
      int white = pieceCodeOf(c, WHITE_PIECE_LETTERS);
      int black = pieceCodeOf(c, BLACK_PIECE_LETTERS);
      if (white == NONE && black == NONE) continue;
      int sq = squareAt(rank, file);
      pos.pieceAt[sq] = static_cast<int8_t>(white != NONE ? white : black);
      pos.colorAt[sq] = static_cast<int8_t>(white != NONE ? WHITE : BLACK);
      file++;
    }
  }
  return true;
}

// The fields after the side letter: castling rights, then the en-passant square.
void parseRightsAndEnPassant(const char* text, int i, ParsedPosition& pos) {
  if (text[i] == '\0') return;
  i++;  // the blank after the side letter
  if (text[i] == '-') {
    i++;
  } else {
    for (; text[i] != '\0' && text[i] != ' '; i++) {
      const char* hit = std::strchr("KQkq", text[i]);
      if (hit != nullptr) pos.rightGranted[hit - "KQkq"] = true;
    }
  }
  if (text[i] != ' ') return;
  i++;
  char file = text[i];
  char rank = file != '\0' ? text[i + 1] : '\0';
  if (file >= 'a' && file <= 'h' && rank >= '1' && rank <= '8')
    pos.epSquare = static_cast<int8_t>(squareAt(rank - '1', file - 'a'));
}

bool pawnsOnBackRanks(const ParsedPosition& pos) {
  for (int file = 0; file < 8; file++)
    if (pos.pieceAt[squareAt(0, file)] == PAWN || pos.pieceAt[squareAt(7, file)] == PAWN) return true;
  return false;
}

// More men or pawns of a colour than any game has (a board filled with bishops would overrun
// the piece list).
bool tooManyMen(const ParsedPosition& pos) {
  int men[2] = {0, 0};
  int pawns[2] = {0, 0};
  for (int sq = 0; sq < 64; sq++) {
    if (pos.pieceAt[sq] == NONE) continue;
    men[pos.colorAt[sq]] += 1;
    if (pos.pieceAt[sq] == PAWN) pawns[pos.colorAt[sq]] += 1;
  }
  for (int colour = 0; colour < 2; colour++)
    if (men[colour] > MOST_MEN || pawns[colour] > MOST_PAWNS) return true;
  return false;
}

}  // namespace

int setupPosition(const char* text) {
  if (std::strlen(text) < SHORTEST_TEXT) return 0;
  ParsedPosition pos;
  std::memset(pos.pieceAt, NONE, sizeof pos.pieceAt);
  std::memset(pos.colorAt, EMPTY, sizeof pos.colorAt);
  pos.epSquare = -1;
  for (bool& granted : pos.rightGranted) granted = false;
  int i = PREFIX_LENGTH;
  if (!parsePlacement(text, i, pos)) return 0;
  if (text[i] == '\0') return 0;
  i++;  // the blank before the side letter
  if (text[i] == 'w')
    pos.sideToMove = WHITE;
  else if (text[i] == 'b')
    pos.sideToMove = BLACK;
  else
    return 0;
  i++;
  parseRightsAndEnPassant(text, i, pos);
  // A pawn on the first or last rank is not a position the engine can play.
  if (pawnsOnBackRanks(pos)) return 0;
  if (tooManyMen(pos)) return 0;

  std::memcpy(Board.pieceAt, pos.pieceAt, sizeof Board.pieceAt);
  std::memcpy(Board.colorAt, pos.colorAt, sizeof Board.colorAt);
  Board.sideToMove = pos.sideToMove;
  const int rookSquares[4] = {H1, A1, H8, A8};
  for (int r = 0; r < 4; r++) Board.squareMoves[rookSquares[r]] = pos.rightGranted[r] ? 0 : 1;
  Board.epSquare = pos.epSquare;
  recomputeBoardState();
  assert(boardIsOk());
  return 1;
}

int setupFreshPosition(const char* text) {
  const BoardData saved = Board;
  clearSquareMoves();
  clearCastledMarks();
  if (!setupPosition(text) || !positionIsPlayable(Board.sideToMove)) {
    Board = saved;
    return 0;
  }
  restartGameRecord(0);
  return 1;
}

void setupInitialPosition() {
  // epSquare 0 also reads as "none".
  Board.epSquare = 0;
  Board.gameCount = 0;
  Board.lastIrreversible = 0;
  clearCastledMarks();
  Board.sideToMove = WHITE;
  clearSquareMoves();
  placeInitialPieces();
  recomputeBoardState();
  assert(boardIsOk());
}
