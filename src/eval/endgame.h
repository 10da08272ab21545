// The endgame road of the evaluation (the endgame phase) and its special-material rules.
#pragma once
#include <cstdint>

// Which rule decided the last endgame value (EvalState.endgameRule).
constexpr int8_t ENDGAME_RULE_NONE = 0;            // plain sum of the terms
constexpr int8_t ENDGAME_RULE_PAWNLESS_DRAW = 1;   // no pawns, not enough to win: 0, not stored
constexpr int8_t ENDGAME_RULE_PAWNLESS = 2;        // no pawns: mating tables or piece-against-piece
constexpr int8_t ENDGAME_RULE_LONE_PAWNS = 3;      // kings and pawns, one side without pawns
constexpr int8_t ENDGAME_RULE_PAWN_RACE = 4;       // both sides with an unstoppable passer
constexpr int8_t ENDGAME_RULE_MINOR_NO_WIN = 5;    // a lone minor without pawns cannot win
constexpr int8_t ENDGAME_RULE_BISHOP_PAWNS = 6;    // bishop and pawns against pawns: bonus or halved
constexpr int8_t ENDGAME_RULE_WRONG_BISHOP = 7;    // rook pawn, wrong bishop, king in front: +-10
constexpr int8_t ENDGAME_RULE_ROOK_ENDING = 8;
constexpr int8_t ENDGAME_RULE_ROOK_VS_MINOR = 9;
constexpr int8_t ENDGAME_RULE_OPPOSITE_BISHOPS = 10;       // scaled down
constexpr int8_t ENDGAME_RULE_OPPOSITE_BISHOPS_DRAW = 11;  // blockade: +-10 or +-20
constexpr int8_t ENDGAME_RULE_LAZY = 12;           // lazy bound returned

// Continues evaluate after a ScoreTable miss in the endgame phase; returns the score for `side`.
int16_t evaluateEndgame(int side, int alpha, int beta, int8_t* exact);
// Fills positionalScore for positions without pawns.
void evaluatePawnless(int side);
// Value of king, bishop and knight against king for the stronger side `st`.
int16_t bishopKnightMate(int st, int strongKing, int weakKing);
// Value of a lone pawn of `colour` on pawnSquare against the bare king.
int16_t kingPawnVsKing(int colour, int pawnSquare);
// Rook against knight or bishop: replaces both positionalScore values.
void rookVsMinor(int rookSide, int minorSide, int rookKing, int minorKing);
// Rook endings (exactly a rook each): adjusts positionalScore.
void rookEnding(int st, int wk, int strongKing, int weakKing);
