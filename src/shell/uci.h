// UCI: the start-up answer, the command loop, positions with move lists, "go" in all its forms,
// input during a search, and the "info" and "bestmove" lines.
#pragma once

// The answer to "uci" (name, author, options, "uciok"); installs the UCI reporter.
void startUciSession();
// Input that waits while a search runs under UCI.
void handleUciInputWhileSearching();
