// Position setup from a FEN-like text.
#pragma once

// No game has more than sixteen men or eight pawns of a colour; the piece lists and the move stack
// are sized for what games reach, so position set-up and edit mode hold a colour to these counts.
constexpr int MOST_MEN = 16;
constexpr int MOST_PAWNS = 8;

// The text starts with "setboard " (9 characters, skipped unexamined). 1 on success, 0 when refused.
int setupPosition(const char* text);

// The position of `text` (read as setupPosition reads it) as the start of a game record of its
// own: no moves made, neither side castled, castling rights from the text alone. 1 on success;
// 0 when the text is refused or the side to move cannot play from the position, and the board is
// then as it was.
int setupFreshPosition(const char* text);

// The initial position of a new game: no moves made, every castling right present, White to
// move. The piece values must be set before.
void setupInitialPosition();
