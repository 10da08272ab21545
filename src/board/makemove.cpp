// Making and unmaking moves. Every derived field of the board is kept incrementally, per kind of
// move; unmakeMove restores the keys, the en-passant square and the fifty-move marker from the
// game record instead of recomputing them.
#include "board/makemove.h"

#include <cassert>

#include "board/attack.h"
#include "board/board.h"
#include "board/tables.h"

GameRecord GameHistory[GAME_HISTORY_SIZE];

namespace {

inline void movePawnAttacks(int side, int from, int to) {
  int8_t* attacks = Board.pawnAttacks[side];
  attacks[BoardTables.pawnAttackA[side][from]] -= 1;
  attacks[BoardTables.pawnAttackB[side][from]] -= 1;
  attacks[BoardTables.pawnAttackA[side][to]] += 1;
  attacks[BoardTables.pawnAttackB[side][to]] += 1;
}

inline void changePawnAttacks(int side, int sq, int delta) {
  Board.pawnAttacks[side][BoardTables.pawnAttackA[side][sq]] += delta;
  Board.pawnAttacks[side][BoardTables.pawnAttackB[side][sq]] += delta;
}

inline void toggleKeys(int side, int piece, int sq) {
  const ZobristEntry& z = BoardTables.zobrist[side][piece][sq];
  Board.hashKey ^= z.key;
  Board.hashLock ^= z.lock;
}

inline void togglePawnKey(int side, int sq) { Board.pawnHashKey ^= BoardTables.zobrist[side][PAWN][sq].lock; }

// A pawn changes squares (and perhaps files): file counts, rank sums, attacks, pawn key.
inline void movePawnData(int side, int from, int to) {
  Board.filePawnRankSum[side][fileOf(from)] -= rankOf(from);
  Board.filePawns[side][fileOf(from)] -= 1;
  Board.filePawns[side][fileOf(to)] += 1;
  Board.filePawnRankSum[side][fileOf(to)] += rankOf(to);
  movePawnAttacks(side, from, to);
  togglePawnKey(side, from);
  togglePawnKey(side, to);
}

// A pawn appears on or leaves sq (capture, en passant, promotion and their undoing).
inline void changePawnPresence(int side, int sq, int delta) {
  Board.filePawns[side][fileOf(sq)] += delta;
  Board.filePawnRankSum[side][fileOf(sq)] += delta * rankOf(sq);
  changePawnAttacks(side, sq, delta);
}

// Puts the piece of `from` on `to` with its list entry; `from` becomes empty.
inline void transferPiece(int side, int from, int to) {
  int piece = Board.pieceAt[from];
  Board.listIndex[to] = Board.listIndex[from];
  if (piece == PAWN)
    Board.pawnList[side][Board.listIndex[to]] = static_cast<int8_t>(to);
  else
    Board.pieceList[side][Board.listIndex[to]] = static_cast<int8_t>(to);
  Board.colorAt[to] = Board.colorAt[from];
  Board.pieceAt[to] = static_cast<int8_t>(piece);
  Board.colorAt[from] = EMPTY;
  Board.pieceAt[from] = NONE;
}

inline void setSquare(int sq, int colour, int piece) {
  Board.colorAt[sq] = static_cast<int8_t>(colour);
  Board.pieceAt[sq] = static_cast<int8_t>(piece);
}

// Removal from a list by shifting the later entries down (the inline form of the promotions).
inline void removeListEntry(int8_t* list, int8_t& count, int index) {
  count -= 1;
  for (int i = index; i <= count; i++) {
    list[i] = list[i + 1];
    Board.listIndex[list[i]] = static_cast<int8_t>(i);
  }
}

inline void appendListEntry(int8_t* list, int8_t& count, int sq) {
  count += 1;
  list[count] = static_cast<int8_t>(sq);
  Board.listIndex[sq] = count;
}

void makeQuiet(int side, int f, int t, GameRecord& record) {
  int piece = Board.pieceAt[f];
  if (piece == PAWN) {
    Board.lastIrreversible = Board.gameCount;
    if (t - f == 16) Board.epSquare = static_cast<int8_t>(f + 8);
    if (f - t == 16) Board.epSquare = static_cast<int8_t>(f - 8);
    movePawnData(side, f, t);
  }
  record.capturedPiece = Board.pieceAt[t];
  record.capturedColor = Board.colorAt[t];
  transferPiece(side, f, t);
  toggleKeys(side, piece, f);
  toggleKeys(side, piece, t);
  Board.squareMoves[f] += 1;
}

void makeCapture(int side, int f, int t, GameRecord& record) {
  int opponent = side ^ 1;
  Board.lastIrreversible = Board.gameCount;
  int victim = Board.pieceAt[t];
  int victimColour = Board.colorAt[t];
  record.capturedPiece = static_cast<int8_t>(victim);
  record.capturedColor = static_cast<int8_t>(victimColour);
  if (victim == PAWN) {
    changePawnPresence(victimColour, t, -1);
    togglePawnKey(opponent, t);
    updatePawnList(victimColour, t, LIST_REMOVE);
  } else {
    updatePieceList(victimColour, t, LIST_REMOVE);
    Board.pieceMaterial[opponent] -= Board.pieceValue[victim];
  }
  int piece = Board.pieceAt[f];
  if (piece == PAWN) movePawnData(side, f, t);
  Board.material[opponent] -= Board.pieceValue[victim];
  Board.typeCount[opponent][victim] -= 1;
  transferPiece(side, f, t);
  Board.squareMoves[t] += 1;
  toggleKeys(opponent, victim, t);
  toggleKeys(side, piece, f);
  toggleKeys(side, piece, t);
  Board.squareMoves[f] += 1;
}

inline int enPassantVictimSquare(int t) { return rankOf(t) == 5 ? t - 8 : t + 8; }

void makeEnPassant(int side, int f, int t, GameRecord& record) {
  int opponent = side ^ 1;
  Board.lastIrreversible = Board.gameCount;
  record.capturedPiece = PAWN;
  record.capturedColor = static_cast<int8_t>(opponent);
  int x = enPassantVictimSquare(t);
  updatePawnList(opponent, x, LIST_REMOVE);
  setSquare(x, EMPTY, NONE);
  changePawnPresence(opponent, x, -1);
  toggleKeys(opponent, PAWN, x);
  togglePawnKey(opponent, x);
  movePawnData(side, f, t);
  transferPiece(side, f, t);
  Board.material[opponent] -= Board.pieceValue[PAWN];
  Board.typeCount[opponent][PAWN] -= 1;
  toggleKeys(side, PAWN, f);
  toggleKeys(side, PAWN, t);
}

void makePromotion(int side, int f, int t, int32_t flags, GameRecord& record) {
  int opponent = side ^ 1;
  int promoted = flags & PROMOTION_PIECE_MASK;
  Board.lastIrreversible = Board.gameCount;
  record.capturedPiece = Board.pieceAt[t];
  record.capturedColor = Board.colorAt[t];
  int victim = Board.pieceAt[t];
  if (victim != NONE) {
    updatePieceList(Board.colorAt[t], t, LIST_REMOVE);
    Board.material[opponent] -= Board.pieceValue[victim];
    Board.pieceMaterial[opponent] -= Board.pieceValue[victim];
    Board.typeCount[opponent][victim] -= 1;
    toggleKeys(opponent, victim, t);
    Board.squareMoves[t] += 1;
  }
  setSquare(t, side, promoted);
  removeListEntry(Board.pawnList[side], Board.pawnCount[side], Board.listIndex[f]);
  changePawnAttacks(side, f, -1);
  appendListEntry(Board.pieceList[side], Board.pieceCount[side], t);
  setSquare(f, EMPTY, NONE);
  Board.filePawnRankSum[side][fileOf(f)] -= rankOf(f);
  Board.filePawns[side][fileOf(f)] -= 1;
  togglePawnKey(side, f);
  Board.typeCount[side][PAWN] -= 1;
  Board.typeCount[side][promoted] += 1;
  Board.material[side] += Board.pieceValue[promoted] - PAWN_VALUE_SETTING;
  Board.pieceMaterial[side] += Board.pieceValue[promoted];
  toggleKeys(side, PAWN, f);
  toggleKeys(side, promoted, t);
  Board.squareMoves[f] += 1;
}

void unmakeQuiet(int side, int f, int t) {
  if (Board.pieceAt[t] == PAWN) movePawnData(side, t, f);
  transferPiece(side, t, f);
  Board.squareMoves[f] -= 1;
}

// Puts a captured piece back on sq and re-appends it at the end of its list.
void restoreCaptured(int sq, int piece, int colour) {
  setSquare(sq, colour, piece);
  if (piece == PAWN) {
    changePawnPresence(colour, sq, 1);
    updatePawnList(colour, sq, LIST_APPEND);
  } else {
    updatePieceList(colour, sq, LIST_APPEND);
    Board.pieceMaterial[colour] += Board.pieceValue[piece];
  }
  Board.material[colour] += Board.pieceValue[piece];
  Board.typeCount[colour][piece] += 1;
}

void unmakeCapture(int side, int f, int t, const GameRecord& record) {
  if (Board.pieceAt[t] == PAWN) movePawnData(side, t, f);
  transferPiece(side, t, f);
  restoreCaptured(t, record.capturedPiece, record.capturedColor);
  Board.squareMoves[t] -= 1;
  Board.squareMoves[f] -= 1;
}

void unmakeEnPassant(int side, int f, int t) {
  movePawnData(side, t, f);
  transferPiece(side, t, f);
  restoreCaptured(enPassantVictimSquare(t), PAWN, side ^ 1);
}

void unmakePromotion(int side, int f, int t, const GameRecord& record) {
  int promoted = Board.pieceAt[t];
  setSquare(f, side, PAWN);
  appendListEntry(Board.pawnList[side], Board.pawnCount[side], f);
  changePawnPresence(side, f, 1);
  removeListEntry(Board.pieceList[side], Board.pieceCount[side], Board.listIndex[t]);
  Board.typeCount[side][PAWN] += 1;
  Board.typeCount[side][promoted] -= 1;
  Board.material[side] += PAWN_VALUE_SETTING - Board.pieceValue[promoted];
  Board.pieceMaterial[side] -= Board.pieceValue[promoted];
  Board.squareMoves[f] -= 1;
  setSquare(t, EMPTY, NONE);
  if (record.capturedPiece != NONE) {
    restoreCaptured(t, record.capturedPiece, record.capturedColor);
    Board.squareMoves[t] -= 1;
  }
}

}  // namespace

