// The book builder: `vostrel makebook [--max-ply N] [--min-games N] [--polyglot FILE.bin]...
// FILE.pgn...` plays the games of PGN files, and the lines of Polyglot books, through the engine's
// own board and writes "VSbook.ind" and "VSbook.dat" into the current folder.
#pragma once
#include <string>
#include <vector>

constexpr int DEFAULT_BOOK_MAX_PLY = 30;    // positions after the first 30 plies of every game
constexpr int LARGEST_BOOK_MAX_PLY = 100;
constexpr int DEFAULT_BOOK_MIN_GAMES = 2;   // a position needs at least two games
constexpr int DEFAULT_BOOK_ELO = 2000;      // rating of a player whose Elo tag is missing

struct MakebookOptions {
  int maxPly;    // positions after plies 1..maxPly are recorded
  int minGames;  // positions with fewer games are left out
  std::vector<std::string> polyglotFiles = {};  // their positions replace those of the PGN games
};

struct MakebookReport {
  int gamesRead;         // games found in the files
  int gamesRefused;      // games left out, each reported with its reason
  int positionsWritten;  // records in the book
  int sideClashes;       // positions left out because the same placement had the other side to move in more games
};

// The board as a new game leaves it, ready to play a game of the book's sources.
void startBookGame();
// Reads a whole file; 0 when it cannot be read.
int readWholeFile(const std::string& name, std::string* text);

// Builds the book from `files` into the current folder; the refused games are reported on
// standard output as they are met. Returns 0, or 1 when a file could not be read or written.
int buildBook(const std::vector<std::string>& files, const MakebookOptions& options, MakebookReport* report);

// The subcommand; returns the process exit status (2 for a bad command line).
int runMakebookCommand(int argc, char** argv);
