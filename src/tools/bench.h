// `vostrel bench [DEPTH]`: a fixed set of positions searched at a fixed depth; the total node
// count is the search's signature.
#pragma once

constexpr int BENCH_DEFAULT_DEPTH = 5;

// Searches every bench position with the think driver to DEPTH ("sd" semantics: iterations up
// to DEPTH + 2) from cleared tables, with book, learning and log off and the protocol output
// muted. Prints a line per position, then "Nodes: N", "Time: MS ms" and "NPS: N". Returns the
// process exit status: 0, 1 when the engine could not be set up, 2 for a refused depth.
int runBenchCommand(int argc, char** argv);

// The bench positions (FEN texts), for other diagnostics that measure on them.
int benchPositionCount();
const char* benchPositionFen(int index);
