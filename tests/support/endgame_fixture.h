// Test helpers for the passed-pawn and endgame terms: a position with the evaluation state that
// evaluate hands over to its term families, a small ScoreTable, and colour-mirrored positions.
#pragma once
#include <cstdint>
#include <string>

#include "eval/scoretable.h"

// Sets up `fen` (as setUpPosition does), empties the pawn table and the test ScoreTable, and
// prepares the evaluation state for the side to move: evalSide, the game phase, the tempo bonus of
// the side to move in balanceBonus, every accumulator cleared, rootSide = the side to move.
bool setUpEvaluation(const std::string& fen);

// The same preparation for the position already on the board.
void prepareEvaluation();

// The endgame road for the side to move of the current set-up; *exact receives the exact flag.
int16_t endgameScore(int alpha = -9999, int beta = 9999, int8_t* exact = nullptr);

// The whole evaluation (evaluate) of the current set-up for the side to move, full window.
int16_t fullScore(int8_t* exact = nullptr);

// Pawn structure, attack maps and passed pawns (with pieces) as the full evaluation runs them.
void runPassedPawns(int gamePhase);

// Pawn structure and the pawn-ending passers with their race data.
void runPawnEndingPassers();

// The test ScoreTable entry of the current position (valid after a store).
const ScoreEntry& scoreSlot();

// The same position with the colours swapped: ranks mirrored, side to move swapped, castling
// rights and en passant dropped.
std::string mirroredFen(const std::string& fen);
