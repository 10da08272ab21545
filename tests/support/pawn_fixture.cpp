#include "support/pawn_fixture.h"

#include <cstring>
#include <random>

#include "board/attack.h"
#include "board/board.h"
#include "board/makemove.h"
#include "board/movegen.h"
#include "eval/attackmap.h"
#include "eval/evalstate.h"
#include "eval/pawnhash.h"
#include "search/searchstate.h"
#include "support/board_fixture.h"

namespace {

constexpr int MIRROR = 56;

// Rewrites a colour's list (entries 1..count) in the given order, with the indices that go with it.
void reorderList(int8_t* list, int count, const int8_t* order) {
  for (int i = 1; i <= count; ++i) {
    list[i] = order[i];
    Board.listIndex[order[i]] = static_cast<int8_t>(i);
  }
}

// Legal moves of `side` at the root ply.
std::vector<Move> legalMoves(int side) {
  Ordering.ply = 1;
  MoveStack.plyStart[1] = 0;
  generateMoves(side);
  std::vector<Move> moves;
  for (int i = MoveStack.plyStart[1]; i < MoveStack.plyStart[2]; ++i) {
    const Move move = MoveStack.moveStack[i];
    makeMove(side, move);
    if (!isInCheck(side)) moves.push_back(move);
    unmakeMove(side, move);
  }
  return moves;
}

}  // namespace

void resetEvaluationState(int side, int phase) {
  std::memset(&EvalState, 0, sizeof EvalState);
  EvalState.evalSide = static_cast<int8_t>(side);
  EvalState.gamePhase = static_cast<int8_t>(phase);
  for (int colour = 0; colour < 2; ++colour) {
    EvalState.firstPawnFile[colour] = NO_FILE;
    EvalState.lastPawnFile[colour] = NO_FILE;
    EvalState.rookFile[colour] = NO_FILE;
  }
}

void buildAttackMaps(int side) {
  buildKingZones();
  buildAttackMap(side);
  buildAttackMap(side ^ 1);
}

bool setUpPawnTest(const std::string& fen, int side, int phase) {
  if (!setUpPosition(fen)) return false;
  clearPawnTable();
  resetEvaluationState(side, phase);
  buildAttackMaps(side);
  return true;
}

PositionSnapshot takeSnapshot() {
  PositionSnapshot snapshot;
  std::memcpy(snapshot.pieceAt, Board.pieceAt, sizeof snapshot.pieceAt);
  std::memcpy(snapshot.colorAt, Board.colorAt, sizeof snapshot.colorAt);
  std::memcpy(snapshot.pieceList, Board.pieceList, sizeof snapshot.pieceList);
  std::memcpy(snapshot.pawnList, Board.pawnList, sizeof snapshot.pawnList);
  snapshot.sideToMove = Board.sideToMove;
  return snapshot;
}

void restoreSnapshot(const PositionSnapshot& snapshot) {
  std::memcpy(Board.pieceAt, snapshot.pieceAt, sizeof Board.pieceAt);
  std::memcpy(Board.colorAt, snapshot.colorAt, sizeof Board.colorAt);
  Board.sideToMove = snapshot.sideToMove;
  recomputeBoardState();
  for (int colour = 0; colour < 2; ++colour) {
    reorderList(Board.pieceList[colour], Board.pieceCount[colour], snapshot.pieceList[colour]);
    reorderList(Board.pawnList[colour], Board.pawnCount[colour], snapshot.pawnList[colour]);
  }
  fillTypeCount();
}

PositionSnapshot mirrorSnapshot(const PositionSnapshot& snapshot) {
  PositionSnapshot mirror;
  for (int s = 0; s < 64; ++s) {
    mirror.pieceAt[s ^ MIRROR] = snapshot.pieceAt[s];
    const int colour = snapshot.colorAt[s];
    mirror.colorAt[s ^ MIRROR] = static_cast<int8_t>(colour == EMPTY ? EMPTY : colour ^ 1);
  }
  for (int colour = 0; colour < 2; ++colour)
    for (int i = 0; i < 64; ++i) {
      mirror.pieceList[colour ^ 1][i] = static_cast<int8_t>(snapshot.pieceList[colour][i] ^ MIRROR);
      mirror.pawnList[colour ^ 1][i] = static_cast<int8_t>(snapshot.pawnList[colour][i] ^ MIRROR);
    }
  mirror.sideToMove = static_cast<int8_t>(snapshot.sideToMove ^ 1);
  return mirror;
}

std::vector<PositionSnapshot> randomGamePositions(uint32_t seed, int games, int plies, int interval) {
  std::mt19937 random(seed);
  std::vector<PositionSnapshot> positions;
  for (int game = 0; game < games; ++game) {
    setUpInitialPosition();
    for (int ply = 1; ply <= plies; ++ply) {
      const int side = Board.sideToMove;
      const std::vector<Move> moves = legalMoves(side);
      if (moves.empty()) break;
      makeMove(side, moves[random() % moves.size()]);
      Board.sideToMove = static_cast<int8_t>(side ^ 1);
      if (ply % interval == 0) positions.push_back(takeSnapshot());
    }
  }
  return positions;
}
