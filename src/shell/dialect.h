// The interface dialect of the run, chosen once by the interface's first command (an "xboard"
// before it does not count): "protover N" with N >= 2 chooses xboard protocol 2, "uci" chooses
// UCI, and any other command (also "protover 1") keeps the classic dialect for the rest of the run.
#pragma once
#include <cstdint>

constexpr const char* ENGINE_NAME = "Vostrel 1.0";
constexpr const char* ENGINE_AUTHOR = "the Vostrel developers";

enum class DialectKind : int8_t { classic, xboard2, uci };

struct DialectData {
  DialectKind kind;
  bool choiceOpen;  // the program lets the interface choose (set at start; the interpreter alone,
                    // as the library tests run it, stays classic)
  bool chosen;      // the interface has named its dialect ("protover 1" names the classic one)
};
extern DialectData Dialect;

// Lets the interface choose its dialect for the rest of the run.
void openDialectChoice();

// What the command loop does with a line once the dialect has seen it.
enum class DialectStep {
  classic,  // execute it as a classic command line (the dialect may have rewritten it in place)
  tail,     // executed; the classic tail follows (log, restart of a running analysis)
  done,     // executed; read the next line
  leave,    // executed; return from the command loop
};

// The command loop's look at a line before the classic commands: the dialect choice while still
// classic, the protocol 2 commands after it.
DialectStep runDialectLine(char* line);
// The command loop of UCI, until "quit" or the end of input.
void runUciSession();
// Input that waits while a search runs in one of the newer dialects (the classic dialect has its
// own handling in the poll).
void handleDialectInputWhileSearching();

// ---- Shared by the newer dialects ----

// Sets up the position of a FEN text (placement, side, castling, en passant; further fields are
// ignored) as the start of a new game record. Refused, with the old position kept, when the text
// is no position or not one the engine can play.
bool setUpGamePosition(const char* fen);
// True when the text names a legal move of the side to move (the board is left as it was).
bool namesLegalMove(const char* text);
// Reads and executes the lines that wait while a search runs, until `execute` returns false, the
// search is asked to stop or no further whole line waits. The end of input ends the program as
// "quit" does.
void readLinesWhileSearching(bool (*execute)(const char* line));
