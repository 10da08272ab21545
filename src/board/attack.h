// Attack detection and legality tests.
#pragma once

// 1 if a piece of `side` attacks square s (whatever stands on s), else 0.
int isSquareAttacked(int s, int side);

// 1 if making the move leaves the mover's king attacked; counts one node.
int leavesKingInCheck(int from, int to, int flags);

// 1 if `side`'s king is attacked.
int isInCheck(int side);
