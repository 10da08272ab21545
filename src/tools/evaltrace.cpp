// The evaluation trace: sets a FEN position up and evaluates it as the think driver evaluates
// its root (cleared tables, full evaluation, no lazy cut), then prints every accumulator.
#include "tools/evaltrace.h"

#include <cstdio>
#include <string>

#include "board/board.h"
#include "board/setup.h"
#include "board/tables.h"
#include "eval/endgame.h"
#include "eval/evalstate.h"
#include "eval/evaluate.h"
#include "eval/pawnhash.h"
#include "eval/scoretable.h"
#include "game/think.h"
#include "search/searchstate.h"

namespace {

constexpr const char* INITIAL_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
const std::string SETBOARD_PREFIX = "setboard ";
constexpr uint32_t TRACE_SCORE_ENTRIES = 64;  // one evaluation needs one slot
constexpr int REFUSED_STATUS = 2;
constexpr const char* FILE_NAMES = "abcdefgh";
constexpr const char* RANK_NAMES = "12345678";
constexpr const char* COLOUR_NAMES[2] = {"white", "black"};
constexpr const char* NO_SQUARE_NAME = "-";

// Names of the endgame rules, by ENDGAME_RULE_* code.
constexpr const char* ENDGAME_RULE_NAMES[] = {
    "none",          "pawnless-draw",   "pawnless",      "lone-pawns",         "pawn-race",
    "minor-no-win",  "bishop-pawns",    "wrong-bishop",  "rook-ending",        "rook-vs-minor",
    "opposite-bishops", "opposite-bishops-draw", "lazy",
};
constexpr int ENDGAME_RULE_NAME_COUNT = sizeof ENDGAME_RULE_NAMES / sizeof ENDGAME_RULE_NAMES[0];
static_assert(ENDGAME_RULE_NAME_COUNT == ENDGAME_RULE_LAZY + 1, "a name for every endgame rule");

ScoreEntry traceScoreEntries[TRACE_SCORE_ENTRIES];

// argv[2..] joined with blanks, or the initial position.
std::string fenFromArguments(int argc, char** argv) {
  std::string fen;
  for (int i = 2; i < argc; ++i) {
    if (i > 2) fen.push_back(' ');
    fen.append(argv[i]);
  }
  return fen.empty() ? INITIAL_FEN : fen;
}

// The state the think driver prepares before it evaluates the root.
void prepareRootEvaluation() {
  setScoreTableStorage(traceScoreEntries, TRACE_SCORE_ENTRIES);
  clearScoreTable();
  clearPawnTable();
  setPly(1);
  clearSearchDepth();
  setRootSide(Board.sideToMove);
  clearRootBonus(1);
  preparePhaseState();
}

void printPair(const char* name, int white, int black) { std::printf("%s %d %d\n", name, white, black); }

// "e5", or "-" for NO_SQUARE (or anything off the board).
std::string squareName(int square) {
  if (square < 0 || square >= NO_SQUARE) return NO_SQUARE_NAME;
  return {FILE_NAMES[fileOf(square)], RANK_NAMES[rankOf(square)]};
}

void printSquarePair(const char* name, int white, int black) {
  std::printf("%s %s %s\n", name, squareName(white).c_str(), squareName(black).c_str());
}

// One line per scored piece: "piece.white.3 e5 34" (list position, square, own score).
void printPieceRecords() {
  const EvalData& e = EvalState;
  for (int c = WHITE; c <= BLACK; ++c) {
    for (int i = 1; i < MAX_PIECE_RECORDS; ++i) {
      if (e.pieceEvalSquare[c][i] == NO_SQUARE) continue;
      std::printf("piece.%s.%d %s %d\n", COLOUR_NAMES[c], i, squareName(e.pieceEvalSquare[c][i]).c_str(),
                  e.pieceEvalScore[c][i]);
    }
  }
}

// One line per valued passed pawn: "passer.white.e e6 80" (file, square, value).
void printPassers() {
  const EvalData& e = EvalState;
  for (int c = WHITE; c <= BLACK; ++c) {
    for (int file = 0; file < 8; ++file) {
      if (e.passerSquare[c][file] == NO_SQUARE) continue;
      std::printf("passer.%s.%c %s %d\n", COLOUR_NAMES[c], FILE_NAMES[file],
                  squareName(e.passerSquare[c][file]).c_str(), e.passerValue[c][file]);
    }
  }
}

const char* endgameRuleName(int rule) {
  return rule >= 0 && rule < ENDGAME_RULE_NAME_COUNT ? ENDGAME_RULE_NAMES[rule] : "unknown";
}

void printTrace(int total) {
  const EvalData& e = EvalState;
  std::printf("sideToMove %s\n", Board.sideToMove == WHITE ? "white" : "black");
  std::printf("gamePhase %d\n", e.gamePhase);
  std::printf("totalPieceMaterial %d\n", e.totalPieceMaterial);
  printPair("material", Board.material[WHITE], Board.material[BLACK]);
  printPair("pieceMaterial", Board.pieceMaterial[WHITE], Board.pieceMaterial[BLACK]);
  const struct {
    const char* name;
    const int16_t* values;
  } accumulators[] = {
      {"balanceBonus", e.balanceBonus},         {"positionalScore", e.positionalScore},
      {"pawnStructureScore", e.pawnStructureScore}, {"threatScore", e.threatScore},
      {"pieceScore", e.pieceScore},             {"bishopPairScore", e.bishopPairScore},
      {"mobilityScore", e.mobilityScore},       {"kingSafetyScore", e.kingSafetyScore},
      {"kingContactScore", e.kingContactScore}, {"passedPawnScore", e.passedPawnScore},
      {"fileControl", e.fileControl},           {"kingAttackEstimate", e.kingAttackEstimate},
  };
  for (const auto& a : accumulators) printPair(a.name, a.values[WHITE], a.values[BLACK]);
  const struct {
    const char* name;
    const int8_t* values;
  } counters[] = {
      {"hangingPawns", e.hangingPawns}, {"threatenedPieces", e.threatenedPieces},
      {"kingThreat", e.kingThreat},     {"darkSquarePawns", e.darkSquarePawns},
      {"castleChance", e.castleChance},
  };
  for (const auto& c : counters) printPair(c.name, c.values[WHITE], c.values[BLACK]);
  printPair("kingSideShelter", e.kingSideShelter[WHITE], e.kingSideShelter[BLACK]);
  printPair("queenSideShelter", e.queenSideShelter[WHITE], e.queenSideShelter[BLACK]);
  printPair("kingAttackUnits", e.kingAttackUnits[WHITE], e.kingAttackUnits[BLACK]);
  printPair("kingWeakness", e.kingWeakness[WHITE], e.kingWeakness[BLACK]);
  printPair("kingContacts", e.kingContacts[WHITE], e.kingContacts[BLACK]);
  printPair("kingSafetyBase", e.kingSafetyBase[WHITE], e.kingSafetyBase[BLACK]);
  std::printf("evalThreat %d\n", e.evalThreat);
  std::printf("passerSides 0x%02x\n", e.passerSides);
  for (int file = 0; file < 8; ++file) {
    std::printf("pawnFileInfo.%c 0x%04x 0x%04x\n", FILE_NAMES[file], e.pawnFileInfo[WHITE][file],
                e.pawnFileInfo[BLACK][file]);
  }
  for (int file = 0; file < 8; ++file) {
    std::printf("passerValue.%c %d %d\n", FILE_NAMES[file], e.passerValue[WHITE][file], e.passerValue[BLACK][file]);
  }
  printPassers();
  printPair("raceMoves", e.raceMoves[WHITE], e.raceMoves[BLACK]);
  printSquarePair("raceSquare", e.raceSquare[WHITE], e.raceSquare[BLACK]);
  printSquarePair("lastPasserSquare", e.lastPasserSquare[WHITE], e.lastPasserSquare[BLACK]);
  printPieceRecords();
  std::printf("endgameRule %d\n", e.endgameRule);
  std::printf("endgameRuleName %s\n", endgameRuleName(e.endgameRule));
  std::printf("Total: %d\n", total);
}

}  // namespace

int runEvalCommand(int argc, char** argv) {
  const std::string fen = fenFromArguments(argc, argv);
  initBoardTables();
  setPieceValues(false);
  // A fresh game record around the position: no moves made, every castling square unmoved
  // unless the FEN withdraws the right.
  forgetLastTo();
  if (!setupFreshPosition((SETBOARD_PREFIX + fen).c_str())) {
    std::fprintf(stderr, "eval: position refused: %s\n", fen.c_str());
    return REFUSED_STATUS;
  }
  prepareRootEvaluation();
  int8_t exact = 0;
  const int total = evaluate(Board.sideToMove, 0, -FULL_WINDOW, FULL_WINDOW, &exact);
  printTrace(total);
  return 0;
}
