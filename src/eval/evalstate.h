// EvalState: the evaluation's working data. Every accumulator is per colour ([WHITE], [BLACK]),
// reset on every call of evaluate and readable afterwards (the think driver and the trace read them).
#pragma once
#include <cstdint>

constexpr int8_t NO_FILE = -1;  // "no file" for firstPawnFile, lastPawnFile and rookFile
constexpr int MAX_PIECE_RECORDS = 16;

// The wings: the king's wing is files f to h, the queen's wing files a to c.
constexpr int KING_WING_FIRST_FILE = 5;
constexpr int QUEEN_WING_LAST_FILE = 2;

// Game phases (EvalState.gamePhase), set from the piece material of both sides.
constexpr int PHASE_UNKNOWN = -1;           // before the first evaluation of a game
constexpr int PHASE_OPENING = 0;
constexpr int PHASE_EARLY_MIDDLEGAME = 1;
constexpr int PHASE_LATE_MIDDLEGAME = 2;
constexpr int PHASE_ENDGAME = 3;
constexpr int PHASE_COUNT = 4;

struct EvalData {
  // Game phase (computeGamePhase): PHASE_OPENING .. PHASE_ENDGAME, PHASE_UNKNOWN before the first evaluation.
  int16_t totalPieceMaterial;
  int8_t gamePhase;
  int8_t evalSide;              // the colour evaluate was called for ("the side to move")
  int8_t evalThreat;            // threat code for the search: 0, 30, 31, 40, 41, -40

  // Accumulators.
  int16_t balanceBonus[2];
  int16_t positionalScore[2];
  int16_t pawnStructureScore[2];
  int16_t threatScore[2];
  int16_t pieceScore[2];
  int16_t mobilityScore[2];
  int16_t kingSafetyScore[2];
  int16_t kingContactScore[2];
  int16_t passedPawnScore[2];
  int16_t fileControl[2];
  int16_t kingAttackEstimate[2];
  int16_t bishopPairScore[2];   // the bishop-pair part of pieceScore, for the think driver and trace

  // Counters.
  int8_t hangingPawns[2];
  int8_t threatenedPieces[2];
  int8_t kingThreat[2];
  int8_t darkSquarePawns[2];

  // Per-piece records (filled while searchDepth < 1): own score and square by list position
  // 1..pieceCount; NO_SQUARE where the last evaluation scored no piece (pawnless endings).
  int16_t pieceEvalScore[2][MAX_PIECE_RECORDS];
  int8_t pieceEvalSquare[2][MAX_PIECE_RECORDS];

  // Attack maps.
  int16_t attackMap[2][64];     // low byte: attacker count; high byte: attacker type bits
  int8_t kingZone[2][9];        // [1..kingZoneCount]
  int8_t kingZoneCount[2];
  int8_t safeMobility[64];
  int16_t pinInfo[64];
  int16_t xrayInfo[64];
  int16_t batteryInfo[64];

  // Piece terms.
  int32_t kingAttackUnits[2];   // units collected against the king of that colour
  int8_t bishopOnDark[2];
  int8_t bishopOnLight[2];
  int8_t rookFile[2];           // NO_FILE = none
  int8_t seventhRankCount[2];

  // King safety.
  int8_t castleChance[2];
  int8_t rootCastlingChance[2]; // set by the think driver at the root
  int16_t kingWeakness[2];      // weakness count w of the king's last safety term (for the trace)
  int8_t kingContacts[2];       // contact count of the king's last safety term (for the trace)
  int16_t kingSafetyBase[2];    // value the king's safety term returned, before the cap at 0 (for the trace)

  // Pawn structure (cached in the pawn hash table).
  uint16_t pawnFileInfo[2][8];
  uint8_t passerSides;          // bit 0 White has a passed pawn, bit 1 Black
  int8_t advancedPasserSeen[2];
  uint8_t queenSideShelter[2];
  uint8_t kingSideShelter[2];
  int8_t firstPawnFile[2];
  int8_t lastPawnFile[2];

  // Passed pawns and races.
  int8_t lastPasserSquare[2];   // square of the last passed pawn valued; NO_SQUARE = none
  int8_t raceMoves[2];          // moves the fastest unstoppable passer needs; RACE_NONE (20) = none
  int8_t raceSquare[2];         // promotion square of that passer; NO_SQUARE = none
  int16_t passerValue[2][8];    // value given to the passed pawn of each file (0 = none), for the trace
  int8_t passerSquare[2][8];    // square of the passed pawn valued on each file; NO_SQUARE = none
  int8_t endgameRule;           // the endgame rule that decided the last endgame value (ENDGAME_RULE_*)

  // Statistics.
  uint32_t scoreTableHits;
  uint32_t scoreTableFills;
  uint32_t fullEvaluations;
  uint32_t pawnTableHits;
  uint32_t pawnTableFills;
};
extern EvalData EvalState;

// Attack-map type bits (high byte of an attackMap word).
constexpr int16_t ATTACK_PAWN_BIT = 0x2000;
constexpr int16_t ATTACK_KNIGHT_BIT = 0x1000;
constexpr int16_t ATTACK_BISHOP_BIT = 0x0800;
constexpr int16_t ATTACK_ROOK_BIT = 0x0400;
constexpr int16_t ATTACK_QUEEN_BIT = 0x0200;
constexpr int16_t ATTACK_KING_BIT = 0x0100;

// pawnFileInfo bits.
constexpr uint16_t PAWN_DOUBLED = 0x0001;
constexpr uint16_t PAWN_ISOLATED = 0x0002;
constexpr uint16_t PAWN_BACKWARD = 0x0004;
constexpr uint16_t PAWN_PASSED = 0x0008;
constexpr uint16_t PAWN_BLOCKED = 0x0010;
constexpr uint16_t PAWN_STOP_DOUBLY_ATTACKED = 0x0020;
constexpr uint16_t PAWN_BREAKTHROUGH = 0x0040;
constexpr uint16_t PAWN_UNDERDEFENDED = 0x0080;
constexpr uint16_t PAWN_WEAK = 0x0100;
constexpr uint16_t PAWN_FREE_FILE = 0x0200;
constexpr uint16_t PAWN_STOP_SINGLY_ATTACKED = 0x0400;
constexpr uint16_t PAWN_DUO = 0x0800;
constexpr uint16_t PAWN_STOP_OVERWHELMED = 0x1000;

// A new game: the game phase is unknown until the next evaluation.
void forgetGamePhase();
// The piece, threat and king accumulators of one colour, to zero (and no rook file); the full
// evaluation and the endgame evaluation both start from here.
void clearPieceAndKingTerms(int colour);
// Start of a think: the score-table, pawn-table and full-evaluation counters to zero.
void clearEvalStatistics();
// At the root: whether each side can still castle (not castled yet, the king unmoved at home and
// an unmoved rook in a corner), for the king-safety terms of the search to come.
void noteRootCastlingChances();
