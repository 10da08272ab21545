// Move generation. Every move gets its ordering score when it is appended, so the search never
// sorts: it picks the best remaining move with pickBest.
#include "board/movegen.h"

#include <cassert>
#include <cstring>

#include "board/attack.h"
#include "board/board.h"
#include "board/makemove.h"
#include "board/ordering.h"
#include "board/tables.h"

MoveStackData MoveStack;

namespace {

// Ordering scores of the full generators.
constexpr int HASH_MOVE_SCORE = 5000;
constexpr int BEST_AT_PLY_SCORE = 2000;
constexpr int RECAPTURE_BONUS = 50;
constexpr int KILLER1_SCORE = 100;
constexpr int KILLER2_SCORE = 50;
constexpr int PROMOTION_BASE = 1000;
constexpr int MINOR_PROMOTION_DROP = 750;  // knight and bishop promotions
constexpr int ROOK_PROMOTION_DROP = 550;
constexpr int SEVENTH_RANK_BASE = 750;
// Ordering scores of the tactical generators.
constexpr int QUEEN_PROMOTION_SCORE = 860;
constexpr int EN_PASSANT_SCORE = 100;

inline void appendMove(int from, int to, int score, int32_t flags) {
  int16_t& end = MoveStack.plyStart[Ordering.ply + 1];
  assert(end < MOVE_STACK_SIZE);
  if (end >= MOVE_STACK_SIZE) return;
  Move& m = MoveStack.moveStack[end++];
  m.from = static_cast<int8_t>(from);
  m.to = static_cast<int8_t>(to);
  m.score = static_cast<int16_t>(score);
  m.flags = flags;
}

inline void startList() { MoveStack.plyStart[Ordering.ply + 1] = MoveStack.plyStart[Ordering.ply]; }

inline int pawnMoveType(int side) { return side == WHITE ? PAWN : BLACK_PAWN_TYPE; }

// Victim value minus the attacker's piece code, plus a bonus for recapturing on the last move's square.
inline int captureScore(int from, int to) {
  int score = Board.captureValue[Board.pieceAt[to]] - Board.pieceAt[from];
  if (to == Board.lastTo) score += RECAPTURE_BONUS;
  return score;
}

// The en-passant square is usable only when the pawn that made the double step really stands
// behind it: a bogus square (from a position text, "ep" or edit mode) must never make makeMove
// remove a pawn that is not there.
bool enPassantIsGenuine(int side) {
  int ep = Board.epSquare;
  if (ep <= 0 || ep >= 64 || Board.pieceAt[ep] != NONE) return false;
  int victim = side == WHITE ? ep - 8 : ep + 8;
  int victimRank = side == WHITE ? 5 : 2;
  return rankOf(ep) == victimRank && Board.pieceAt[victim] == PAWN && Board.colorAt[victim] == (side ^ 1);
}

// The squares that can answer a check to the side whose legal moves are being generated.
uint64_t checkAnswers = ~uint64_t{0};

// Hands one generated move on: to addMove, or for the in-check generator only when it is legal.
template <bool Legal>
inline void add(int from, int to, int32_t flags, int opponent) {
  if (Legal && leavesKingInCheckAnswering(from, to, flags, checkAnswers) != 0) return;
  addMove(from, to, flags, opponent);
}

// The walk of one piece's targets.
template <bool Legal>
inline void walkPieceMoves(int f, int side, int opponent) {
  int piece = Board.pieceAt[f];
  if (piece == PAWN) {
    int t = pawnMoveType(side);
    const int8_t* next = BoardTables.nextSquare[t][f];
    const int8_t* jump = BoardTables.nextDirection[t][f];
    int u = next[f];
    if (Board.pieceAt[u] == NONE) {
      add<Legal>(f, u, QUIET, opponent);
      int u2 = next[u];
      if (Board.pieceAt[u2] == NONE) add<Legal>(f, u2, QUIET, opponent);
    }
    int c = jump[f];
    if (Board.colorAt[c] == opponent) add<Legal>(f, c, CAPTURE, opponent);
    c = jump[c];
    if (Board.colorAt[c] == opponent) add<Legal>(f, c, CAPTURE, opponent);
    return;
  }
  const int8_t* next = BoardTables.nextSquare[piece][f];
  const int8_t* jump = BoardTables.nextDirection[piece][f];
  int u = next[f];
  while (u != f) {
    if (Board.pieceAt[u] == NONE) {
      add<Legal>(f, u, QUIET, opponent);
      u = next[u];
    } else {
      if (Board.colorAt[u] == opponent) add<Legal>(f, u, CAPTURE, opponent);
      u = jump[u];
    }
  }
}

template <bool Legal>
void generateEnPassant(int side, int opponent) {
  if (!enPassantIsGenuine(side)) return;
  int ep = Board.epSquare;
  int origins[2] = {BoardTables.epOriginA[ep], BoardTables.epOriginB[ep]};
  for (int a : origins)
    if (Board.colorAt[a] == side && Board.pieceAt[a] == PAWN) add<Legal>(a, ep, EN_PASSANT, opponent);
}

// Pieces from the end of the list (the king, entry 0, last), then pawns, castling and en passant.
// The in-check generator never castles.
template <bool Legal>
void generateAll(int side) {
  int opponent = side ^ 1;
  startList();
  if (Legal) checkAnswers = checkAnswerSquares(side);
  for (int i = Board.pieceCount[side]; i >= 0; i--) walkPieceMoves<Legal>(Board.pieceList[side][i], side, opponent);
  for (int i = Board.pawnCount[side]; i >= 1; i--) walkPieceMoves<Legal>(Board.pawnList[side][i], side, opponent);
  if (!Legal && Board.castled[side] == 0) {
    int k = Board.pieceList[side][0];
    if (castle(side, k, k + 2, CASTLE_TEST)) addMove(k, k + 2, CASTLING, opponent);
    if (castle(side, k, k - 2, CASTLE_TEST)) addMove(k, k - 2, CASTLING, opponent);
  }
  generateEnPassant<Legal>(side, opponent);
}

// Could a quiet move of `piece` to u give check to the king on k (blockers not examined)?
bool mayGiveCheck(int piece, int u, int k) {
  bool sameFile = fileOf(u) == fileOf(k);
  bool sameRank = rankOf(u) == rankOf(k);
  bool sameDiagonal = (fileOf(u) + rankOf(u) == fileOf(k) + rankOf(k)) || (fileOf(u) - rankOf(u) == fileOf(k) - rankOf(k));
  switch (piece) {
    case KNIGHT: return BoardTables.distance[u][k] <= 2;
    case BISHOP: return sameDiagonal;
    case ROOK: return sameFile || sameRank;
    case QUEEN: return sameFile || sameRank || sameDiagonal;
    default: return false;
  }
}

inline int tacticalScore(int from, int to) {
  if (moveCodeOf(from, to) == Ordering.hashMove) return HASH_MOVE_SCORE;
  return captureScore(from, to);
}

// Captures of one non-pawn piece, and with `withChecks` its quiet moves that may give check.
void walkTacticalPieceMoves(int f, int opponent, bool withChecks) {
  int piece = Board.pieceAt[f];
  const int8_t* next = BoardTables.nextSquare[piece][f];
  const int8_t* jump = BoardTables.nextDirection[piece][f];
  int enemyKing = Board.pieceList[opponent][0];
  bool checksPossible = withChecks && piece != KING;
  int u = next[f];
  while (u != f) {
    if (Board.pieceAt[u] == NONE) {
      if (checksPossible && Board.pawnAttacks[opponent][u] == 0 && mayGiveCheck(piece, u, enemyKing)) {
        int score = moveCodeOf(f, u) == Ordering.hashMove ? HASH_MOVE_SCORE : piece;
        appendMove(f, u, score, QUIET);
      }
      u = next[u];
    } else {
      if (Board.colorAt[u] == opponent) appendMove(f, u, tacticalScore(f, u), CAPTURE);
      u = jump[u];
    }
  }
}

// Pawn captures and queen promotions (under-promotions are left to the full generators).
void walkTacticalPawnMoves(int f, int side, int opponent) {
  int t = pawnMoveType(side);
  const int8_t* jump = BoardTables.nextDirection[t][f];
  int u = BoardTables.nextSquare[t][f][f];
  bool promotes = rankOf(u) == 0 || rankOf(u) == 7;
  if (Board.pieceAt[u] == NONE && promotes) appendMove(f, u, QUEEN_PROMOTION_SCORE, PROMOTION + QUEEN);
  int c = jump[f];
  for (int i = 0; i < 2; i++) {
    if (Board.colorAt[c] == opponent) {
      int score = tacticalScore(f, c);
      if (rankOf(c) == 0 || rankOf(c) == 7)
        appendMove(f, c, score + QUEEN_PROMOTION_SCORE, PROMOTION + QUEEN);
      else
        appendMove(f, c, score, CAPTURE);
    }
    c = jump[c];
  }
}

// Every square that holds a man of `colour`.
uint64_t occupiedBy(int colour) {
  uint64_t men = 0;
  for (int i = Board.pieceCount[colour]; i >= 0; i--) men |= uint64_t{1} << Board.pieceList[colour][i];
  for (int i = Board.pawnCount[colour]; i >= 1; i--) men |= uint64_t{1} << Board.pawnList[colour][i];
  return men;
}

void generateTactical(int side, bool withChecks) {
  int opponent = side ^ 1;
  startList();
  // A piece that reaches no enemy man even on an empty board has no capture to add; without
  // quiet checks to look for (never for the king) its walk is left out.
  const uint64_t enemies = occupiedBy(opponent);
  for (int i = Board.pieceCount[side]; i >= 0; i--) {
    const int f = Board.pieceList[side][i];
    const bool checksWanted = withChecks && i != 0;
    if (!checksWanted && (BoardTables.reachMask[Board.pieceAt[f]][f] & enemies) == 0) continue;
    walkTacticalPieceMoves(f, opponent, withChecks);
  }
  for (int i = Board.pawnCount[side]; i >= 1; i--) walkTacticalPawnMoves(Board.pawnList[side][i], side, opponent);
  if (!enPassantIsGenuine(side)) return;
  int ep = Board.epSquare;
  int origins[2] = {BoardTables.epOriginA[ep], BoardTables.epOriginB[ep]};
  for (int a : origins)
    if (Board.colorAt[a] == side && Board.pieceAt[a] == PAWN) appendMove(a, ep, EN_PASSANT_SCORE, EN_PASSANT);
}

}  // namespace

