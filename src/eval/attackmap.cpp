// Attack maps for the evaluation, rebuilt from scratch at every full evaluation: per square the
// number and kinds of pieces of each colour attacking it, the squares next to each king, the safe
// move count of every piece, and what stands behind the first piece on a slider's line (pins and
// skewers of enemy pieces, discovered attacks through own pieces, batteries). Pawn attacks are not
// entered here; the board keeps them in pawnAttacks.
#include "eval/attackmap.h"

#include <cassert>
#include <cstring>

#include "board/board.h"
#include "board/tables.h"
#include "eval/evalstate.h"
#include "eval/sideview.h"

namespace {

// ---- Attack-map words ----
// Type bit of the attacker by piece code (pawns are never entered).
constexpr int16_t attackBit[7] = {0,
                                  ATTACK_PAWN_BIT,
                                  ATTACK_KNIGHT_BIT,
                                  ATTACK_BISHOP_BIT,
                                  ATTACK_ROOK_BIT,
                                  ATTACK_QUEEN_BIT,
                                  ATTACK_KING_BIT};

// ---- Line information ----
constexpr int NO_BLOCKER = -1;
// A pin value above this is the uncovered-attack form, which a pin found later replaces; the value
// itself never occurs and would stay.
constexpr int PIN_OVERWRITE_LIMIT = 10;

void clearLineInfo(int square) {
  EvalState.pinInfo[square] = 0;
  EvalState.xrayInfo[square] = 0;
  EvalState.batteryInfo[square] = 0;
}

// One more attacker of the given type bit on the square.
void addAttack(int colour, int square, int16_t bit) {
  int16_t& word = EvalState.attackMap[colour][square];
  word = static_cast<int16_t>((word + 1) | bit);
}

// A target counts for safe mobility unless an own pawn stands on it or an enemy pawn attacks it.
bool isSafeTarget(int colour, int target) {
  return !holds(target, PAWN, colour) && pawnAttackers(colour ^ 1, target) == 0;
}

// Enters one attacked square; returns 1 when it counts for the piece's safe mobility, else 0.
int enterTarget(int colour, int target, int16_t bit) {
  addAttack(colour, target, bit);
  return isSafeTarget(colour, target) ? 1 : 0;
}

// Decides at the first occupied square `t` on a slider's ray whether the ray ends there (true) or
// the walk goes on behind it with t as the blocker (false).
bool endsRay(int colour, int from, int type, int t) {
  const int piece = Board.pieceAt[t];
  const bool own = Board.colorAt[t] == colour;
  if (piece == PAWN) return own || fileOf(t) == fileOf(from);
  if (own) return false;
  if (piece == type) return true;
  if (type == QUEEN) {
    const int df = fileOf(t) - fileOf(from);
    const int dr = rankOf(t) - rankOf(from);
    if (piece == ROOK && (df == 0 || dr == 0)) return true;
    if (piece == BISHOP && (df == dr || df == -dr)) return true;
  }
  return false;
}

// An enemy piece `blocker` shields the enemy piece on `behind` from our slider of `type`.
void notePinOrUncovered(int type, int blocker, int behind) {
  int16_t& info = EvalState.pinInfo[blocker];
  const int piece = Board.pieceAt[behind];
  if (piece > type) {
    // Pinned or skewered against the more valuable piece behind.
    if (info > PIN_OVERWRITE_LIMIT || (piece > info && info < PIN_OVERWRITE_LIMIT))
      info = static_cast<int16_t>(piece);
  } else if (piece > info) {
    info = static_cast<int16_t>(PIN_UNCOVERED | behind << 8 | type);
  }
}

// Our piece `blocker` stands in front of our slider of `type`; could the two pull together?
bool formsBattery(int blockerPiece, int type) {
  switch (blockerPiece) {
    case QUEEN: return type == ROOK || type == BISHOP;
    case ROOK: return type == ROOK || type == QUEEN;
    case BISHOP: return type == QUEEN;
    default: return false;
  }
}

// The first occupied square `behind` past the blocker on a ray of our slider of `type`.
void noteLineBehind(int colour, int type, int blocker, int behind) {
  const bool blockerOwn = Board.colorAt[blocker] == colour;
  const bool behindOwn = Board.colorAt[behind] == colour;
  if (!behindOwn && !blockerOwn) {
    notePinOrUncovered(type, blocker, behind);
  } else if (!behindOwn) {
    // Discovered attack: our blocker may move away and open the line onto a bigger enemy piece.
    if (Board.pieceAt[behind] > type && Board.pieceAt[blocker] != PAWN && EvalState.xrayInfo[behind] < type)
      EvalState.xrayInfo[behind] = static_cast<int16_t>(type);
  } else if (blockerOwn) {
    if (formsBattery(Board.pieceAt[blocker], type)) {
      int16_t& battery = EvalState.batteryInfo[behind];
      battery = static_cast<int16_t>((battery + 1) | attackBit[type]);
    }
  }
}

// The safe mobility is counted in a local and stored once per piece.
void enterKnight(int colour, int from) {
  const auto& next = BoardTables.nextSquare[KNIGHT][from];
  int mobility = 0;
  for (int t = next[from]; t != from; t = next[t]) mobility += enterTarget(colour, t, ATTACK_KNIGHT_BIT);
  EvalState.safeMobility[from] = static_cast<int8_t>(EvalState.safeMobility[from] + mobility);
}

// Walks every ray of a bishop, rook or queen. Squares are attacked up to and including the first
// occupied one; behind a blocker the walk looks for the next occupied square only and then ends
// the ray.
void enterSlider(int colour, int from, int type) {
  const auto& along = BoardTables.nextSquare[type][from];
  const auto& nextRay = BoardTables.nextDirection[type][from];
  const int16_t bit = attackBit[type];
  int blocker = NO_BLOCKER;
  int mobility = 0;
  int t = along[from];
  while (t != from) {
    const bool lastOnRay = along[t] == nextRay[t];
    if (blocker == NO_BLOCKER) {
      mobility += enterTarget(colour, t, bit);
      if (Board.colorAt[t] == EMPTY) {
        t = along[t];
      } else if (endsRay(colour, from, type, t)) {
        t = nextRay[t];
      } else {
        if (!lastOnRay) blocker = t;
        t = along[t];
      }
    } else if (Board.colorAt[t] == EMPTY) {
      if (lastOnRay) blocker = NO_BLOCKER;
      t = along[t];
    } else {
      noteLineBehind(colour, type, blocker, t);
      blocker = NO_BLOCKER;
      t = nextRay[t];
    }
  }
  EvalState.safeMobility[from] = static_cast<int8_t>(EvalState.safeMobility[from] + mobility);
}

}  // namespace

