// Attack detection and legality tests.
#pragma once
#include <cstdint>

#include "board/types.h"

// 1 if a piece of `side` attacks square s (whatever stands on s), else 0. Tries the side's
// piece list, so the lists must agree with the squares.
int isSquareAttacked(int s, int side);

// The same answer found by walking outward from s over pieceAt/colorAt only (pawn attacks from
// pawnAttacks, the king from its list entry): for a board whose squares were edited in place
// without the lists.
int isSquareAttackedOnSquares(int s, int side);

// 1 if making the move leaves the mover's king attacked; counts one node.
int leavesKingInCheck(int from, int to, int flags);

// The squares on which a move other than the king's can answer a check to `side`: the checker's
// square and the squares between it and the king; none under a double check, every square when
// the king is not attacked.
uint64_t checkAnswerSquares(int side);
// leavesKingInCheck, told the answering squares of the mover's side: a move other than a king
// move or en passant that lands elsewhere is known to stay in check (with the same node count,
// last to-square and list order as the full test).
int leavesKingInCheckAnswering(int from, int to, int flags, uint64_t answers);

// 1 if `side`'s king is attacked.
int isInCheck(int side);

// After makeMove(side, move): 1 if `side`'s king is attacked, exactly as isInCheck(side).
// `kingWasSafe` says the king was known not to be attacked before the move. Then only a move of
// the king or en passant (two squares emptied) needs the full test: any other move can attack the
// king only by opening the line from the king through its from-square (arriving pieces merely
// block, captured pieces stop attacking), so only that line is looked at.
int ownKingAttackedAfter(int side, const Move& move, bool kingWasSafe);