void addMove(int from, int to, int32_t flags, int opponent) {
  uint16_t code = moveCodeOf(from, to);
  int ply = Ordering.ply;
  int score;
  if (code == Ordering.hashMove) {
    score = HASH_MOVE_SCORE;
  } else if (code == Ordering.bestAtPly[ply]) {
    score = BEST_AT_PLY_SCORE;
  } else if (Board.pieceAt[to] != NONE) {
    score = captureScore(from, to);
  } else if (code == Ordering.killer1[ply]) {
    score = KILLER1_SCORE;
  } else if (code == Ordering.killer2[ply]) {
    score = KILLER2_SCORE;
  } else {
    score = Ordering.history[opponent ^ 1][code];
  }
  if (Board.pieceAt[from] == PAWN) {
    int rank = rankOf(to);
    if (rank == 0 || rank == 7) {
      int s = score < 1 ? PROMOTION_BASE : score + PROMOTION_BASE;
      appendMove(from, to, s, PROMOTION + QUEEN);
      appendMove(from, to, s - MINOR_PROMOTION_DROP, PROMOTION + KNIGHT);
      appendMove(from, to, s - MINOR_PROMOTION_DROP, PROMOTION + BISHOP);
      appendMove(from, to, s - ROOK_PROMOTION_DROP, PROMOTION + ROOK);
      return;
    }
    if (rank == 1 || rank == 6) {
      flags |= PAWN_SIXTH_SEVENTH;
      score = score < 1 ? SEVENTH_RANK_BASE : score + SEVENTH_RANK_BASE;
    } else if (rank == (opponent == BLACK ? 5 : 2)) {
      flags |= PAWN_SIXTH_SEVENTH;
    }
  }
  appendMove(from, to, score, flags);
}

void generatePieceMoves(int square, int side, int opponent) { walkPieceMoves<false>(square, side, opponent); }

void generateLegalPieceMoves(int square, int side, int opponent) {
  checkAnswers = checkAnswerSquares(side);
  walkPieceMoves<true>(square, side, opponent);
}

void generateMoves(int side) { generateAll<false>(side); }

void generateLegalMoves(int side) { generateAll<true>(side); }

void generateCaptures(int side) { generateTactical(side, false); }

void generateCapturesAndChecks(int side) { generateTactical(side, true); }

void pickBest(int first, int last) {
  Move* moves = MoveStack.moveStack;
  int best = first;
  int bestScore = moves[first].score;
  for (int i = first + 1; i <= last; i++) {
    // Strictly greater: of equal scores the earliest stays first.
    if (moves[i].score > bestScore) {
      best = i;
      bestScore = moves[i].score;
    }
  }
  if (best != first) {
    Move tmp = moves[first];
    moves[first] = moves[best];
    moves[best] = tmp;
  }
}

void clearMoveStack() {
  std::memset(MoveStack.moveStack, 0, sizeof MoveStack.moveStack);
  std::memset(MoveStack.plyStart, 0, sizeof MoveStack.plyStart);
}