void updatePieceList(int side, int square, int mode) {
  if (mode == LIST_REMOVE)
    removeListEntry(Board.pieceList[side], Board.pieceCount[side], Board.listIndex[square]);
  else
    appendListEntry(Board.pieceList[side], Board.pieceCount[side], square);
}

void updatePawnList(int side, int square, int mode) {
  if (mode == LIST_REMOVE)
    removeListEntry(Board.pawnList[side], Board.pawnCount[side], Board.listIndex[square]);
  else
    appendListEntry(Board.pawnList[side], Board.pawnCount[side], square);
}

void makeMove(int side, const Move& move) {
  int f = move.from;
  int t = move.to;
  int32_t flags = move.flags;
  assert(Board.gameCount + 1 < GAME_HISTORY_SIZE);
  Board.gameCount += 1;
  GameRecord& record = GameHistory[Board.gameCount];
  record.epSquare = Board.epSquare;
  record.lastIrreversible = Board.lastIrreversible;
  record.hashKey = Board.hashKey;
  record.hashLock = Board.hashLock;
  record.pawnHashKey = Board.pawnHashKey;
  record.moveCode = moveCodeOf(f, t);
  record.flags = flags;
  // The think driver marks its own book moves after making them; any other move must not show a
  // mark that an earlier game or a taken-back move left in this record.
  record.bookMark = 0;
  Board.epSquare = -1;
  Board.lastTo = static_cast<int8_t>(t);
  if (flags & QUIET) {
    makeQuiet(side, f, t, record);
  } else if (flags & CAPTURE) {
    makeCapture(side, f, t, record);
  } else if (flags & EN_PASSANT) {
    makeEnPassant(side, f, t, record);
  } else if (flags & CASTLING) {
    record.capturedPiece = NONE;
    record.capturedColor = static_cast<int8_t>(side);
    castle(side, f, t, CASTLE_MAKE);
  } else if (flags & PROMOTION) {
    makePromotion(side, f, t, flags, record);
  }
  assert(Board.pieceAt[Board.pieceList[side][0]] == KING);
  assert(boardIsOk());
}

