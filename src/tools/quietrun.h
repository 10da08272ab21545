// One position searched by the think driver with the protocol muted, for the diagnostic
// subcommands (bench, epd).
#pragma once
#include <cstdint>

struct QuietRunResult {
  int refused;         // 1 when the position text was refused (nothing searched)
  int moved;           // 1 when the engine made a move
  uint16_t moveCode;   // the move made
  int32_t flags;       // its flags
  int score;           // its score
  uint64_t nodes;      // nodes searched
  uint32_t milliseconds;
};

// Default search settings, book, learning and log off, tables of the default size. 1 on success.
int setUpDiagnosticEngine();
void freeDiagnosticEngine();

// From a new game and cleared tables: sets `fen` up (placement, side, castling, en passant) and
// lets the think driver play one move under the time control as it stands, printing nothing.
QuietRunResult thinkQuietly(const char* fen);

// Coordinate text of a move (e2e4, e7e8q) into `text` (at least 6 bytes).
void coordinateMoveText(uint16_t code, int32_t flags, char* text);
