// The current position and the rebuilding of its derived fields.
#include "board/board.h"

#include <cstring>

#include "board/attack.h"
#include "board/tables.h"

BoardData Board;

void setPieceValues(bool knowledgeOff) {
  const int16_t* values = knowledgeOff ? PLAIN_PIECE_VALUES : DEFAULT_PIECE_VALUES;
  for (int p = 0; p < 7; p++) Board.pieceValue[p] = values[p];
  // Victim values of the capture ordering: a bishop is ordered as a knight, whatever the settings.
  const int16_t* v = DEFAULT_PIECE_VALUES;
  const int16_t captureValues[7] = {0, v[PAWN], v[KNIGHT], v[KNIGHT], v[ROOK], v[QUEEN], 0};
  for (int p = 0; p < 7; p++) Board.captureValue[p] = captureValues[p];
}

void setSideToMove(int side) { Board.sideToMove = static_cast<int8_t>(side); }

void forgetLastTo() { Board.lastTo = -1; }

void restoreLastTo(int8_t square) { Board.lastTo = square; }

void setSquare(int square, int piece, int colour) {
  Board.pieceAt[square] = static_cast<int8_t>(piece);
  Board.colorAt[square] = static_cast<int8_t>(colour);
}

void setEpSquare(int square) { Board.epSquare = static_cast<int8_t>(square); }

void restartGameRecord(int lastIrreversible) {
  Board.gameCount = 0;
  Board.lastIrreversible = static_cast<int16_t>(lastIrreversible);
}

void clearCastledMarks() { Board.castled[WHITE] = Board.castled[BLACK] = 0; }

void clearSquareMoves() { std::memset(Board.squareMoves, 0, sizeof Board.squareMoves); }

void withdrawRookCastling(int rookSquare) {
  if (Board.squareMoves[rookSquare] == 0) Board.squareMoves[rookSquare] = 1;
}

void placeInitialPieces() {
  std::memcpy(Board.pieceAt, BoardTables.initialPieceAt, sizeof Board.pieceAt);
  std::memcpy(Board.colorAt, BoardTables.initialColorAt, sizeof Board.colorAt);
}

namespace {

void addPawnAttacks(int colour, int sq, int delta) {
  Board.pawnAttacks[colour][BoardTables.pawnAttackA[colour][sq]] += delta;
  Board.pawnAttacks[colour][BoardTables.pawnAttackB[colour][sq]] += delta;
}

}  // namespace

void recomputeBoardState() {
  std::memset(Board.filePawns, 0, sizeof Board.filePawns);
  std::memset(Board.filePawnRankSum, 0, sizeof Board.filePawnRankSum);
  std::memset(Board.material, 0, sizeof Board.material);
  std::memset(Board.pieceMaterial, 0, sizeof Board.pieceMaterial);
  std::memset(Board.pieceCount, 0, sizeof Board.pieceCount);
  std::memset(Board.pawnCount, 0, sizeof Board.pawnCount);
  std::memset(Board.pawnAttacks, 0, sizeof Board.pawnAttacks);
  Board.pawnHashKey = 0;
  Board.hashKey = 0;
  Board.hashLock = 0;
  for (int sq = 0; sq < 64; sq++) {
    int colour = Board.colorAt[sq];
    int piece = Board.pieceAt[sq];
    if (colour == EMPTY) continue;
    const ZobristEntry& z = BoardTables.zobrist[colour][piece][sq];
    Board.material[colour] += Board.pieceValue[piece];
    if (piece == PAWN) {
      Board.filePawns[colour][fileOf(sq)] += 1;
      Board.filePawnRankSum[colour][fileOf(sq)] += rankOf(sq);
      Board.pawnHashKey ^= z.lock;
      Board.pawnCount[colour] += 1;
      Board.listIndex[sq] = Board.pawnCount[colour];
      Board.pawnList[colour][Board.pawnCount[colour]] = static_cast<int8_t>(sq);
      addPawnAttacks(colour, sq, 1);
    } else {
      Board.pieceMaterial[colour] += Board.pieceValue[piece];
      if (piece == KING) {
        Board.listIndex[sq] = 0;
      } else {
        Board.pieceCount[colour] += 1;
        Board.listIndex[sq] = Board.pieceCount[colour];
      }
      Board.pieceList[colour][Board.listIndex[sq]] = static_cast<int8_t>(sq);
    }
    Board.hashKey ^= z.key;
    Board.hashLock ^= z.lock;
  }
}