uint32_t hashKeyAfter(int side, const Move& move) {
  const int f = move.from;
  const int t = move.to;
  const int32_t flags = move.flags;
  const int opponent = side ^ 1;
  const auto& z = BoardTables.zobrist;
  uint32_t key = Board.hashKey;
  if (flags & (QUIET | CAPTURE)) {
    const int piece = Board.pieceAt[f];
    if (flags & CAPTURE) key ^= z[opponent][Board.pieceAt[t]][t].key;
    return key ^ z[side][piece][f].key ^ z[side][piece][t].key;
  }
  if (flags & EN_PASSANT) {
    return key ^ z[opponent][PAWN][enPassantVictimSquare(t)].key ^ z[side][PAWN][f].key ^ z[side][PAWN][t].key;
  }
  if (flags & CASTLING) {
    const bool kingSide = t > f;
    const int rookFrom = kingSide ? f + 3 : f - 4;
    const int rookTo = kingSide ? t - 1 : t + 1;
    return key ^ z[side][KING][f].key ^ z[side][KING][t].key ^ z[side][ROOK][rookFrom].key ^ z[side][ROOK][rookTo].key;
  }
  if (flags & PROMOTION) {
    const int victim = Board.pieceAt[t];
    if (victim != NONE) key ^= z[opponent][victim][t].key;
    return key ^ z[side][PAWN][f].key ^ z[side][flags & PROMOTION_PIECE_MASK][t].key;
  }
  return key;
}

