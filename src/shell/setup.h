// Position setup from a FEN-like text and the xboard edit mode.
#pragma once

// The text starts with "setboard " (9 characters, skipped unexamined). 1 on success, 0 when refused.
int setupPosition(const char* text);
void editMode();