void buildKingZones() {
  // Step 1. Empty maps.
  std::memset(EvalState.attackMap, 0, sizeof EvalState.attackMap);
  for (int colour = WHITE; colour <= BLACK; ++colour) {
    // Step 2. Line information at every occupied square.
    for (int i = 0; i <= Board.pieceCount[colour]; ++i) clearLineInfo(Board.pieceList[colour][i]);
    for (int i = 1; i <= Board.pawnCount[colour]; ++i) clearLineInfo(Board.pawnList[colour][i]);
  }
  // Step 3. The kings and the squares next to them.
  for (int colour = WHITE; colour <= BLACK; ++colour) {
    const int king = kingSquare(colour);
    assert(Board.pieceAt[king] == KING && Board.colorAt[king] == colour);
    const auto& next = BoardTables.nextSquare[KING][king];
    EvalState.kingZoneCount[colour] = 0;
    for (int t = next[king]; t != king; t = next[t]) {
      addAttack(colour, t, ATTACK_KING_BIT);
      EvalState.kingZoneCount[colour] += 1;
      EvalState.kingZone[colour][EvalState.kingZoneCount[colour]] = static_cast<int8_t>(t);
    }
  }
}

void buildAttackMap(int colour) {
  for (int i = Board.pieceCount[colour]; i >= 1; --i) {
    const int square = Board.pieceList[colour][i];
    const int type = Board.pieceAt[square];
    assert(type >= KNIGHT && type <= QUEEN && Board.colorAt[square] == colour);
    EvalState.safeMobility[square] = 0;
    if (type == KNIGHT)
      enterKnight(colour, square);
    else
      enterSlider(colour, square, type);
  }
}