uint32_t pawnHashKeyAfter(int side, const Move& move) {
  const int f = move.from;
  const int t = move.to;
  const int32_t flags = move.flags;
  const auto& z = BoardTables.zobrist;
  uint32_t key = Board.pawnHashKey;
  if (flags & EN_PASSANT) return key ^ z[side ^ 1][PAWN][enPassantVictimSquare(t)].lock ^ z[side][PAWN][f].lock ^ z[side][PAWN][t].lock;
  if (flags & CASTLING) return key;
  if ((flags & CAPTURE) && Board.pieceAt[t] == PAWN) key ^= z[side ^ 1][PAWN][t].lock;
  if (Board.pieceAt[f] != PAWN) return key;
  key ^= z[side][PAWN][f].lock;
  return (flags & PROMOTION) ? key : key ^ z[side][PAWN][t].lock;
}

void unmakeMove(int side, const Move& move) {
  int f = move.from;
  int t = move.to;
  int32_t flags = move.flags;
  const GameRecord& record = GameHistory[Board.gameCount];
  Board.lastIrreversible = record.lastIrreversible;
  if (flags & QUIET) {
    unmakeQuiet(side, f, t);
  } else if (flags & CAPTURE) {
    unmakeCapture(side, f, t, record);
  } else if (flags & EN_PASSANT) {
    unmakeEnPassant(side, f, t);
  } else if (flags & CASTLING) {
    castle(side, f, t, CASTLE_UNMAKE);
  } else if (flags & PROMOTION) {
    unmakePromotion(side, f, t, record);
  }
  Board.hashKey = record.hashKey;
  Board.hashLock = record.hashLock;
  Board.pawnHashKey = record.pawnHashKey;
  Board.epSquare = record.epSquare;
  Board.gameCount -= 1;
  assert(boardIsOk());
}

void makeNullMove() {
  assert(Board.gameCount + 1 < GAME_HISTORY_SIZE);
  Board.gameCount += 1;
  GameRecord& r = GameHistory[Board.gameCount];
  r = GameRecord{};
  r.capturedColor = EMPTY;
  r.lastIrreversible = Board.lastIrreversible;
  r.hashKey = Board.hashKey;
  r.hashLock = Board.hashLock;
  r.pawnHashKey = Board.pawnHashKey;
  r.epSquare = Board.epSquare;
  Board.epSquare = -1;
  Board.lastIrreversible = Board.gameCount;
  Board.lastTo = -1;
  assert(boardIsOk());
}

