// Commands that arrive while the engine ponders or analyses.
#pragma once

void handleInputWhileSearching();
// Executes one line as the handler above would (the line does not come from CBuf). Returns false
// when the handler would not go on with further lines.
bool executeLineWhileSearching(const char* line);
// The expected move arrived: the ponder search becomes the engine's own, with a little more time
// than the budget fixed when pondering began.
void takePonderHit();
