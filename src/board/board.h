// The one current position (`Board`), the value tables, and the routine that rebuilds every
// derived field from the two square arrays.
#pragma once
#include <cstdint>
#include "board/types.h"

// The current position. Changed only by the board's own files: makeMove/unmakeMove, the null
// move, position setup followed by recomputeBoardState, and the setters below. Widths are fixed: the game record and the hash tables copy several fields.
struct BoardData {
  int8_t pieceAt[64];            // piece code on the square, 0 if empty
  int8_t colorAt[64];            // colour of the piece on the square, EMPTY (2) if empty
  int8_t sideToMove;             // WHITE or BLACK
  int8_t epSquare;               // square jumped over by a double pawn push, else -1; <= 0 means none
  int16_t gameCount;             // moves made since the start position = newest GameHistory record
  int16_t lastIrreversible;      // gameCount of the last pawn move, capture or promotion
  int16_t squareMoves[64];       // moves that started on the square + captures made on it
  int16_t castled[2];            // 1 once that side has castled
  int8_t pieceList[2][64];       // [0] = king, [1..pieceCount] = other pieces
  int8_t pieceCount[2];          // non-pawn pieces other than the king
  int8_t pawnList[2][64];        // pawns in [1..pawnCount]
  int8_t pawnCount[2];
  int8_t listIndex[64];          // entry of the square's occupant in its colour's list (0 for a king)
  uint32_t hashKey;              // XOR of zobrist key words over all pieces
  uint32_t hashLock;             // XOR of zobrist lock words over all pieces
  uint32_t pawnHashKey;          // XOR of zobrist lock words over the pawns
  int16_t material[2];           // pieceValue sum including pawns
  int16_t pieceMaterial[2];      // the same without pawns
  int8_t filePawns[2][8];        // pawns per file
  int8_t filePawnRankSum[2][8];  // sum of the pawn ranks per file
  int8_t pawnAttacks[2][65];     // pawns of the side attacking the square; [64] is a sink
  int8_t typeCount[2][8];        // pieces per piece code (kept by make/unmake, refreshed per think)
  int8_t lastTo;                 // to-square of the latest makeMove; unmakeMove leaves it alone
  int16_t pieceValue[7];         // material value per piece code (king 0), set at every new game
  int16_t captureValue[7];       // victim values for capture ordering
};
extern BoardData Board;

// Default piece values; with CHESS KNOWLEDGE off the values are the "plain" ones.
constexpr int16_t DEFAULT_PIECE_VALUES[7] = {0, 100, 315, 320, 525, 1000, 0};
constexpr int16_t PLAIN_PIECE_VALUES[7] = {0, 100, 330, 330, 490, 1000, 0};
constexpr int PAWN_VALUE_SETTING = 100;  // the pawn value the promotion arithmetic uses

constexpr int WHITE_KING_HOME = E1;
constexpr int BLACK_KING_HOME = E8;

// Fills Board.pieceValue and Board.captureValue: plain values when `knowledgeOff`, else the defaults.
void setPieceValues(bool knowledgeOff);

// Puts the initial position's pieceAt/colorAt on the board (no other field).
void placeInitialPieces();

// The side whose turn it is.
void setSideToMove(int side);
// No latest to-square: nothing has been moved in the line under search yet.
void forgetLastTo();
// The latest to-square as it was before a trial makeMove/unmakeMove (which leaves it changed).
void restoreLastTo(int8_t square);

// Edits of the square arrays; the caller rebuilds the derived fields with recomputeBoardState, or
// puts the squares back as they were before anything reads the other fields.
void setSquare(int square, int piece, int colour);
// The square a double pawn push just jumped over (-1 or 0: none).
void setEpSquare(int square);
// The game record starts at this position: no moves made, the last irreversible move at
// `lastIrreversible`.
void restartGameRecord(int lastIrreversible);
// Neither side counts as having castled.
void clearCastledMarks();
// No square counts as moved from or captured on: every castling right is there until a rook's
// right is withdrawn.
void clearSquareMoves();
// The castling right that uses the rook on `rookSquare` is gone: its square counts as moved from.
// A larger count stays, so a later take-back cannot restore a right the game had lost.
void withdrawRookCastling(int rookSquare);

// Rebuilds every derived field (lists, counts, material, pawn data, keys) from pieceAt/colorAt.
// The caller sets sideToMove, epSquare, gameCount, lastIrreversible, squareMoves and castled.
void recomputeBoardState();

// Full validation of the derived fields against a recomputation on a copy; used by asserts
// and tests. Returns true when the board is consistent. Does not compare typeCount.
bool boardIsOk();

// Fills typeCount afresh from the lists (pawns and pieces other than the king).
void fillTypeCount();

// 1 when `side` may move from this position: exactly one king of each colour, no pawn on the
// first or last rank, and the other side's king not attacked. Generation, perft and the search
// run only on such positions.
int positionIsPlayable(int side);
