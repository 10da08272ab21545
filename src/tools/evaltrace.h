// The evaluation trace: the static evaluation of one position, term by term.
#pragma once

// `vostrel eval [FEN]`; prints one `name value` or `name white black` line per item and
// `Total: N` last. Returns the process exit status (2 for a refused position).
int runEvalCommand(int argc, char** argv);
