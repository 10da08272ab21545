// Taking back the newest game move.
#pragma once

// Undoes the newest game move (undo/remove): clocks, game-over mark and side to move too.
void takeBackMove();