void fillTypeCount() {
  std::memset(Board.typeCount, 0, sizeof Board.typeCount);
  for (int colour = 0; colour < 2; colour++) {
    Board.typeCount[colour][PAWN] = Board.pawnCount[colour];
    for (int i = 1; i <= Board.pieceCount[colour]; i++)
      Board.typeCount[colour][Board.pieceAt[Board.pieceList[colour][i]]] += 1;
  }
}

namespace {

// The occupied squares of one colour's list (entries first..count) as a 64-bit set.
uint64_t listSquares(const int8_t* list, int first, int count) {
  uint64_t set = 0;
  for (int i = first; i <= count; i++) set |= uint64_t{1} << list[i];
  return set;
}

bool listsAgree(const BoardData& expected) {
  for (int c = 0; c < 2; c++) {
    if (Board.pieceCount[c] != expected.pieceCount[c] || Board.pawnCount[c] != expected.pawnCount[c]) return false;
    if (Board.pieceList[c][0] != expected.pieceList[c][0]) return false;
    if (listSquares(Board.pieceList[c], 1, Board.pieceCount[c]) !=
        listSquares(expected.pieceList[c], 1, expected.pieceCount[c]))
      return false;
    if (listSquares(Board.pawnList[c], 1, Board.pawnCount[c]) !=
        listSquares(expected.pawnList[c], 1, expected.pawnCount[c]))
      return false;
  }
  for (int sq = 0; sq < 64; sq++) {
    int c = Board.colorAt[sq];
    if ((c == EMPTY) != (Board.pieceAt[sq] == NONE)) return false;
    if (c == EMPTY) continue;
    const int8_t* list = Board.pieceAt[sq] == PAWN ? Board.pawnList[c] : Board.pieceList[c];
    if (Board.pieceAt[sq] == KING) continue;  // entry 0 was compared above
    if (list[Board.listIndex[sq]] != sq) return false;
  }
  return true;
}

}  // namespace

bool boardIsOk() {
  BoardData saved = Board;
  recomputeBoardState();
  BoardData expected = Board;
  Board = saved;
  return listsAgree(expected) && Board.hashKey == expected.hashKey && Board.hashLock == expected.hashLock &&
         Board.pawnHashKey == expected.pawnHashKey &&
         std::memcmp(Board.material, expected.material, sizeof Board.material) == 0 &&
         std::memcmp(Board.pieceMaterial, expected.pieceMaterial, sizeof Board.pieceMaterial) == 0 &&
         std::memcmp(Board.filePawns, expected.filePawns, sizeof Board.filePawns) == 0 &&
         std::memcmp(Board.filePawnRankSum, expected.filePawnRankSum, sizeof Board.filePawnRankSum) == 0 &&
         std::memcmp(Board.pawnAttacks, expected.pawnAttacks, sizeof Board.pawnAttacks) == 0;
}

int positionIsPlayable(int side) {
  int kings[2] = {0, 0};
  for (int sq = 0; sq < 64; sq++) {
    if (Board.pieceAt[sq] == KING) kings[Board.colorAt[sq]] += 1;
    if (Board.pieceAt[sq] == PAWN && (rankOf(sq) == 0 || rankOf(sq) == 7)) return 0;
  }
  if (kings[WHITE] != 1 || kings[BLACK] != 1) return 0;
  // The side that has just moved must not have left its king attacked.
  int other = side ^ 1;
  return isSquareAttacked(Board.pieceList[other][0], side) ? 0 : 1;
}
