// The end of the game: draws marked on root moves, mate and stalemate, resignation, the draw
// offer and the result lines sent to the interface.
#pragma once
#include "board/types.h"

// Scores the end rules look at.
constexpr int MATE_GIVEN_SCORE = 9998;    // the chosen move mates at once
constexpr int NO_LEGAL_MOVE_SCORE = -9999;
// The game record's length limit: the engine's move that reaches it ends the game drawn.
constexpr int GAME_LENGTH_LIMIT = 540;

// With the root move made: 1 when the position now stands for the third time (same side to
// move, since the last irreversible move) or fifty moves passed without a pawn move or capture.
int rootMoveDraws();

// Before the move is made: mate given ends the game, no legal move is mate or stalemate (the
// draw flag on `best`), and the move at the length limit is marked drawn.
void judgeOutcome(Move& best, int score);

// After the engine's move was made and announced: resignation, the elapsed-time log line, the
// draw offer and the result lines. `best` may get the draw flag (bare kings).
void announceAfterMove(Move& best, int score, int bookMove);

// No move was played and the game is drawn: the stalemate lines.
void announceStalemate();