void unmakeNullMove(int8_t lastTo) {
  const GameRecord& r = GameHistory[Board.gameCount];
  Board.hashKey = r.hashKey;
  Board.hashLock = r.hashLock;
  Board.pawnHashKey = r.pawnHashKey;
  Board.epSquare = r.epSquare;
  Board.lastIrreversible = r.lastIrreversible;
  Board.gameCount -= 1;
  Board.lastTo = lastTo;
  assert(boardIsOk());
}

namespace {

// The castling conditions, tested in this order and stopping at the first that fails, so that no
// square off the board is ever read: king on its home square, king and rook of the side in place
// and unmoved, the king's and the rook's destinations and the square beside the king's
// destination empty (on the queen side that is the b-file square, which may be attacked), and
// none of the king's square, its destination and the square it crosses attacked.
int castlingAllowed(int side, int kf, int kt, int rf, int rt) {
  int home = side == WHITE ? WHITE_KING_HOME : BLACK_KING_HOME;
  if (kf != home) return 0;
  if (Board.pieceAt[kf] != KING || Board.colorAt[kf] != side) return 0;
  if (Board.pieceAt[rf] != ROOK || Board.colorAt[rf] != side) return 0;
  if (Board.squareMoves[kf] != 0 || Board.squareMoves[rf] != 0) return 0;
  if (Board.pieceAt[kt] != NONE || Board.pieceAt[rt] != NONE || Board.pieceAt[kt - 1] != NONE) return 0;
  int opponent = side ^ 1;
  if (isSquareAttacked(kf, opponent) || isSquareAttacked(kt, opponent) || isSquareAttacked(rt, opponent)) return 0;
  return 1;
}

// Moves king and rook; the king keeps list entry 0, the rook its own entry.
void moveCastlingPieces(int side, int kingFrom, int kingTo, int rookFrom, int rookTo) {
  int rookIndex = Board.listIndex[rookFrom];
  setSquare(kingFrom, EMPTY, NONE);
  setSquare(rookFrom, EMPTY, NONE);
  setSquare(kingTo, side, KING);
  setSquare(rookTo, side, ROOK);
  Board.listIndex[kingTo] = 0;
  Board.pieceList[side][0] = static_cast<int8_t>(kingTo);
  Board.listIndex[rookTo] = static_cast<int8_t>(rookIndex);
  Board.pieceList[side][rookIndex] = static_cast<int8_t>(rookTo);
}

}  // namespace

int castle(int side, int kingFrom, int kingTo, int mode) {
  bool kingSide = kingTo > kingFrom;
  int rookFrom = kingSide ? kingFrom + 3 : kingFrom - 4;
  int rookTo = kingSide ? kingTo - 1 : kingTo + 1;
  if (mode == CASTLE_TEST) return castlingAllowed(side, kingFrom, kingTo, rookFrom, rookTo);
  if (mode == CASTLE_MAKE) {
    Board.squareMoves[kingFrom] += 1;
    Board.squareMoves[rookFrom] += 1;
    Board.castled[side] = 1;
    moveCastlingPieces(side, kingFrom, kingTo, rookFrom, rookTo);
    toggleKeys(side, KING, kingTo);
    toggleKeys(side, KING, kingFrom);
    toggleKeys(side, ROOK, rookFrom);
    toggleKeys(side, ROOK, rookTo);
  } else {
    Board.castled[side] = 0;
    Board.squareMoves[kingFrom] -= 1;
    Board.squareMoves[rookFrom] -= 1;
    moveCastlingPieces(side, kingTo, kingFrom, rookTo, rookFrom);
  }
  return 1;
}

void recordThinkResult(int score, int depth, int32_t timeUsed, int32_t nodes, bool bookMove) {
  GameRecord& record = GameHistory[Board.gameCount];
  record.score = static_cast<int16_t>(score);
  record.depth = static_cast<int8_t>(depth);
  record.timeUsed = timeUsed;
  record.nodes = nodes;
  record.bookMark = static_cast<int16_t>(bookMove ? 1 : 0);
}
