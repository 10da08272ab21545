// Position setup from a FEN-like text.
#pragma once

// The text starts with "setboard " (9 characters, skipped unexamined). 1 on success, 0 when refused.
int setupPosition(const char* text);

// The initial position of a new game: no moves made, every castling right present, White to
// move. The piece values must be set before.
void setupInitialPosition();
